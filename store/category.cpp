#include "store/category.h"

namespace tabrix {

const std::vector<Category> &categories()
{
    static const std::vector<Category> table = {
        {0, "zarpo", "nom", "Nom", "Zarpo", 0, "zarpo", "bt_zarpo_haut", "bt_zarpo_bas", "Frame1",
         "opt_zarpo", true, false, 1, 20},
        // On this tab the two scroll buttons carry each other's names.
        {1, "melvi", "lieu", "Lieu", "Melvi", 1, "melvi", "bt_melvi_bas", "bt_melvi_haut", "Frame3",
         "opt_melvi", false, false, 3, 20},
        {2, "trunda", "nom", "Nom", "Trunda", 2, "trunda", "bt_trunda_haut", "bt_trunda_bas", "Frame2",
         "opt_Trunda", false, false, 2, 22},
        {3, "titres", "nom", "Nom", "Vasquo", 5, "titres", "bt_vasquo_haut", "bt_vasquo_bas", "Frame4",
         "opt_titres", false, true, 4, 24},
    };
    return table;
}

const Category *categoryForTab(int tabIndex)
{
    for (const Category &c : categories())
        if (c.tabIndex == tabIndex)
            return &c;
    return nullptr;
}

const Category *categoryByTable(const QString &table)
{
    for (const Category &c : categories())
        if (c.table == table)
            return &c;
    return nullptr;
}

} // namespace tabrix
