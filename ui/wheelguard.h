#pragma once

class QWidget;

namespace tabrix {

// Keeps the mouse wheel from changing a choice the user is not working in:
// over a combo box that does not have the focus, the wheel goes to what
// lies under it (the page or the grid) and the box keeps its value. The
// boxes of `root` are guarded, and the wheel no longer gives them the focus.
void guardWheel(QWidget *root);

} // namespace tabrix
