#include "browse/browse.h"

#include "ui/busycursor.h"

#include "browse/display.h"
#include "image/image.h"
#include "store/catalogue.h"
#include "ui/mainform.h"
#include "ui/parts.h"
#include "ui/pendingedits.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tabrix::browse {

namespace {

Display selectedOption(const CategoryTab &tab)
{
    if (tab.webOption->isChecked())
        return Display::ImageLink;
    if (tab.forumOption->isChecked())
        return Display::ForumLink;
    if (tab.windowOption->isChecked())
        return Display::PictureWindow;
    return Display::Nothing;
}

} // namespace

void sortGrid(MainForm &form, Context &context, const Category &category, int column)
{
    if (column < 0 || column > 2)
        return;
    CategoryTab &tab = form.tab(category);
    Grid &grid = *tab.grid;

    Result<std::vector<GridRow>> rows = [&] {
        BusyCursor busy;
        return context.catalogue->rows(category, SortColumn(column));
    }();
    if (!rows) {
        context.services->message(form.window, rows.error(), MessageIcon::Critical);
        return;
    }

    // The current row is where an update writes: keep it on the same entry.
    const QString currentRef = grid.row() >= 1 ? grid.text(grid.row(), 0) : QString();
    const QString loadedRef = grid.loadedRow() >= 1 ? grid.text(grid.loadedRow(), 0) : QString();
    tab.fillGrid(*rows);
    if (!loadedRef.isEmpty())
        grid.setLoadedRow(grid.rowShowing(0, loadedRef));
    if (const int row = currentRef.isEmpty() ? 0 : grid.rowShowing(0, currentRef); row != 0) {
        grid.setCurrentCell(row, grid.col());
        grid.setTopRow(grid.rows() - 1);
    } else {
        grid.setCurrentCell(0, grid.col()); // no entry is current any more
    }
    grid.horizontalHeader()->setSortIndicatorShown(true);
    grid.horizontalHeader()->setSortIndicator(column, Qt::AscendingOrder);
}

int sortedColumn(const CategoryTab &tab)
{
    const QHeaderView *header = tab.grid->horizontalHeader();
    return header->isSortIndicatorShown() ? header->sortIndicatorSection() : 0;
}

void placeEntry(MainForm &form, Context &context, const Category &category, const QString &number)
{
    CategoryTab &tab = form.tab(category);
    Grid &grid = *tab.grid;
    if (const int column = sortedColumn(tab); column != 0)
        sortGrid(form, context, category, column);
    if (const int row = grid.rowShowing(0, number); row > 0) {
        grid.setCurrentCell(row, 0);
        grid.scrollTo(grid.model()->index(row - 1, 0));
    }
}

void loadEntry(MainForm &form, Context &context, const Category &category, int row)
{
    loadEntry(form, context, category, row, image::openImageWindow);
}

void loadEntry(MainForm &form, Context &context, const Category &category, int row, const PictureOpener &openPicture)
{
    CategoryTab &tab = form.tab(category);
    Grid &grid = *tab.grid;
    if (row < 1 || row >= grid.rows())
        return;

    const QString ref = grid.text(row, 0);
    tab.number->setText(ref);
    tab.name->setText(grid.text(row, 1));
    tab.setAuthorText(grid.text(row, 2));
    tab.url->setText(QString());
    tab.link->setText(QString());
    tab.grid->setLoadedRow(row);
    // A long text shows its beginning.
    for (QLineEdit *box : {tab.number, tab.name, tab.author->lineEdit()})
        box->setCursorPosition(0);

    Result<std::optional<Entry>> found = context.catalogue->find(category, ref);
    if (!found) {
        context.services->message(form.window, found.error(), MessageIcon::Critical);
        return;
    }
    if (!found->has_value())
        return; // the grid shows a number the table does not hold
    const Entry &entry = **found;
    tab.url->setText(entry.url.value_or(QString()));
    tab.link->setText(entry.link.value_or(QString()));
    tab.url->setCursorPosition(0);
    tab.link->setCursorPosition(0);

    if (!tab.showCheck->isChecked())
        return;
    switch (chooseDisplay(category, entry, selectedOption(tab))) {
    case Display::Nothing:
        break;
    case Display::ImageLink:
        context.services->openLink(*entry.url);
        break;
    case Display::ForumLink:
        context.services->openLink(*entry.link);
        break;
    case Display::PictureWindow:
        if (openPicture)
            openPicture(form, context, category);
        break;
    }
}

void showTop(CategoryTab &tab)
{
    tab.grid->setTopRow(1);
}

void showEnd(CategoryTab &tab)
{
    tab.grid->setTopRow(tab.grid->rows() - 1);
}

void attach(MainForm &form, Context &context)
{
    for (const Category &category : categories()) {
        CategoryTab *tab = form.tabs[std::size_t(category.id)];
        if (!tab)
            continue;
        const Category *c = &category;
        QObject::connect(tab->grid, &Grid::headerClicked, tab,
                         [&form, &context, c](int column) { sortGrid(form, context, *c, column); });
        QObject::connect(tab->grid, &Grid::cellClicked, tab, [&form, &context, c, tab](int row, int) {
            PendingEdits &edits = PendingEdits::of(*tab);
            if (!mayDropEdits(form, *context.services)) {
                tab->grid->setCurrentCell(edits.rowBeforeClick(), edits.columnBeforeClick());
                return;
            }
            loadEntry(form, context, *c, row);
            edits.markLoaded();
        });
        QObject::connect(tab->topButton, &QPushButton::clicked, tab, [tab] { showTop(*tab); });
        QObject::connect(tab->bottomButton, &QPushButton::clicked, tab, [tab] { showEnd(*tab); });
    }
}

} // namespace tabrix::browse
