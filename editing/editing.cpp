#include "editing/aftersave.h"
#include "editing/entryops.h"
#include "store/category.h"
#include "ui/mainform.h"
#include "ui/parts.h"

#include <QLineEdit>
#include <QPushButton>

namespace tabrix::editing {

void attach(MainForm &form, Context &context)
{
    for (const Category &category : categories()) {
        CategoryTab *tab = &form.tab(category);
        QObject::connect(tab->addButton, &QPushButton::clicked, tab, [tab, &form, &context] {
            const QString number = tab->number->text(), author = tab->authorText();
            if (addEntry(*context.catalogue, *tab, *context.services) == Outcome::Saved)
                afterAdd(form, context, *tab, number, author);
        });
        QObject::connect(tab->updateButton, &QPushButton::clicked, tab, [tab, &form, &context] {
            const QString number = tab->number->text();
            if (updateEntry(*context.catalogue, *tab, *context.services) == Outcome::Saved)
                afterUpdate(form, context, *tab, number);
        });
        QObject::connect(tab->undoButton, &QPushButton::clicked, tab, [tab, &context] {
            undoLast(*context.catalogue, *tab, *context.services);
        });
        refreshUndo(*context.catalogue, *tab);
    }
}

} // namespace tabrix::editing
