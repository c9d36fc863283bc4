#include "store/category.h"

namespace tabrix {

const std::vector<Category> &categories()
{
    static const std::vector<Category> table = {
        {.id = 0, .table = "zarpo", .nameField = "nom", .nameLabel = "Nom",
         .tabCaption = "Zarpo", .tabIndex = 0, .word = "zarpo",
         .topButton = "bt_zarpo_haut", .bottomButton = "bt_zarpo_bas", .frame = "Frame1", .searchOption = "opt_zarpo",
         .needsForumLink = false, .checkRow = 1, .checkValueColumn = 20},
        {.id = 1, .table = "melvi", .nameField = "lieu", .nameLabel = "Lieu",
         .tabCaption = "Melvi", .tabIndex = 1, .word = "melvi",
         // On this tab the two scroll buttons carry each other's names.
         .topButton = "bt_melvi_bas", .bottomButton = "bt_melvi_haut", .frame = "Frame3", .searchOption = "opt_melvi",
         .needsForumLink = false, .checkRow = 3, .checkValueColumn = 20},
        {.id = 2, .table = "trunda", .nameField = "nom", .nameLabel = "Nom",
         .tabCaption = "Trunda", .tabIndex = 2, .word = "trunda",
         .topButton = "bt_trunda_haut", .bottomButton = "bt_trunda_bas", .frame = "Frame2", .searchOption = "opt_Trunda",
         .needsForumLink = false, .checkRow = 2, .checkValueColumn = 22},
        {.id = 3, .table = "titres", .nameField = "nom", .nameLabel = "Nom",
         .tabCaption = "Vasquo", .tabIndex = 5, .word = "titres",
         .topButton = "bt_vasquo_haut", .bottomButton = "bt_vasquo_bas", .frame = "Frame4", .searchOption = "opt_titres",
         .needsForumLink = true, .checkRow = 4, .checkValueColumn = 24},
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
