#include "support/testsupport.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QKeySequence>
#include <QSignalSpy>
#include <QScreen>
#include <QStandardPaths>

#include "ui/windowplace.h"
#include <QTest>
#include <QToolButton>

using namespace tabrix;
using namespace tabrix::test;

namespace {

QString captionOf(QWidget *w)
{
    if (auto *b = qobject_cast<QAbstractButton *>(w))
        return b->text().remove('&');
    if (auto *g = qobject_cast<QGroupBox *>(w))
        return g->title().remove('&');
    if (auto *l = qobject_cast<QLabel *>(w))
        return l->text();
    if (auto *e = qobject_cast<QLineEdit *>(w))
        return e->text();
    if (auto *c = qobject_cast<QComboBox *>(w))
        return c->currentText();
    return QString();
}

struct Stem {
    QString stem;
    QString top;
    QString bottom;
    QString frame;
};

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramDir> m_dir;
    RecordingServices m_services;
    std::unique_ptr<MainWindow> m_window;

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true); // settings of its own
        m_dir = std::make_unique<ProgramDir>();
        createEmptyCatalogue(m_dir->catalogue());
        m_window = startProgram(*m_dir, m_services);
        QVERIFY(m_window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void window()
    {
        QCOMPARE(m_window->objectName(), QStringLiteral("Form1"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Zarpo - Melvi - Trunda - 4.3-1"));
        QCOMPARE(m_window->palette().color(QPalette::Window), QColor(192, 255, 192));
        QCOMPARE(m_window->size(), QSize(505, 634));
        auto *onglet = m_window->findChild<QWidget *>("onglet");
        QVERIFY(onglet);
        QCOMPARE(onglet->property("currentIndex").toInt(), 0);
        QCOMPARE(onglet->property("count").toInt(), 6);
        const QStringList captions = {"Zarpo", "Melvi", "Trunda", "Recherche", "Stats", "Vasquo"};
        for (int i = 0; i < 6; ++i)
            QCOMPARE(m_window->form().onglet->tabText(i), captions[i]);
        // Two rows of three tabs.
        QCOMPARE(m_window->form().onglet->tabButton(2)->y(), m_window->form().onglet->tabButton(0)->y());
        QVERIFY(m_window->form().onglet->tabButton(3)->y() > m_window->form().onglet->tabButton(0)->y());
        // A change is told once; a click on the current tab changes nothing.
        QSignalSpy changes(m_window->form().onglet, &TabControl::currentChanged);
        for (const int tab : {5, 5, 0})
            QTest::mouseClick(m_window->form().onglet->tabButton(tab), Qt::LeftButton);
        QCOMPARE(static_cast<const QList<QVariantList> &>(changes), (QList<QVariantList>{{5}, {0}}));
        QVERIFY(m_window->form().onglet->tabButton(0)->isChecked() && !m_window->form().onglet->tabButton(5)->isChecked());
        auto *lastSel = m_window->findChild<QLineEdit *>("last_sel");
        QVERIFY(lastSel && lastSel->isHidden());
        QCOMPARE(lastSel->text(), QStringLiteral("0"));
    }

    void controls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("tab");

        const std::vector<std::pair<Stem, int>> stems = {
            {{"zarpo", "bt_zarpo_haut", "bt_zarpo_bas", "Frame1"}, 0},
            {{"melvi", "bt_melvi_bas", "bt_melvi_haut", "Frame3"}, 1},
            {{"trunda", "bt_trunda_haut", "bt_trunda_bas", "Frame2"}, 2},
            {{"titres", "bt_vasquo_haut", "bt_vasquo_bas", "Frame4"}, 5},
        };
        for (const auto &[s, tab] : stems) {
            auto row = [&](const QString &name, const char *kind, const QString &caption) {
                QTest::newRow(qPrintable(name)) << name << QString(kind) << caption << tab;
            };
            row(s.stem, "tabrix::Grid", QString());
            row("no_" + s.stem, "QLineEdit", QString());
            row("nom_" + s.stem, "QLineEdit", QString());
            row("list_" + s.stem, "QComboBox", QString());
            row("url_" + s.stem, "QLineEdit", QString());
            row("url_" + s.stem + "_nrv", "QLineEdit", QString());
            row("bt_add_" + s.stem, "QPushButton", "Ajouter");
            row("bt_maj_" + s.stem, "QPushButton", "MAJ");
            row(s.top, "QPushButton", "<<");
            row(s.bottom, "QPushButton", ">>");
            row(s.frame, "QGroupBox", "Affichage");
            row("chk_img_" + s.stem, "QCheckBox", "Afficher");
            row("nrv_" + s.stem, "QRadioButton", "Norvane");
            row("web_" + s.stem, "QRadioButton", "Img WEB");
            row("win_" + s.stem, "QRadioButton", "Img fenêtre");
        }
        QTest::newRow("Check1") << "Check1" << "QCheckBox" << "Afficher" << 5;
        QTest::newRow("cherche") << "cherche" << "QLineEdit" << QString() << 3;
        QTest::newRow("opt_zarpo") << "opt_zarpo" << "QRadioButton" << "Zarpo" << 3;
        QTest::newRow("opt_melvi") << "opt_melvi" << "QRadioButton" << "Melvi" << 3;
        QTest::newRow("opt_Trunda") << "opt_Trunda" << "QRadioButton" << "Trunda" << 3;
        QTest::newRow("opt_titres") << "opt_titres" << "QRadioButton" << "Vasquo" << 3;
        QTest::newRow("opt_toutes") << "opt_toutes" << "QRadioButton" << "Toutes" << 3;
        QTest::newRow("chk_sans_accents") << "chk_sans_accents" << "QCheckBox" << "Ignorer les accents" << 3;
        QTest::newRow("bt_search") << "bt_search" << "QPushButton" << "GO !" << 3;
        QTest::newRow("grille_search") << "grille_search" << "tabrix::Grid" << QString() << 3;
        QTest::newRow("nb_trouvé") << "nb_trouvé" << "QLabel" << "0 élément trouvé." << 3;
        QTest::newRow("nb_founded") << "nb_founded" << "QLabel" << QString() << 3;
        QTest::newRow("bt_last") << "bt_last" << "QPushButton" << "Vérifier les MAJ" << 3;
        QTest::newRow("zarpo_stats") << "zarpo_stats" << "tabrix::Grid" << QString() << 4;
        QTest::newRow("melvi_stats") << "melvi_stats" << "tabrix::Grid" << QString() << 4;
        QTest::newRow("trunda_stats") << "trunda_stats" << "tabrix::Grid" << QString() << 4;
        QTest::newRow("titres_stats") << "titres_stats" << "tabrix::Grid" << QString() << 4;
    }

    void controls()
    {
        QFETCH(QString, name);
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        QFETCH(int, tab);
        const auto found = m_window->findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QWidget *w = found.first();
        QCOMPARE(QString(w->metaObject()->className()), kind);
        QCOMPARE(captionOf(w), caption);
        QVERIFY2(m_window->form().onglet->widget(tab)->isAncestorOf(w), "on the wrong tab");
    }

    void initialStates()
    {
        for (const Category &c : categories()) {
            CategoryTab &tab = m_window->form().tab(c);
            QVERIFY(!tab.showCheck->isChecked());
            QVERIFY(tab.windowOption->isChecked());
            QVERIFY(!tab.webOption->isChecked() && !tab.forumOption->isChecked());
            QVERIFY(tab.author->isEditable());
            QCOMPARE(tab.grid->columns(), 3);
            QCOMPARE(QStringList({tab.grid->text(0, 0), tab.grid->text(0, 1), tab.grid->text(0, 2)}),
                     QStringList({" N°", " Nom", " Auteur"}));
            QCOMPARE(tab.grid->columnWidth(0), 33);
            QCOMPARE(tab.grid->columnWidth(1), 167);
            QCOMPARE(tab.grid->columnWidth(2), 87);
        }
        for (QRadioButton *option : m_window->form().searchOptions)
            QVERIFY(!option->isChecked());
        QVERIFY(!m_window->form().allOption->isChecked() && m_window->form().ignoreAccents->isChecked());
        QCOMPARE(m_window->form().grilleSearch->text(0, 0), QStringLiteral(" N°"));
        QCOMPARE(m_window->form().grilleSearch->text(0, 1), QStringLiteral(" Nom"));
        QCOMPARE(m_window->form().grilleSearch->columnWidth(1), 200);
        QCOMPARE(m_window->form().grilleSearch->text(0, 2), QStringLiteral(" Auteur"));
    }

    void fieldLabels_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<QString>("nameLabel");
        QTest::newRow("zarpo") << 0 << "Nom";
        QTest::newRow("melvi") << 1 << "Lieu";
        QTest::newRow("trunda") << 2 << "Nom";
        QTest::newRow("titres") << 3 << "Nom";
    }

    void fieldLabels()
    {
        QFETCH(int, category);
        QFETCH(QString, nameLabel);
        CategoryTab *tab = m_window->form().tabs[std::size_t(category)];
        QStringList labels;
        for (QLabel *label : tab->findChildren<QLabel *>())
            labels << label->text();
        QCOMPARE(labels, QStringList({"N°", nameLabel, "Auteur", "Lien image", "Lien Norvane"}));
    }

    void acceleratorsDoNotClashWithinATab_data()
    {
        QTest::addColumn<int>("tab");
        for (int i = 0; i < 6; ++i)
            QTest::newRow(qPrintable(m_window->form().onglet->tabText(i))) << i;
    }

    void acceleratorsDoNotClashWithinATab()
    {
        QFETCH(int, tab);
        QStringList keys;
        QList<QAbstractButton *> buttons = m_window->form().onglet->widget(tab)->findChildren<QAbstractButton *>();
        for (int i = 0; i < m_window->form().onglet->count(); ++i)
            buttons << m_window->form().onglet->tabButton(i);
        for (QAbstractButton *button : buttons) {
            if (button->objectName().isEmpty()) // the grids' corner buttons
                continue;
            const QKeySequence key = QKeySequence::mnemonic(button->text());
            QVERIFY2(!key.isEmpty(), qPrintable(button->objectName() + " has no accelerator"));
            QVERIFY2(!keys.contains(key.toString()), qPrintable(button->objectName() + " repeats " + key.toString()));
            keys << key.toString();
        }
    }

    void acceleratorPressesItsButton()
    {
        m_window->form().onglet->setCurrentIndex(3);
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(m_window->findChild<QRadioButton *>("opt_Trunda")->isChecked());
        QTest::keyClick(m_window.get(), Qt::Key_S, Qt::AltModifier);
        QTRY_COMPARE(m_window->form().onglet->currentIndex(), 4);
        m_window->form().onglet->setCurrentIndex(0);
    }

    void tabOrderFollowsReadingOrder_data()
    {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Zarpo") << 0
                               << QStringList{"zarpo", "no_zarpo", "nom_zarpo", "list_zarpo", "url_zarpo",
                                              "url_zarpo_nrv", "bt_add_zarpo", "bt_maj_zarpo", "bt_zarpo_haut",
                                              "bt_zarpo_bas", "chk_img_zarpo", "win_zarpo", "web_zarpo", "nrv_zarpo"};
        QTest::newRow("Recherche") << 3
                                   << QStringList{"opt_zarpo", "opt_melvi", "opt_Trunda", "opt_titres", "opt_toutes",
                                                  "cherche", "bt_search", "chk_sans_accents", "grille_search", "bt_last"};
    }

    void tabOrderFollowsReadingOrder()
    {
        QFETCH(int, tab);
        QFETCH(QStringList, expected);
        QWidget *page = m_window->form().onglet->widget(tab);
        QWidget *first = page->findChild<QWidget *>(expected.first());
        QStringList chain;
        QWidget *w = first;
        do {
            if (page->isAncestorOf(w) && expected.contains(w->objectName()))
                chain << w->objectName();
            w = w->nextInFocusChain();
        } while (w != first && chain.size() < expected.size());
        QCOMPARE(chain, expected);
    }

    void statsLabels()
    {
        const QStringList expected = {"Zarpo", "Melvi", "Trunda", "Vasquo"};
        QStringList labels;
        for (QLabel *label : m_window->form().onglet->widget(4)->findChildren<QLabel *>())
            labels << label->text();
        QCOMPARE(labels, expected);
    }

    void grownWindowGrowsGridsAndLinks()
    {
        CategoryTab &tab = m_window->form().tab(zarpo());
        const QSize grid = tab.grid->size();
        const int link = tab.link->width();
        m_window->resize(m_window->width() + 300, m_window->height() + 200);
        QTRY_VERIFY(tab.grid->width() > grid.width() + 150 && tab.grid->height() > grid.height() + 150);
        QVERIFY(tab.link->width() > link + 50);
        m_window->resize(505, 634);
    }

    void placeIsKeptFromOneStartToTheNext_data()
    {
        QTest::addColumn<QRect>("left");
        QTest::addColumn<bool>("asLeft"); // else brought onto the screen
        QTest::newRow("on the screen") << QRect(40, 50, 321, 234) << true;
        QTest::newRow("larger than the screen") << QRect(-2000, 0, 9000, 9000) << false;
    }

    void placeIsKeptFromOneStartToTheNext()
    {
        QFETCH(QRect, left);
        QFETCH(bool, asLeft);
        {
            QWidget window;
            rememberPlace(&window, QStringLiteral("essai"));
            window.setGeometry(left);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            window.close();
        }
        QWidget again;
        rememberPlace(&again, QStringLiteral("essai"));
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        if (asLeft)
            QCOMPARE(again.geometry(), left);
        else
            QVERIFY(again.screen()->availableGeometry().contains(again.frameGeometry()));
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
