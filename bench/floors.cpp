#include "floors.h"

#include "scenario.h"
#include "store/french.h"

#include <QFile>
#include <QHash>

#include <sqlite3.h>

namespace tabrix::bench {

namespace {

QString argumentText(sqlite3_value *value)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(value)), sqlite3_value_bytes(value));
}

void resultText(sqlite3_context *context, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_result_text(context, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void upperFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    resultText(context, argumentText(values[0]).toUpper());
}

void frenchKeyFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    resultText(context, frenchSortKey(argumentText(values[0])));
}

void foldFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    resultText(context, foldCase(argumentText(values[0])));
}

// The lists' order (French keys, numbers by their value), each text's key
// made once as the program makes it once per row.
int frenchOrderCollation(void *keys, int lengthA, const void *a, int lengthB, const void *b)
{
    auto &cache = *static_cast<QHash<QString, QCollatorSortKey> *>(keys);
    const auto keyOf = [&cache](const QString &text) -> const QCollatorSortKey & {
        auto found = cache.find(text);
        if (found == cache.end())
            found = cache.insert(text, frenchOrderKey(text));
        return *found;
    };
    const QString textA = QString::fromUtf8(static_cast<const char *>(a), lengthA);
    const QString textB = QString::fromUtf8(static_cast<const char *>(b), lengthB);
    const int byKey = keyOf(textA).compare(keyOf(textB));
    return byKey != 0 ? byKey : frenchTieBreak(textA, textB);
}

} // namespace

BareDatabase::BareDatabase(const QString &path)
{
    if (const int code = m_db.open(path, SQLITE_OPEN_READWRITE); code != SQLITE_OK)
        fail(QStringLiteral("%1 : %2").arg(path, sql::describe(code)));
    sqlite3 *db = m_db.get();
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "bench_upper", 1, flags, nullptr, upperFunction, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "bench_french_key", 1, flags, nullptr, frenchKeyFunction, nullptr, nullptr,
                               nullptr);
    sqlite3_create_function_v2(db, "bench_fold", 1, flags, nullptr, foldFunction, nullptr, nullptr, nullptr);
    sqlite3_create_collation_v2(db, "bench_french", SQLITE_UTF8, &m_orderKeys, frenchOrderCollation, nullptr);
}

BareDatabase::~BareDatabase() = default;

void BareDatabase::takeSettingsOf(sqlite3 *other)
{
    sql::Statement synchronous(other, QStringLiteral("PRAGMA synchronous"));
    sql::Statement journal(other, QStringLiteral("PRAGMA journal_mode"));
    if (!synchronous.next() || !journal.next())
        fail(QStringLiteral("réglages du catalogue illisibles"));
    // PRAGMA values cannot be bound; these two come from SQLite itself.
    const QString mode = journal.text(0).toLower();
    if (!QStringList{"delete", "truncate", "persist", "memory", "wal", "off"}.contains(mode))
        fail(QStringLiteral("mode de journal inconnu « %1 »").arg(mode));
    const QByteArray set = QStringLiteral("PRAGMA journal_mode = %1; PRAGMA synchronous = %2")
                               .arg(mode)
                               .arg(synchronous.integer(0))
                               .toUtf8();
    if (sqlite3_exec(m_db.get(), set.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(m_db.get())));
}

sql::Statement &BareDatabase::statement(const QString &query, const QStringList &values)
{
    auto it = m_statements.find(query);
    if (it == m_statements.end()) {
        it = m_statements.emplace(query, sql::Statement(m_db.get(), query)).first;
        if (!it->second.valid())
            fail(QStringLiteral("%1 : %2").arg(query, QString::fromUtf8(sqlite3_errmsg(m_db.get()))));
    }
    it->second.reset();
    for (int i = 0; i < values.size(); ++i)
        it->second.bind(i + 1, values[i]);
    return it->second;
}

void BareDatabase::stepped(const sql::Statement &statement, const QString &query)
{
    if (statement.failed())
        fail(QStringLiteral("%1 : %2").arg(query, sql::describe(statement.code())));
}

int BareDatabase::rows(const QString &query, const QStringList &values)
{
    m_orderKeys.clear();
    sql::Statement &stmt = statement(query, values);
    int count = 0;
    while (stmt.next())
        ++count;
    stepped(stmt, query);
    return count;
}

QStringList BareDatabase::texts(const QString &query, int column, const QStringList &values)
{
    sql::Statement &stmt = statement(query, values);
    QStringList texts;
    while (stmt.next())
        texts << stmt.text(column);
    stepped(stmt, query);
    return texts;
}

void BareDatabase::execute(const QString &query, const std::vector<std::optional<QString>> &values)
{
    sql::Statement &stmt = statement(query, {});
    for (std::size_t i = 0; i < values.size(); ++i)
        stmt.bind(int(i) + 1, values[i]);
    if (const int code = stmt.run(); code != SQLITE_DONE)
        fail(QStringLiteral("%1 : %2").arg(query, sql::describe(code)));
}

QStringList statisticsQueries()
{
    QStringList queries{QStringLiteral("SELECT nom FROM auteurs ORDER BY rowid")};
    for (const Category &category : categories())
        queries << QStringLiteral("SELECT auteur FROM %1 WHERE auteur IS NOT NULL ORDER BY rowid").arg(category.table);
    return queries;
}

void stepAll(BareDatabase &db, const QStringList &queries)
{
    for (const QString &query : queries)
        db.rows(query);
}

QString listQuery(const Category &category, const QString &column)
{
    const QString order = column.isEmpty()
                              ? QStringLiteral("ref, rowid")
                              : QStringLiteral("%1 COLLATE bench_french, ref, rowid").arg(column);
    return QStringLiteral("SELECT ref, %1, auteur FROM %2 ORDER BY %3").arg(category.nameField, category.table, order);
}

} // namespace tabrix::bench
