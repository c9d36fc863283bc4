// A day of keeping the lists: what the user left in a field is never
// changed or lost behind their back, a new author is known at once, the
// keyboard finds its field and a sorted list stays sorted. The main window
// as it opens: its tabs, the first states of its controls, the keyboard's
// way through them, and its size and place.
#include "image/imagewindow.h"
#include "support/programfixture.h"
#include "tools/admincommand.h"
#include "ui/windowplace.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTimer>
#include <QToolTip>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Leaving a list `how`: by a click on another tab ("tab"), another row
// ("row"), or closing the window ("close"); with an entry loaded first
// (`load`), then something typed at the end of Lieu (`typed`: the user is
// asked), and the answer « Abandonner » (`drop`).
struct Leaving { QString how; bool load, typed, drop; };

} // namespace

Q_DECLARE_METATYPE(Leaving)

class TestKeeper : public QObject {
    Q_OBJECT

    std::unique_ptr<ProgramFixture> m_f;
    MainForm &form() const { return m_f->window->form(); }

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true); // settings of its own
        // One program for the main window's first looks and the wheel.
        m_f = std::make_unique<ProgramFixture>();
        QVERIFY(m_f->start());
    }

    void typedTextIsNotLostSilently_data()
    {
        QTest::addColumn<Leaving>("c");
        for (const char *how : {"tab", "row", "close"})
            for (const bool drop : {false, true})
                QTest::addRow("%s, %s", how, drop ? "dropped" : "kept") << Leaving{how, true, true, drop};
        QTest::newRow("tab, nothing typed") << Leaving{"tab", true, false, false};
        QTest::newRow("tab, typed in empty fields") << Leaving{"tab", false, true, false};
    }

    void typedTextIsNotLostSilently()
    {
        QFETCH(Leaving, c);
        const auto &[how, load, typed, drop] = c;
        ProgramFixture f;
        QVERIFY(f.start(melvi().tabIndex));
        CategoryTab &tab = f.tab(melvi());
        if (load)
            clickCell(*tab.grid, 2, 1);
        QTest::keyClick(tab.name, Qt::Key_End);
        QTest::keyClicks(tab.name, typed ? " (en cours)" : "");
        const QStringList before = f.fields(melvi()) << QString::number(tab.grid->row());
        f.services.answer = drop;
        how == "tab" ? click(f.window->form().onglet->tabButton(4))
                     : how == "row" ? clickCell(*tab.grid, 3, 1) : void(f.window->close());

        const bool stayed = typed && !drop; // same tab, fields, row and window as before
        QCOMPARE(f.services.questions, typed ? QStringList{"Abandonner les modifications en cours ?"} : QStringList());
        QCOMPARE((QList<bool>{f.window->form().onglet->currentIndex() == melvi().tabIndex, f.window->isVisible()}),
                 (QList<bool>{stayed || how != "tab", stayed || how != "close"}));
        const QStringList now = f.fields(melvi()) << QString::number(tab.grid->row());
        if (stayed)
            QCOMPARE(now, before);
        else if (how != "close") // the row clicked loaded, or nothing left on leaving the tab
            QCOMPARE(now.mid(0, 5), (how == "tab" ? QStringList(5)
                                                  : QStringList{"003", "Énigme 3", "Zoé", "https://images.norvane.fr/003.jpg",
                                                                "https://www.norvane.fr/t003"}));
    }

    // The admin tool's repair, after a copy made first: the authors the
    // lists name and the table lacks are added once, trimmed.
    void repairAddsMissingAuthorsAfterACopy()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertAuthors(dir.catalogue(), {"Zoé"});
        insertEntries(dir.catalogue(), melvi(), {entry("001", "Lyon", "ZOÉ"), entry("002", "Nice", " Hélène ")});
        insertEntries(dir.catalogue(), titres(), {entry("001", "Titre", "hélène"), entry("002", "Autre", "Yann")});
        const auto copies = [&] { return QDir(dir.path()).entryList({"Tabrix-avant-reparation-*.mdb"}); };
        const ToolRun run = runAdmin({"repair", dir.catalogue()});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        verifySaid(run.out, {"Auteur ajouté : Hélène", "Auteur ajouté : Yann", "2 auteur(s) ajouté(s)."});
        QCOMPARE(copies().size(), 1);
        verifyRows(tableRows(dir.file(copies()[0]), "auteurs"), {{"Zoé"}});
        verifyRows(tableRows(dir.catalogue(), "auteurs"), {{"Zoé"}, {"Hélène"}, {"Yann"}});
        // Nothing missing any more: nothing changed, no second copy.
        verifySaid(runAdmin({"repair", dir.catalogue()}).out, {"Aucun auteur ne manque"});
        QCOMPARE(copies().size(), 1);
    }

    // The number box has the focus on entering a list and after an add; a
    // loaded text shows its start; a cut cell shows its text as a tooltip.
    // An author first met in Trunda is recorded and offered by every list's
    // box at once.
    void keyboardFindsItsFieldAndNewAuthorIsKnown()
    {
        const QString longName = QStringLiteral("Le très long nom d'une énigme qui ne tient pas dans sa colonne"),
                      author = QStringLiteral("Françoise Müller");
        ProgramFixture f([&](const QString &path) {
            insertEntries(path, trunda(), {entry("001", longName, "Zoé"), entry("002", "Court", "Zoé")});
        });
        QVERIFY(f.start());
        QCOMPARE(f.window->focusWidget(), f.tab(zarpo()).number);
        CategoryTab &tab = f.tab(trunda());
        click(f.window->form().onglet->tabButton(trunda().tabIndex));
        QCOMPARE(f.window->focusWidget(), tab.number);
        clickCell(*tab.grid, 1, 1);
        QCOMPARE(tab.name->text() + QString::number(tab.name->cursorPosition()), longName + "0");
        for (const auto &[row, tip] : {std::pair{2, QString()}, std::pair{1, longName}}) {
            const QPoint at = tab.grid->visualRect(tab.grid->model()->index(row - 1, 1)).center();
            QHelpEvent hover(QEvent::ToolTip, at, tab.grid->viewport()->mapToGlobal(at));
            QApplication::sendEvent(tab.grid->viewport(), &hover);
            QCOMPARE(QToolTip::isVisible() ? QToolTip::text() : QString(), tip);
        }

        f.type(trunda(), {"003", "Nouveau", author, "", ""});
        f.press(trunda(), false);
        QCOMPARE(f.onlyMessage(), QStringLiteral("0 messages"));
        QCOMPARE(f.window->focusWidget(), tab.number);
        QCOMPARE(tableRows(f.dir.catalogue(), "auteurs").back(), QStringList{author});
        for (const Category &category : categories())
            QVERIFY2(f.tab(category).author->findText(author) >= 0, qPrintable(category.table));
    }

    // Under a window manager (see underwm.sh): the main window hidden while a
    // picture is shown comes back where the user put it, at its size.
    void mainWindowComesBackWhereItWas()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X server with a window manager (tests/app/underwm.sh)");
        ProgramFixture f(zarpo(), {entry("001", "Nom", "Zoé", "http://127.0.0.1:9/image.jpg")});
        QVERIFY(f.ok);
        MainWindow &window = *f.window;
        // Moved and sized by the user, through the window manager.
        const QString id = QString::number(window.winId());
        QCOMPARE(QProcess::execute("xdotool", {"windowsize", id, "760", "600"}), 0);
        QCOMPARE(QProcess::execute("xdotool", {"windowmove", id, "310", "170"}), 0);
        const QRect placed(QPoint(310, 170), QSize(760, 600));
        QTRY_COMPARE(window.geometry(), placed);

        click(f.tab(zarpo()).showCheck);
        clickCell(*f.tab(zarpo()).grid, 1, 1);
        image::ImageWindow *picture = image::existingImageWindow(&window);
        QVERIFY(picture && picture->isVisible());
        QTRY_VERIFY(!window.isVisible());
        QVERIFY(QTest::qWaitForWindowExposed(picture));
        picture->close();

        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.geometry(), placed);
    }

    // Sorted by name, then by author.
    void sortedListStaysSorted()
    {
        for (const int column : {1, 2}) {
            std::vector<Entry> entries = numberedEntries(40);
            for (std::size_t i = 0; i < entries.size(); ++i) // names and authors "B02" … "B80": even numbers
                entries[i].name = entries[i].author = QStringLiteral("B%1").arg(2 * i + 2, 2, 10, QLatin1Char('0'));
            ProgramFixture f(zarpo(), entries);
            QVERIFY(f.ok);
            Grid &grid = *f.tab(zarpo()).grid;
            QHeaderView *header = grid.horizontalHeader();
            clickCell(grid, 0, column);
            QVERIFY(header->isSortIndicatorShown() && header->sortIndicatorSection() == column);
            // The new entry's row: its texts, whether it is the current one and in view.
            const auto shown = [&](int row) {
                return QStringList{grid.text(row, 0), grid.text(row, column), QString::number(grid.row() - row),
                                   rowInView(grid, row) ? "seen" : ""};
            };

            // Added: "B11" comes after B10, at row 6; "B53" then takes its place
            // after B52, at row 27.
            grid.setTopRow(40);
            f.type(zarpo(), {"041", "B11", "B11", "", ""});
            f.press(zarpo(), false);
            QCOMPARE(shown(6), QStringList({"041", "B11", "0", "seen"}));
            grid.setTopRow(1);
            clickCell(grid, 6, 1);
            f.type(zarpo(), {"041", "B53", "B53", "", ""});
            f.press(zarpo(), true);
            QCOMPARE(f.onlyMessage(), QStringLiteral("0 messages"));
            QCOMPARE(shown(27), QStringList({"041", "B53", "0", "seen"}));
            QCOMPARE(header->sortIndicatorSection(), column);
        }
    }

    void wheelLeavesAnUnfocusedChoice()
    {
        ProgramFixture &f = *m_f;
        click(f.window->form().onglet->tabButton(melvi().tabIndex));
        CategoryTab &tab = f.tab(melvi());
        clickCell(*tab.grid, 2, 1);
        QVERIFY(!tab.author->hasFocus());
        // Down, then up: either would choose the other author. (A wheel event
        // sent by hand is not passed on to parents as the system's are, so it
        // goes to the box itself, where the box's child under the pointer
        // would hand it.)
        const QPoint centre = tab.author->rect().center();
        for (const int notch : {-1, -1, 1, 1, 1, 1}) {
            QWheelEvent wheel(centre, tab.author->mapToGlobal(centre), QPoint(), QPoint(0, notch * 120), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(tab.author, &wheel);
            QCOMPARE(tab.authorText() + tab.author->lineEdit()->text(), QStringLiteral("AdèleAdèle"));
        }
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
        QVERIFY(tab.grid->columnWidth(1) > names + 150 && tab.link->width() > link + 50);
        m_f->window->resize(window);
    }

    // A list shown down to its end stays so when the window shrinks.
    void shrunkWindowKeepsTheEndInView()
    {
        ProgramFixture p(zarpo(), numberedEntries(80));
        Grid &grid = *p.tab(zarpo()).grid;
        const int height = grid.height();
        QVERIFY(p.ok && rowInView(grid, 80));
        p.window->resize(p.window->size() - QSize(0, 150));
        QTRY_VERIFY(grid.height() < height - 100);
        QVERIFY(rowInView(grid, 80));
    }

    // A long unbroken name in a question breaks, so that the box fits on the screen.
    void longTextFitsItsBox()
    {
        int width = 0;
        QTimer::singleShot(0, [&] {
            if (QWidget *box = QApplication::activeModalWidget()) {
                width = box->width();
                box->close();
            }
        });
        DesktopServices().ask(nullptr, "Annuler la MAJ du n° 005 « " + QString(220, u'x') + " » ?", "Oui", "Non");
        QVERIFY2(width > 0 && width < QGuiApplication::primaryScreen()->availableGeometry().width(), qPrintable(QString::number(width)));
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

QTEST_MAIN(TestKeeper)
#include "tst_keeper.moc"
