#include "check/check.h"

#include "ui/mainform.h"

namespace tabrix::check {

void attach(MainForm &, Context &)
{
}

} // namespace tabrix::check
