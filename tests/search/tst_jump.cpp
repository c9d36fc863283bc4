// The jump from a search result to its entry: the tab change first, the row
// found by its number, scrolled to the top and highlighted, last_sel, and the
// clicks that must do nothing.

#include "searchtest.h"

#include <QLabel>
#include <QToolButton>

using namespace tabrix;
using namespace tabrix::test;

class TestJump : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup() { p.reset(); }
    void jumpsToTheEntry_data();
    void jumpsToTheEntry();
    void resultsKeepTheirList();
    void clicksThatDoNothing_data();
    void clicksThatDoNothing();

private:
    MainForm &form() { return p->form(); }
    void searchFor(const Category &category, const QString &criterion);
    void clickResult(int row, int column = 1);
    std::unique_ptr<Program> p;
};

void TestJump::init()
{
    p = std::make_unique<Program>([](const QString &path) {
        insertAuthors(path, {"Zoé", "Hélène"});
        insertEntries(path, zarpo(), numberedEntries(200, {"Zoé", "Hélène"}));
        insertEntries(path, melvi(), numberedEntries(120, {"Hélène"}));
    });
    QVERIFY(p->window);
    QVERIFY(p->showActive());
}

void TestJump::searchFor(const Category &category, const QString &criterion)
{
    QTest::mouseClick(form().onglet->tabButton(3), Qt::LeftButton);
    QCOMPARE(form().onglet->currentIndex(), 3);
    p->search(category, criterion);
    QVERIFY(p->services.messages.isEmpty());
}

void TestJump::clickResult(int row, int column)
{
    Grid &grid = *form().grilleSearch;
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, column));
    QVERIFY(cell.isValid());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
}

void TestJump::jumpsToTheEntry_data()
{
    QTest::addColumn<int>("list");
    QTest::addColumn<int>("shown"); // the grid's order: 0 number, 1 name, 2 author
    QTest::addColumn<int>("entry");

    QTest::newRow("zarpo") << 0 << 0 << 150;
    QTest::newRow("melvi, a tab not shown yet") << 1 << 0 << 77;
    // The row is found by its number, not taken as the row's index.
    QTest::newRow("zarpo sorted by name") << 0 << 1 << 150;
    QTest::newRow("melvi sorted by name") << 1 << 1 << 12;
}

void TestJump::jumpsToTheEntry()
{
    QFETCH(int, list);
    QFETCH(int, shown);
    QFETCH(int, entry);
    const Category &category = categories()[std::size_t(list)];
    Grid &grid = *form().tab(category).grid;
    if (shown != 0)
        form().tab(category).fillGrid(*p->window->catalogue().rows(category, SortColumn(shown)));
    const int row = rowOf(grid, QStringLiteral("%1").arg(entry, 3, 10, QLatin1Char('0')));
    const int row2 = rowOf(grid, QStringLiteral("002"));
    QVERIFY(shown == 0 ? row == entry : row > 0 && row != entry);
    fillAllFields(form());

    searchFor(category, QStringLiteral("énigme %1").arg(entry));
    QCOMPARE(form().grilleSearch->text(1, 1), QStringLiteral("Énigme %1").arg(entry));
    clickResult(1, 1);
    QCOMPARE(form().onglet->currentIndex(), category.tabIndex);
    QCOMPARE(paintedCells(grid), QStringList{QStringLiteral("%1:1y").arg(row)});
    QCOMPARE(grid.topRow(), row);
    QCOMPARE(grid.row(), row);
    QCOMPARE(form().lastSel->text(), QString::number(row));
    QCOMPARE(firstFilledField(form()), QString());
    QCOMPARE(form().statsGrids[0]->text(1, 1), QStringLiteral("100")); // the tab change ran first

    // The next jump moves the highlight. "Énigme 2", "Énigme 20" … in table
    // order: the first result is entry 2, clicked on its number.
    searchFor(category, QStringLiteral("Énigme 2"));
    QCOMPARE(form().lastSel->text(), QStringLiteral("0"));
    clickResult(1, 0);
    QStringList painted{QStringLiteral("%1:1w").arg(row), QStringLiteral("%1:1y").arg(row2)};
    if (row2 < row)
        painted.swapItemsAt(0, 1);
    QCOMPARE(paintedCells(grid), painted);
    QCOMPARE(form().lastSel->text(), QString::number(row2));
}

void TestJump::resultsKeepTheirList()
{
    searchFor(melvi(), QStringLiteral("Énigme 12"));
    // The Vasquo option chosen without a click (by the keyboard, say): the
    // results still belong to melvi.
    form().searchOptions[3]->setChecked(true);
    QCOMPARE(form().grilleSearch->text(1, 0), QStringLiteral("012"));
    clickResult(1, 1);
    QCOMPARE(form().onglet->currentIndex(), 1);
    QCOMPARE(paintedCells(*form().tab(melvi()).grid), QStringList{"12:1y"});
    QCOMPARE(paintedCells(*form().tab(titres()).grid), QStringList());
}

void TestJump::clicksThatDoNothing_data()
{
    QTest::addColumn<QString>("criterion");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("shownEntries"); // entries left in the zarpo grid before the click
    QTest::addColumn<bool>("cleared");     // an option clicked after the search

    QTest::newRow("Non trouvé, its number cell") << "Lyon" << 1 << 0 << 200 << false;
    QTest::newRow("Non trouvé, its name cell") << "Lyon" << 1 << 1 << 200 << false;
    QTest::newRow("empty last row") << "Énigme 150" << 2 << 1 << 200 << false;
    QTest::newRow("number the grid does not show") << "Énigme 150" << 1 << 1 << 100 << false;
    QTest::newRow("cleared results") << "Énigme 150" << 1 << 1 << 200 << true;
}

void TestJump::clicksThatDoNothing()
{
    QFETCH(QString, criterion);
    QFETCH(int, row);
    QFETCH(int, column);
    QFETCH(int, shownEntries);
    QFETCH(bool, cleared);

    CategoryTab &tab = form().tab(zarpo());
    std::vector<GridRow> rows = *p->window->catalogue().rows(zarpo());
    rows.resize(std::size_t(shownEntries));
    tab.fillGrid(rows);
    searchFor(zarpo(), criterion);
    if (cleared)
        QTest::mouseClick(form().searchOptions[0], Qt::LeftButton);
    form().cherche->setText(QStringLiteral("gardé"));
    const Rows results = dataRows(*form().grilleSearch);

    clickResult(row, column);
    QCOMPARE(form().onglet->currentIndex(), 3);
    QCOMPARE(form().lastSel->text(), QStringLiteral("0"));
    QCOMPARE(paintedCells(*tab.grid), QStringList());
    QCOMPARE(form().cherche->text(), QStringLiteral("gardé"));
    QCOMPARE(dataRows(*form().grilleSearch), results);
    QVERIFY(p->services.messages.isEmpty());
}

QTEST_MAIN(TestJump)
#include "tst_jump.moc"
