#pragma once

#include "store/newfile.h"
#include "store/plainfile.h"
#include "store/result.h"
#include "store/sqlite.h"
#include "store/systemerror.h"

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace tabrix::admin {

using Connection = sql::Connection;

// Runs SQL that takes no value from outside on a catalogue.
Status run(const Connection &db, const char *sql);

enum class Access {
    // Reads only: the file is never written, not even to finish a write that
    // was interrupted.
    ReadOnly,
    // Reads, but lets SQLite finish an interrupted write first, as the
    // program would on opening (read-only when the file cannot be written).
    Reading,
};

// Opens an existing catalogue file after making sure it is one: missing
// files, folders, special files, the old program's Access files and other
// files get a French message. Tables are not looked at. A catalogue in WAL
// mode is opened so that closing it leaves no file that was not there.
// `unreadable` is set when the file is a catalogue that cannot be read now.
Result<Connection> openCatalogueFile(const QString &path, Access access, bool *unreadable = nullptr);

// How long a reader waits for a writer's lock before giving up.
constexpr int busyWaitMs = 1500;

// The French text of an SQLite failure on `db`.
QString sqliteText(sqlite3 *db, int code);

// The program that holds a lock on the file, when it can be known:
// "tabrix (n° 1234)"; empty otherwise.
QString lockHolder(const QString &path);

} // namespace tabrix::admin
