// Header clicks re-sort a category grid.

#include "browsetest.h"

#include "browse/browse.h"

#include <QSet>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Stored out of number order, with accents and letter case that a plain
// code-point sort would put in the wrong places.
std::vector<Entry> mixedEntries()
{
    return {
        entry("004", "Echo", "Zoé"),  entry("001", "Fable", "zoe"),   entry("006", "Abricot", "Bruno"),
        entry("003", "Zoé", "anna"),  entry("005", "zoe", "emile"),   entry("002", "école", "Éric"),
    };
}

} // namespace

class SortTest : public QObject {
    Q_OBJECT

private slots:
    void headerSortsByColumn_data();
    void headerSortsByColumn();
    void sameHeaderTwiceStaysAscending();
    void sortShowsEndAndKeepsCurrentEntry();
    void headerOfSingleEntryGridSorts();
    void sortFailureIsShown();
};

void SortTest::headerSortsByColumn_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("head");    // the first texts of the column, in this order
    QTest::addColumn<QStringList>("equalTail"); // the last texts, equal to a French reader, in either order

    for (const Category &category : categories()) {
        const QByteArray word = category.table.toUtf8();
        QTest::newRow(word + " number") << category.table << 0
                                        << QStringList{"001", "002", "003", "004", "005", "006"} << QStringList{};
        QTest::newRow(word + " name") << category.table << 1 << QStringList{"Abricot", "Echo", "école", "Fable"}
                                      << QStringList{"Zoé", "zoe"};
        QTest::newRow(word + " author") << category.table << 2 << QStringList{"anna", "Bruno", "emile", "Éric"}
                                        << QStringList{"zoe", "Zoé"};
    }
}

void SortTest::headerSortsByColumn()
{
    QFETCH(QString, table);
    QFETCH(int, column);
    QFETCH(QStringList, head);
    QFETCH(QStringList, equalTail);
    const Category &category = *categoryByTable(table);

    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), category, mixedEntries());
    QVERIFY(startOnTab(running, category));
    Grid &grid = running.grid(category);
    CategoryTab &tab = running.tab(category);

    // An entry loaded, then one field changed by hand: a sort keeps both.
    clickCell(grid, 3, 1);
    tab.name->setText(QStringLiteral("Nom tapé"));
    const QStringList before = fields(tab);
    QCOMPARE(before.at(0), QStringLiteral("003"));

    clickHeader(grid, (column + 1) % 3); // another order first
    clickHeader(grid, column);

    const QStringList texts = columnTexts(grid, column);
    QCOMPARE(texts.size(), head.size() + equalTail.size());
    QCOMPARE(texts.mid(0, head.size()), head);
    QCOMPARE(QSet<QString>(texts.begin() + head.size(), texts.end()),
             QSet<QString>(equalTail.begin(), equalTail.end()));

    // Rows move whole: each number keeps its own name and author.
    for (const Entry &e : mixedEntries()) {
        const QStringList numbers = columnTexts(grid, 0);
        const int row = int(numbers.indexOf(e.ref)) + 1;
        QVERIFY2(row >= 1, qPrintable(e.ref));
        QCOMPARE(grid.text(row, 1), e.name);
        QCOMPARE(grid.text(row, 2), e.author);
    }

    QCOMPARE(fields(tab), before);
    QVERIFY(running.services.messages.isEmpty());
}

void SortTest::sameHeaderTwiceStaysAscending()
{
    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), trunda(), mixedEntries());
    QVERIFY(startOnTab(running, trunda()));
    Grid &grid = running.grid(trunda());

    clickHeader(grid, 2);
    const QStringList once = columnTexts(grid, 2);
    QCOMPARE(once.first(), QStringLiteral("anna"));
    clickHeader(grid, 2);
    QCOMPARE(columnTexts(grid, 2), once);

    clickHeader(grid, 0);
    clickHeader(grid, 0);
    QCOMPARE(columnTexts(grid, 0), (QStringList{"001", "002", "003", "004", "005", "006"}));
}

void SortTest::sortShowsEndAndKeepsCurrentEntry()
{
    // More entries than the grid can show at once; names sort as
    // "Énigme 1", "Énigme 10" … "Énigme 19", "Énigme 2" …
    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), zarpo(), numberedEntries(60, {"Zoé", "anna", "Bruno"}));
    QVERIFY(startOnTab(running, zarpo()));
    Grid &grid = running.grid(zarpo());
    QVERIFY(!rowInView(grid, 1));

    browse::showTop(running.tab(zarpo()));
    QVERIFY(rowInView(grid, 3));
    clickCell(grid, 3, 0);
    QCOMPARE(grid.row(), 3);

    clickHeader(grid, 1);
    QCOMPARE(grid.text(1, 1), QStringLiteral("Énigme 1"));
    QCOMPARE(grid.text(2, 1), QStringLiteral("Énigme 10"));
    QVERIFY(rowInView(grid, grid.rows() - 1));
    QVERIFY(!rowInView(grid, 1));
    // The current row, where a correction is written, still shows entry 003.
    QVERIFY(grid.row() != 3);
    QCOMPARE(grid.text(grid.row(), 0), QStringLiteral("003"));
}

void SortTest::headerOfSingleEntryGridSorts()
{
    // One entry: a header click still only sorts, it loads nothing.
    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), melvi(), {entry("001", "Lyon", "Zoé", "https://images.norvane.fr/1.jpg")});
    QVERIFY(startOnTab(running, melvi()));
    Grid &grid = running.grid(melvi());

    clickHeader(grid, 1);
    QCOMPARE(columnTexts(grid, 1), QStringList{"Lyon"});
    QCOMPARE(fields(running.tab(melvi())), (QStringList{"", "", "", "", ""}));

    clickCell(grid, 1, 1);
    QCOMPARE(fields(running.tab(melvi())),
             (QStringList{"001", "Lyon", "Zoé", "https://images.norvane.fr/1.jpg", "Non disponible"}));
}

void SortTest::sortFailureIsShown()
{
    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), melvi(), mixedEntries());
    QVERIFY(startOnTab(running, melvi()));
    Grid &grid = running.grid(melvi());
    const QStringList shown = columnTexts(grid, 1);

    execute(running.dir.catalogue(), QStringLiteral("DROP TABLE melvi"));
    clickHeader(grid, 1);

    QCOMPARE(running.services.messages.size(), 1);
    QVERIFY2(running.services.lastText().startsWith(QStringLiteral("La liste melvi n'a pas pu être lue")),
             qPrintable(running.services.lastText()));
    QCOMPARE(running.services.messages.last().icon, MessageIcon::Critical);
    QCOMPARE(columnTexts(grid, 1), shown);
}

QTEST_MAIN(SortTest)
#include "tst_sort.moc"
