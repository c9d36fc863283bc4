// The catalogue's history of changes and the undo of its last ones.

#include "store/catalogue.h"

#include "store/entrynumber.h"
#include "store/filekind.h"
#include "store/history.h"
#include "store/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace tabrix {

Status Catalogue::attachHistory(bool create)
{
    const QString path = historyPath(m_path);
    const QString shown = shownPath(path);
    if (m_history || (!create && !QFileInfo::exists(path)))
        return success();
    if (const std::optional<QString> kind = specialFileKind(path))
        return Failure{QStringLiteral("L'historique « %1 » est %2, pas un fichier ordinaire : déplacez-le, puis relancez "
                                      "Tabrix")
                           .arg(shown, *kind)};
    // The catalogue's connection may open files but not create them: a
    // missing history is made, empty, on a connection of its own, which
    // also finishes one left half-made by an interrupted program.
    if (!readOnly()) {
        sql::Connection db;
        const int code = db.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        Status created = code == SQLITE_OK ? createHistoryTable(db.get()) : Failure{sql::describe(code)};
        db.close();
        if (!created)
            return Failure{QStringLiteral("L'historique « %1 » ne peut pas être préparé : %2. Déplacez-le, puis "
                                          "relancez Tabrix")
                               .arg(shown, created.error())};
    }
    sql::Statement attach(m_connection.get(), QStringLiteral("ATTACH DATABASE ?1 AS historique"));
    attach.bind(1, path);
    if (const int code = attach.run(); code != SQLITE_DONE)
        return Failure{QStringLiteral("L'historique « %1 » ne peut pas être ouvert : %2. Déplacez-le, puis relancez "
                                      "Tabrix")
                           .arg(shown, sql::describe(code))};
    m_connection.exec("PRAGMA historique.synchronous = EXTRA");
    m_history = true;
    return success();
}

Status Catalogue::record(const Category &category, const std::optional<Entry> &before, const Entry &after,
                         const std::optional<QString> &addedAuthor)
{
    if (!m_history)
        return success();
    sql::Statement &insert = statement(QStringLiteral(
        "INSERT INTO historique.modifications (at, list, kind, before_ref, before_name, before_author, before_url, "
        "before_link, after_ref, after_name, after_author, after_url, after_link, added_author) "
        "VALUES (datetime('now', 'localtime'), ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)"));
    insert.bind(1, category.table);
    insert.bind(2, QString::fromLatin1(before ? "maj" : "ajout"));
    const Entry none;
    const Entry &b = before ? *before : none;
    const auto optional = [&](const QString &text) { return before ? std::optional<QString>(text) : std::nullopt; };
    insert.bind(3, optional(b.ref));
    insert.bind(4, optional(b.name));
    insert.bind(5, optional(b.author));
    insert.bind(6, b.url);
    insert.bind(7, b.link);
    insert.bind(8, after.ref);
    insert.bind(9, after.name);
    insert.bind(10, after.author);
    insert.bind(11, after.url);
    insert.bind(12, after.link);
    insert.bind(13, addedAuthor);
    const int code = insert.run();
    if (code != SQLITE_DONE)
        return Failure{QStringLiteral("l'historique n'a pas pu être écrit (%1)").arg(sql::describe(code))};
    return success();
}

Result<std::optional<Change>> Catalogue::lastChange(const Category &category)
{
    if (!m_history)
        return std::optional<Change>();
    sql::Statement &query = statement(QStringLiteral("SELECT %1 FROM historique.modifications WHERE list = ?1 AND "
                                                     "undone = 0 ORDER BY id DESC LIMIT 1")
                                          .arg(changeColumns()));
    query.bind(1, category.table);
    std::optional<Change> found;
    if (query.next())
        found = changeFromRow(query);
    else if (query.failed())
        return Failure{QStringLiteral("L'historique n'a pas pu être lu : %1.").arg(sql::describe(query.code()))};
    query.reset();
    return found;
}

Status Catalogue::undoAdd(const Category &category, const Change &change)
{
    // Only the list's last entry goes, so that numbers stay 1 … N.
    const Result<int> stored = count(category);
    if (!stored || change.after.ref != threeDigitText(*stored))
        return Failure{QStringLiteral("le n° %1 n'est plus la dernière entrée de la liste %2")
                           .arg(change.after.ref, category.word)};
    sql::Statement &remove = statement(
        QStringLiteral("DELETE FROM %1 WHERE rowid = (SELECT rowid FROM %1 WHERE ref = ?1 LIMIT 1)").arg(category.table));
    remove.bind(1, change.after.ref);
    if (const int code = remove.run(); code != SQLITE_DONE)
        return Failure{sql::describe(code)};
    if (change.addedAuthor) {
        sql::Statement &author = statement(QStringLiteral(
            "DELETE FROM auteurs WHERE rowid = (SELECT max(rowid) FROM auteurs WHERE nom = ?1)"));
        author.bind(1, *change.addedAuthor);
        if (const int code = author.run(); code != SQLITE_DONE)
            return Failure{sql::describe(code)};
    }
    return success();
}

Status Catalogue::undoUpdate(const Category &category, const Change &change)
{
    const Entry &b = *change.before;
    sql::Statement &update = statement(
        QStringLiteral("UPDATE %1 SET ref = ?2, %2 = ?3, auteur = ?4, url = ?5, lien = ?6 "
                       "WHERE rowid = (SELECT rowid FROM %1 WHERE ref = ?1 LIMIT 1)")
            .arg(category.table, category.nameField));
    update.bind(1, change.after.ref);
    update.bind(2, b.ref);
    update.bind(3, b.name);
    update.bind(4, b.author);
    update.bind(5, b.url);
    update.bind(6, b.link);
    if (const int code = update.run(); code != SQLITE_DONE)
        return Failure{sql::describe(code)};
    return success();
}

Status Catalogue::undo(const Category &category, qint64 id, int shown)
{
    const QString what = QStringLiteral("La modification n'a pas été annulée");
    if (Status begun = beginChange(category, shown); !begun)
        return Failure{QStringLiteral("%1 : %2.").arg(what, begun.error())};
    auto abandon = [&](const QString &cause) {
        execute(QStringLiteral("ROLLBACK"));
        return Failure{QStringLiteral("%1 : %2.").arg(what, cause)};
    };
    // Read again in the transaction: still the last one, still what the list holds.
    const Result<std::optional<Change>> last = lastChange(category);
    if (!last)
        return abandon(last.error());
    if (!last->has_value() || (*last)->id != id)
        return abandon(QStringLiteral("l'historique a changé depuis son affichage. Relancez Tabrix"));
    const Change &change = **last;
    const Result<std::optional<Entry>> current = find(category, change.after.ref);
    if (!current)
        return abandon(current.error());
    if (!current->has_value() || **current != change.after)
        return abandon(QStringLiteral("l'entrée n° %1 ne contient plus ce que la modification avait écrit ; un autre "
                                      "programme l'a changée. Relancez Tabrix")
                           .arg(change.after.ref));
    const Status undone = change.kind == Change::Kind::Add ? undoAdd(category, change) : undoUpdate(category, change);
    if (!undone)
        return abandon(undone.error());
    sql::Statement &mark = statement(QStringLiteral("UPDATE historique.modifications SET undone = 1 WHERE id = ?1"));
    mark.bind(1, id);
    if (const int code = mark.run(); code != SQLITE_DONE)
        return abandon(sql::describe(code));
    if (Status committed = endChange(); !committed)
        return Failure{QStringLiteral("%1 : %2.").arg(what, committed.error())};
    return success();
}

} // namespace tabrix
