// Another process holds the whole catalogue: "Ajouter" and "MAJ" wait a
// while for it to let go, then give up with a French message, leaving the
// file, the grid and the typed fields as they were; started meanwhile, the
// program says the catalogue is locked.

#include "childprocess.h"
#include "support/programfixture.h"
#include "tools/admincommand.h"

using namespace tabrix;
using namespace tabrix::test;

class TestLock : public QObject {
    Q_OBJECT
private slots:
    void pressWhileHeld_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<int>("holdMs"); // held on: until killed
        QTest::newRow("add, held a second: waits") << false << 1000;
        QTest::newRow("add, held on: refused") << false << 600000;
        QTest::newRow("update, held on: refused") << true << 600000;
    }

    void pressWhileHeld()
    {
        QFETCH(bool, update);
        QFETCH(int, holdMs);
        ProgramFixture p;
        QVERIFY2(p.start(), qPrintable(p.services.lastText()));
        // An add on the list that also records a new author; an update elsewhere.
        const Category &category = update ? titres() : zarpo();
        const QStringList typed{update ? "005" : "013", "Nouveau", "Ysolde", "", ""};
        p.type(category, typed);
        const auto tablesBefore = p.tables();
        const auto gridBefore = p.grid(category);

        ChildProcess other({QStringLiteral("hold"), p.dir.catalogue(), QString::number(holdMs)});
        QVERIFY2(other.waitForLine(QStringLiteral("held")), qPrintable(other.lines().join(u'\n')));
        p.press(category, update);
        if (holdMs > 1000) {
            verifySaid(p.onlyMessage(), {update ? "L'entrée n° 005 n'a pas été modifiée" : "L'entrée n° 013 n'a pas été enregistrée",
                                         "verrouillé par un autre programme (réessayez"});
            QCOMPARE(p.fields(category), typed);
            QVERIFY(p.grid(category) == gridBefore);
            // Started meanwhile, a program says the catalogue is locked: not
            // taken for something that is not a catalogue.
            RecordingServices second;
            QVERIFY(!startProgram(p.dir, second));
            QCOMPARE(second.messages.size(), 1);
            verifySaid(second.lastText(), {"ne peut pas être lu : le catalogue est verrouillé par un autre programme"});
            other.stop(); // its lock goes with it
            QVERIFY(p.tables() == tablesBefore);
            // Once the other program is done, the same press goes through.
            p.services.clear();
            p.press(category, update);
        }
        QVERIFY(holdMs > 1000 || other.endsCleanly()); // held to the end of its second
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
        QCOMPARE(p.grid(category).size(), gridBefore.size() + !update);
        QCOMPARE(p.grid(category)[update ? 5 : fixtureEntries + 1], typed.mid(0, 3));
        QCOMPARE(tableRows(p.dir.catalogue(), category.table)[update ? 4 : fixtureEntries].mid(0, 3), typed.mid(0, 3));
        p.window.reset();
        QVERIFY2(p.start(), qPrintable(p.services.lastText())); // nothing left behind by the refusals
    }
};

QTEST_MAIN(TestLock)
#include "tst_lock.moc"
