// Start-up, tab change, search, re-sort and edits, each through the handlers
// the main window's controls are wired to.
#include "floors.h"
#include "scenario.h"

#include "app/startup.h"
#include "search/searchpage.h"
#include "store/entrynumber.h"
#include "stats/statspage.h"
#include "support/authorcountsreference.h"
#include "store/french.h"
#include "store/history.h"
#include "store/sqlite.h"
#include "store/stats.h"
#include "ui/mainform.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
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

constexpr int searchPage = 3;

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
    for (const Category &category : categories())
        all.push_back(gridTexts(*form.stats->findChild<Grid *>(category.statsGrid())));
    return all;
}

// The tab-change handling made the plain way: one query per author of
// auteurs and per list, walking every matching entry, the grids filled the
// same way.
void referenceTabChange(MainForm &form, Context &context)
{
    for (CategoryTab *tab : form.tabs)
        tab->clearFields();
    std::vector<Result<std::vector<AuthorCount>>> counts;
    for (const Category &category : categories())
        counts.push_back(authorCountsOneByOne(*context.catalogue, category));
    if (const QString failure = form.stats->showCounts(std::move(counts)); !failure.isEmpty())
        fail(failure);
    for (CategoryTab *tab : form.tabs)
        tab->grid->setJumpRow(0);
}

void expectNoMessage(const Setup &setup, const QString &operation)
{
    if (!setup.services->messages.isEmpty())
        fail(QStringLiteral("%1 : message inattendu « %2 »").arg(operation, setup.services->lastText()));
}

} // namespace

QString Setup::catalogue() const
{
    return QDir(programDir).filePath(catalogueFileName());
}

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

Work tabChange(MainWindow &window)
{
    MainForm &form = window.form();
    // Between the first two lists, both ways, as a user goes.
    return {settle, [&form] { form.onglet->setCurrentIndex(form.onglet->currentIndex() == 0 ? 1 : 0); }};
}

// A control of the main window by its name; the run stops when there is none.
template <typename T>
T *control(const MainForm &form, const QString &name)
{
    T *found = form.window->findChild<T *>(name);
    if (!found)
        fail(QStringLiteral("fenêtre sans « %1 »").arg(name));
    return found;
}

Work melviSearch(MainWindow &window, const QString &criterion)
{
    MainForm &form = window.form();
    auto *option = control<QRadioButton>(form, melvi().searchOption);
    auto *box = control<QLineEdit>(form, QStringLiteral("cherche"));
    auto *go = control<QPushButton>(form, QStringLiteral("bt_search"));
    auto prepare = [&form, option, box, criterion] {
        settle();
        form.onglet->setCurrentIndex(searchPage);
        option->setChecked(true);
        box->setText(criterion);
    };
    return {prepare, [go] { go->click(); }};
}

std::vector<Measure> measureTabChange(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    BareDatabase bare(setup.catalogue());
    const QStringList statistics = statisticsQueries();
    Measure change = timeBeside(QStringLiteral("changement d'onglet"), 30, tabChange(window),
                                QStringLiteral("SQL des statistiques seul"), {settle, [&] { stepAll(bare, statistics); }}, 2);
    const auto grouped = statsTexts(form);
    Measure reference{QStringLiteral("  référence : une requête par auteur"),
                      timeRuns(5, {settle, [&] { referenceTabChange(form, window.context()); }})};
    if (statsTexts(form) != grouped)
        fail(QStringLiteral("les statistiques de la référence diffèrent de celles du changement d'onglet"));
    if (grouped.at(0).size() < 10)
        fail(QStringLiteral("statistiques presque vides"));
    expectNoMessage(setup, change.name);
    // The reference must stay far behind the operation.
    reference.givenRatio = median(reference.ms) / median(change.ms);
    reference.goal = 20;
    reference.goalIsMinimum = true;
    return {change, reference};
}

std::vector<Measure> measureSearch(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    Grid *results = control<Grid>(form, QStringLiteral("grille_search"));
    BareDatabase bare(setup.catalogue());
    // About a tenth of the generated places contain these letters.
    const QString criterion = QStringLiteral("ro");
    const QString where = QStringLiteral("SELECT ref, %1 FROM %2 WHERE instr(bench_upper(%1), ?1) > 0 ORDER BY rowid")
                              .arg(melvi().nameField, melvi().table);
    int floorFound = 0;
    Measure search = timeBeside(QStringLiteral("recherche dans melvi"), 50, melviSearch(window, criterion),
                                QStringLiteral("même WHERE en SQL, mêmes majuscules"),
                                {settle, [&] { floorFound = bare.rows(where, {criterion.toUpper()}); }}, 2);
    expectNoMessage(setup, search.name);
    const int found = results->rows() - 2;
    if (found < 50 || found > 200 || floorFound != found)
        fail(QStringLiteral("la recherche de « %1 » trouve %2 entrées, le SQL %3").arg(criterion).arg(found).arg(floorFound));
    search.name += QStringLiteral(" (« %1 » : %2 trouvées)").arg(criterion).arg(found);

    // A result from the middle of the list. The jump leaves the search tab,
    // so it runs the tab-change handling too: its floor is the statistics'
    // SQL and the list in the order its grid shows.
    const int resultRow = 1 + found / 2;
    const int number = leadingNumber(results->text(resultRow, 0));
    Grid &grid = *form.tab(melvi()).grid;
    const QStringList jumpQueries = statisticsQueries() << listQuery(melvi());
    Measure jump = timeBeside(
        QStringLiteral("saut vers un résultat"), 30,
        {[&] {
             settle();
             form.onglet->setCurrentIndex(searchPage);
         },
         [&] { emit results->cellClicked(resultRow, 0); }},
        QStringLiteral("SQL des statistiques et de la liste"), {settle, [&] { stepAll(bare, jumpQueries); }}, 2);
    if (form.onglet->currentIndex() != melvi().tabIndex ||
        leadingNumber(grid.text(grid.row(), 0)) != number ||
        grid.jumpRow() != grid.row())
        fail(QStringLiteral("le saut n'a pas mis l'entrée %1 en évidence").arg(number));
    expectNoMessage(setup, jump.name);
    return {search, jump};
}

std::vector<Measure> measureAllLists(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    Grid *results = control<Grid>(form, QStringLiteral("grille_search"));
    auto *all = control<QRadioButton>(form, QStringLiteral("opt_toutes"));
    auto *box = control<QLineEdit>(form, QStringLiteral("cherche"));
    auto *go = control<QPushButton>(form, QStringLiteral("bt_search"));
    BareDatabase bare(setup.catalogue());
    // "Ignorer les accents" as it is at start: ticked.
    if (!control<QCheckBox>(form, QStringLiteral("chk_sans_accents"))->isChecked())
        fail(QStringLiteral("« Ignorer les accents » n'est pas coché au départ"));
    const QString criterion = QStringLiteral("ré");
    QStringList selects;
    for (const Category &category : categories())
        selects << QStringLiteral("SELECT ref, %1, auteur FROM %2 WHERE instr(bench_french_key(%1), ?1) > 0")
                       .arg(category.nameField, category.table);
    const QString where = selects.join(QStringLiteral(" UNION ALL "));
    int floorFound = 0;
    Measure search = timeBeside(
        QStringLiteral("recherche dans toutes les listes (sans accents)"), 30,
        {[&] {
             settle();
             form.onglet->setCurrentIndex(searchPage);
             all->setChecked(true);
             box->setText(criterion);
         },
         [&] { go->click(); }},
        QStringLiteral("même WHERE sur les 4 listes en SQL, mêmes clés"),
        {settle, [&] { floorFound = bare.rows(where, {frenchSortKey(criterion)}); }}, 2);
    expectNoMessage(setup, search.name);
    const int found = results->rows() - 2;
    if (found < 50 || floorFound != found)
        fail(QStringLiteral("la recherche de « %1 » dans toutes les listes trouve %2 entrées, le SQL %3")
                 .arg(criterion)
                 .arg(found)
                 .arg(floorFound));
    search.name += QStringLiteral(" (« %1 » : %2 trouvées)").arg(criterion).arg(found);
    return {search};
}

std::vector<Measure> measureSort(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    CategoryTab &tab = form.tab(zarpo());
    form.onglet->setCurrentIndex(zarpo().tabIndex);
    Grid &grid = *tab.grid;
    BareDatabase bare(setup.catalogue());
    auto clickHeader = [&](int column) { emit grid.horizontalHeader()->sectionClicked(column); };
    // Each timed sort starts from the list in number order.
    auto byNumber = [&] {
        clickHeader(0);
        settle();
    };

    std::vector<Measure> measures;
    const QString names[] = {QStringLiteral("tri par nom"), QStringLiteral("tri par auteur")};
    const QString fields[] = {zarpo().nameField, QStringLiteral("auteur")};
    for (int column : {1, 2}) {
        const QString query = listQuery(zarpo(), fields[column - 1]);
        measures.push_back(timeBeside(names[column - 1], 20, {byNumber, [&] { clickHeader(column); }},
                                      QStringLiteral("SQL de la liste dans le même ordre"),
                                      {settle, [&] { bare.rows(query); }}, 2));
        if (grid.rows() != 1000)
            fail(QStringLiteral("le tri a perdu des lignes"));
        const QStringList floorOrder = bare.texts(query, column);
        for (int row = 1; row < grid.rows(); ++row)
            if (grid.text(row, column) != floorOrder.value(row - 1))
                fail(QStringLiteral("%1 : ligne %2 autre que celle du SQL").arg(names[column - 1]).arg(row));
    }
    expectNoMessage(setup, QStringLiteral("tri"));
    byNumber();
    return measures;
}

namespace {

// The floors of the edits: the same statement, alone in one transaction,
// on a copy of the same file with the same settings. A row the program
// writes along with the change belongs in the same transaction here.
// Each change also writes its row of the undo history, in the attached
// history file, as the program does.
const QString historyRow = QStringLiteral(
    "INSERT INTO historique.modifications (at, list, kind, before_ref, before_name, before_author, before_url, "
    "before_link, after_ref, after_name, after_author, after_url, after_link, added_author) "
    "VALUES (datetime('now', 'localtime'), ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, NULL)");

void commitAlone(BareDatabase &copy, const QString &query, const std::vector<std::optional<QString>> &values,
                 const std::vector<std::optional<QString>> &history)
{
    copy.execute(QStringLiteral("BEGIN IMMEDIATE"));
    copy.execute(query, values);
    copy.execute(historyRow, history);
    copy.execute(QStringLiteral("COMMIT"));
}

void attachHistory(BareDatabase &copy, const QString &copyPath)
{
    sql::Connection history;
    history.open(historyPath(copyPath), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    const Status made = createHistoryTable(history.get());
    history.close();
    if (!made)
        fail(made.error());
    copy.execute(QStringLiteral("ATTACH DATABASE ?1 AS historique"), {historyPath(copyPath)});
    copy.execute(QStringLiteral("PRAGMA historique.synchronous = EXTRA"));
}

Measure measureAdd(const Setup &setup, MainWindow &window, BareDatabase &copy)
{
    MainForm &form = window.form();
    Catalogue &catalogue = *window.context().catalogue;
    // The add: entry 999 of zarpo, taken out again (file and grid) before
    // each run, so the list is full-size and the add is always the next one.
    // An author already known, so auteurs is read but not written.
    CategoryTab &zarpoTab = form.tab(zarpo());
    form.onglet->setCurrentIndex(zarpo().tabIndex);
    const QString last = QStringLiteral("999");
    const QString placeName = QStringLiteral("Phare de la Coubre");
    const QString author = QStringLiteral("Zoé");
    const QString removeLast = QStringLiteral("DELETE FROM zarpo WHERE ref = ?1");
    auto makeRoom = [&] {
        settle();
        executeOn(catalogue, removeLast, last);
        zarpoTab.grid->setRows(zarpoTab.grid->rows() - 1);
        zarpoTab.number->setText(last);
        zarpoTab.name->setText(placeName);
        zarpoTab.setAuthorText(author);
        zarpoTab.url->clear();
        zarpoTab.link->clear();
    };
    const QString insert = QStringLiteral("INSERT INTO %1 (ref, %2, auteur, url, lien) VALUES (?1, ?2, ?3, ?4, ?5)")
                               .arg(zarpo().table, zarpo().nameField);
    Measure add = timeBeside(QStringLiteral("ajout (écrit dans le fichier)"), 20,
                             {makeRoom, [&] { zarpoTab.addButton->click(); }},
                             QStringLiteral("INSERT et sa ligne d'historique, sur une copie"),
                             {[&] {
                                  settle();
                                  copy.execute(removeLast, {last});
                              },
                              [&] {
                                  commitAlone(copy, insert, {last, placeName, author, QString(), QString()},
                                              {zarpo().table, QStringLiteral("ajout"), std::nullopt, std::nullopt,
                                               std::nullopt, std::nullopt, std::nullopt, last, placeName, author,
                                               QString(), QString()});
                              }},
                             1.5);
    expectNoMessage(setup, add.name);
    if (zarpoTab.grid->rows() != 1000 || zarpoTab.grid->text(999, 0) != last || !zarpoTab.number->text().isEmpty())
        fail(QStringLiteral("l'ajout n'a pas montré l'entrée 999"));
    if (const Result<int> n = catalogue.count(zarpo()); !n || *n != 999)
        fail(QStringLiteral("l'ajout n'a pas écrit l'entrée 999"));

    return add;
}

Measure measureUpdate(const Setup &setup, MainWindow &window, BareDatabase &copy)
{
    MainForm &form = window.form();
    Catalogue &catalogue = *window.context().catalogue;
    // The update: entry 500 of melvi, loaded by a click on its row, then
    // renamed in turn; the floor renames it the same way in the copy.
    CategoryTab &melviTab = form.tab(melvi());
    form.onglet->setCurrentIndex(melvi().tabIndex);
    const int row = 500;
    const Result<std::optional<Entry>> before = catalogue.find(melvi(), QStringLiteral("500"));
    if (!before || !before->has_value())
        fail(QStringLiteral("entrée 500 introuvable"));
    const Entry entry = **before;
    int run = 0;
    auto load = [&] {
        settle();
        emit melviTab.grid->cellClicked(row, 1);
        if (melviTab.number->text() != QStringLiteral("500"))
            fail(QStringLiteral("la ligne 500 ne montre pas l'entrée 500"));
        melviTab.name->setText(QStringLiteral("Pointe du Raz %1").arg(++run));
    };
    const QString update = QStringLiteral("UPDATE %1 SET ref = ?2, %2 = ?3, auteur = ?4, url = ?5, lien = ?6 "
                                          "WHERE rowid = (SELECT rowid FROM %1 WHERE ref = ?1 LIMIT 1)")
                               .arg(melvi().table, melvi().nameField);
    int floorRun = 0;
    Measure rewrite = timeBeside(QStringLiteral("mise à jour (écrite dans le fichier)"), 20,
                                 {load, [&] { melviTab.updateButton->click(); }},
                                 QStringLiteral("UPDATE et sa ligne d'historique, sur une copie"),
                                 {settle,
                                  [&] {
                                      const QString renamed = QStringLiteral("Pointe du Raz %1").arg(++floorRun);
                                      commitAlone(copy, update,
                                                  {entry.ref, entry.ref, renamed, entry.author, entry.url, entry.link},
                                                  {melvi().table, QStringLiteral("maj"), entry.ref, entry.name,
                                                   entry.author, entry.url, entry.link, entry.ref, renamed,
                                                   entry.author, entry.url, entry.link});
                                  }},
                                 1.5);
    expectNoMessage(setup, rewrite.name);
    const Result<std::optional<Entry>> written = catalogue.find(melvi(), QStringLiteral("500"));
    if (!written || !written->has_value() || (*written)->name != QStringLiteral("Pointe du Raz %1").arg(run) ||
        melviTab.grid->text(row, 1) != (*written)->name)
        fail(QStringLiteral("la mise à jour n'a pas été écrite"));
    return rewrite;
}

} // namespace

std::vector<Measure> measureEdits(const Setup &setup, MainWindow &window)
{
    Catalogue &catalogue = window.catalogue();
    const QString copyPath = QDir(setup.programDir).filePath(QStringLiteral("copie.mdb"));
    if (!QFile::copy(catalogue.path(), copyPath))
        fail(QStringLiteral("copie du catalogue impossible"));
    BareDatabase copy(copyPath);
    copy.takeSettingsOf(catalogue.handle());
    attachHistory(copy, copyPath);
    Measure add = measureAdd(setup, window, copy);
    return {add, measureUpdate(setup, window, copy)};
}

} // namespace tabrix::bench
