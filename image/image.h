#pragma once

namespace tabrix {
struct Category;
struct Context;
struct MainForm;
}

namespace tabrix::image {

// Opens the picture window on the entry shown in the fields of the
// category's tab: deletes the scratch files, shows the window with the
// entry's number, name, image link and forum link, hides the main window
// until the picture window is closed, then displays the picture of the tab's
// image link (checks, download, ImageMagick shrink). While a picture is
// still on its way, a further call only brings the window forward.
void openImageWindow(MainForm &form, Context &context, const Category &category);

} // namespace tabrix::image
