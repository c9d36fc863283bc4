#pragma once

#include "store/result.h"
#include "store/stats.h"

#include <QWidget>

#include <array>
#include <vector>

namespace tabrix {

class Grid;

namespace stats {

// The "Stats" tab: for each list, how many entries each author posted, in
// a grid of its own (Zarpo top left, Melvi top right, Trunda bottom left,
// Vasquo bottom right). It keeps its grids to itself.
class StatsPage : public QWidget {
    Q_OBJECT
public:
    explicit StatsPage(QWidget *parent = nullptr);

    // Shows the counts of each list, in categories() order: most entries
    // first, equal counts in French order, one row each, then an empty row.
    // A list whose counts could not be read shows no row. Returns the first
    // failure's text; empty when every list was read.
    QString showCounts(std::vector<Result<std::vector<AuthorCount>>> counts);

private:
    std::array<Grid *, 4> m_grids{};
};

} // namespace stats
} // namespace tabrix
