#pragma once

#include "store/category.h"
#include "store/sqlite.h"

#include <QCollatorSortKey>
#include <QHash>
#include <QString>
#include <QStringList>

#include <map>
#include <vector>

struct sqlite3;

namespace tabrix::bench {

// A connection of its own to a catalogue file, with nothing of the program
// above it: the floors' SQL runs through it. It knows the folding and
// ordering functions the program applies to texts, each worked out once per
// row as the program does:
//   bench_upper(text)          the text in capitals, as the search compares it
//   bench_french_key(text)     the French sort key of the lists
//   bench_fold(text)           letter case folded: with the text itself, the
//                              order of texts that have the same key
class BareDatabase {
public:
    explicit BareDatabase(const QString &path);
    ~BareDatabase();
    BareDatabase(const BareDatabase &) = delete;
    BareDatabase &operator=(const BareDatabase &) = delete;

    sqlite3 *handle() const { return m_db.get(); }

    // The same `synchronous` and journal settings as the other connection.
    void takeSettingsOf(sqlite3 *other);

    // Runs the query (prepared once, kept) with the values bound in turn,
    // steps every row and returns how many there were.
    int rows(const QString &query, const QStringList &values = {});
    // The same, returning the texts of one column.
    QStringList texts(const QString &query, int column, const QStringList &values = {});
    // The same for a query that returns no rows.
    void execute(const QString &query, const std::vector<std::optional<QString>> &values = {});

private:
    sql::Statement &statement(const QString &query, const QStringList &values);
    void stepped(const sql::Statement &statement, const QString &query);

    sql::Connection m_db; // outlives the statements below
    std::map<QString, sql::Statement> m_statements;
    QHash<QString, QCollatorSortKey> m_orderKeys; // for one query at a time
};

// The SQL the statistics read: `auteurs` once, then the authors of each
// list in stored order.
QStringList statisticsQueries();

// Steps every row of each query.
void stepAll(BareDatabase &db, const QStringList &queries);

// The entries of a list in the order its grid shows them after a click on
// the header of the name or the author column (numbers: no `column`).
QString listQuery(const Category &category, const QString &column = QString());

} // namespace tabrix::bench
