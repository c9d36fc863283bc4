#include "store/catalogue.h"

#include "store/french.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

namespace tabrix {

QString entryColumns(const Category &category)
{
    return QStringLiteral("ref, %1, auteur, url, lien").arg(category.nameField);
}

Catalogue::Catalogue(sql::Connection connection, QString path)
    : m_connection(std::move(connection)), m_path(std::move(path))
{
}

Catalogue::~Catalogue()
{
    if (m_inUse >= 0)
        ::close(m_inUse);
}

Catalogue::FileIdentity Catalogue::fileIdentity(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

bool Catalogue::readOnly() const
{
    return sqlite3_db_readonly(m_connection.get(), "main") == 1;
}

sql::Statement &Catalogue::statement(const QString &query)
{
    auto it = m_statements.find(query);
    if (it == m_statements.end())
        it = m_statements.emplace(query, sql::Statement(m_connection.get(), query)).first;
    it->second.reset();
    return it->second;
}

QString Catalogue::failureText(const QString &what, int code) const
{
    return QStringLiteral("%1 : %2.").arg(what, sql::describe(code));
}

Result<std::vector<GridRow>> Catalogue::rows(const Category &category, SortColumn column)
{
    sql::Statement &query = statement(
        QStringLiteral("SELECT ref, %1, auteur FROM %2 ORDER BY ref, rowid").arg(category.nameField, category.table));
    std::vector<GridRow> rows;
    while (query.next())
        rows.push_back({query.text(0), query.text(1), query.text(2)});
    if (query.failed())
        return Failure{failureText(QStringLiteral("La liste %1 n'a pas pu être lue").arg(category.word), query.code())};
    if (column == SortColumn::Number)
        return rows;

    // Sort keys are worked out once per row, not once per comparison.
    struct Keyed {
        QCollatorSortKey key;
        const QString *text;
        std::size_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString &text = column == SortColumn::Name ? rows[i].name : rows[i].author;
        keyed.push_back({frenchOrderKey(text), &text, i});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        const int byKey = a.key.compare(b.key);
        if (byKey != 0)
            return byKey < 0;
        return frenchTieBreak(*a.text, *b.text) < 0;
    });
    std::vector<GridRow> sorted;
    sorted.reserve(rows.size());
    for (const Keyed &k : keyed)
        sorted.push_back(std::move(rows[k.index]));
    return sorted;
}

Result<std::vector<GridRow>> Catalogue::storedRows(const Category &category)
{
    sql::Statement &query = statement(
        QStringLiteral("SELECT ref, %1, auteur FROM %2 ORDER BY rowid").arg(category.nameField, category.table));
    std::vector<GridRow> rows;
    while (query.next())
        rows.push_back({query.text(0), query.text(1), query.text(2)});
    if (query.failed())
        return Failure{failureText(QStringLiteral("La liste %1 n'a pas pu être lue").arg(category.word), query.code())};
    return rows;
}

Result<std::optional<Entry>> Catalogue::find(const Category &category, const QString &ref)
{
    sql::Statement &query = statement(
        QStringLiteral("SELECT %1 FROM %2 WHERE ref = ?1").arg(entryColumns(category), category.table));
    query.bind(1, ref);
    std::optional<Entry> found;
    if (query.next())
        found = Entry{query.text(0), query.text(1), query.text(2), query.optionalText(3), query.optionalText(4)};
    else if (query.failed())
        return Failure{failureText(QStringLiteral("Le n° %1 n'a pas pu être lu").arg(ref), query.code())};
    query.reset();
    return found;
}

Result<int> Catalogue::count(const Category &category)
{
    sql::Statement &query = statement(QStringLiteral("SELECT count(*) FROM %1").arg(category.table));
    if (!query.next())
        return Failure{failureText(QStringLiteral("La liste %1 n'a pas pu être comptée").arg(category.word), query.code())};
    const int n = int(query.integer(0));
    query.reset();
    return n;
}

Result<std::vector<QString>> Catalogue::authors()
{
    sql::Statement &query = statement(QStringLiteral("SELECT nom FROM auteurs ORDER BY rowid"));
    std::vector<QString> names;
    while (query.next())
        names.push_back(query.text(0));
    if (query.failed())
        return Failure{failureText(QStringLiteral("La liste des auteurs n'a pas pu être lue"), query.code())};
    return names;
}

Result<bool> Catalogue::knowsAuthor(const QString &name)
{
    const Result<std::vector<QString>> names = authors();
    if (!names)
        return Failure{names.error()};
    const QString wanted = foldCase(name);
    return std::any_of(names->begin(), names->end(), [&](const QString &n) { return foldCase(n) == wanted; });
}

Status Catalogue::execute(const QString &query)
{
    sql::Statement &stmt = statement(query);
    const int code = stmt.run();
    if (code != SQLITE_DONE && code != SQLITE_ROW)
        return Failure{sql::describe(code)};
    return success();
}

Status Catalogue::insertEntry(const Category &category, const Entry &entry)
{
    sql::Statement &insert = statement(QStringLiteral("INSERT INTO %1 (%2) VALUES (?1, ?2, ?3, ?4, ?5)")
                                           .arg(category.table, entryColumns(category)));
    insert.bind(1, entry.ref);
    insert.bind(2, entry.name);
    insert.bind(3, entry.author);
    insert.bind(4, entry.url);
    insert.bind(5, entry.link);
    const int code = insert.run();
    if (code != SQLITE_DONE)
        return Failure{sql::describe(code)};
    return success();
}

Status Catalogue::beginChange(const Category &category, int shown)
{
    // A catalogue made before the history gains it with its first change.
    if (!readOnly())
        if (Status attached = attachHistory(true); !attached)
            return attached;
    if (Status begun = execute(QStringLiteral("BEGIN IMMEDIATE")); !begun)
        return begun;
    QString cause;
    if (fileIdentity(m_path) != m_identity) {
        cause = sql::movedText();
    } else if (const Result<int> stored = count(category); !stored) {
        cause = QStringLiteral("la liste %1 n'a pas pu être comptée").arg(category.word);
    } else if (*stored != shown) {
        cause = QStringLiteral("un autre programme a modifié le catalogue depuis son affichage (la liste %1 compte "
                               "maintenant %2 entrées, la grille en montre %3) ; rien n'a été écrit. Relancez Tabrix "
                               "pour voir le catalogue tel qu'il est maintenant")
                    .arg(category.word)
                    .arg(*stored)
                    .arg(shown);
    }
    if (cause.isEmpty())
        return success();
    execute(QStringLiteral("ROLLBACK"));
    return Failure{cause};
}

Status Catalogue::endChange()
{
    if (Status committed = execute(QStringLiteral("COMMIT")); !committed) {
        execute(QStringLiteral("ROLLBACK"));
        return committed;
    }
    return success();
}

Result<bool> Catalogue::append(const Category &category, const Entry &entry, int shown)
{
    const QString what = QStringLiteral("L'entrée n° %1 n'a pas été enregistrée").arg(entry.ref);
    if (Status begun = beginChange(category, shown); !begun)
        return Failure{QStringLiteral("%1 : %2.").arg(what, begun.error())};

    auto abandon = [&](const QString &cause) {
        execute(QStringLiteral("ROLLBACK"));
        return Failure{QStringLiteral("%1 : %2.").arg(what, cause)};
    };
    // Whether the number is taken is read in the transaction that writes it.
    const Result<std::optional<Entry>> existing = find(category, entry.ref);
    if (!existing)
        return abandon(QStringLiteral("la liste %1 n'a pas pu être lue").arg(category.word));
    if (existing->has_value()) {
        execute(QStringLiteral("ROLLBACK"));
        return false;
    }
    // Whichever list the entry goes to, its author is known from now on.
    std::optional<QString> addedAuthor;
    const Result<bool> known = knowsAuthor(entry.author);
    if (!known)
        return abandon(QStringLiteral("la liste des auteurs n'a pas pu être lue"));
    if (!*known) {
        sql::Statement &insert = statement(QStringLiteral("INSERT INTO auteurs (nom) VALUES (?1)"));
        insert.bind(1, entry.author);
        const int code = insert.run();
        if (code != SQLITE_DONE)
            return abandon(sql::describe(code));
        addedAuthor = entry.author;
    }
    if (Status inserted = insertEntry(category, entry); !inserted)
        return abandon(inserted.error());
    if (Status recorded = record(category, std::nullopt, entry, addedAuthor); !recorded)
        return abandon(recorded.error());
    if (Status committed = endChange(); !committed)
        return Failure{QStringLiteral("%1 : %2.").arg(what, committed.error())};
    return true;
}

Result<bool> Catalogue::rewrite(const Category &category, const QString &ref, const Entry &entry, int shown)
{
    const QString what = QStringLiteral("L'entrée n° %1 n'a pas été modifiée").arg(ref);
    if (Status begun = beginChange(category, shown); !begun)
        return Failure{QStringLiteral("%1 : %2.").arg(what, begun.error())};
    const Result<std::optional<Entry>> before = find(category, ref);
    if (!before || !before->has_value()) {
        execute(QStringLiteral("ROLLBACK"));
        if (!before)
            return Failure{QStringLiteral("%1 : la liste %2 n'a pas pu être lue.").arg(what, category.word)};
        return false;
    }
    sql::Statement &update = statement(
        QStringLiteral("UPDATE %1 SET ref = ?2, %2 = ?3, auteur = ?4, url = ?5, lien = ?6 "
                       "WHERE rowid = (SELECT rowid FROM %1 WHERE ref = ?1 LIMIT 1)")
            .arg(category.table, category.nameField));
    update.bind(1, ref);
    update.bind(2, entry.ref);
    update.bind(3, entry.name);
    update.bind(4, entry.author);
    update.bind(5, entry.url);
    update.bind(6, entry.link);
    const int code = update.run();
    if (code != SQLITE_DONE) {
        execute(QStringLiteral("ROLLBACK"));
        return Failure{QStringLiteral("%1 : %2.").arg(what, sql::describe(code))};
    }
    if (Status recorded = record(category, **before, entry, std::nullopt); !recorded) {
        execute(QStringLiteral("ROLLBACK"));
        return Failure{QStringLiteral("%1 : %2.").arg(what, recorded.error())};
    }
    if (Status committed = endChange(); !committed)
        return Failure{QStringLiteral("%1 : %2.").arg(what, committed.error())};
    return true;
}

} // namespace tabrix
