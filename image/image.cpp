#include "image/image.h"

#include "ui/mainform.h"

namespace tabrix::image {

void openImageWindow(MainForm &, Context &, const Category &)
{
}

} // namespace tabrix::image
