#pragma once

// Every colour the windows paint with, in one place.

#include <QColor>

namespace tabrix::colours {

// The main window's background.
inline QColor window() { return QColor(192, 255, 192); }

// Lists of entries: the cell a jump from a search result lands on, and the
// row whose values are loaded into the fields.
inline QColor jump() { return QColor(255, 255, 0); }
inline QColor loadedRow() { return QColor(190, 220, 255); }

// The selection of the search results and of the statistics, and the lines
// between the statistics' cells.
inline QColor searchSelection() { return QColor(128, 255, 255); }
inline QColor statsSelection() { return QColor(0, 0, 255); }
inline QColor statsGridLines() { return QColor(192, 255, 255); }

// The look of a pair of numbers in the check window.
struct PairLook {
    QColor background;
    QColor text;
};
inline PairLook agreeing() { return {QColor(255, 255, 0), QColor(0, 0, 0)}; }
inline PairLook differing() { return {QColor(255, 0, 0), QColor(255, 255, 0)}; }
inline PairLook unknown() { return {QColor(212, 212, 212), QColor(0, 0, 0)}; }

} // namespace tabrix::colours
