#include "stats/tabchange.h"

#include "stats/stats.h"
#include "store/stats.h"
#include "ui/mainform.h"

namespace tabrix::stats {

void handleTabChange(MainForm &form, Context &context)
{
    for (const Category &category : categories()) {
        writeStatsHeader(*form.statsGrids[std::size_t(category.id)]);
        form.tab(category).clearFields();
    }

    QString failure;
    std::vector<Result<std::vector<AuthorCount>>> counts = authorCountsOfEveryList(*context.catalogue);
    for (const Category &category : categories()) {
        Grid &grid = *form.statsGrids[std::size_t(category.id)];
        Result<std::vector<AuthorCount>> &listCounts = counts[std::size_t(category.id)];
        if (listCounts) {
            showAuthorCounts(grid, std::move(*listCounts));
        } else {
            showAuthorCounts(grid, {});
            if (failure.isEmpty())
                failure = listCounts.error();
        }
    }

    for (CategoryTab *tab : form.tabs)
        tab->grid->setJumpRow(0);

    if (!failure.isEmpty())
        context.services->message(form.window, failure, MessageIcon::Critical);
}

} // namespace tabrix::stats
