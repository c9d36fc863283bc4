// The main window as it opens: its tabs, the captions and first states of
// its controls, the keyboard's way through them, and its size and place.
#include "support/programfixture.h"
#include "ui/windowplace.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
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
        QCOMPARE(m_f->window->windowTitle(), QStringLiteral("Zarpo - Melvi - Trunda - 4.3-1"));
        QStringList captions;
        for (int i = 0; i < form().onglet->count(); ++i)
            captions << form().onglet->tabText(i);
        QCOMPARE(captions, QStringList({"Zarpo", "Melvi", "Trunda", "Recherche", "Stats", "Vasquo"}));
        QCOMPARE(form().onglet->tabButton(2)->y(), form().onglet->tabButton(0)->y());
        QVERIFY(form().onglet->tabButton(3)->y() > form().onglet->tabButton(0)->y());
        QSignalSpy changes(form().onglet, &TabControl::currentChanged);
        for (const int tab : {5, 5, 0})
            click(form().onglet->tabButton(tab));
        QCOMPARE(static_cast<const QList<QVariantList> &>(changes), (QList<QVariantList>{{5}, {0}}));
        QVERIFY(form().onglet->tabButton(0)->isChecked() && !form().onglet->tabButton(5)->isChecked());
        for (const CategoryTab *tab : form().tabs)
            QVERIFY(!tab->showCheck->isChecked() && tab->windowOption->isChecked() && !tab->webOption->isChecked()
                    && !tab->forumOption->isChecked() && tab->author->isEditable());
        for (QRadioButton *option : form().searchOptions)
            QVERIFY(!option->isChecked());
        QVERIFY(!form().allOption->isChecked() && form().ignoreAccents->isChecked());
    }

    // The buttons, frames and labels of each tab, without their accelerators.
    void captions_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("texts");
        const QStringList list = {"Ajouter", "MAJ", "Annuler", "<<", ">>", "Affichage", "Afficher", "Img fenêtre",
                                  "Img WEB", "Norvane"};
        const QStringList fields = {"N°", "Nom", "Auteur", "Lien image", "Lien Norvane"};
        QTest::newRow("Zarpo") << 0 << list + fields;
        QTest::newRow("Melvi") << 1 << list + QStringList(fields).replaceInStrings("Nom", "Lieu");
        QTest::newRow("Trunda") << 2 << list + fields;
        QTest::newRow("Recherche") << 3 << QStringList{"Zarpo", "Melvi", "Trunda", "Vasquo", "Toutes", "GO !",
                                                       "Ignorer les accents", "0 élément trouvé.", "", "Vérifier les MAJ"};
        QTest::newRow("Stats") << 4 << QStringList{"Zarpo", "Melvi", "Trunda", "Vasquo"};
        QTest::newRow("Vasquo") << 5 << list + QStringList{"Afficher"} + fields;
    }

    // Each button has an accelerator of its own among its tab's and the tabs'.
    void captions()
    {
        QFETCH(int, tab);
        QFETCH(QStringList, texts);
        QStringList shown, keys;
        const auto accelerator = [&keys](const QAbstractButton *button) {
            const QString key = QKeySequence::mnemonic(button->text()).toString();
            QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(button->text()));
            keys << key;
        };
        for (int i = 0; i < form().onglet->count(); ++i)
            accelerator(form().onglet->tabButton(i));
        for (QWidget *w : form().onglet->widget(tab)->findChildren<QWidget *>()) {
            if (auto *b = qobject_cast<QAbstractButton *>(w); b && !b->objectName().isEmpty()) { // not a grid's corner
                accelerator(b);
                shown << b->text().remove('&');
            } else if (auto *g = qobject_cast<QGroupBox *>(w)) {
                shown << g->title();
            } else if (auto *l = qobject_cast<QLabel *>(w)) {
                shown << l->text();
            }
        }
        QCOMPARE(shown, texts);
    }

    void acceleratorPressesItsButton()
    {
        click(form().onglet->tabButton(3));
        m_f->window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_f->window.get()));
        QTest::keyClick(m_f->window.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(form().searchOptions[std::size_t(trunda().id)]->isChecked());
        QTest::keyClick(m_f->window.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(form().onglet->currentIndex(), 4);
        click(form().onglet->tabButton(0));
    }

    void tabOrderFollowsReadingOrder()
    {
        const CategoryTab &t = *form().tabs[0];
        const std::vector<QList<QWidget *>> pages = {
            {t.grid, t.number, t.name, t.author, t.url, t.link, t.addButton, t.updateButton, t.topButton,
             t.bottomButton, t.showCheck, t.windowOption, t.webOption, t.forumOption},
            {form().searchOptions[0], form().searchOptions[1], form().searchOptions[2], form().searchOptions[3],
             form().allOption, form().cherche, form().btSearch, form().ignoreAccents, form().grilleSearch, form().btLast}};
        for (const QList<QWidget *> &expected : pages) {
            QList<QWidget *> chain;
            QWidget *w = expected.first();
            do {
                if (expected.contains(w))
                    chain << w;
                w = w->nextInFocusChain();
            } while (w != expected.first() && chain.size() < expected.size());
            QCOMPARE(chain, expected);
        }
    }

    void grownWindowGrowsGridsAndLinks()
    {
        CategoryTab &tab = *form().tabs[0];
        const QSize window = m_f->window->size(), grid = tab.grid->size();
        const int link = tab.link->width();
        m_f->window->resize(window + QSize(300, 200));
        QTRY_VERIFY(tab.grid->width() > grid.width() + 150 && tab.grid->height() > grid.height() + 150);
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
                if (!first)
                    QVERIFY(left.width() < 9000 ? window.geometry() == left
                                                : window.screen()->availableGeometry().contains(window.frameGeometry()));
                window.close();
            }
        }
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
