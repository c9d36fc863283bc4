#pragma once

#include "store/catalogue.h"

#include <QString>

#include <vector>

namespace tabrix {

// The authors of a list for its combo box: every distinct author (surrounding
// blanks set aside, letter case significant), the most entries first; equal
// counts in descending French text order. Empty authors are left out.
std::vector<QString> rankAuthors(const std::vector<GridRow> &rows);

} // namespace tabrix
