#include "browse/browse.h"

#include "ui/mainform.h"

namespace tabrix::browse {

void attach(MainForm &, Context &)
{
}

} // namespace tabrix::browse
