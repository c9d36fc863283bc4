#pragma once

#include "store/result.h"

#include <QByteArray>
#include <QString>

struct sqlite3;

namespace tabrix::admin {

// A path as the user reads it in a message.
QString shown(const QString &path);

// An SQLite connection, closed when it goes out of scope.
class Connection {
public:
    Connection() = default;
    explicit Connection(sqlite3 *db) : m_db(db) {}
    ~Connection();
    Connection(Connection &&other) noexcept;
    Connection &operator=(Connection &&other) noexcept;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *get() const { return m_db; }
    // Runs SQL that takes no value from outside.
    Status run(const char *sql) const;

private:
    sqlite3 *m_db = nullptr;
};

enum class Access {
    // Reads only: the file is never written, not even to finish a write that
    // was interrupted.
    ReadOnly,
    // Reads, but lets SQLite finish an interrupted write first, as the
    // program would on opening (read-only when the file cannot be written).
    Reading,
};

// Opens an existing catalogue file after making sure it is one: missing
// files, folders, the old program's Access files and other files get a
// French message. Tables are not looked at.
Result<Connection> openCatalogueFile(const QString &path, Access access);

// The French text of an SQLite failure on `db`.
QString sqliteText(sqlite3 *db, int code);

// A new file that appears under its final name only when it is complete:
// written under a hidden temporary name in the same folder, then renamed
// without ever replacing a file of that name.
class NewFile {
public:
    explicit NewFile(QString path);
    ~NewFile(); // removes the temporary file unless published

    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    // Creates the temporary file; its path, for writers that open it
    // themselves.
    Status reserve();
    const QString &temporaryPath() const { return m_temporary; }
    const QString &path() const { return m_path; }

    Status write(const QByteArray &bytes);
    // Flushes it to the disk and gives it the permissions of a new file.
    Status finish();
    // Renames it to its final name; refuses when that name is taken.
    Status publish();
    // Removes the published file again (when a later step of the same
    // command failed).
    void withdraw();

private:
    QString m_path;
    QString m_temporary;
    bool m_published = false;
};

// A French message for a file that is already there and is not replaced.
QString alreadyThere(const QString &path);

} // namespace tabrix::admin
