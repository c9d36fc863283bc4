#pragma once

class QTableView;

namespace tabrix {

// A cell of `view` too narrow for its text shows the whole text as a
// tooltip; a cell that shows all of it has none.
void showCutTextsAsTips(QTableView *view);

} // namespace tabrix
