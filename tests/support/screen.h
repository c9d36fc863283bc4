#pragma once

// The user's side of a grid: real clicks and keys, and the colours the
// screen shows.

#include "support/userinput.h"
#include "ui/grid.h"

#include <QComboBox>
#include <QHash>
#include <QHeaderView>
#include <QImage>
#include <QTest>

#include <algorithm>
#include <cstdlib>

namespace tabrix::test {

// A left click in the middle of a data cell (row 1 is the first entry), or
// of a column header for row 0; the cell must be in view.
inline void clickCell(Grid &grid, int row, int column)
{
    if (row == 0) {
        QHeaderView *header = grid.horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        return;
    }
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

// The colour that covers most of this part of an image.
inline QColor mostOf(const QImage &image, const QRect &area)
{
    QHash<QRgb, int> counts;
    for (int y = area.top() + 2; y < area.bottom() - 1; ++y)
        for (int x = area.left() + 2; x < area.right() - 1; ++x)
            if (image.rect().contains(x, y))
                ++counts[image.pixel(x, y)];
    const auto most = std::max_element(counts.cbegin(), counts.cend());
    return most == counts.cend() ? QColor() : QColor(most.key());
}

// The colour that covers most of a cell as drawn (row 0: the header).
inline QColor paintedColour(const Grid &grid, int row, int column)
{
    const QHeaderView *header = grid.horizontalHeader();
    if (row == 0)
        return mostOf(header->viewport()->grab().toImage(),
                      QRect(header->sectionViewportPosition(column), 0, header->sectionSize(column), header->height()));
    return mostOf(grid.viewport()->grab().toImage(), grid.visualRect(grid.model()->index(row - 1, column)));
}

// "w" white, "y" yellow, "b" the loaded row's colour, as the eye takes
// them (the keyboard's cell is tinted a little), else the colour's name.
inline QString colourName(const QColor &colour)
{
    const std::pair<const char *, QColor> known[] = {{"w", Qt::white}, {"y", Qt::yellow}, {"b", colours::loadedRow()}};
    for (const auto &[name, c] : known)
        if (std::max({std::abs(c.red() - colour.red()), std::abs(c.green() - colour.green()),
                      std::abs(c.blue() - colour.blue())}) < 32)
            return QString::fromLatin1(name);
    return colour.name();
}

// Every data cell in view that is not drawn white, as "row:column"
// followed by its colourName().
inline QStringList paintedCells(const Grid &grid)
{
    const QImage image = grid.viewport()->grab().toImage();
    QStringList cells;
    for (int row = 1; row < grid.rows(); ++row) {
        if (!grid.viewport()->rect().intersects(grid.visualRect(grid.model()->index(row - 1, 0))))
            continue;
        for (int column = 0; column < grid.columns(); ++column) {
            const QString colour = colourName(mostOf(image, grid.visualRect(grid.model()->index(row - 1, column))));
            if (colour != QLatin1String("w"))
                cells << QStringLiteral("%1:%2%3").arg(row).arg(column).arg(colour);
        }
    }
    return cells;
}

// The texts of a column, data rows only.
inline QStringList columnTexts(const Grid &grid, int column)
{
    QStringList texts;
    for (int row = 1; row < grid.rows(); ++row)
        texts << grid.text(row, column);
    return texts;
}

// The texts of a grid's data rows (the header alone for `headerOnly`), in
// the columns shown.
inline QList<QStringList> dataRows(const Grid &grid, bool headerOnly = false)
{
    QList<QStringList> rows;
    for (int r = headerOnly ? 0 : 1; r < (headerOnly ? 1 : grid.rows()); ++r) {
        QStringList cells;
        for (int c = 0; c < grid.columns(); ++c)
            if (!grid.isColumnHidden(c))
                cells << grid.text(r, c);
        rows << cells;
    }
    return rows;
}

// Whether the whole of a data row is in view.
inline bool rowInView(const Grid &grid, int row)
{
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, 0));
    return cell.isValid() && grid.viewport()->rect().contains(cell);
}

} // namespace tabrix::test
