#pragma once

namespace tabrix {
struct Context;
struct MainForm;
}

namespace tabrix::search {

// Connects this module's handlers to the controls of the main window: the
// tab-change handling of `onglet` and the "Recherche" tab.
void attach(MainForm &form, Context &context);

} // namespace tabrix::search
