// Header clicks re-sort a category grid; "<<" and ">>" show its top and end.

#include "browsetest.h"

#include "browse/browse.h"

#include <QPushButton>
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

class GridTest : public QObject {
    Q_OBJECT

private slots:
    void headerSortsByColumn_data();
    void headerSortsByColumn();
    void sortShowsEndAndKeepsCurrentEntry();
    void scrollButtons_data();
    void scrollButtons();
};

void GridTest::headerSortsByColumn_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("column");
    for (const Category &category : categories())
        for (const int column : {0, 1, 2})
            QTest::addRow("%s %s", qPrintable(category.table), column ? column == 1 ? "name" : "author" : "number")
                << category.id << column;
}

void GridTest::headerSortsByColumn()
{
    QFETCH(int, list);
    QFETCH(int, column);
    // The first texts of each column in this order, then the last ones,
    // equal to a French reader, in either order.
    const QStringList heads[] = {{"001", "002", "003", "004", "005", "006"}, {"Abricot", "Echo", "école", "Fable"},
                                 {"anna", "Bruno", "emile", "Éric"}};
    const QStringList tails[] = {{}, {"Zoé", "zoe"}, {"zoe", "Zoé"}};
    const QStringList &head = heads[column], &equalTail = tails[column];
    const Category &category = categories()[std::size_t(list)];
    Running running(category, mixedEntries());
    QVERIFY(running.ok);
    CategoryTab &tab = running.tab(category);
    Grid &grid = *tab.grid;

    // An entry loaded, then one field changed by hand: a sort keeps both.
    clickCell(grid, 3, 1);
    typeText(tab.name, QStringLiteral(" tapé"));
    const QStringList before = fields(tab);
    QCOMPARE(before.at(0), QStringLiteral("003"));

    clickCell(grid, 0, (column + 1) % 3); // another order first
    clickCell(grid, 0, column);

    const QStringList texts = columnTexts(grid, column);
    QCOMPARE(texts.size(), head.size() + equalTail.size());
    QCOMPARE(texts.mid(0, head.size()), head);
    QCOMPARE(QSet<QString>(texts.begin() + head.size(), texts.end()), QSet<QString>(equalTail.begin(), equalTail.end()));
    // Always ascending: the same header again changes nothing.
    clickCell(grid, 0, column);
    QCOMPARE(columnTexts(grid, column), texts);

    // Rows move whole: each number keeps its own name and author.
    for (const Entry &e : mixedEntries()) {
        const int row = int(columnTexts(grid, 0).indexOf(e.ref)) + 1;
        QCOMPARE(grid.text(row, 1), e.name);
        QCOMPARE(grid.text(row, 2), e.author);
    }
    QCOMPARE(fields(tab), before);
    QVERIFY(running.services.messages.isEmpty());
}

void GridTest::sortShowsEndAndKeepsCurrentEntry()
{
    // More entries than the grid can show at once, among them "Vieux-Port 7"
    // and "vieux-port 63", stored 63 first.
    std::vector<Entry> entries = numberedEntries(60, {"Zoé", "anna", "Bruno"});
    entries[6].name = QStringLiteral("vieux-port 63");
    entries[7].name = QStringLiteral("Vieux-Port 7");
    Running running(zarpo(), entries);
    QVERIFY(running.ok);
    Grid &grid = *running.tab(zarpo()).grid;
    browse::showTop(running.tab(zarpo()));
    clickCell(grid, 3, 0);
    QCOMPARE(grid.row(), 3);

    // Numbers in names go by their value.
    clickCell(grid, 0, 1);
    QCOMPARE(columnTexts(grid, 1).mid(0, 3), (QStringList{"Énigme 1", "Énigme 2", "Énigme 3"}));
    QCOMPARE(columnTexts(grid, 1).mid(57), (QStringList{"Énigme 60", "Vieux-Port 7", "vieux-port 63"}));
    clickCell(grid, 0, 2);
    QVERIFY(rowInView(grid, grid.rows() - 1));
    QVERIFY(!rowInView(grid, 1));
    // The current row, where a correction is written, still shows entry 003.
    QVERIFY(grid.row() != 3);
    QCOMPARE(grid.text(grid.row(), 0), QStringLiteral("003"));
}

void GridTest::scrollButtons_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("upper"); // on "Melvi" the upper one is called "bas" and the lower one "haut"
    QTest::addColumn<QString>("lower");
    QTest::addColumn<int>("entries");
    for (const int entries : {80, 0}) {
        const QByteArray empty = entries ? "" : ", empty";
        QTest::newRow("zarpo" + empty) << "zarpo" << "bt_zarpo_haut" << "bt_zarpo_bas" << entries;
        QTest::newRow("melvi" + empty) << "melvi" << "bt_melvi_bas" << "bt_melvi_haut" << entries;
        QTest::newRow("trunda" + empty) << "trunda" << "bt_trunda_haut" << "bt_trunda_bas" << entries;
        QTest::newRow("titres" + empty) << "titres" << "bt_vasquo_haut" << "bt_vasquo_bas" << entries;
    }
}

void GridTest::scrollButtons()
{
    QFETCH(QString, table);
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    QFETCH(int, entries);
    const Category &category = *categoryByTable(table);
    Running running(category, numberedEntries(entries, {"Zoé", "anna"}));
    QVERIFY(running.ok);
    CategoryTab &tab = running.tab(category);
    Grid &grid = *tab.grid;
    QPushButton *up = running.window->findChild<QPushButton *>(upper);
    QPushButton *down = running.window->findChild<QPushButton *>(lower);
    QVERIFY(up && down);
    QCOMPARE(up->text().remove('&'), QStringLiteral("<<"));
    QCOMPARE(down->text().remove('&'), QStringLiteral(">>"));

    if (entries == 0) { // no harm done
        tab.number->setText(QStringLiteral("001"));
        for (QPushButton *button : {down, up, down})
            QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE((QList<int>{grid.rows(), grid.topRow(), grid.row()}), (QList<int>{1, 0, 0}));
        QCOMPARE(grid.text(0, 2), QStringLiteral(" Auteur"));
        QCOMPARE(fields(tab), (QStringList{"001", "", "", "", ""}));
        QVERIFY(running.services.messages.isEmpty());
        return;
    }

    QTest::mouseClick(down, Qt::LeftButton);
    QVERIFY(rowInView(grid, 80));
    QVERIFY(!rowInView(grid, 1));

    // An entry near the end, loaded by a click, then a hand-made change:
    // the buttons only scroll.
    QVERIFY(rowInView(grid, 78));
    clickCell(grid, 78, 1);
    typeText(tab.author, QStringLiteral("-Élodie"));
    const QStringList before = fields(tab);
    const QModelIndex current = grid.currentIndex();
    QCOMPARE(grid.row(), 78);

    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(grid.topRow(), 1);
    QVERIFY(!rowInView(grid, 80));
    QTest::mouseClick(down, Qt::LeftButton);
    QVERIFY(rowInView(grid, 80));
    QVERIFY(!rowInView(grid, 1));

    QCOMPARE(grid.row(), 78);
    QCOMPARE(grid.currentIndex(), current);
    QCOMPARE(paintedCells(grid), (QStringList{"78:0b", "78:1b", "78:2b"}));
    QCOMPARE(fields(tab), before);
    QVERIFY(running.services.messages.isEmpty());
}

QTEST_MAIN(GridTest)
#include "tst_grid.moc"
