#include "ui/celltips.h"
#include "ui/mainform.h"
#include "ui/parts.h"
#include "ui/pendingedits.h"

#include <QLineEdit>

namespace tabrix::keeper {

namespace {

void focusNumberBox(MainForm &form, int tabIndex)
{
    if (const Category *category = categoryForTab(tabIndex))
        form.tab(*category).number->setFocus();
}

} // namespace

void attach(MainForm &form, Context &context)
{
    for (CategoryTab *tab : form.tabs) {
        PendingEdits::of(*tab);
        showCutTextsAsTips(tab->grid);
    }

    form.onglet->setChangeGuard([&form, &context](int) { return mayDropEdits(form, *context.services); });
    QObject::connect(form.onglet, &TabControl::currentChanged, form.window,
                     [&form](int index) { focusNumberBox(form, index); });
    focusNumberBox(form, form.onglet->currentIndex());
}

} // namespace tabrix::keeper
