#pragma once

namespace tabrix {
struct Category;
struct Context;
struct MainForm;
}

namespace tabrix::image {

// Opens the picture window on the entry shown in the fields of the
// category's tab: clears the scratch files, shows the window with the
// entry's number, name and links, displays the picture, and hides the main
// window until the picture window is closed.
void openImageWindow(MainForm &form, Context &context, const Category &category);

} // namespace tabrix::image
