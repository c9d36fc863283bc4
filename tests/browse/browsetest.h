#pragma once

// Helpers shared by the tests of the grid interaction: a running program on a
// catalogue of its own, real mouse clicks on a grid, reading a grid back.

#include "support/testsupport.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

#include <memory>

namespace tabrix::test {

struct Running {
    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;

    MainForm &form() { return window->form(); }
    Context &context() { return window->context(); }
    CategoryTab &tab(const Category &category) { return window->form().tab(category); }
    Grid &grid(const Category &category) { return *tab(category).grid; }
};

// Starts the program on the catalogue already in `running.dir` and shows it
// on the category's tab, so that the grid has its real geometry.
inline bool startOnTab(Running &running, const Category &category)
{
    running.window = startProgram(running.dir, running.services);
    if (!running.window)
        return false;
    running.window->form().onglet->setCurrentIndex(category.tabIndex);
    running.window->show();
    if (!QTest::qWaitForWindowExposed(running.window.get()))
        return false;
    QCoreApplication::processEvents();
    return true;
}

// A left click in the middle of a column header.
inline void clickHeader(Grid &grid, int column)
{
    QHeaderView *header = grid.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

// A left click in the middle of a data cell (row 1 is the first entry); the
// cell must be in view.
inline void clickCell(Grid &grid, int row, int column)
{
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

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
