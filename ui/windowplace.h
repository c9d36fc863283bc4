#pragma once

class QString;
class QWidget;

namespace tabrix {

// Gives a window back the size and place the user left it at (the standard
// settings of the user's configuration folder, under `name`), brought onto
// the screen if it no longer fits there, and keeps them when it closes.
void rememberPlace(QWidget *window, const QString &name);

} // namespace tabrix
