#pragma once

#include "store/result.h"

#include <QDateTime>
#include <QString>

namespace tabrix {

class Catalogue;

// The copies of a catalogue go into this folder beside it.
QString copiesFolder(const QString &cataloguePath);
constexpr int keptCopies = 10;

// At start-up, for a catalogue that may be written: when the catalogue changed since its newest copy, or that
// copy is over a day old, writes a consistent copy (SQLite's online backup)
// named by date and time, then keeps the 10 newest. A copy that cannot be
// written leaves nothing behind and the message says why.
Status writeDailyCopy(Catalogue &catalogue, const QDateTime &now = QDateTime::currentDateTime());

// Puts the copy back in the place of the catalogue at `path`: refused while
// a Tabrix has the catalogue open; the current file (and its history) is
// first kept as a copy of its own; no journal left beside the old file is
// ever played back into the restored one.
Status restoreCopy(const QString &copy, const QString &path, const QDateTime &now = QDateTime::currentDateTime());

} // namespace tabrix
