#pragma once

#include <QString>

namespace tabrix {
class CategoryTab;
struct Context;
struct MainForm;
}

namespace tabrix::editing {

// What follows a saved « Ajouter »: the author is offered in the author box
// of every list, a sorted grid puts the new row in its place and shows it,
// and the focus goes to the list's number box for the next entry.
void afterAdd(MainForm &form, Context &context, CategoryTab &tab, const QString &number, const QString &author);

// What follows a saved « MAJ »: a sorted grid puts the row in its place and
// shows it.
void afterUpdate(MainForm &form, Context &context, CategoryTab &tab, const QString &number);

} // namespace tabrix::editing
