#include "store/stats.h"

#include "store/french.h"
#include "store/sqlite.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

namespace tabrix {

namespace {

// What two author texts that name the same author have in common: letter
// case folded, surrounding blanks set aside.
QString authorKey(const QString &author)
{
    return foldCase(author.trimmed());
}

QString countFailure(const Catalogue &catalogue, const Category &category, int code)
{
    return catalogue.failureText(QStringLiteral("Les auteurs de la liste %1 n'ont pas pu être comptés").arg(category.word),
                                 code);
}

// tabrix_author_key(text): authorKey() of the text.
void authorKeyFunction(sqlite3_context *context, int, sqlite3_value **values)
{
    if (sqlite3_value_type(values[0]) == SQLITE_NULL) {
        sqlite3_result_null(context);
        return;
    }
    const auto *data = reinterpret_cast<const char *>(sqlite3_value_text(values[0]));
    const QByteArray key = authorKey(QString::fromUtf8(data, sqlite3_value_bytes(values[0]))).toUtf8();
    sqlite3_result_text(context, key.constData(), int(key.size()), SQLITE_TRANSIENT);
}

// How often each exact spelling of an author occurs in a list, with the
// positions of its earliest and latest entries in stored order.
struct BytesHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view bytes) const { return std::hash<std::string_view>{}(bytes); }
};
struct Tally {
    int count = 0;
    int first = -1; // position of the earliest entry
    int last = -1;  // position of the latest entry
};
using Spellings = std::unordered_map<std::string, Tally, BytesHash, std::equal_to<>>;

// Spellings of the same author are added up, the shown name taken from the
// latest entry; a blank author counts for nobody. In the order of each
// author's first entry.
std::vector<AuthorCount> groupByAuthor(const Spellings &spellings)
{
    struct Group {
        int count = 0;
        int first = -1;
        int last = -1;
        QString shown;
    };
    QHash<QString, Group> groups;
    groups.reserve(qsizetype(spellings.size()));
    for (const auto &[bytes, tally] : spellings) {
        const QString spelling = QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
        const QString key = authorKey(spelling);
        if (key.isEmpty())
            continue;
        Group &group = groups[key];
        group.count += tally.count;
        if (group.first < 0 || tally.first < group.first)
            group.first = tally.first;
        if (tally.last > group.last) {
            group.last = tally.last;
            group.shown = spelling;
        }
    }
    std::vector<const Group *> ordered;
    ordered.reserve(std::size_t(groups.size()));
    for (const Group &group : std::as_const(groups))
        ordered.push_back(&group);
    std::sort(ordered.begin(), ordered.end(), [](const Group *a, const Group *b) { return a->first < b->first; });
    std::vector<AuthorCount> counts;
    counts.reserve(ordered.size());
    for (const Group *group : ordered)
        counts.push_back({group->shown, group->count});
    return counts;
}

Result<std::vector<AuthorCount>> countsOf(Catalogue &catalogue, const Category &category)
{
    // One walk over the list in stored order, tallying each exact spelling
    // from the bytes SQLite holds (no text is made per entry); the few
    // spellings are then brought together by author.
    Spellings spellings;
    sql::Statement &query = catalogue.statement(
        QStringLiteral("SELECT auteur FROM %1 WHERE auteur IS NOT NULL ORDER BY rowid").arg(category.table));
    for (int position = 0; query.next(); ++position) {
        const std::string_view bytes = query.utf8(0);
        auto it = spellings.find(bytes);
        if (it == spellings.end())
            it = spellings.emplace(std::string(bytes), Tally{}).first;
        if (it->second.count++ == 0)
            it->second.first = position;
        it->second.last = position;
    }
    if (query.failed())
        return Failure{countFailure(catalogue, category, query.code())};
    return groupByAuthor(spellings);
}

} // namespace

int registerAuthorKey(sqlite3 *db)
{
    sql::Statement probe(db, QStringLiteral("SELECT tabrix_author_key('')"));
    if (probe.valid())
        return SQLITE_OK;
    return sqlite3_create_function_v2(db, "tabrix_author_key", 1,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                      authorKeyFunction, nullptr, nullptr, nullptr);
}

Result<std::vector<AuthorCount>> authorCounts(Catalogue &catalogue, const Category &category)
{
    return countsOf(catalogue, category);
}

std::vector<Result<std::vector<AuthorCount>>> authorCountsOfEveryList(Catalogue &catalogue)
{
    std::vector<Result<std::vector<AuthorCount>>> all;
    for (const Category &category : categories())
        all.push_back(countsOf(catalogue, category));
    return all;
}

void rankAuthorCounts(std::vector<AuthorCount> &counts)
{
    struct Keyed {
        int count;
        QString key;
        std::size_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(counts.size());
    for (std::size_t i = 0; i < counts.size(); ++i)
        keyed.push_back({counts[i].count, frenchSortKey(counts[i].author), i});
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        if (a.count != b.count)
            return a.count > b.count;
        const int byKey = a.key.compare(b.key);
        if (byKey != 0)
            return byKey < 0;
        return counts[a.index].author.compare(counts[b.index].author) < 0;
    });
    std::vector<AuthorCount> ranked;
    ranked.reserve(counts.size());
    for (const Keyed &k : keyed)
        ranked.push_back(std::move(counts[k.index]));
    counts = std::move(ranked);
}

} // namespace tabrix
