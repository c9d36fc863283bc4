// The store's rules without a window: the order the author boxes offer, the
// catalogue's reads on a real file, and the French sort key. (The start-up
// test sees the most frequent author first and surrounding blanks merged;
// the catalogue's writes are seen through the windows by the editing tests,
// its French order by the grid tests, its schema by `tabrix-admin check` on
// every new catalogue; case folding of authors: the editing tests' authors.)
#include "store/authors.h"
#include "store/french.h"
#include "support/programfixture.h"

using namespace tabrix;
using namespace tabrix::test;

class TestStore : public QObject {
    Q_OBJECT

private slots:
    // The rules of the author order the start-up test does not meet.
    void ranking_data()
    {
        QTest::addColumn<QStringList>("authors");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("ten above nine") << QStringList(9, "Alpha") + QStringList(10, "Beta") << QStringList{"Beta", "Alpha"};
        QTest::newRow("equal counts in descending text order") << QStringList{"alain", "Bruno", "Émile", "zoé", "Denis"}
                                                                << QStringList{"zoé", "Émile", "Denis", "Bruno", "alain"};
        QTest::newRow("letter case makes two authors") << QStringList{"Zoé", "ZOÉ", "Zoé"} << QStringList{"Zoé", "ZOÉ"};
        QTest::newRow("blank authors left out") << QStringList{"   ", "", "Léa"} << QStringList{"Léa"};
        QStringList many; // every one listed, well beyond the 29 a short list would keep
        for (int i = 0; i < 45; ++i)
            many << QStringLiteral("Auteur %1").arg(i, 2, 10, QLatin1Char('0'));
        QTest::newRow("45 authors") << many << QStringList(many.rbegin(), many.rend());
    }

    void ranking()
    {
        QFETCH(QStringList, authors);
        QFETCH(QStringList, expected);
        std::vector<GridRow> rows;
        for (const QString &author : authors)
            rows.push_back({QString::number(rows.size() + 1), QStringLiteral("nom"), author});
        const std::vector<QString> ranked = rankAuthors(rows);
        QCOMPARE(QStringList(ranked.begin(), ranked.end()), expected);
    }

    // By exact number; no value and an empty text stay apart, a number,
    // name or author with no value reads as an empty text.
    void readsAsStored()
    {
        ProgramFixture p([](const QString &path) {
            insertEntries(path, titres(), {entry("001", "Un", "Zoé", std::nullopt, QString()),
                                           entry("002", "Deux", "Léa", QStringLiteral("https://x/2.jpg"))});
            execute(path, "INSERT INTO melvi VALUES (NULL, NULL, NULL, NULL, NULL)");
        });
        QCOMPARE(p.reread(titres(), "001") + p.reread(titres(), "002"),
                 (QStringList{"001", "Un", "Zoé", "<none>", "", "002", "Deux", "Léa", "https://x/2.jpg", notAvailable()}));
        auto catalogue = openCatalogue(p.dir.catalogue());
        for (const QString &missing : {"1", "01", " 001", "003", ""})
            QVERIFY2(!catalogue->find(titres(), missing)->has_value(), qPrintable(missing));
        const GridRow empty = catalogue->rows(melvi())->at(0);
        QCOMPARE(empty.ref + empty.name + empty.author, QString());
    }

    // Worked examples of what the grid tests do not sort, then the quick
    // paths (plain ASCII, character by character for the letters of French)
    // against the full rule. A right quotation mark is kept as it is and
    // sends the whole text through the full rule: the key of a character
    // followed by it must be the character's quick key followed by it.
    void frenchSortKeys()
    {
        QCOMPARE(frenchSortKey(QStringLiteral("Sœur Anne, Œuvre Lætitia Straße ŸVELINE ÿ ĳſ Île\u00a0de Ré")),
                 QStringLiteral("soeur anne, oeuvre laetitia strasse yveline y ijs ile de re"));
        QCOMPARE(frenchSortKey(QStringLiteral("\ufb01let Été’s")), QStringLiteral("filet ete’s")); // beyond the table
        const QString mark = QStringLiteral("\u2019");
        QCOMPARE(frenchSortKey(mark), mark);
        for (char16_t c = 0; c < 0x180; ++c)
            QCOMPARE(frenchSortKey(QChar{c} + mark), frenchSortKey(QString(QChar{c})) + mark);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "tst_store.moc"
