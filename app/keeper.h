#pragma once

namespace tabrix {
struct Context;
struct MainForm;
}

namespace tabrix::keeper {

// Connects what keeps the user's work in the window: the question before a
// tab change drops typed text, the focus in a list's number box when its
// tab is entered (and at start-up), and the tooltips of cut grid cells.
void attach(MainForm &form, Context &context);

} // namespace tabrix::keeper
