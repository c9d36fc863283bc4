#pragma once

#include <QString>

#include <functional>

namespace tabrix {
class CategoryTab;
struct Category;
struct Context;
struct MainForm;
}

namespace tabrix::browse {

// How an entry's picture window is opened (the real picture window unless
// a caller supplies another).
using PictureOpener = std::function<void(MainForm &, Context &, const Category &)>;

// Re-sorts the category's grid by a column (0 number, 1 name, 2 author),
// always ascending and in French order, and shows the end of the list. The
// edit fields are left as they are; the grid's current row stays on the
// entry it showed. A failure is shown as a message and leaves the grid as
// it was.
// The header then shows the column's sort arrow.
void sortGrid(MainForm &form, Context &context, const Category &category, int column);

// The column the grid was last sorted by; 0 (number) until the user sorts.
int sortedColumn(const CategoryTab &tab);

// After an add or an update: in a grid sorted by name or author the rows
// are sorted again; the entry's row becomes current and comes into view.
void placeEntry(MainForm &form, Context &context, const Category &category, const QString &number);

// Loads the entry shown on a data row of the category's grid into the tab's
// five fields; with "Afficher" ticked and the entry's links available, opens
// the picture window, the image link or the forum link, as the selected
// option says. A row no entry answers leaves the link fields empty and opens
// nothing.
void loadEntry(MainForm &form, Context &context, const Category &category, int row);
void loadEntry(MainForm &form, Context &context, const Category &category, int row, const PictureOpener &openPicture);

// "<<": the first entries come into view. ">>": the last entry does.
// Neither moves the current row, the selection or the fields.
void showTop(CategoryTab &tab);
void showEnd(CategoryTab &tab);

} // namespace tabrix::browse
