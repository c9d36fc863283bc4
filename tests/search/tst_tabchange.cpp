// What every change of tab does besides the statistics: the edit fields of
// the four lists emptied, the highlight of a jump from the search removed,
// last_sel reset.

#include "searchtest.h"

#include <QToolButton>

using namespace tabrix;
using namespace tabrix::test;

namespace {

const QColor yellow(255, 255, 0);
const QColor white(255, 255, 255);

// zarpo 15 entries, melvi 12, trunda 5, titres none.
void writeCatalogue(const QString &path)
{
    createEmptyCatalogue(path);
    insertAuthors(path, {"Zoé", "Hélène"});
    insertEntries(path, zarpo(), numberedEntries(15, {"Zoé", "Hélène"}));
    insertEntries(path, melvi(), numberedEntries(12, {"Hélène"}));
    insertEntries(path, trunda(), numberedEntries(5, {"Zoé"}));
}

} // namespace

class TestTabChange : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void emptiesEveryEditField_data();
    void emptiesEveryEditField();
    void removesTheHighlightInEveryLongEnoughGrid();
    void zeroNamesNoRow();

private:
    std::unique_ptr<ProgramDir> m_dir;
    RecordingServices m_services;
    std::unique_ptr<MainWindow> m_window;
};

void TestTabChange::init()
{
    m_dir = std::make_unique<ProgramDir>();
    writeCatalogue(m_dir->catalogue());
    m_services.clear();
    m_window = startProgram(*m_dir, m_services);
    QVERIFY(m_window);
}

void TestTabChange::cleanup()
{
    m_window.reset();
    m_dir.reset();
}

void TestTabChange::emptiesEveryEditField_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<bool>("byClick");
    QTest::newRow("Zarpo to Melvi, by the program") << 0 << 1 << false;
    QTest::newRow("Zarpo to Melvi, by a click") << 0 << 1 << true;
    QTest::newRow("Vasquo to Recherche, by a click") << 5 << 3 << true;
    QTest::newRow("Trunda to Stats, by the program") << 2 << 4 << false;
}

void TestTabChange::emptiesEveryEditField()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(bool, byClick);
    MainForm &form = m_window->form();
    form.onglet->setCurrentIndex(from);
    fillAllFields(form);
    QCOMPARE(firstFilledField(form), QStringLiteral("no_zarpo"));

    if (byClick)
        QTest::mouseClick(form.onglet->tabButton(to), Qt::LeftButton);
    else
        form.onglet->setCurrentIndex(to);
    QCOMPARE(form.onglet->currentIndex(), to);
    QCOMPARE(firstFilledField(form), QString());
    QVERIFY(m_services.messages.isEmpty());
}

void TestTabChange::removesTheHighlightInEveryLongEnoughGrid()
{
    MainForm &form = m_window->form();
    form.onglet->setCurrentIndex(3);
    // As a jump to row 12 of melvi would have left it, with a yellow cell in
    // zarpo from earlier too.
    form.tab(melvi()).grid->setCellBackground(12, 1, yellow);
    form.tab(zarpo()).grid->setCellBackground(12, 1, yellow);
    form.tab(trunda()).grid->setCellBackground(5, 1, yellow);
    form.lastSel->setText(QStringLiteral("12"));

    form.onglet->setCurrentIndex(1);
    QCOMPARE(form.lastSel->text(), QStringLiteral("0"));
    QCOMPARE(form.tab(melvi()).grid->cellBackground(12, 1), white);
    QCOMPARE(form.tab(zarpo()).grid->cellBackground(12, 1), white);
    // Too short to have a row 12: untouched.
    QCOMPARE(form.tab(trunda()).grid->cellBackground(5, 1), yellow);
    QCOMPARE(form.tab(titres()).grid->rows(), 1);
    // Only the highlighted column is painted.
    QCOMPARE(form.tab(melvi()).grid->cellBackground(12, 0), QColor());
    QCOMPARE(form.tab(zarpo()).grid->cellBackground(12, 2), QColor());

    // The next change has nothing left to remove.
    form.tab(melvi()).grid->setCellBackground(12, 1, yellow);
    form.onglet->setCurrentIndex(0);
    QCOMPARE(form.tab(melvi()).grid->cellBackground(12, 1), yellow);
}

void TestTabChange::zeroNamesNoRow()
{
    MainForm &form = m_window->form();
    for (CategoryTab *tab : form.tabs)
        if (tab->grid->rows() > 1)
            tab->grid->setCellBackground(1, 1, yellow);
    const std::array<int, 4> currentRows = {form.tabs[0]->grid->row(), form.tabs[1]->grid->row(),
                                            form.tabs[2]->grid->row(), form.tabs[3]->grid->row()};
    QCOMPARE(form.lastSel->text(), QStringLiteral("0"));

    form.onglet->setCurrentIndex(4);
    QCOMPARE(form.lastSel->text(), QStringLiteral("0"));
    for (std::size_t i = 0; i < form.tabs.size(); ++i) {
        const Grid &grid = *form.tabs[i]->grid;
        // Nothing painted, not even on the header, and no current row moved.
        QCOMPARE(grid.row(), currentRows[i]);
        for (int row = 1; row < grid.rows(); ++row)
            for (int column = 0; column < grid.columns(); ++column)
                QCOMPARE(grid.cellBackground(row, column), row == 1 && column == 1 ? yellow : QColor());
    }

    // A last_sel that is not a row number names no row either.
    form.lastSel->setText(QStringLiteral("abc"));
    form.onglet->setCurrentIndex(0);
    QCOMPARE(form.lastSel->text(), QStringLiteral("0"));
    QCOMPARE(form.tabs[0]->grid->cellBackground(1, 1), yellow);
}

QTEST_MAIN(TestTabChange)
#include "tst_tabchange.moc"
