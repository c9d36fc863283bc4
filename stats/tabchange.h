#pragma once

namespace tabrix {
struct Context;
struct MainForm;
}

namespace tabrix::stats {

// What every change of the current tab does, whichever tab is left or
// entered: empties the edit fields of the four lists, rebuilds the four
// statistics grids from the catalogue and removes the highlight left by a
// jump from the search.
void handleTabChange(MainForm &form, Context &context);

} // namespace tabrix::stats
