#include "store/authors.h"

#include <QTest>

#include <algorithm>

using namespace tabrix;

class TestAuthors : public QObject {
    Q_OBJECT

private slots:
    void ranking_data()
    {
        QTest::addColumn<QStringList>("authors");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("empty list") << QStringList{} << QStringList{};
        QTest::newRow("most entries first") << QStringList{"Léa", "Marc", "Marc", "Zoé", "Marc", "Zoé"}
                                             << QStringList{"Marc", "Zoé", "Léa"};
        QTest::newRow("ten above nine") << QStringList(9, "Alpha") + QStringList(10, "Beta") << QStringList{"Beta", "Alpha"};
        QTest::newRow("equal counts in descending text order") << QStringList{"alain", "Bruno", "Émile", "zoé", "Denis"}
                                                                << QStringList{"zoé", "Émile", "Denis", "Bruno", "alain"};
        QTest::newRow("letter case makes two authors") << QStringList{"Zoé", "ZOÉ", "Zoé"} << QStringList{"Zoé", "ZOÉ"};
        QTest::newRow("surrounding blanks make one") << QStringList{" Zoé", "Zoé  ", "Léa"} << QStringList{"Zoé", "Léa"};
        QTest::newRow("blank authors left out") << QStringList{"   ", "", "Léa"} << QStringList{"Léa"};
        // Every author is listed, well beyond the 29 a short list would keep.
        QStringList many;
        for (int i = 0; i < 45; ++i)
            many << QStringLiteral("Auteur %1").arg(i, 2, 10, QLatin1Char('0'));
        QStringList ranked = many;
        std::reverse(ranked.begin(), ranked.end());
        QTest::newRow("45 authors") << many << ranked;
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
};

QTEST_GUILESS_MAIN(TestAuthors)
#include "tst_authors.moc"
