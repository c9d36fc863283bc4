#include "stats/tabchange.h"

#include "stats/statspage.h"
#include "store/stats.h"
#include "ui/mainform.h"

namespace tabrix::stats {

void handleTabChange(MainForm &form, Context &context)
{
    for (CategoryTab *tab : form.tabs)
        tab->clearFields();
    const QString failure = form.stats->showCounts(authorCountsOfEveryList(*context.catalogue));
    for (CategoryTab *tab : form.tabs)
        tab->grid->setJumpRow(0);

    if (!failure.isEmpty())
        context.services->message(form.window, failure, MessageIcon::Critical);
}

} // namespace tabrix::stats
