#include "store/authors.h"

#include <QTest>

using namespace tabrix;

namespace {

std::vector<GridRow> rowsBy(const QStringList &authors)
{
    std::vector<GridRow> rows;
    int n = 0;
    for (const QString &a : authors)
        rows.push_back({QString::number(++n), QStringLiteral("nom"), a});
    return rows;
}

QStringList repeated(const QString &author, int times)
{
    QStringList list;
    for (int i = 0; i < times; ++i)
        list << author;
    return list;
}

} // namespace

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
        QTest::newRow("ten above nine") << repeated("Alpha", 9) + repeated("Beta", 10) << QStringList{"Beta", "Alpha"};
        QTest::newRow("equal counts in descending text order")
            << QStringList{"alain", "Bruno", "Émile", "zoé", "Denis"}
            << QStringList{"zoé", "Émile", "Denis", "Bruno", "alain"};
        QTest::newRow("letter case makes two authors") << QStringList{"Zoé", "ZOÉ", "Zoé"} << QStringList{"Zoé", "ZOÉ"};
        QTest::newRow("surrounding blanks make one") << QStringList{" Zoé", "Zoé  ", "Léa"} << QStringList{"Zoé", "Léa"};
        QTest::newRow("blank authors left out") << QStringList{"   ", "", "Léa"} << QStringList{"Léa"};
    }

    void ranking()
    {
        QFETCH(QStringList, authors);
        QFETCH(QStringList, expected);
        QStringList got;
        for (const QString &a : rankAuthors(rowsBy(authors)))
            got << a;
        QCOMPARE(got, expected);
    }

    void everyAuthorIsListedBeyondTwentyNine()
    {
        QStringList authors;
        for (int i = 0; i < 45; ++i)
            authors << QStringLiteral("Auteur %1").arg(i, 2, 10, QLatin1Char('0'));
        authors << "Auteur 44";
        const auto ranked = rankAuthors(rowsBy(authors));
        QCOMPARE(int(ranked.size()), 45);
        QCOMPARE(ranked.front(), QStringLiteral("Auteur 44"));
        QCOMPARE(ranked[1], QStringLiteral("Auteur 43"));
        QCOMPARE(ranked.back(), QStringLiteral("Auteur 00"));
    }
};

QTEST_GUILESS_MAIN(TestAuthors)
#include "tst_authors.moc"
