// A day of keeping the lists: what the user left in a field is never
// changed behind their back.
#include "browse/browsetest.h"

#include <QApplication>
#include <QComboBox>
#include <QWheelEvent>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Wheel notches over the middle of a widget. (A wheel event sent by hand is
// not passed on to parents as the system's are, so it goes to the box itself,
// where the box's child under the pointer would hand it.)
void turnWheel(QWidget *over, int notches)
{
    const QPoint centre = over->rect().center();
    for (int i = 0; i < std::abs(notches); ++i) {
        QWheelEvent wheel(centre, over->mapToGlobal(centre), QPoint(), QPoint(0, notches < 0 ? -120 : 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(over, &wheel);
    }
}

} // namespace

class TestKeeper : public QObject {
    Q_OBJECT

private slots:
    void wheelLeavesAnUnfocusedChoice_data()
    {
        QTest::addColumn<int>("notches");
        QTest::newRow("down") << -2;
        QTest::newRow("up") << 2;
    }

    void wheelLeavesAnUnfocusedChoice()
    {
        QFETCH(int, notches);
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), melvi(),
                      {entry("001", "Lyon", "Hélène"), entry("002", "Nice", "Zoé"), entry("003", "Pau", "Yann")});
        insertAuthors(dir.catalogue(), {"Hélène", "Zoé", "Yann"});
        RecordingServices services;
        const std::unique_ptr<MainWindow> window = startProgram(dir, services);
        QVERIFY(window);
        window->form().onglet->setCurrentIndex(melvi().tabIndex);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        CategoryTab &tab = window->form().tab(melvi());
        clickCell(*tab.grid, 2, 1);
        QCOMPARE(tab.authorText(), QStringLiteral("Zoé"));
        QVERIFY(!tab.author->hasFocus());
        turnWheel(tab.author, notches);
        QCOMPARE(tab.authorText(), QStringLiteral("Zoé"));
        QCOMPARE(tab.author->lineEdit()->text(), QStringLiteral("Zoé"));
    }
};

QTEST_MAIN(TestKeeper)
#include "tst_keeper.moc"
