#include "stats/statspage.h"
#include "store/stats.h"
#include "ui/mainform.h"
#include "ui/parts.h"

namespace tabrix::stats {

namespace {

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

} // namespace

void attach(MainForm &form, Context &context)
{
    QObject::connect(form.onglet, &TabControl::currentChanged, form.window,
                     [&form, &context](int) { handleTabChange(form, context); });
}

} // namespace tabrix::stats
