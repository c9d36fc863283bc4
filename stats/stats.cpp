#include "stats/stats.h"

#include "ui/grid.h"

namespace tabrix::stats {

void writeStatsHeader(Grid &grid)
{
    grid.setText(0, 0, QStringLiteral("Auteur"));
    grid.setColumnWidthTwips(0, 1500);
    grid.setColumnAlignment(0, 2);
    grid.setText(0, 1, QStringLiteral("Posts"));
    grid.setColumnWidthTwips(1, 700);
    grid.setColumnAlignment(1, 4);
}

void showAuthorCounts(Grid &grid, std::vector<AuthorCount> counts)
{
    rankAuthorCounts(counts);
    std::vector<QStringList> rows;
    rows.reserve(counts.size() + 1);
    for (const AuthorCount &c : counts)
        rows.push_back({c.author, QString::number(c.count)});
    rows.push_back({QString(), QString()});
    grid.setRowTexts(std::move(rows));
}

} // namespace tabrix::stats
