#pragma once

// Helpers shared by the tests of the grid interaction: a running program on a
// catalogue of its own, real mouse clicks on a grid, reading a grid back.

#include "support/screen.h"
#include "support/testsupport.h"

#include <QLineEdit>
#include <QTest>

#include <memory>

namespace tabrix::test {

// The program started on a new catalogue whose `category` list (every list
// when `everyList`) holds `entries`, shown on that list's tab so that the
// grid has its real geometry. `ok` tells whether it started.
struct Running {
    Running(const Category &category, const std::vector<Entry> &entries, bool everyList = false)
    {
        createEmptyCatalogue(dir.catalogue());
        for (const Category &c : categories())
            if (!entries.empty() && (everyList || c.id == category.id))
                insertEntries(dir.catalogue(), c, entries);
        window = startProgram(dir, services);
        if (!window)
            return;
        window->form().onglet->setCurrentIndex(category.tabIndex);
        window->show();
        ok = QTest::qWaitForWindowExposed(window.get());
        QCoreApplication::processEvents();
    }

    MainForm &form() { return window->form(); }
    CategoryTab &tab(const Category &category) { return window->form().tab(category); }

    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;
    bool ok = false;
};

// The texts of a column, data rows only.
inline QStringList columnTexts(const Grid &grid, int column)
{
    QStringList texts;
    for (int row = 1; row < grid.rows(); ++row)
        texts << grid.text(row, column);
    return texts;
}

// Whether the whole of a data row is in view.
inline bool rowInView(const Grid &grid, int row)
{
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, 0));
    return cell.isValid() && grid.viewport()->rect().contains(cell);
}

// The five edit fields of a tab, in order.
inline QStringList fields(const CategoryTab &tab)
{
    return {tab.number->text(), tab.name->text(), tab.authorText(), tab.url->text(), tab.link->text()};
}

} // namespace tabrix::test
