#pragma once

#include <QString>

namespace tabrix {
class Catalogue;
class CategoryTab;
class Grid;
class Services;
}

namespace tabrix::editing {

// How a press of "Ajouter" or "MAJ" ended.
enum class Outcome {
    Refused, // a check failed; its message was shown, nothing was written
    Failed,  // the catalogue could not be written; grid and list unchanged
    Saved,   // written, grid row shown, fields emptied
};

// "Ajouter": checks the edit fields of the tab in order, then appends the
// next entry of its list (and its author, when auteurs does not know it yet)
// and only then shows it as the grid's new last row.
Outcome addEntry(Catalogue &catalogue, CategoryTab &tab, Services &services);

// "MAJ": checks the edit fields, asks before rewriting another entry than
// the loaded one (the grid's current row), rewrites the entry with the typed number
// and only then writes number, name and author into the grid row that
// shows that number.
Outcome updateEntry(Catalogue &catalogue, CategoryTab &tab, Services &services);

// "Annuler": after a question naming it, undoes the list's last change not
// undone yet, and shows the result in the grid.
Outcome undoLast(Catalogue &catalogue, CategoryTab &tab, Services &services);

// "Annuler" is enabled while the list has a change to undo.
void refreshUndo(Catalogue &catalogue, CategoryTab &tab);

// Writes number, name and author into a grid row.
void writeGridRow(Grid &grid, int row, const QString &number, const QString &name, const QString &author);

// The grid row that shows `number` in its number column: the current row
// when it does, else the first such row; 0 when no row shows it.
int rowShowing(const Grid &grid, const QString &number);

} // namespace tabrix::editing
