#include "store/history.h"

#include "store/sqlite.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace tabrix {

namespace {

} // namespace

QString changeColumns()
{
    return QStringLiteral("id, at, list, kind, before_ref, before_name, before_author, before_url, before_link, "
                          "after_ref, after_name, after_author, after_url, after_link, added_author, undone");
}

Change changeFromRow(const sql::Statement &row)
{
    Change change;
    change.id = row.integer(0);
    change.at = row.text(1);
    change.list = row.text(2);
    change.kind = row.text(3) == QLatin1String("maj") ? Change::Kind::Update : Change::Kind::Add;
    if (change.kind == Change::Kind::Update)
        change.before = Entry{row.text(4), row.text(5), row.text(6), row.optionalText(7), row.optionalText(8)};
    change.after = Entry{row.text(9), row.text(10), row.text(11), row.optionalText(12), row.optionalText(13)};
    change.addedAuthor = row.optionalText(14);
    change.undone = row.integer(15) != 0;
    return change;
}

QString historyPath(const QString &cataloguePath)
{
    const QFileInfo info(cataloguePath);
    return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("-historique.db"));
}

Status createHistoryTable(sqlite3 *db)
{
    const char *sql = "CREATE TABLE IF NOT EXISTS modifications ("
                      "id INTEGER PRIMARY KEY, at TEXT NOT NULL, list TEXT NOT NULL, kind TEXT NOT NULL, "
                      "before_ref TEXT, before_name TEXT, before_author TEXT, before_url TEXT, before_link TEXT, "
                      "after_ref TEXT, after_name TEXT, after_author TEXT, after_url TEXT, after_link TEXT, "
                      "added_author TEXT, undone INTEGER NOT NULL DEFAULT 0);"
                      "CREATE INDEX IF NOT EXISTS modifications_liste ON modifications (list, undone, id)";
    const int code = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return Failure{sql::describe(sqlite3_extended_errcode(db))};
    return success();
}

Result<std::vector<Change>> readChanges(sqlite3 *db)
{
    sql::Statement query(db, QStringLiteral("SELECT %1 FROM historique.modifications ORDER BY id DESC")
                                 .arg(changeColumns()));
    std::vector<Change> changes;
    while (query.next())
        changes.push_back(changeFromRow(query));
    if (query.failed())
        return Failure{QStringLiteral("L'historique n'a pas pu être lu : %1.").arg(sql::describe(query.code()))};
    return changes;
}

} // namespace tabrix
