#include "editing/aftersave.h"

#include "browse/browse.h"
#include "ui/mainform.h"

#include <QComboBox>
#include <QLineEdit>

namespace tabrix::editing {

namespace {

void offerAuthor(MainForm &form, const QString &author)
{
    const QString name = author.trimmed();
    for (CategoryTab *tab : form.tabs) {
        QComboBox &box = *tab->author;
        if (box.findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive) >= 0)
            continue;
        // A first item would become the box's text: what it shows stays.
        const QString shown = box.currentText();
        box.addItem(name);
        box.setEditText(shown);
    }
}

} // namespace

void afterAdd(MainForm &form, Context &context, CategoryTab &tab, const QString &number, const QString &author)
{
    offerAuthor(form, author);
    browse::placeEntry(form, context, tab.category(), number);
    tab.number->setFocus();
}

void afterUpdate(MainForm &form, Context &context, CategoryTab &tab, const QString &number)
{
    browse::placeEntry(form, context, tab.category(), number);
}

} // namespace tabrix::editing
