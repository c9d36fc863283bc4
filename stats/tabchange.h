#pragma once

#include "ui/colours.h"

#include <QColor>

namespace tabrix {
struct Context;
struct MainForm;
}

namespace tabrix::stats {

// The colour that marks the entry reached from a search result, and the
// "colour" that gives a cell its normal look back (none of its own, so the
// loaded row's tint shows through).
inline QColor highlightColor() { return colours::jump(); }
inline QColor normalColor() { return QColor(); }

// The column of a category grid whose cell a jump from the search paints.
constexpr int highlightColumn = 1;

// What every change of the current tab does, whichever tab is left or
// entered: empties the edit fields of the four lists, rebuilds the four
// statistics grids from the catalogue and removes the highlight left by a
// jump from the search.
void handleTabChange(MainForm &form, Context &context);

// The grid row named by `last_sel`, or 0 when none is highlighted.
int lastHighlightedRow(const MainForm &form);

} // namespace tabrix::stats
