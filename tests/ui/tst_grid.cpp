#include "ui/grid.h"
#include "ui/tabcontrol.h"

#include <QHeaderView>
#include <QLabel>
#include <QToolButton>
#include <QSignalSpy>
#include <QTest>

using namespace tabrix;

namespace {

std::vector<QStringList> numbered(int n)
{
    std::vector<QStringList> rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back({QString::number(i), QStringLiteral("nom %1").arg(i)});
    return rows;
}

QStringList column(const Grid &grid, int c)
{
    QStringList texts;
    for (int r = 1; r < grid.rows(); ++r)
        texts << grid.text(r, c);
    return texts;
}

} // namespace

class TestGrid : public QObject {
    Q_OBJECT

private slots:
    void rowsCountTheHeader()
    {
        Grid grid("g", 2, Grid::Look::Category);
        QCOMPARE(grid.rows(), 1);
        grid.setRowTexts(numbered(5));
        QCOMPARE(grid.rows(), 6);
        grid.setRows(2);
        QCOMPARE(grid.rows(), 2);
        QCOMPARE(grid.text(1, 1), QStringLiteral("nom 1"));
        grid.setRows(4);
        QCOMPARE(grid.text(3, 1), QString());
        grid.appendRow({"9", "neuf"});
        QCOMPARE(grid.rows(), 5);
        QCOMPARE(grid.text(4, 1), QStringLiteral("neuf"));
    }

    void headerIsRowZero()
    {
        Grid grid("g", 2, Grid::Look::Search);
        grid.setText(0, 1, " Nom");
        QCOMPARE(grid.text(0, 1), QStringLiteral(" Nom"));
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral(" Nom"));
        grid.setCellBackground(0, 1, Qt::yellow); // the header is never painted
        QCOMPARE(grid.cellBackground(0, 1), QColor());
    }

    void outOfRangeCellsDoNoHarm()
    {
        Grid grid("g", 3, Grid::Look::Category);
        grid.setText(7, 1, "x");
        grid.setCellBackground(7, 1, Qt::yellow);
        grid.setCurrentCell(7, 1);
        grid.setTopRow(1);
        grid.setTopRow(0);
        QCOMPARE(grid.text(7, 1), QString());
        QCOMPARE(grid.row(), 0);
    }

    void topRowScrollsAsFarAsItCan()
    {
        Grid grid("g", 2, Grid::Look::Category);
        grid.resize(200, 150);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.setRowTexts(numbered(100));
        grid.setTopRow(40);
        QCOMPARE(grid.topRow(), 40);
        grid.setTopRow(500);
        QVERIFY(grid.topRow() > 40);
        QVERIFY(grid.rowViewportPosition(99) + grid.rowHeight(99) <= grid.viewport()->height());
        grid.setTopRow(1);
        QCOMPARE(grid.topRow(), 1);
    }

    void numericSortKeepsTheEmptyRowLast()
    {
        Grid grid("g", 2, Grid::Look::Stats);
        grid.setRowTexts({{"Léa", "9"}, {"Zoé", "10"}, {"Marc", "2"}, {"Anne", "10"}, {"", ""}});
        grid.setCellBackground(3, 0, Qt::blue);
        grid.sortNumericDescending(1);
        QCOMPARE(column(grid, 0), QStringList({"Zoé", "Anne", "Léa", "Marc", ""}));
        QCOMPARE(grid.cellBackground(4, 0), QColor(Qt::blue)); // the colour moves with its row
    }

    void clicksReportCellAndHeader()
    {
        Grid grid("g", 2, Grid::Look::Category);
        grid.resize(300, 200);
        grid.setColumnWidthTwips(0, 1500);
        grid.setColumnWidthTwips(1, 1500);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        grid.setRowTexts(numbered(3));
        QSignalSpy cells(&grid, &Grid::cellClicked);
        QSignalSpy headers(&grid, &Grid::headerClicked);
        const QRect second = grid.visualRect(grid.model()->index(1, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, second.center());
        QCOMPARE(cells.size(), 1);
        QCOMPARE(cells.first(), QVariantList({2, 1}));
        QCOMPARE(grid.row(), 2);
        QTest::mouseClick(grid.horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(130, 5));
        QCOMPARE(headers.size(), 1);
        QCOMPARE(headers.first(), QVariantList({1}));
    }

    void tabControlReportsEveryChangeOnce()
    {
        TabControl tabs("onglet", 3);
        for (int i = 0; i < 6; ++i)
            tabs.addTab(new QLabel(QString::number(i)), QStringLiteral("T%1").arg(i));
        QSignalSpy changes(&tabs, &TabControl::currentChanged);
        tabs.setProperty("currentIndex", 4);
        tabs.setCurrentIndex(4);
        tabs.setCurrentIndex(9);
        tabs.tabButton(5)->click();
        QCOMPARE(changes.size(), 2);
        QCOMPARE(changes.at(0), QVariantList({4}));
        QCOMPARE(tabs.currentIndex(), 5);
        QVERIFY(tabs.tabButton(5)->isChecked() && !tabs.tabButton(4)->isChecked());
    }
};

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
