#pragma once

namespace tabrix {
struct Context;
struct MainForm;
}

namespace tabrix::check {

// Connects this module's handlers to the controls of the main window:
// "Vérifier les MAJ" runs the latest-number check and shows its window,
// unless that window is still open.
void attach(MainForm &form, Context &context);

} // namespace tabrix::check
