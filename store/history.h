#pragma once

#include "store/catalogue.h"

#include <QString>

#include <optional>
#include <vector>

struct sqlite3;

namespace tabrix::sql {
class Statement;
}

namespace tabrix {

// One change made by "Ajouter" or "MAJ", as the history keeps it.
struct Change {
    enum class Kind { Add, Update };
    qint64 id = 0;
    QString at;   // local date and time, "AAAA-MM-JJ HH:MM:SS"
    QString list; // the list's table
    Kind kind = Kind::Add;
    std::optional<Entry> before;        // what the entry was (an update only)
    Entry after;                        // what it became
    std::optional<QString> addedAuthor; // the author the add recorded in auteurs
    bool undone = false;
};

// The history lives in a file of its own beside the catalogue, attached to
// the catalogue's connection under this name, so that a change and its
// record are written in one transaction without the catalogue's tables
// ever being altered.
inline QString historySchema() { return QStringLiteral("historique"); }
QString historyPath(const QString &cataloguePath);

// Creates the history's table in the main schema of `db` when it is not there.
Status createHistoryTable(sqlite3 *db);

// The columns of a change, in the order changeFromRow() reads them.
QString changeColumns();
Change changeFromRow(const sql::Statement &row);

// Every change of the history attached as `historySchema()`, newest first.
Result<std::vector<Change>> readChanges(sqlite3 *db);

} // namespace tabrix
