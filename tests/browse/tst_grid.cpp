// The grids of the four lists under the mouse and the keyboard: header
// clicks re-sort, "<<" and ">>" show the top and the end, a click or a key
// loads the current row, painted in the loaded row's colour.

#include "support/programfixture.h"

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Stored out of number order, with accents and letter case that a plain
// code-point sort would put in the wrong places.
std::vector<Entry> mixedEntries()
{
    return {entry("004", "Echo", "Zoé"), entry("001", "Fable", "zoe"),  entry("006", "Abricot", "Bruno"),
            entry("003", "Zoé", "anna"), entry("005", "zoe", "emile"), entry("002", "école", "Éric")};
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT
private slots:
    void headerSortsByColumn_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("column");
        for (const Category &category : categories())
            for (const int column : {0, 1, 2})
                QTest::addRow("%s %d", qPrintable(category.table), column) << category.id << column;
    }

    void headerSortsByColumn()
    {
        QFETCH(int, list);
        QFETCH(int, column);
        // The first texts of each column in this order, then the last ones,
        // equal to a French reader, in either order (here in code-point order).
        const QStringList heads[] = {{"001", "002", "003", "004", "005", "006"}, {"Abricot", "Echo", "école", "Fable"},
                                     {"anna", "Bruno", "emile", "Éric"}};
        const Category &category = categories()[std::size_t(list)];
        ProgramFixture running(category, mixedEntries());
        QVERIFY(running.ok);
        Grid &grid = *running.tab(category).grid;
        // An entry loaded, then one field changed by hand: a sort keeps both.
        clickCell(grid, 3, 1);
        typeText(running.tab(category).name, QStringLiteral(" tapé"));

        clickCell(grid, 0, (column + 1) % 3); // another order first
        clickCell(grid, 0, column);
        QStringList texts = columnTexts(grid, column);
        std::sort(texts.begin() + heads[column].size(), texts.end());
        QCOMPARE(texts, heads[column] + (column ? QStringList{"Zoé", "zoe"} : QStringList()));
        texts = columnTexts(grid, column);
        clickCell(grid, 0, column); // always ascending: the same header again changes nothing
        QCOMPARE(columnTexts(grid, column), texts);
        for (const Entry &e : mixedEntries()) // rows move whole
            QCOMPARE(dataRows(grid)[columnTexts(grid, 0).indexOf(e.ref)], (QStringList{e.ref, e.name, e.author}));
        QCOMPARE(running.fields(category), (QStringList{"003", " tapéZoé", "anna", notAvailable(), notAvailable()}));
        QVERIFY(running.services.messages.isEmpty());
    }

    void sortShowsEndAndKeepsCurrentEntry()
    {
        // More entries than the grid shows at once, among them "Vieux-Port 7"
        // and "vieux-port 63", stored 63 first.
        std::vector<Entry> entries = numberedEntries(60, {"Zoé", "anna", "Bruno"});
        entries[6].name = QStringLiteral("vieux-port 63");
        entries[7].name = QStringLiteral("Vieux-Port 7");
        ProgramFixture running(zarpo(), entries);
        QVERIFY(running.ok);
        Grid &grid = *running.tab(zarpo()).grid;
        clickCell(grid, 3, 0);

        // Numbers in names go by their value.
        clickCell(grid, 0, 1);
        const QStringList names = columnTexts(grid, 1);
        QCOMPARE(names.mid(0, 3) + names.mid(57), (QStringList{"Énigme 1", "Énigme 2", "Énigme 3", "Énigme 60",
                                                               "Vieux-Port 7", "vieux-port 63"}));
        clickCell(grid, 0, 2);
        QVERIFY(rowInView(grid, grid.rows() - 1) && !rowInView(grid, 1));
        // The current row, where a correction is written, still shows entry 003.
        QVERIFY(grid.row() != 3);
        QCOMPARE(grid.text(grid.row(), 0), QStringLiteral("003"));
    }

    void scrollButtons_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("entries");
        for (const int entries : {80, 0})
            for (const Category &category : categories())
                QTest::addRow("%s %d", qPrintable(category.table), entries) << category.id << entries;
    }

    // An entry near the end loaded by a click, then a hand-made change (on
    // an empty list, a number typed): the buttons only scroll.
    void scrollButtons()
    {
        QFETCH(int, list);
        QFETCH(int, entries);
        const Category &category = categories()[std::size_t(list)];
        ProgramFixture running(category, numberedEntries(entries, {"Zoé", "anna"}));
        QVERIFY(running.ok);
        CategoryTab &tab = running.tab(category);
        Grid &grid = *tab.grid;
        const auto seen = [&] {
            return QList<int>{grid.rows(), grid.topRow(), grid.row(), rowInView(grid, 80), rowInView(grid, 1)};
        };
        click(tab.bottomButton);
        QCOMPARE(rowInView(grid, 78), entries > 0);
        if (entries)
            clickCell(grid, 78, 1);
        typeText(entries ? static_cast<QWidget *>(tab.author) : tab.number, entries ? "-Élodie" : "001");
        const QStringList before = running.fields(category);
        click(tab.topButton);
        QCOMPARE(seen(), (entries ? QList<int>{81, 1, 78, 0, 1} : QList<int>{1, 0, 0, 0, 0}));
        click(tab.bottomButton);
        QCOMPARE(seen().mid(entries ? 2 : 0), (entries ? QList<int>{78, 1, 0} : QList<int>{1, 0, 0, 0, 0}));
        QCOMPARE(paintedCells(grid), (entries ? QStringList{"78:0b", "78:1b", "78:2b"} : QStringList()));
        QCOMPARE(running.fields(category), before);
        QVERIFY(running.services.messages.isEmpty());
    }

    void clickOrKeyLoadsTheRow_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on the row
        QTest::newRow("click") << 0;
        QTest::newRow("Return") << int(Qt::Key_Return);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter);
        QTest::newRow("Space") << int(Qt::Key_Space);
    }

    void clickOrKeyLoadsTheRow()
    {
        QFETCH(int, key);
        ProgramFixture running(zarpo(), numberedEntries(5, {"Zoé", "anna"}), true);
        QVERIFY(running.ok);
        const QStringList fourth{"004", "Énigme 4", "anna", "https://images.norvane.fr/004.jpg", "https://www.norvane.fr/t004"};
        for (const Category &category : categories()) {
            click(running.form().onglet->tabButton(category.tabIndex));
            CategoryTab &tab = running.tab(category);
            Grid &grid = *tab.grid;
            // Row 2 loaded by a click; the arrows then only move to row 4.
            clickCell(grid, 2, 2);
            for (const Qt::Key arrow : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Left, Qt::Key_Right})
                QTest::keyClick(&grid, arrow);
            QCOMPARE(paintedCells(grid) << running.fields(category)[0], (QStringList{"2:0b", "2:1b", "2:2b", "002"}));
            // Loaded, then loaded again after a change; only the loaded row
            // shows it, not the header.
            for (const char *typed : {"", " tapé"}) {
                typeText(tab.name, typed);
                key ? QTest::keyClick(&grid, Qt::Key(key)) : clickCell(grid, 4, 2);
                QCOMPARE(running.fields(category), fourth);
                QCOMPARE(paintedCells(grid), (QStringList{"4:0b", "4:1b", "4:2b"}));
            }
            QVERIFY(colourName(paintedColour(grid, 0, 1)) != QLatin1String("b"));
        }
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
