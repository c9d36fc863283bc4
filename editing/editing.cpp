#include "editing/editing.h"

#include "ui/mainform.h"

namespace tabrix::editing {

void attach(MainForm &, Context &)
{
}

} // namespace tabrix::editing
