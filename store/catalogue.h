#pragma once

#include "store/category.h"
#include "store/result.h"
#include "store/sqlite.h"

#include <QString>

#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

struct sqlite3;

namespace tabrix {

// What a category grid shows of an entry. A field with no value reads as
// an empty text.
struct Change;

struct GridRow {
    QString ref;
    QString name;
    QString author;
};

// One record of a category table. The links keep the difference between
// "no value" (nullopt) and an empty text.
struct Entry {
    QString ref;
    QString name;
    QString author;
    std::optional<QString> url;
    std::optional<QString> link;
    bool operator==(const Entry &) const = default;
};

enum class SortColumn { Number = 0, Name = 1, Author = 2 };

// The file name of the catalogue, in the program's directory.
inline QString catalogueFileName() { return QStringLiteral("Tabrix.mdb"); }

// The columns an entry is read from, in the order of Entry's fields.
QString entryColumns(const Category &category);

// The open catalogue file. Never shows anything: every call returns its
// outcome, with a French message when it failed.
class Catalogue {
public:
    enum class Problem { Missing, Unreadable, AccessFile, NotCatalogue, MissingTable, Outdated, MissingIndex };
    struct OpenFailure {
        Problem problem;
        QString message;
    };
    using Opened = std::variant<std::unique_ptr<Catalogue>, OpenFailure>;

    // Opens an existing catalogue read-write (read-only when the file or its
    // folder is write-protected). Never creates, repairs or upgrades the file.
    static Opened open(const QString &path);

    ~Catalogue();
    Catalogue(const Catalogue &) = delete;
    Catalogue &operator=(const Catalogue &) = delete;

    const QString &path() const { return m_path; }
    // Whether the catalogue was opened for reading only (the file or its
    // folder cannot be written).
    bool readOnly() const;
    sqlite3 *handle() const { return m_connection.get(); }

    // Entries for the grid: by number, or sorted by name or author in
    // French order (ascending; equal texts keep number order).
    Result<std::vector<GridRow>> rows(const Category &category, SortColumn column = SortColumn::Number);
    // Entries in the order they were stored.
    Result<std::vector<GridRow>> storedRows(const Category &category);
    // The entry with exactly this number, if any.
    Result<std::optional<Entry>> find(const Category &category, const QString &ref);
    Result<int> count(const Category &category);
    // The authors of the auteurs table, in stored order.
    Result<std::vector<QString>> authors();
    // Whether auteurs holds this author, letter case ignored.
    Result<bool> knowsAuthor(const QString &name);

    // A change is written only while the file is the one opened and its list
    // still holds the `shown` entries its grid shows: in one transaction with
    // the change, so that another program cannot slip in between. Otherwise
    // nothing is written and the message says why.

    // Appends an entry, and its author when auteurs does not know it yet:
    // all or nothing. False when the
    // number is already taken (nothing is written then).
    Result<bool> append(const Category &category, const Entry &entry, int shown);
    // Rewrites the entry whose number is `ref` with `entry`; false when no
    // entry has that number (nothing is written then).
    Result<bool> rewrite(const Category &category, const QString &ref, const Entry &entry, int shown);

    // The last change of the list not undone yet, if any.
    Result<std::optional<Change>> lastChange(const Category &category);
    // Undoes the list's last change not undone yet, whose id is `id`: an
    // update gets its previous values back exactly, an add (always the
    // list's last entry) is removed with the author it recorded. Refused,
    // with nothing written, when the entry no longer holds what the change
    // wrote, or as for a change (see above).
    Status undo(const Category &category, qint64 id, int shown);

    // A prepared statement kept for the life of the catalogue.
    sql::Statement &statement(const QString &query);
    // A French message for the last failure on this connection.
    QString failureText(const QString &what, int code) const;

private:
    struct FileIdentity {
        quint64 device = 0, inode = 0;
        bool operator==(const FileIdentity &) const = default;
    };
    static FileIdentity fileIdentity(const QString &path);

    Catalogue(sql::Connection connection, QString path);
    Status beginChange(const Category &category, int shown);
    // Attaches the history beside the catalogue; creates it first when
    // `create` (before the first change), else only when it exists.
    Status attachHistory(bool create);
    Status record(const Category &category, const std::optional<Entry> &before, const Entry &after,
                  const std::optional<QString> &addedAuthor);
    Status undoAdd(const Category &category, const Change &change);
    Status undoUpdate(const Category &category, const Change &change);
    Status endChange();
    Status execute(const QString &query);
    Status insertEntry(const Category &category, const Entry &entry);

    sql::Connection m_connection; // outlives the statements below
    QString m_path;
    FileIdentity m_identity;
    bool m_history = false;
    int m_inUse = -1; // holds the shared lock of an open catalogue
    std::map<QString, sql::Statement> m_statements;
};

} // namespace tabrix
