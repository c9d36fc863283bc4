// The main window as it opens: its tabs, the first states of its controls,
// the keyboard's way through them, and its size and place.
#include "support/programfixture.h"
#include "ui/windowplace.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>

using namespace tabrix;
using namespace tabrix::test;

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_f;
    MainForm &form() const { return m_f->window->form(); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true); // settings of its own
        m_f = std::make_unique<ProgramFixture>();
        QVERIFY(m_f->start());
    }

    // Two rows of three tabs; a change is told once, a click on the current
    // tab changes nothing. Pictures open in a window of their own; the search
    // looks in no list yet and ignores accents.
    void opensAsLeft()
    {
        QCOMPARE(form().onglet->tabButton(2)->y(), form().onglet->tabButton(0)->y());
        QVERIFY(form().onglet->tabButton(3)->y() > form().onglet->tabButton(0)->y());
        QSignalSpy changes(form().onglet, &TabControl::currentChanged);
        for (const int tab : {5, 5, 0})
            click(form().onglet->tabButton(tab));
        QCOMPARE(static_cast<const QList<QVariantList> &>(changes), (QList<QVariantList>{{5}, {0}}));
        for (const CategoryTab *tab : form().tabs)
            QVERIFY(!tab->showCheck->isChecked() && tab->windowOption->isChecked() && !tab->webOption->isChecked()
                    && !tab->forumOption->isChecked() && tab->author->isEditable());
        const QList<QRadioButton *> s = m_f->find<QWidget>("page_recherche")->findChildren<QRadioButton *>();
        QVERIFY(s.size() == 5 && std::none_of(s.begin(), s.end(), [](const QRadioButton *o) { return o->isChecked(); })
                && m_f->find<QCheckBox>("chk_sans_accents")->isChecked());
    }

    // On every tab, each button has an accelerator of its own among its
    // tab's and the tabs'; pressed, it presses its button.
    void acceleratorsAreDistinctAndPressTheirButton()
    {
        for (int tab = 0; tab < form().onglet->count(); ++tab) {
            QList<QAbstractButton *> buttons;
            for (int i = 0; i < form().onglet->count(); ++i)
                buttons << form().onglet->tabButton(i);
            for (QAbstractButton *b : form().onglet->widget(tab)->findChildren<QAbstractButton *>())
                if (!b->objectName().isEmpty()) // not a grid's corner
                    buttons << b;
            QStringList keys;
            for (const QAbstractButton *b : std::as_const(buttons)) {
                const QString key = QKeySequence::mnemonic(b->text()).toString();
                QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(b->text()));
                keys << key;
            }
        }
        click(form().onglet->tabButton(3));
        QVERIFY(m_f->activate());
        QTest::keyClick(m_f->window.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(m_f->find<QRadioButton>(trunda().searchOption)->isChecked());
        QTest::keyClick(m_f->window.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(form().onglet->currentIndex(), 4);
        click(form().onglet->tabButton(0));
    }

    void tabOrderFollowsReadingOrder()
    {
        const CategoryTab &t = *form().tabs[0];
        QList<QWidget *> search;
        for (const char *name : {"opt_zarpo", "opt_melvi", "opt_Trunda", "opt_titres", "opt_toutes", "cherche", "bt_search",
                                 "chk_sans_accents", "grille_search", "bt_last"})
            search << m_f->find<QWidget>(name);
        for (const QList<QWidget *> &expected : std::vector<QList<QWidget *>>{
                 {t.grid, t.number, t.name, t.author, t.url, t.link, t.addButton, t.updateButton, t.topButton,
                  t.bottomButton, t.showCheck, t.windowOption, t.webOption, t.forumOption},
                 search}) {
            QList<QWidget *> chain;
            for (QWidget *w = expected.first(); chain.size() < expected.size(); w = w->nextInFocusChain())
                if (expected.contains(w) && !chain.contains(w))
                    chain << w;
            QCOMPARE(chain, expected);
        }
    }

    void grownWindowGrowsGridsAndLinks()
    {
        CategoryTab &tab = *form().tabs[0];
        const QSize window = m_f->window->size(), grid = tab.grid->size();
        const int link = tab.link->width(), names = tab.grid->columnWidth(1);
        m_f->window->resize(window + QSize(300, 200));
        QTRY_VERIFY(tab.grid->width() > grid.width() + 150 && tab.grid->height() > grid.height() + 150);
        QVERIFY(tab.grid->columnWidth(1) > names + 150);
        QVERIFY(tab.link->width() > link + 50);
        m_f->window->resize(window);
    }

    // A window's place is kept from one start to the next, or brought onto
    // the screen when it no longer fits.
    void placeIsKeptFromOneStartToTheNext()
    {
        for (const QRect &left : {QRect(40, 50, 321, 234), QRect(-2000, 0, 9000, 9000)}) {
            for (const bool first : {true, false}) {
                QWidget window;
                rememberPlace(&window, QStringLiteral("essai"));
                if (first)
                    window.setGeometry(left);
                window.show();
                QVERIFY(QTest::qWaitForWindowExposed(&window));
                QVERIFY(first || (left.width() < 9000 ? window.geometry() == left
                                                      : window.screen()->availableGeometry().contains(window.frameGeometry())));
                window.close(); // where the place is written
            }
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
