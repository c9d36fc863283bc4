// Start-up, tab change, search, re-sort and edits, each through the handlers
// the main window's controls are wired to.
#include "scenario.h"

#include "app/startup.h"
#include "search/searchtab.h"
#include "search/stats.h"
#include "search/tabchange.h"
#include "store/french.h"
#include "store/sqlite.h"
#include "store/stats.h"
#include "ui/mainform.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTextStream>

#include <sqlite3.h>

namespace tabrix::bench {

namespace {

const Category &melvi() { return categories().at(1); }
const Category &zarpo() { return categories().at(0); }

// Runs an SQL statement on the catalogue outside the program's operations
// (to undo a timed add).
void executeOn(Catalogue &catalogue, const QString &query, const QString &value)
{
    sql::Statement statement(catalogue.handle(), query);
    statement.bind(1, value);
    statement.next();
    if (statement.code() != SQLITE_DONE)
        fail(QStringLiteral("%1 : %2").arg(query, sql::describe(statement.code())));
}

std::vector<QStringList> gridTexts(const Grid &grid)
{
    std::vector<QStringList> texts;
    for (int row = 0; row < grid.rows(); ++row) {
        QStringList cells;
        for (int column = 0; column < grid.columns(); ++column)
            cells << grid.text(row, column);
        texts.push_back(cells);
    }
    return texts;
}

std::vector<std::vector<QStringList>> statsTexts(const MainForm &form)
{
    std::vector<std::vector<QStringList>> all;
    for (const Grid *grid : form.statsGrids)
        all.push_back(gridTexts(*grid));
    return all;
}

// The tab-change handling made the plain way: one query per author of
// auteurs and per list, walking every matching entry, the grids filled the
// same way.
void referenceTabChange(MainForm &form, Context &context)
{
    for (const Category &category : categories()) {
        search::writeStatsHeader(*form.statsGrids[std::size_t(category.id)]);
        form.tab(category).clearFields();
    }
    for (const Category &category : categories()) {
        Result<std::vector<AuthorCount>> counts = authorCountsOneByOne(*context.catalogue, category);
        if (!counts)
            fail(counts.error());
        search::showAuthorCounts(*form.statsGrids[std::size_t(category.id)], std::move(*counts));
    }
    if (const int row = search::lastHighlightedRow(form); row > 0) {
        for (CategoryTab *tab : form.tabs)
            if (row < tab->grid->rows())
                tab->grid->setCellBackground(row, search::highlightColumn, search::normalColor());
    }
    form.lastSel->setText(QStringLiteral("0"));
}

void expectNoMessage(const Setup &setup, const QString &operation)
{
    if (!setup.services->messages.isEmpty())
        fail(QStringLiteral("%1 : message inattendu « %2 »").arg(operation, setup.services->lastText()));
}

} // namespace

void fail(const QString &what)
{
    QTextStream(stderr) << "Mesure impossible : " << what << '\n';
    std::exit(1);
}

void settle()
{
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QApplication::processEvents();
    QApplication::processEvents();
}

std::vector<Measure> measureStartUp(const Setup &setup)
{
    std::unique_ptr<MainWindow> window;
    auto drop = [&] {
        window.reset();
        settle();
    };
    auto start = [&] {
        Result<std::unique_ptr<MainWindow>> started = tabrix::startUp(setup.programDir, *setup.services);
        if (!started)
            fail(started.error());
        window = std::move(*started);
    };
    // The process's first window: fonts, styles and the catalogue's pages
    // are loaded then, as when the user starts the program.
    Measure first{QStringLiteral("  premier démarrage du processus"), timeRuns(1, nullptr, start, 0)};
    Measure startUp{QStringLiteral("démarrage (fenêtre remplie)"), timeRuns(15, drop, start), 0, 300};
    // The same, until the window is on screen and painted once: what the
    // user waits for, beyond the filling the target is about.
    Measure shown{QStringLiteral("  démarrage, fenêtre montrée et peinte"),
                  timeRuns(15, drop, [&] {
                      start();
                      window->show();
                      window->repaint();
                  })};
    drop();
    expectNoMessage(setup, startUp.operation);
    return {startUp, first, shown};
}

std::vector<Measure> measureTabChange(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    Context &context = window.context();
    // Between the first two lists, both ways, as a user goes.
    auto change = [&] { form.onglet->setCurrentIndex(form.onglet->currentIndex() == 0 ? 1 : 0); };

    Measure tabChange{QStringLiteral("changement d'onglet"), timeRuns(30, settle, change), 0, 5, 20};
    const auto grouped = statsTexts(form);
    Measure reference{QStringLiteral("  référence : une requête par auteur"),
                      timeRuns(5, settle, [&] { referenceTabChange(form, context); })};
    if (statsTexts(form) != grouped)
        fail(QStringLiteral("les statistiques de la référence diffèrent de celles du changement d'onglet"));
    if (grouped.at(0).size() < 10)
        fail(QStringLiteral("statistiques presque vides"));
    expectNoMessage(setup, tabChange.operation);
    tabChange.referenceMedian = median(reference.ms);
    return {tabChange, reference};
}

std::vector<Measure> measureSearch(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    auto *searchTab = form.window->findChild<search::SearchTab *>();
    if (!searchTab)
        fail(QStringLiteral("onglet Recherche sans son comportement"));
    // About a tenth of the generated places contain these letters.
    const QString criterion = QStringLiteral("ro");
    constexpr int searchPage = 3;

    auto prepare = [&] {
        settle();
        form.onglet->setCurrentIndex(searchPage);
        form.searchOptions[std::size_t(melvi().id)]->setChecked(true);
        form.cherche->setText(criterion);
    };
    Measure search{QStringLiteral("recherche dans melvi"), timeRuns(50, prepare, [&] { form.btSearch->click(); }),
                   0, 5};
    expectNoMessage(setup, search.operation);
    const int found = form.grilleSearch->rows() - 2;
    if (found < 50 || found > 200)
        fail(QStringLiteral("la recherche de « %1 » trouve %2 entrées").arg(criterion).arg(found));
    search.operation += QStringLiteral(" (« %1 » : %2 trouvées)").arg(criterion).arg(found);

    // A result from the middle of the list; the jump leaves the search tab,
    // so it runs the tab-change handling too.
    const int resultRow = 1 + found / 2;
    const int number = search::entryNumber(form.grilleSearch->text(resultRow, 0));
    Grid &grid = *form.tab(melvi()).grid;
    Measure jump{QStringLiteral("saut vers un résultat"),
                 timeRuns(
                     30,
                     [&] {
                         settle();
                         form.onglet->setCurrentIndex(searchPage);
                     },
                     [&] { emit form.grilleSearch->cellClicked(resultRow, 0); }),
                 0, 5};
    if (form.onglet->currentIndex() != melvi().tabIndex ||
        search::entryNumber(grid.text(grid.row(), 0)) != number ||
        grid.cellBackground(grid.row(), search::highlightColumn) != search::highlightColor())
        fail(QStringLiteral("le saut n'a pas mis l'entrée %1 en évidence").arg(number));
    expectNoMessage(setup, jump.operation);
    return {search, jump};
}

std::vector<Measure> measureSort(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    CategoryTab &tab = form.tab(zarpo());
    form.onglet->setCurrentIndex(zarpo().tabIndex);
    Grid &grid = *tab.grid;
    auto clickHeader = [&](int column) { emit grid.horizontalHeader()->sectionClicked(column); };
    // Each timed sort starts from the list in number order.
    auto byNumber = [&] {
        clickHeader(0);
        settle();
    };

    std::vector<Measure> measures;
    const QString names[] = {QStringLiteral("tri par nom"), QStringLiteral("tri par auteur")};
    for (int column : {1, 2}) {
        measures.push_back({names[column - 1], timeRuns(20, byNumber, [&] { clickHeader(column); }), 0, 30});
        if (grid.rows() != 1000)
            fail(QStringLiteral("le tri a perdu des lignes"));
        for (int row = 2; row < grid.rows(); ++row)
            if (frenchCompare(grid.text(row - 1, column), grid.text(row, column)) > 0)
                fail(QStringLiteral("%1 : lignes %2 et %3 dans le désordre").arg(names[column - 1]).arg(row - 1).arg(row));
    }
    expectNoMessage(setup, QStringLiteral("tri"));
    byNumber();
    return measures;
}

std::vector<Measure> measureEdits(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    Catalogue &catalogue = *window.context().catalogue;

    // The add: entry 999 of zarpo, taken out again (file and grid) before
    // each run, so the list is full-size and the add is always the next one.
    // An author already known, so auteurs is read but not written.
    CategoryTab &zarpoTab = form.tab(zarpo());
    form.onglet->setCurrentIndex(zarpo().tabIndex);
    const QString last = QStringLiteral("999");
    auto makeRoom = [&] {
        settle();
        executeOn(catalogue, QStringLiteral("DELETE FROM zarpo WHERE ref = ?1"), last);
        zarpoTab.grid->setRows(zarpoTab.grid->rows() - 1);
        zarpoTab.number->setText(last);
        zarpoTab.name->setText(QStringLiteral("Phare de la Coubre"));
        zarpoTab.setAuthorText(QStringLiteral("Zoé"));
        zarpoTab.url->clear();
        zarpoTab.link->clear();
    };
    Measure add{QStringLiteral("ajout (écrit dans le fichier)"), timeRuns(20, makeRoom, [&] { zarpoTab.addButton->click(); }),
                0, 20};
    expectNoMessage(setup, add.operation);
    if (zarpoTab.grid->rows() != 1000 || zarpoTab.grid->text(999, 0) != last || !zarpoTab.number->text().isEmpty())
        fail(QStringLiteral("l'ajout n'a pas montré l'entrée 999"));
    if (const Result<int> n = catalogue.count(zarpo()); !n || *n != 999)
        fail(QStringLiteral("l'ajout n'a pas écrit l'entrée 999"));

    // The update: entry 500 of melvi, loaded by a click on its row, then
    // renamed in turn.
    CategoryTab &melviTab = form.tab(melvi());
    form.onglet->setCurrentIndex(melvi().tabIndex);
    const int row = 500;
    int run = 0;
    auto load = [&] {
        settle();
        emit melviTab.grid->cellClicked(row, 1);
        if (melviTab.number->text() != QStringLiteral("500"))
            fail(QStringLiteral("la ligne 500 ne montre pas l'entrée 500"));
        melviTab.name->setText(QStringLiteral("Pointe du Raz %1").arg(++run));
    };
    Measure update{QStringLiteral("mise à jour (écrite dans le fichier)"),
                   timeRuns(20, load, [&] { melviTab.updateButton->click(); }), 0, 20};
    expectNoMessage(setup, update.operation);
    const Result<std::optional<Entry>> written = catalogue.find(melvi(), QStringLiteral("500"));
    if (!written || !written->has_value() || (*written)->name != QStringLiteral("Pointe du Raz %1").arg(run) ||
        melviTab.grid->text(row, 1) != (*written)->name)
        fail(QStringLiteral("la mise à jour n'a pas été écrite"));
    return {add, update};
}

} // namespace tabrix::bench
