#pragma once

// The author counts made the plain way: one query per author, walking every
// matching entry. Slow on a large catalogue; the grouped count of the
// statistics is checked and timed against it.

#include "store/sqlite.h"
#include "store/stats.h"

#include <sqlite3.h>

namespace tabrix {

inline Result<std::vector<AuthorCount>> authorCountsOneByOne(Catalogue &catalogue, const Category &category)
{
    if (const int code = registerAuthorKey(catalogue.handle()); code != SQLITE_OK)
        return Failure{catalogue.failureText(QStringLiteral("Comptage impossible"), code)};
    // The authors in the order of their first entry, then one query each.
    QStringList keys;
    {
        sql::Statement &query = catalogue.statement(
            QStringLiteral("SELECT author FROM (SELECT tabrix_author_key(auteur) AS author, min(rowid) AS first "
                           "FROM %1 WHERE auteur IS NOT NULL GROUP BY author) WHERE author <> '' ORDER BY first")
                .arg(category.table));
        while (query.next())
            keys << query.text(0);
        if (query.failed())
            return Failure{catalogue.failureText(QStringLiteral("Comptage impossible"), query.code())};
    }

    std::vector<AuthorCount> counts;
    for (const QString &key : std::as_const(keys)) {
        sql::Statement &query = catalogue.statement(
            QStringLiteral("SELECT auteur FROM %1 WHERE tabrix_author_key(auteur) = ?1 ORDER BY rowid").arg(category.table));
        query.bind(1, key);
        AuthorCount count;
        while (query.next()) {
            ++count.count;
            count.author = query.text(0);
        }
        if (query.failed())
            return Failure{catalogue.failureText(QStringLiteral("Comptage impossible"), query.code())};
        counts.push_back(std::move(count));
    }
    return counts;
}

} // namespace tabrix
