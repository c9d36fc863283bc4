#pragma once

// The parts of the main window's behaviour. Each one connects its handlers
// to the window's controls when the window is made, and keeps them to
// itself: the window knows only these entries.

namespace tabrix {
struct Context;
struct MainForm;

namespace editing {
// "Ajouter", "MAJ" and "Annuler" of each list.
void attach(MainForm &form, Context &context);
}

namespace browse {
// The header and entry clicks of the four grids and their "<<" / ">>"
// buttons.
void attach(MainForm &form, Context &context);
}

namespace stats {
// What every change of the current tab does, whichever tab is left or
// entered: empties the edit fields of the four lists, rebuilds the four
// statistics grids from the catalogue and removes the highlight left by a
// jump from the search.
void attach(MainForm &form, Context &context);
}

namespace search {
// The jump from a result of the "Recherche" tab to its entry.
void attach(MainForm &form, Context &context);
}

namespace check {
// "Vérifier les MAJ" runs the latest-number check and shows its window in
// front, the window still open if there is one.
void attach(MainForm &form, Context &context);
}

namespace keeper {
// What keeps the user's work in the window: the question before a tab
// change drops typed text, the focus in a list's number box when its tab is
// entered (and at start-up), and the tooltips of cut grid cells.
void attach(MainForm &form, Context &context);
}

} // namespace tabrix
