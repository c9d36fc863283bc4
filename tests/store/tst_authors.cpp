// The order the author boxes offer: the start-up test sees the most frequent
// first and surrounding blanks merged; here the rules it does not meet.
#include "store/authors.h"

#include <QTest>

using namespace tabrix;

class TestAuthors : public QObject {
    Q_OBJECT

private slots:
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
};

QTEST_GUILESS_MAIN(TestAuthors)
#include "tst_authors.moc"
