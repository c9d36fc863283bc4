#include "search/search.h"

#include "search/searchtab.h"
#include "stats/tabchange.h"
#include "ui/mainform.h"

namespace tabrix::search {

void attach(MainForm &form, Context &context)
{
    QObject::connect(form.onglet, &TabControl::currentChanged, form.window,
                     [&form, &context](int) { stats::handleTabChange(form, context); });
    new SearchTab(form, context, form.window);
}

} // namespace tabrix::search
