#pragma once

namespace tabrix {
struct Context;
struct MainForm;
}

namespace tabrix::browse {

// Connects this module's handlers to the controls of the main window.
void attach(MainForm &form, Context &context);

} // namespace tabrix::browse
