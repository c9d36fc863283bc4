// The catalogue's reads and writes on a real file. (Its schema is checked
// by `tabrix-admin check` on every new catalogue, its refusal to overwrite
// a file by the tabrix-admin create and demo tests.)
#include "store/catalogue.h"
#include "store/schema.h"
#include "support/testsupport.h"

#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void sampleCatalogueIsNumberedWithoutGaps()
    {
        ProgramDir dir;
        const std::array<int, 4> sizes{5, 0, 999, 12};
        QVERIFY(createSampleCatalogue(dir.catalogue(), SampleShape{sizes, 40, 7}));
        auto catalogue = openCatalogue(dir.catalogue());
        for (const Category &c : categories()) {
            const auto rows = catalogue->rows(c);
            QCOMPARE(int(rows->size()), sizes[std::size_t(c.id)]);
            for (std::size_t i = 0; i < rows->size(); ++i)
                QCOMPARE((*rows)[i].ref, QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        }
        QVERIFY(!catalogue->authors()->empty());
    }

    // By exact number; no value and an empty text stay apart, a number,
    // name or author with no value reads as an empty text.
    void readsAsStored()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), titres(), {entry("001", "Un", "Zoé", std::nullopt, QString()),
                                                  entry("002", "Deux", "Léa", QStringLiteral("https://x/2.jpg"))});
        execute(dir.catalogue(), "INSERT INTO melvi VALUES (NULL, NULL, NULL, NULL, NULL)");
        auto catalogue = openCatalogue(dir.catalogue());
        const auto first = catalogue->find(titres(), "001");
        QVERIFY(first.ok() && first->has_value() && !(*first)->url.has_value());
        QCOMPARE((*first)->link, std::optional<QString>(QString()));
        const auto second = catalogue->find(titres(), "002");
        QCOMPARE((*second)->name, QStringLiteral("Deux"));
        QCOMPARE((*second)->url, std::optional<QString>("https://x/2.jpg"));
        for (const QString &missing : {"1", "01", " 001", "003", ""})
            QVERIFY2(!catalogue->find(titres(), missing)->has_value(), qPrintable(missing));
        const GridRow empty = catalogue->rows(melvi())->at(0);
        QVERIFY(empty.ref.isEmpty() && empty.name.isEmpty() && empty.author.isEmpty());
    }

    // A number is taken once; an author is recorded once whatever its case;
    // a commit reaches the disk with its journal's removal (EXTRA).
    void appendKeepsNumbersAndAuthorsUnique()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        auto catalogue = openCatalogue(dir.catalogue());
        QCOMPARE(*catalogue->append(zarpo(), entry("001", "Un", "Élodie"), 0), true);
        QCOMPARE(*catalogue->append(zarpo(), entry("001", "Autre", "Léa"), 1), false);
        QVERIFY(catalogue->append(zarpo(), entry("002", "Deux", "ÉLODIE"), 1));
        QVERIFY(catalogue->append(melvi(), entry("001", "Lieu", "Marc"), 0));
        QVERIFY(catalogue->append(titres(), entry("001", "Titre", "élodie"), 0));
        QCOMPARE(*catalogue->count(zarpo()), 2);
        QCOMPARE(catalogue->find(zarpo(), "001")->value().name, QStringLiteral("Un"));
        QCOMPARE(*catalogue->authors(), (std::vector<QString>{"Élodie", "Marc"}));
        QVERIFY(*catalogue->knowsAuthor("élodie") && !*catalogue->knowsAuthor("Elodie"));
        sql::Statement mode(catalogue->handle(), "PRAGMA synchronous");
        QVERIFY(mode.next());
        QCOMPARE(mode.integer(0), 3);
    }

    void rewriteChangesTheRecordFoundByNumber()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), zarpo(), numberedEntries(3));
        auto catalogue = openCatalogue(dir.catalogue());
        QCOMPARE(*catalogue->rewrite(zarpo(), "002", entry("002", "  Nouveau ; \"nom\" ", "O'Brien", notAvailable(), QString()), 3), true);
        QCOMPARE(*catalogue->rewrite(zarpo(), "009", entry("009", "x", "y"), 3), false);
        const auto rows = tableRows(dir.catalogue(), "zarpo");
        QCOMPARE(int(rows.size()), 3);
        QCOMPARE(rows[1], QStringList({"002", "  Nouveau ; \"nom\" ", "O'Brien", "Non disponible", ""}));
        QCOMPARE(rows[2][1], QStringLiteral("Énigme 3"));
    }

    // Accents among their letter, case not splitting a letter, ligatures
    // spelled out; equal keys in code-point order.
    void sortedRowsFollowFrenchOrder()
    {
        const QStringList names{"zèbre", "école", "Eté", "abri", "étang", "fleur", "zoe", "Bravo", "Zoé",
                                "alpha", "Zoe", "ours", "œuvre", "oasis", "Orque"};
        const QStringList expected{"abri", "alpha", "Bravo", "école", "étang", "Eté", "fleur", "oasis",
                                   "œuvre", "Orque", "ours", "zèbre", "Zoe", "zoe", "Zoé"};
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        std::vector<Entry> entries;
        for (const QString &name : names)
            entries.push_back(entry(QStringLiteral("%1").arg(entries.size() + 1, 3, 10, QLatin1Char('0')), name, name));
        insertEntries(dir.catalogue(), melvi(), entries);
        auto catalogue = openCatalogue(dir.catalogue());
        for (SortColumn column : {SortColumn::Name, SortColumn::Author}) {
            QStringList got;
            for (const GridRow &row : *catalogue->rows(melvi(), column))
                got << (column == SortColumn::Name ? row.name : row.author);
            QCOMPARE(got, expected);
        }
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
