#include "search/search.h"

#include "ui/mainform.h"

namespace tabrix::search {

void attach(MainForm &, Context &)
{
}

} // namespace tabrix::search
