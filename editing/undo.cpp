// "Annuler": the last change of a list taken back, asked first.

#include "editing/entryops.h"

#include "store/catalogue.h"
#include "store/history.h"
#include "ui/busycursor.h"
#include "ui/categorytab.h"
#include "ui/grid.h"
#include "ui/services.h"

#include <QPushButton>

namespace tabrix::editing {

namespace {

QString described(const Entry &entry)
{
    return QStringLiteral("« %1 » (auteur : %2)").arg(entry.name, entry.author);
}

QString question(const Change &change, const Category &category)
{
    if (change.kind == Change::Kind::Add) {
        QString text = QStringLiteral("Annuler l'ajout du n° %1 %2 dans la liste %3 ?\n\nL'entrée sera supprimée")
                           .arg(change.after.ref, described(change.after), category.tabCaption);
        if (change.addedAuthor)
            text += QStringLiteral(", ainsi que l'auteur « %1 » que cet ajout avait enregistré").arg(*change.addedAuthor);
        return text + QLatin1Char('.');
    }
    return QStringLiteral("Annuler la MAJ du n° %1 dans la liste %2 ?\n\nL'entrée redeviendra %3 au lieu de %4.")
        .arg(change.after.ref, category.tabCaption, described(*change.before), described(change.after));
}

// The grid without the row that shows `number`.
void removeRow(Grid &grid, const QString &number)
{
    const int gone = rowShowing(grid, number);
    if (gone == 0)
        return;
    std::vector<QStringList> rows;
    for (int r = 1; r < grid.rows(); ++r)
        if (r != gone)
            rows.push_back({grid.text(r, 0), grid.text(r, 1), grid.text(r, 2)});
    const int current = grid.row();
    grid.setRowTexts(std::move(rows));
    grid.setCurrentCell(current > gone ? current - 1 : std::min(current, grid.rows() - 1), grid.col());
}

} // namespace

void refreshUndo(Catalogue &catalogue, CategoryTab &tab)
{
    const Result<std::optional<Change>> last = catalogue.lastChange(tab.category());
    tab.undoButton->setEnabled(last && last->has_value());
}

Outcome undoLast(Catalogue &catalogue, CategoryTab &tab, Services &services)
{
    const Category &category = tab.category();
    QWidget *parent = tab.window();
    const Result<std::optional<Change>> last = catalogue.lastChange(category);
    if (!last) {
        services.message(parent, last.error(), MessageIcon::Critical);
        return Outcome::Failed;
    }
    if (!last->has_value()) {
        refreshUndo(catalogue, tab);
        return Outcome::Refused;
    }
    const Change &change = **last;
    if (!services.ask(parent, question(change, category)))
        return Outcome::Refused;

    Status undone = success();
    {
        BusyCursor busy;
        undone = catalogue.undo(category, change.id, tab.grid->rows() - 1);
    }
    if (!undone) {
        services.message(parent, undone.error(), MessageIcon::Critical);
        return Outcome::Failed;
    }
    Grid &grid = *tab.grid;
    if (change.kind == Change::Kind::Add) {
        removeRow(grid, change.after.ref);
    } else if (const int row = rowShowing(grid, change.after.ref); row > 0) {
        const Entry &before = *change.before;
        writeGridRow(grid, row, before.ref, before.name, before.author);
    }
    refreshUndo(catalogue, tab);
    return Outcome::Saved;
}

} // namespace tabrix::editing
