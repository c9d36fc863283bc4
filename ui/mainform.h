#pragma once

#include "ui/categorytab.h"
#include "ui/grid.h"
#include "ui/services.h"
#include "ui/tabcontrol.h"

#include <QString>

#include <array>

class QWidget;

namespace tabrix {

class Catalogue;
namespace search {
class SearchPage;
}
namespace stats {
class StatsPage;
}

// What every window operation works with: the open catalogue, the desktop
// services and the program's directory (where the catalogue, the scratch
// files of the picture window and the companion finder live).
struct Context {
    Catalogue *catalogue = nullptr;
    Services *services = nullptr;
    QString programDir;
};

// The main window's tabs and pages, for the parts that wire behaviour to
// them. Indexes follow categories(): 0 zarpo, 1 melvi, 2 trunda, 3 titres.
struct MainForm {
    QWidget *window = nullptr;                 // Form1
    TabControl *onglet = nullptr;
    std::array<CategoryTab *, 4> tabs{};

    search::SearchPage *search = nullptr;
    stats::StatsPage *stats = nullptr;

    CategoryTab &tab(const Category &category) const { return *tabs[std::size_t(category.id)]; }
};

} // namespace tabrix
