#include "stats/statspage.h"

#include "store/category.h"
#include "ui/celltips.h"
#include "ui/grid.h"
#include "ui/named.h"

#include <QGridLayout>
#include <QLabel>

namespace tabrix::stats {

namespace {

void showRanked(Grid &grid, std::vector<AuthorCount> counts)
{
    rankAuthorCounts(counts);
    std::vector<QStringList> rows;
    rows.reserve(counts.size() + 1);
    for (const AuthorCount &c : counts)
        rows.push_back({c.author, QString::number(c.count)});
    rows.push_back({QString(), QString()});
    grid.setRowTexts(std::move(rows));
}

} // namespace

StatsPage::StatsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("page_stats"));
    auto *layout = new QGridLayout(this);
    for (const Category &category : categories()) {
        auto *grid = new Grid(category.statsGrid(), 2, Grid::Look::Stats, this);
        m_grids[std::size_t(category.id)] = grid;
        grid->setColumns({{"Auteur", pixels(1500), Qt::AlignLeft | Qt::AlignBottom}, {"Posts", pixels(700), Qt::AlignCenter}});
        showCutTextsAsTips(grid);
        auto *caption = named(new QLabel(category.tabCaption, this), category.statsGrid() + QStringLiteral("_label"));
        const int row = (category.id / 2) * 2;
        layout->addWidget(caption, row, category.id % 2);
        layout->addWidget(grid, row + 1, category.id % 2);
    }
}

QString StatsPage::showCounts(std::vector<Result<std::vector<AuthorCount>>> counts)
{
    QString failure;
    for (const Category &category : categories()) {
        Grid &grid = *m_grids[std::size_t(category.id)];
        Result<std::vector<AuthorCount>> &listCounts = counts.at(std::size_t(category.id));
        showRanked(grid, listCounts ? std::move(*listCounts) : std::vector<AuthorCount>{});
        if (!listCounts && failure.isEmpty())
            failure = listCounts.error();
    }
    return failure;
}

} // namespace tabrix::stats
