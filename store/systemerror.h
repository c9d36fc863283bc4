#pragma once

#include <QString>

namespace tabrix {

// The French words for a system error (an errno value), as they go at the
// end of a message: "permission refusée", "disque plein" ...
QString systemErrorText(int error);

// "Le fichier « … » n'a pas pu être écrit : <cause>."
QString writeFailureText(const QString &path, int error);

// A path as the user reads it in a message.
QString shownPath(const QString &path);

} // namespace tabrix
