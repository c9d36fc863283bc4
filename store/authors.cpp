#include "store/authors.h"

#include "store/french.h"

#include <QHash>

#include <algorithm>

namespace tabrix {

std::vector<QString> rankAuthors(const std::vector<GridRow> &rows)
{
    struct Tally {
        QString author;
        QString key;
        int count = 0;
    };
    std::vector<Tally> tallies;
    QHash<QString, std::size_t> index;
    for (const GridRow &row : rows) {
        const QString author = row.author.trimmed();
        if (author.isEmpty())
            continue;
        const auto found = index.constFind(author);
        if (found != index.constEnd()) {
            ++tallies[*found].count;
        } else {
            index.insert(author, tallies.size());
            tallies.push_back({author, frenchSortKey(author), 1});
        }
    }
    std::sort(tallies.begin(), tallies.end(), [](const Tally &a, const Tally &b) {
        if (a.count != b.count)
            return a.count > b.count;
        const int byKey = a.key.compare(b.key);
        if (byKey != 0)
            return byKey > 0;
        return frenchTieBreak(a.author, b.author) > 0;
    });
    std::vector<QString> ranked;
    ranked.reserve(tallies.size());
    for (Tally &t : tallies)
        ranked.push_back(std::move(t.author));
    return ranked;
}

} // namespace tabrix
