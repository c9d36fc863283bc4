#include "editing/editing.h"

#include "editing/entryops.h"
#include "store/category.h"
#include "ui/mainform.h"

#include <QPushButton>

namespace tabrix::editing {

void attach(MainForm &form, Context &context)
{
    for (const Category &category : categories()) {
        CategoryTab *tab = &form.tab(category);
        QObject::connect(tab->addButton, &QPushButton::clicked, tab, [tab, &context] {
            addEntry(*context.catalogue, *tab, *context.services);
        });
        QObject::connect(tab->updateButton, &QPushButton::clicked, tab, [tab, &context] {
            updateEntry(*context.catalogue, *tab, *context.services);
        });
        QObject::connect(tab->undoButton, &QPushButton::clicked, tab, [tab, &context] {
            undoLast(*context.catalogue, *tab, *context.services);
        });
        refreshUndo(*context.catalogue, *tab);
    }
}

} // namespace tabrix::editing
