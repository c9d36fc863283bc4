#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <utility>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace tabrix::sql {

// An SQLite connection, closed when it goes out of scope (statements made
// on it must be gone by then).
class Connection {
public:
    Connection() = default;
    explicit Connection(sqlite3 *db) : m_db(db) {}
    ~Connection() { close(); }
    Connection(Connection &&other) noexcept;
    Connection &operator=(Connection &&other) noexcept;
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Opens a file with sqlite3_open_v2's flags; SQLite's result code. On
    // failure the connection stays closed.
    int open(const QString &path, int flags);
    void close();

    sqlite3 *get() const { return m_db; }
    // Hands the open connection over to the caller, who closes it.
    sqlite3 *release() { return std::exchange(m_db, nullptr); }
    explicit operator bool() const { return m_db != nullptr; }
    // Runs SQL that takes no value from outside; SQLite's result code.
    int exec(const char *sql) const;

private:
    sqlite3 *m_db = nullptr;
};

// A prepared statement, finalised when it goes out of scope. Values are
// always bound as parameters, never pasted into the query text.
class Statement {
public:
    Statement() = default;
    Statement(sqlite3 *db, const QString &query);
    ~Statement();
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool valid() const { return m_stmt != nullptr; }
    int prepareCode() const { return m_prepareCode; }

    void reset();
    void bind(int index, const QString &text);
    void bind(int index, const std::optional<QString> &text);
    void bind(int index, qint64 value);

    // Steps once: true while a row is available, false at the end or on an
    // error (then code() tells which).
    bool next();
    // Steps once for a statement that returns no rows, resets it, and
    // returns SQLite's result code (SQLITE_DONE on success).
    int run();
    int code() const { return m_lastCode; }
    bool failed() const;

    int columnCount() const;
    bool isNull(int column) const;
    QString text(int column) const;               // NULL gives an empty text
    std::optional<QString> optionalText(int column) const;
    // The column's UTF-8 bytes as SQLite holds them, valid until the next
    // step or reset; NULL gives an empty view. For scans that look at every
    // row without making a QString of each.
    std::string_view utf8(int column) const;
    qint64 integer(int column) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
    int m_prepareCode = 0;
    int m_lastCode = 0;
};

// The French text of an SQLite result code (primary or extended), for messages.
QString describe(int code);
// Why nothing can be written to a catalogue whose file was moved or replaced.
QString movedText();

} // namespace tabrix::sql
