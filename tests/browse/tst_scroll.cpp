// The "<<" and ">>" buttons of the four category tabs.

#include "browsetest.h"

#include <QItemSelectionModel>
#include <QPushButton>

using namespace tabrix;
using namespace tabrix::test;

class ScrollTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsShowTopAndEnd_data();
    void buttonsShowTopAndEnd();
    void buttonsOnEmptyGrid_data();
    void buttonsOnEmptyGrid();
};

namespace {

// The buttons by the names the tabs give them: on "Melvi" the upper one is
// called "bas" and the lower one "haut".
void buttonRows()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("upper");
    QTest::addColumn<QString>("lower");
    QTest::newRow("zarpo") << "zarpo" << "bt_zarpo_haut" << "bt_zarpo_bas";
    QTest::newRow("melvi") << "melvi" << "bt_melvi_bas" << "bt_melvi_haut";
    QTest::newRow("trunda") << "trunda" << "bt_trunda_haut" << "bt_trunda_bas";
    QTest::newRow("titres") << "titres" << "bt_vasquo_haut" << "bt_vasquo_bas";
}

QPushButton *button(Running &running, const QString &name)
{
    return running.window->findChild<QPushButton *>(name);
}

} // namespace

void ScrollTest::buttonsShowTopAndEnd_data()
{
    buttonRows();
}

void ScrollTest::buttonsShowTopAndEnd()
{
    QFETCH(QString, table);
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    const Category &category = *categoryByTable(table);

    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    insertEntries(running.dir.catalogue(), category, numberedEntries(80, {"Zoé", "anna"}));
    QVERIFY(startOnTab(running, category));
    CategoryTab &tab = running.tab(category);
    Grid &grid = *tab.grid;
    QPushButton *up = button(running, upper);
    QPushButton *down = button(running, lower);
    QVERIFY(up && down);
    QCOMPARE(up->text().remove('&'), QStringLiteral("<<"));
    QCOMPARE(down->text().remove('&'), QStringLiteral(">>"));

    QTest::mouseClick(down, Qt::LeftButton);
    QVERIFY(rowInView(grid, 80));
    QVERIFY(!rowInView(grid, 1));

    // An entry near the end, loaded by a click, then a hand-made change.
    QVERIFY(rowInView(grid, 78));
    clickCell(grid, 78, 1);
    tab.setAuthorText(QStringLiteral("Élodie"));
    const QStringList before = fields(tab);
    const QModelIndex current = grid.currentIndex();
    const QModelIndexList selected = grid.selectionModel()->selectedIndexes();
    QCOMPARE(grid.row(), 78);

    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(grid.topRow(), 1);
    QVERIFY(rowInView(grid, 1));
    QVERIFY(!rowInView(grid, 80));

    QTest::mouseClick(down, Qt::LeftButton);
    QVERIFY(rowInView(grid, 80));
    QVERIFY(!rowInView(grid, 1));

    QTest::mouseClick(up, Qt::LeftButton);
    QCOMPARE(grid.topRow(), 1);

    QCOMPARE(grid.row(), 78);
    QCOMPARE(grid.currentIndex(), current);
    QCOMPARE(grid.selectionModel()->selectedIndexes(), selected);
    QCOMPARE(fields(tab), before);
    QVERIFY(running.services.messages.isEmpty());
}

void ScrollTest::buttonsOnEmptyGrid_data()
{
    buttonRows();
}

void ScrollTest::buttonsOnEmptyGrid()
{
    QFETCH(QString, table);
    QFETCH(QString, upper);
    QFETCH(QString, lower);
    const Category &category = *categoryByTable(table);

    Running running;
    createEmptyCatalogue(running.dir.catalogue());
    QVERIFY(startOnTab(running, category));
    CategoryTab &tab = running.tab(category);
    tab.number->setText(QStringLiteral("001"));

    QTest::mouseClick(button(running, lower), Qt::LeftButton);
    QTest::mouseClick(button(running, upper), Qt::LeftButton);
    QTest::mouseClick(button(running, lower), Qt::LeftButton);

    QCOMPARE(tab.grid->rows(), 1);
    QCOMPARE(tab.grid->topRow(), 0);
    QCOMPARE(tab.grid->row(), 0);
    QCOMPARE(tab.grid->text(0, 2), QStringLiteral(" Auteur"));
    QCOMPARE(fields(tab), (QStringList{"001", "", "", "", ""}));
    QVERIFY(running.services.messages.isEmpty());
}

QTEST_MAIN(ScrollTest)
#include "tst_scroll.moc"
