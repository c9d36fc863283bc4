#include "stats/tabchange.h"

#include "stats/stats.h"
#include "store/stats.h"
#include "ui/mainform.h"

#include <QLineEdit>

namespace tabrix::stats {

int lastHighlightedRow(const MainForm &form)
{
    bool ok = false;
    const int row = form.lastSel->text().trimmed().toInt(&ok);
    return ok && row > 0 ? row : 0;
}

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

    // Row 0 is the header: "0" names no highlighted row.
    if (const int row = lastHighlightedRow(form); row > 0) {
        for (CategoryTab *tab : form.tabs)
            if (row < tab->grid->rows())
                tab->grid->setCellBackground(row, highlightColumn, normalColor());
    }
    form.lastSel->setText(QStringLiteral("0"));

    if (!failure.isEmpty())
        context.services->message(form.window, failure, MessageIcon::Critical);
}

} // namespace tabrix::stats
