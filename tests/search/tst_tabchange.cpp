// What every change of tab does besides the statistics: the edit fields of
// the four lists emptied, the highlight of a jump from the search removed,
// last_sel reset.

#include "searchtest.h"

#include <QToolButton>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// zarpo 15 entries, melvi 12, trunda 5, titres none.
void writeCatalogue(const QString &path)
{
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
    void cleanup() { p.reset(); }
    void emptiesEveryEditField_data();
    void emptiesEveryEditField();
    void removesTheHighlight_data();
    void removesTheHighlight();

private:
    MainForm &form() { return p->form(); }
    std::unique_ptr<Program> p;
};

void TestTabChange::init()
{
    p = std::make_unique<Program>(writeCatalogue);
    QVERIFY(p->window);
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
    form().onglet->setCurrentIndex(from);
    fillAllFields(form());
    QCOMPARE(firstFilledField(form()), QStringLiteral("no_zarpo"));

    if (byClick)
        QTest::mouseClick(form().onglet->tabButton(to), Qt::LeftButton);
    else
        form().onglet->setCurrentIndex(to);
    QCOMPARE(form().onglet->currentIndex(), to);
    QCOMPARE(firstFilledField(form()), QString());
    QVERIFY(p->services.messages.isEmpty());
}

void TestTabChange::removesTheHighlight_data()
{
    QTest::addColumn<QString>("lastSel");
    QTest::addColumn<Rows>("painted"); // zarpo, melvi, trunda, titres afterwards

    // Row 12 is white again where a grid has it; only that cell is painted.
    QTest::newRow("row 12") << "12" << Rows{{"1:1y", "12:1w"}, {"1:1y", "12:1w"}, {"1:1y", "5:1y"}, {}};
    // "0" names no row, not even the header; nor does text that is no number.
    const Rows untouched = {{"1:1y", "12:1y"}, {"1:1y", "12:1y"}, {"1:1y", "5:1y"}, {}};
    QTest::newRow("none") << "0" << untouched;
    QTest::newRow("not a row number") << "abc" << untouched;
}

void TestTabChange::removesTheHighlight()
{
    QFETCH(QString, lastSel);
    QFETCH(Rows, painted);
    form().onglet->setCurrentIndex(3);
    // As jumps would have left them.
    for (CategoryTab *tab : form().tabs)
        if (tab->grid->rows() > 1)
            tab->grid->setCellBackground(1, 1, Qt::yellow);
    form().tab(zarpo()).grid->setCellBackground(12, 1, Qt::yellow);
    form().tab(melvi()).grid->setCellBackground(12, 1, Qt::yellow);
    form().tab(trunda()).grid->setCellBackground(5, 1, Qt::yellow);
    std::array<int, 4> currentRows;
    for (std::size_t i = 0; i < 4; ++i)
        currentRows[i] = form().tabs[i]->grid->row();
    form().lastSel->setText(lastSel);

    form().onglet->setCurrentIndex(1);
    QCOMPARE(form().lastSel->text(), QStringLiteral("0"));
    for (std::size_t i = 0; i < 4; ++i) {
        QCOMPARE(paintedCells(*form().tabs[i]->grid), painted[qsizetype(i)]);
        QCOMPARE(form().tabs[i]->grid->row(), currentRows[i]);
    }
}

QTEST_MAIN(TestTabChange)
#include "tst_tabchange.moc"
