#include "stats/stats.h"

#include "ui/grid.h"

namespace tabrix::stats {

void writeStatsHeader(Grid &grid)
{
    grid.setText(0, 0, QStringLiteral("Auteur"));
    grid.setColumnWidth(0, pixels(1500));
    grid.setColumnAlignment(0, Qt::AlignLeft | Qt::AlignBottom);
    grid.setText(0, 1, QStringLiteral("Posts"));
    grid.setColumnWidth(1, pixels(700));
    grid.setColumnAlignment(1, Qt::AlignCenter);
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
