#pragma once

#include "store/stats.h"

namespace tabrix {
class Grid;
}

namespace tabrix::stats {

// Writes the "Auteur" / "Posts" headers of a statistics grid with their
// widths and alignments.
void writeStatsHeader(Grid &grid);

// Shows the counts, ranked (most entries first, equal counts in French
// order), one row each, then one empty row.
void showAuthorCounts(Grid &grid, std::vector<AuthorCount> counts);

} // namespace tabrix::stats
