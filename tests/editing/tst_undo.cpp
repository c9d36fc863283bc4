// "Annuler" and Ctrl+Z in the real window: each undoes the list's last
// change after a question naming it, step by step, exactly (a link that had
// no value gets none back), also after the program was closed and started
// again; with nothing left, the button is disabled.

#include "support/programfixture.h"

using namespace tabrix;
using namespace tabrix::test;

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void updatesStepByStep()
    {
        ProgramFixture p;
        execute(p.dir.catalogue(), "UPDATE titres SET url = NULL, lien = NULL WHERE ref = '005'");
        const auto original = p.tables();
        QVERIFY(p.start());
        CategoryTab &tab = p.tab(titres());
        QVERIFY(!tab.undoButton->isEnabled());
        const auto rows = [&] { return tableRows(p.dir.catalogue(), "titres"); };

        std::vector<std::vector<QStringList>> states{rows()};
        for (const QString &name : {"Corrigé", "Recorrigé"}) {
            clickCell(*tab.grid, 5, 0); // loads the entry: no question
            p.type(titres(), {"005", name, "Zoé", "https://images.norvane.fr/n.jpg", ""});
            p.press(titres(), true);
            states.push_back(rows());
        }
        QVERIFY2(p.services.messages.isEmpty() && p.services.questions.isEmpty(), qPrintable(p.services.lastText()));
        QCOMPARE(states[2][4][1], QStringLiteral("Recorrigé"));

        // "Non" changes nothing; Ctrl+Z then the button go back one step each.
        p.services.answers = {false, true, true};
        QVERIFY(p.activate());
        QTest::mouseClick(tab.name, Qt::LeftButton); // in a box emptied by the save
        for (int step = 0; step < 3; ++step) {
            if (step < 2)
                QTest::keyClick(tab.name, Qt::Key_Z, Qt::ControlModifier);
            else
                click(tab.undoButton);
            QTRY_COMPARE(p.services.questions.size(), step + 1); // a shortcut clicks its button a moment later
            QVERIFY(rows() == states[std::size_t(step == 0 ? 2 : 2 - step)]);
        }
        QCOMPARE(p.services.questions[0],
                 "Annuler la MAJ du n° 005 dans la liste Vasquo ?\n\nL'entrée redeviendra « Corrigé » (auteur : Zoé) "
                 "au lieu de « Recorrigé » (auteur : Zoé).");
        QCOMPARE(p.grid(titres())[5], (QStringList{"005", "Énigme 5", "Zoé"}));
        QVERIFY(p.services.messages.isEmpty());
        QVERIFY(!tab.undoButton->isEnabled());
        p.window.reset();
        QVERIFY(p.tables() == original); // the NULL links too
    }

    void addAfterRestart()
    {
        ProgramFixture p;
        const auto original = p.tables();
        QVERIFY(p.start());
        p.type(zarpo(), {"013", "Nouveau", "Ysolde", "", ""});
        p.press(zarpo(), false);
        QCOMPARE(int(p.grid(zarpo()).size()), fixtureEntries + 2);
        p.window.reset();

        QVERIFY(p.start());
        CategoryTab &tab = p.tab(zarpo());
        QVERIFY(tab.undoButton->isEnabled());
        click(tab.undoButton);
        QCOMPARE(p.services.questions,
                 QStringList{"Annuler l'ajout du n° 013 « Nouveau » (auteur : Ysolde) dans la liste Zarpo ?\n\n"
                             "L'entrée sera supprimée, ainsi que l'auteur « Ysolde » que cet ajout avait enregistré."});
        QCOMPARE(int(p.grid(zarpo()).size()), fixtureEntries + 1);
        QVERIFY(!tab.undoButton->isEnabled());
        QVERIFY2(p.services.messages.isEmpty(), qPrintable(p.services.lastText()));
        p.window.reset();
        QVERIFY(p.tables() == original); // the authors and the schema too
    }
};

QTEST_MAIN(TestUndo)
#include "tst_undo.moc"
