#include "store/catalogue.h"
#include "store/french.h"
#include "store/schema.h"
#include "support/testsupport.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace tabrix;
using namespace tabrix::test;

class TestCatalogue : public QObject {
    Q_OBJECT

private slots:
    void createdSchemaHasTablesColumnsAndIndexes()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        auto catalogue = openCatalogue(dir.catalogue());

        sql::Statement columns(catalogue->handle(),
                               "SELECT m.name, p.name, p.type FROM sqlite_master m, pragma_table_info(m.name) p "
                               "WHERE m.type = 'table' ORDER BY m.name, p.cid");
        QStringList seen;
        while (columns.next()) {
            seen << columns.text(0) + "." + columns.text(1);
            QCOMPARE(columns.text(2), QStringLiteral("TEXT"));
        }
        QCOMPARE(seen, QStringList({"auteurs.nom",
                                    "melvi.ref", "melvi.lieu", "melvi.auteur", "melvi.url", "melvi.lien",
                                    "titres.ref", "titres.nom", "titres.auteur", "titres.url", "titres.lien",
                                    "trunda.ref", "trunda.nom", "trunda.auteur", "trunda.url", "trunda.lien",
                                    "zarpo.ref", "zarpo.nom", "zarpo.auteur", "zarpo.url", "zarpo.lien"}));

        sql::Statement indexes(catalogue->handle(),
                               "SELECT m.tbl_name, i.\"unique\", group_concat(c.name) FROM sqlite_master m, "
                               "pragma_index_list(m.tbl_name) i, pragma_index_info(i.name) c "
                               "WHERE m.type = 'table' GROUP BY i.name ORDER BY m.tbl_name");
        QStringList found;
        while (indexes.next())
            found << QStringLiteral("%1:%2:%3").arg(indexes.text(0)).arg(indexes.integer(1)).arg(indexes.text(2));
        QCOMPARE(found, QStringList({"auteurs:0:nom", "melvi:1:ref", "titres:1:ref", "trunda:1:ref", "zarpo:1:ref"}));
    }

    void creationRefusesToOverwrite()
    {
        ProgramDir dir;
        QFile existing(dir.catalogue());
        QVERIFY(existing.open(QIODevice::WriteOnly));
        existing.write("précieux");
        existing.close();

        QVERIFY(!createCatalogue(dir.catalogue()));
        QVERIFY(!createSampleCatalogue(dir.catalogue()));
        QFile check(dir.catalogue());
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(check.readAll()), QStringLiteral("précieux"));
    }

    void sampleCatalogueIsNumberedWithoutGaps()
    {
        ProgramDir dir;
        QVERIFY(createSampleCatalogue(dir.catalogue(), SampleShape{{5, 0, 999, 12}, 40, 7}));
        auto catalogue = openCatalogue(dir.catalogue());
        const std::array<int, 4> expected{5, 0, 999, 12};
        for (const Category &c : categories()) {
            const auto rows = catalogue->rows(c);
            QVERIFY(rows.ok());
            QCOMPARE(int(rows->size()), expected[std::size_t(c.id)]);
            for (std::size_t i = 0; i < rows->size(); ++i)
                QCOMPARE((*rows)[i].ref, QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')));
        }
        QVERIFY(!catalogue->authors()->empty());
    }

    void findSeeksByExactNumberAndKeepsNoValueApart()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), titres(),
                      {entry("001", "Un", "Zoé", std::nullopt, QString()),
                       entry("002", "Deux", "Léa", QStringLiteral("https://x/2.jpg"), notAvailable())});
        auto catalogue = openCatalogue(dir.catalogue());

        const auto first = catalogue->find(titres(), "001");
        QVERIFY(first.ok() && first->has_value());
        QVERIFY(!(*first)->url.has_value());
        QCOMPARE((*first)->link, std::optional<QString>(QString()));

        const auto second = catalogue->find(titres(), "002");
        QCOMPARE((*second)->name, QStringLiteral("Deux"));
        QCOMPARE((*second)->url, std::optional<QString>("https://x/2.jpg"));

        for (const QString &missing : {"1", "01", " 001", "003", ""})
            QVERIFY2(!catalogue->find(titres(), missing)->has_value(), qPrintable(missing));
    }

    void nullNumberNameOrAuthorReadAsEmptyText()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        execute(dir.catalogue(), "INSERT INTO melvi (ref, lieu, auteur, url, lien) VALUES (NULL, NULL, NULL, NULL, NULL)");
        auto catalogue = openCatalogue(dir.catalogue());
        const auto rows = catalogue->rows(melvi());
        QVERIFY(rows.ok());
        QCOMPARE(int(rows->size()), 1);
        QCOMPARE(rows->front().ref, QString());
        QCOMPARE(rows->front().name, QString());
        QCOMPARE(rows->front().author, QString());
    }

    void commitsReachTheDiskWithTheirJournalRemoval()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        auto catalogue = openCatalogue(dir.catalogue());
        sql::Statement mode(catalogue->handle(), "PRAGMA synchronous");
        QVERIFY(mode.next());
        QCOMPARE(mode.integer(0), 3); // EXTRA
    }

    void appendRefusesATakenNumber()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        auto catalogue = openCatalogue(dir.catalogue());
        QCOMPARE(*catalogue->append(trunda(), entry("001", "Un", "Zoé"), 0), true);
        QCOMPARE(*catalogue->append(trunda(), entry("001", "Autre", "Léa"), 1), false);
        QCOMPARE(*catalogue->count(trunda()), 1);
        QCOMPARE(catalogue->find(trunda(), "001")->value().name, QStringLiteral("Un"));
    }

    void appendRecordsAnAuthorOnceWhateverItsCase()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        auto catalogue = openCatalogue(dir.catalogue());
        QVERIFY(catalogue->append(zarpo(), entry("001", "Un", "Élodie"), 0));
        QVERIFY(catalogue->append(zarpo(), entry("002", "Deux", "ÉLODIE"), 1));
        QVERIFY(catalogue->append(melvi(), entry("001", "Lieu", "Marc"), 0));
        QVERIFY(catalogue->append(titres(), entry("001", "Titre", "élodie"), 0));
        QCOMPARE(*catalogue->authors(), (std::vector<QString>{"Élodie", "Marc"}));
        QVERIFY(*catalogue->knowsAuthor("élodie"));
        QVERIFY(!*catalogue->knowsAuthor("Elodie"));
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

    void sortedRowsFollowFrenchOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("accents among their letter")
            << QStringList{"zèbre", "école", "Eté", "abri", "étang", "fleur"}
            << QStringList{"abri", "école", "étang", "Eté", "fleur", "zèbre"};
        QTest::newRow("case does not split")
            << QStringList{"zoe", "Bravo", "Zoé", "alpha", "Zoe"}
            << QStringList{"alpha", "Bravo", "Zoe", "zoe", "Zoé"};
        QTest::newRow("ligatures spelled out")
            << QStringList{"ours", "œuvre", "oasis", "Orque"}
            << QStringList{"oasis", "œuvre", "Orque", "ours"};
    }

    void sortedRowsFollowFrenchOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QStringList, expected);
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        std::vector<Entry> entries;
        for (int i = 0; i < names.size(); ++i)
            entries.push_back(entry(QStringLiteral("%1").arg(i + 1, 3, 10, QLatin1Char('0')), names[i], names[i]));
        insertEntries(dir.catalogue(), melvi(), entries);
        auto catalogue = openCatalogue(dir.catalogue());
        for (SortColumn column : {SortColumn::Name, SortColumn::Author}) {
            QStringList got;
            for (const GridRow &row : *catalogue->rows(melvi(), column))
                got << (column == SortColumn::Name ? row.name : row.author);
            QCOMPARE(got, expected);
        }
    }

    void foldCaseIgnoresCaseOfAccentedLetters_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("same");
        QTest::newRow("plain") << "Mistral" << "MISTRAL" << true;
        QTest::newRow("accented capitals") << "ÉLODIE" << "élodie" << true;
        QTest::newRow("ligature") << "Sœur" << "SŒUR" << true;
        QTest::newRow("accent matters") << "Elodie" << "Élodie" << false;
        QTest::newRow("blanks matter") << "Zoé " << "Zoé" << false;
    }

    void foldCaseIgnoresCaseOfAccentedLetters()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, same);
        QCOMPARE(foldCase(a) == foldCase(b), same);
    }
};

QTEST_GUILESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
