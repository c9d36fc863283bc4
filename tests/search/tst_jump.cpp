// The jump from a search result to its entry: the tab change first, the row
// found by its number, scrolled to the top and highlighted, last_sel, and the
// clicks that must do nothing.

#include "searchtest.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QColor yellow(255, 255, 0);
const QColor white(255, 255, 255);

// Every cell of a grid painted yellow, as "row:column".
QStringList yellowCells(const Grid &grid)
{
    QStringList cells;
    for (int row = 1; row < grid.rows(); ++row)
        for (int column = 0; column < grid.columns(); ++column)
            if (grid.cellBackground(row, column) == yellow)
                cells << QStringLiteral("%1:%2").arg(row).arg(column);
    return cells;
}

} // namespace

class TestJump : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void jumpsToTheEntry();
    void nextJumpMovesTheHighlight();
    void findsTheEntryAfterASortByName();
    void jumpsIntoAListNotShownYet();
    void resultsKeepTheirList();
    void clicksThatDoNothing_data();
    void clicksThatDoNothing();

private:
    MainForm &form() { return m_window->form(); }
    void searchFor(const Category &category, const QString &criterion);
    void clickResult(int row, int column = 1);
    std::unique_ptr<ProgramDir> m_dir;
    RecordingServices m_services;
    std::unique_ptr<MainWindow> m_window;
};

void TestJump::init()
{
    m_dir = std::make_unique<ProgramDir>();
    createEmptyCatalogue(m_dir->catalogue());
    insertAuthors(m_dir->catalogue(), {"Zoé", "Hélène"});
    insertEntries(m_dir->catalogue(), zarpo(), numberedEntries(200, {"Zoé", "Hélène"}));
    insertEntries(m_dir->catalogue(), melvi(), numberedEntries(120, {"Hélène"}));
    m_services.clear();
    m_window = startProgram(*m_dir, m_services);
    QVERIFY(m_window);
    QVERIFY(showActive(*m_window));
}

void TestJump::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestJump::searchFor(const Category &category, const QString &criterion)
{
    QTest::mouseClick(form().onglet->tabButton(3), Qt::LeftButton);
    QCOMPARE(form().onglet->currentIndex(), 3);
    QTest::mouseClick(form().searchOptions[std::size_t(category.id)], Qt::LeftButton);
    form().cherche->setText(criterion);
    QTest::mouseClick(form().btSearch, Qt::LeftButton);
    QVERIFY(m_services.messages.isEmpty());
}

void TestJump::clickResult(int row, int column)
{
    Grid &grid = *form().grilleSearch;
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, column));
    QVERIFY(cell.isValid());
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
}

void TestJump::jumpsToTheEntry()
{
    searchFor(zarpo(), QStringLiteral("énigme 150"));
    QCOMPARE(dataRows(*form().grilleSearch), (QList<QStringList>{{"150", "Énigme 150"}, {"", ""}}));
    fillAllFields(form());

    clickResult(1, 1);
    CategoryTab &tab = form().tab(zarpo());
    QCOMPARE(form().onglet->currentIndex(), 0);
    QCOMPARE(tab.grid->text(150, 0), QStringLiteral("150"));
    QCOMPARE(yellowCells(*tab.grid), QStringList{"150:1"});
    QCOMPARE(tab.grid->topRow(), 150);
    QCOMPARE(tab.grid->row(), 150);
    QCOMPARE(form().lastSel->text(), QStringLiteral("150"));
    QCOMPARE(firstFilledField(form()), QString());
    // The tab change ran: the statistics are there.
    QCOMPARE(form().statsGrids[0]->text(1, 1), QStringLiteral("100"));
}

void TestJump::nextJumpMovesTheHighlight()
{
    searchFor(zarpo(), QStringLiteral("Énigme 2"));
    // "Énigme 2", "Énigme 20" … in table order: the first result is entry 2.
    QCOMPARE(form().grilleSearch->text(1, 0), QStringLiteral("002"));
    clickResult(1, 0);
    QCOMPARE(yellowCells(*form().tab(zarpo()).grid), QStringList{"2:1"});
    QCOMPARE(form().lastSel->text(), QStringLiteral("2"));

    searchFor(zarpo(), QStringLiteral("Énigme 150"));
    QCOMPARE(form().lastSel->text(), QStringLiteral("0"));
    clickResult(1, 0);
    const Grid &grid = *form().tab(zarpo()).grid;
    QCOMPARE(yellowCells(grid), QStringList{"150:1"});
    QCOMPARE(grid.cellBackground(2, 1), white);
    QCOMPARE(form().lastSel->text(), QStringLiteral("150"));
}

void TestJump::findsTheEntryAfterASortByName()
{
    // The list shown by name, as a click on its "Nom" header leaves it.
    CategoryTab &tab = form().tab(zarpo());
    const Result<std::vector<GridRow>> byName = m_window->catalogue().rows(zarpo(), SortColumn::Name);
    QVERIFY(byName.ok());
    tab.fillGrid(*byName);
    int expectedRow = 0;
    for (int row = 1; row < tab.grid->rows(); ++row)
        if (tab.grid->text(row, 0) == QLatin1String("150"))
            expectedRow = row;
    QVERIFY(expectedRow > 0 && expectedRow != 150);

    searchFor(zarpo(), QStringLiteral("Énigme 150"));
    clickResult(1, 1);
    QCOMPARE(form().onglet->currentIndex(), 0);
    QCOMPARE(yellowCells(*tab.grid), QStringList{QStringLiteral("%1:1").arg(expectedRow)});
    QCOMPARE(tab.grid->topRow(), expectedRow);
    QCOMPARE(form().lastSel->text(), QString::number(expectedRow));

    // Back in number order, the next jump still finds its entry.
    tab.fillGrid(*m_window->catalogue().rows(zarpo(), SortColumn::Number));
    searchFor(zarpo(), QStringLiteral("Énigme 150"));
    clickResult(1, 1);
    QCOMPARE(yellowCells(*tab.grid), QStringList{"150:1"});
    QCOMPARE(tab.grid->topRow(), 150);
}

void TestJump::jumpsIntoAListNotShownYet()
{
    searchFor(melvi(), QStringLiteral("Énigme 77"));
    clickResult(1, 1);
    const Grid &grid = *form().tab(melvi()).grid;
    QCOMPARE(form().onglet->currentIndex(), 1);
    QCOMPARE(yellowCells(grid), QStringList{"77:1"});
    QCOMPARE(grid.topRow(), 77);
    QCOMPARE(form().lastSel->text(), QStringLiteral("77"));
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
    QCOMPARE(yellowCells(*form().tab(melvi()).grid), QStringList{"12:1"});
    QCOMPARE(yellowCells(*form().tab(titres()).grid), QStringList());
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
    std::vector<GridRow> rows = *m_window->catalogue().rows(zarpo());
    rows.resize(std::size_t(shownEntries));
    tab.fillGrid(rows);
    searchFor(zarpo(), criterion);
    if (cleared)
        QTest::mouseClick(form().searchOptions[0], Qt::LeftButton);
    form().cherche->setText(QStringLiteral("gardé"));
    const QList<QStringList> results = dataRows(*form().grilleSearch);

    clickResult(row, column);
    QCOMPARE(form().onglet->currentIndex(), 3);
    QCOMPARE(form().lastSel->text(), QStringLiteral("0"));
    QCOMPARE(yellowCells(*tab.grid), QStringList());
    QCOMPARE(form().cherche->text(), QStringLiteral("gardé"));
    QCOMPARE(dataRows(*form().grilleSearch), results);
    QVERIFY(m_services.messages.isEmpty());
}

QTEST_MAIN(TestJump)
#include "tst_jump.moc"
