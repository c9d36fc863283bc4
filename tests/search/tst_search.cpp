// The "Recherche" tab: the checks and their messages, the scan of one list's
// names, the result grid and its count, clearing, Enter, and the jump from a
// result to its entry.

#include "support/programfixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QRadioButton>
#include <QLabel>
#include <QSignalSpy>

using namespace tabrix;
using namespace tabrix::test;

namespace {

using Rows = QList<QStringList>;

// zarpo and trunda: long numbered lists, "Énigme 1" …; melvi: names to
// search, stored out of number order, one without a name; titres empty.
void writeCatalogue(const QString &path)
{
    insertAuthors(path, {"Zoé", "Hélène"});
    insertEntries(path, zarpo(), numberedEntries(200, {"Zoé", "Hélène"}));
    insertEntries(path, trunda(), numberedEntries(120, {"Hélène"}));
    insertEntries(path, melvi(), {entry("001", "Port de Marseille", "Port"), entry("002", "Gorges du Verdon", "Zoé"),
                                  entry("004", "Vieux-Port", "Zoé"), entry("003", "Île de Ré", "Zoé")});
    execute(path, QStringLiteral("INSERT INTO melvi (ref, lieu, auteur) VALUES ('005', NULL, 'Zoé')"));
    insertEntries(path, melvi(), {entry("006", "Côte d'Émeraude", "Zoé"), entry("007", "", "Zoé"),
                                  entry("008", "L'Étang bleu", "Zoé"), entry("009", "Sœur Anne", "Port"),
                                  entry("010", "Laetitia", "Zoé")});
}

struct SearchCase {
    int option; // category id, 4 for every list, -1 for none
    bool heedAccents; // "Ignorer les accents" unticked
    QString typed, message;
    Rows results; // empty when the grid keeps its content; the count follows from it
    QString count;
};

void row(const char *tag, int option, const QString &typed, const Rows &results, const QString &message = {},
         bool heedAccents = false)
{
    const qsizetype found = results.size() - 1;
    const QString count = found > 0 ? QStringLiteral("%1 élément(s) trouvé(s).").arg(found)
                                    : QStringLiteral("0 élément trouvé.");
    QTest::newRow(tag) << SearchCase{option, heedAccents, typed, message, results, count};
}

// A click that must not jump: on this result row and column, after an
// option click when `cleared`; `late`: entry 201 stored by another program
// once the grid was filled.
struct IdleClick {
    QString criterion;
    int row, column;
    bool late, cleared;
};

} // namespace

Q_DECLARE_METATYPE(SearchCase)
Q_DECLARE_METATYPE(IdleClick)

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        p = std::make_unique<ProgramFixture>(writeCatalogue);
        QVERIFY(p->start(3));
        QVERIFY(p->activate());
    }

    void cleanup() { p.reset(); }

    void search_data()
    {
        QTest::addColumn<SearchCase>("c");

        const QString noOption = QStringLiteral("Merci de spécifier où chercher.");
        const Rows notFound = {{"", "Non trouvé", ""}};
        const QStringList end = {"", "", ""};
        const Rows etang = {{"008", "L'Étang bleu", "Zoé"}, end};

        row("no option", -1, " port ", {}, noOption);
        row("blanks only", 1, "   ", {}, QStringLiteral("Pas de critère de recherche."));
        row("lower case, blanks around", 1, "  port  ", {{"001", "Port de Marseille", "Port"}, {"004", "Vieux-Port", "Zoé"}, end});
        row("one match", 1, "VERDON", {{"002", "Gorges du Verdon", "Zoé"}, end});
        row("none", 1, "Lyon", notFound);
        row("accents ignored: etang", 1, "etang", etang);
        row("accents ignored: Étang", 1, "Étang", etang);
        row("oe finds œ", 1, "soeur", {{"009", "Sœur Anne", "Port"}, end});
        row("æ finds ae", 1, "læ", {{"010", "Laetitia", "Zoé"}, end});
        row("accents heeded: etang", 1, "etang", notFound, {}, true);
        row("accents heeded: é finds É and é", 1, "é",
            {{"003", "Île de Ré", "Zoé"}, {"006", "Côte d'Émeraude", "Zoé"}, {"008", "L'Étang bleu", "Zoé"}, end}, {}, true);
        row("numbers are not searched", 1, "001", notFound);
        row("authors are not searched", 1, "zoé", notFound);
        row("another list", 0, "ÉNIGME 199", {{"199", "Énigme 199", "Zoé"}, end});
        row("empty list", 3, "a", notFound);
        // Every list, in tab order, each in table order, with its caption.
        row("every list", 4, "énigme 120",
            {{"120", "Énigme 120", "Hélène", "Zarpo"}, {"120", "Énigme 120", "Hélène", "Trunda"}, {"", "", "", ""}});
    }

    void search()
    {
        QFETCH(SearchCase, c);
        if (c.option >= 0)
            click(option(c.option));
        if (c.heedAccents)
            QTest::mouseClick(accents(), Qt::LeftButton, {}, QPoint(6, accents()->height() / 2));
        // An earlier result the failed checks must leave in place.
        results()->setRowTexts({{"999", "Résultat précédent"}, {"", ""}});
        const Rows before = dataRows(*results());
        typeText(criterion(), c.typed);

        click(go());

        QCOMPARE(p->services.messages.size(), c.message.isEmpty() ? 0 : 1);
        if (!c.message.isEmpty())
            QVERIFY(p->services.lastText() == c.message && p->services.messages.first().icon == MessageIcon::Exclamation);
        // The criterion is trimmed once a list is chosen.
        QCOMPARE(criterion()->text(), c.option < 0 ? c.typed : c.typed.trimmed());
        QCOMPARE(dataRows(*results()), c.results.isEmpty() ? before : c.results);
        QCOMPARE(count()->text(), c.count);

        // Another option, each one in some row, empties the criterion and the results.
        const int other = (c.option + 3) % 5;
        click(option(other));
        QCOMPARE(criterion()->text(), QString());
        QCOMPARE(dataRows(*results()), (Rows{QStringList(other == 4 ? 4 : 3)}));
        QCOMPARE(count()->text(), QStringLiteral("0 élément trouvé."));
    }

    void enterRunsTheSearchOrJumps()
    {
        click(option(melvi().id));
        QTest::mouseClick(criterion(), Qt::LeftButton);
        typeText(criterion(), QStringLiteral("port"));
        QTest::keyClick(criterion(), Qt::Key_Return);
        QCOMPARE(count()->text(), QStringLiteral("2 élément(s) trouvé(s)."));

        // Enter on another button presses that button, not "GO !".
        QSignalSpy pressed(checkButton(), &QPushButton::clicked);
        typeText(criterion(), QStringLiteral(" Lyon"));
        for (int i = 0; i < 4; ++i) // "GO !", "Ignorer les accents", the results, "Vérifier les MAJ"
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), checkButton());
        QTest::keyClick(checkButton(), Qt::Key_Return);
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(count()->text(), QStringLiteral("2 élément(s) trouvé(s)."));

        // On the results, Enter jumps to the current one.
        QTest::keyClick(checkButton(), Qt::Key_Tab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), results());
        QTest::keyClick(results(), Qt::Key_Down);
        QTest::keyClick(results(), Qt::Key_Return);
        QCOMPARE(form().onglet->currentIndex(), melvi().tabIndex);
        QCOMPARE(form().tab(melvi()).grid->jumpRow(), form().tab(melvi()).grid->rowShowing(0, "004"));
    }

    void jumpsToTheEntry_data()
    {
        QTest::addColumn<int>("list");
        QTest::addColumn<int>("shown"); // the grid's order: 0 number, 2 author
        QTest::addColumn<int>("entry");

        QTest::newRow("zarpo") << 0 << 0 << 150;
        QTest::newRow("trunda, a tab not shown yet") << 2 << 0 << 77;
        // The row is found by its number, not taken as the row's index.
        QTest::newRow("zarpo sorted by author") << 0 << 2 << 12;
    }

    void jumpsToTheEntry()
    {
        QFETCH(int, list);
        QFETCH(int, shown);
        QFETCH(int, entry);
        const Category &category = categories()[std::size_t(list)];
        Grid &grid = *form().tab(category).grid;
        if (shown != 0) {
            click(form().onglet->tabButton(category.tabIndex));
            clickCell(grid, 0, shown);
        }
        const int row = grid.rowShowing(0, QStringLiteral("%1").arg(entry, 3, 10, QLatin1Char('0')));
        const int row2 = grid.rowShowing(0, QStringLiteral("002"));
        QVERIFY(shown == 0 ? row == entry : row > 0 && row != entry);
        p->fillAllFields();

        search(option(category.id), QStringLiteral("énigme %1").arg(entry));
        QCOMPARE(results()->text(1, 1), QStringLiteral("Énigme %1").arg(entry));
        clickResult(1, 1);
        QCOMPARE(form().onglet->currentIndex(), category.tabIndex);
        QCOMPARE(paintedCells(grid), QStringList{QStringLiteral("%1:1y").arg(row)});
        QCOMPARE(grid.topRow(), row);
        QCOMPARE(grid.row(), row);
        QCOMPARE(p->firstFilledField(), QString());
        QCOMPARE(p->find<Grid>("zarpo_stats")->text(1, 1), QStringLiteral("100")); // the tab change ran first
        // The second click of a double click on the result lands on the list
        // and does nothing; a click after that loads the entry, the yellow stays.
        clickCell(grid, row, 1);
        QCOMPARE(p->firstFilledField() + paintedCells(grid).join(' '), QStringLiteral("%1:1y").arg(row));
        QTest::qWait(QApplication::doubleClickInterval());
        clickCell(grid, row, 1);
        QCOMPARE(paintedCells(grid), (QStringList{QStringLiteral("%1:0b").arg(row), QStringLiteral("%1:1y").arg(row),
                                                  QStringLiteral("%1:2b").arg(row)}));

        // The next jump moves the highlight. "Énigme 2", "Énigme 20" … in table
        // order: the first result is entry 2, clicked on its number.
        search(option(category.id), QStringLiteral("Énigme 2"));
        QCOMPARE(grid.jumpRow(), 0);
        clickResult(1, 0);
        QCOMPARE(paintedCells(grid), QStringList{QStringLiteral("%1:1y").arg(row2)});
        QVERIFY(p->services.messages.isEmpty());
    }

    void resultsKeepTheirList()
    {
        // Zarpo 012 and 120 … 129, then Trunda 012 and 120: the jump goes to
        // the result's own list.
        search(option(4), QStringLiteral("Énigme 12"));
        QCOMPARE(dataRows(*results()).at(11), (QStringList{"012", "Énigme 12", "Hélène", "Trunda"}));
        clickResult(12, 1);
        QCOMPARE(form().onglet->currentIndex(), trunda().tabIndex);
        QCOMPARE(paintedCells(*form().tab(trunda()).grid), QStringList{"12:1y"});
    }

    void clicksThatDoNothing_data()
    {
        QTest::addColumn<IdleClick>("c");
        QTest::newRow("Non trouvé, its number cell") << IdleClick{"Lyon", 1, 0, false, false};
        QTest::newRow("empty last row") << IdleClick{"Énigme 150", 2, 1, false, false};
        QTest::newRow("number the grid does not show") << IdleClick{"Énigme 201", 1, 1, true, false};
        QTest::newRow("cleared results") << IdleClick{"Énigme 150", 1, 1, false, true};
    }

    void clicksThatDoNothing()
    {
        QFETCH(IdleClick, c);
        CategoryTab &tab = form().tab(zarpo());
        if (c.late)
            insertEntries(p->dir.catalogue(), zarpo(), {entry("201", "Énigme 201", "Zoé")});
        search(option(0), c.criterion);
        if (c.cleared)
            click(option(0));
        typeText(criterion(), QStringLiteral(" gardé"));
        const Rows shown = dataRows(*results());
        QVERIFY(!c.late || shown[0][0] == "201");

        clickResult(c.row, c.column);
        QCOMPARE(form().onglet->currentIndex(), 3);
        QCOMPARE(paintedCells(*tab.grid), QStringList());
        QCOMPARE(criterion()->text(), (c.cleared ? "" : c.criterion) + QStringLiteral(" gardé"));
        QCOMPARE(dataRows(*results()), shown);
        QVERIFY(p->services.messages.isEmpty());
    }

private:
    MainForm &form() { return p->form(); }
    QRadioButton *option(int id)
    {
        return p->find<QRadioButton>(id == 4 ? QStringLiteral("opt_toutes") : categories()[std::size_t(id)].searchOption);
    }
    QLineEdit *criterion() { return p->find<QLineEdit>("cherche"); }
    QPushButton *go() { return p->find<QPushButton>("bt_search"); }
    QCheckBox *accents() { return p->find<QCheckBox>("chk_sans_accents"); }
    Grid *results() { return p->find<Grid>("grille_search"); }
    QLabel *count() { return p->find<QLabel>(QStringLiteral("nb_trouvé")); }
    QPushButton *checkButton() { return p->find<QPushButton>("bt_last"); }
    void clickResult(int row, int column) { clickCell(*results(), row, column); }
    // Chooses the list on the "Recherche" tab (which empties the criterion),
    // types `text` and searches.
    void search(QRadioButton *option, const QString &text)
    {
        click(form().onglet->tabButton(3));
        click(option);
        typeText(criterion(), text);
        click(go());
    }
    std::unique_ptr<ProgramFixture> p;
};

QTEST_MAIN(TestSearch)
#include "tst_search.moc"
