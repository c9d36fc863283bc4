#pragma once

namespace tabrix {
struct Context;
struct MainForm;
}

namespace tabrix::check {

// Connects this module's handlers to the controls of the main window:
// "Vérifier les MAJ" runs the latest-number check and shows its window in
// front, the window still open if there is one.
void attach(MainForm &form, Context &context);

} // namespace tabrix::check
