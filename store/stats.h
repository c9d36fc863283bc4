#pragma once

#include "store/catalogue.h"
#include "store/category.h"
#include "store/result.h"

#include <QString>

#include <vector>

struct sqlite3;

namespace tabrix {

// How many entries of a list one author has posted, with the author shown
// as written in that author's last entry (in stored order).
struct AuthorCount {
    QString author;
    int count = 0;

    friend bool operator==(const AuthorCount &a, const AuthorCount &b)
    {
        return a.count == b.count && a.author == b.author;
    }
};

// Every author who has entries in the list, in the order of each author's
// first entry (stored order). Entries belong to one author when their author
// texts are equal with letter case ignored (accented letters included) and
// surrounding blanks set aside; a blank author counts for nobody. Whether
// `auteurs` knows the author does not matter. One pass over the list.
Result<std::vector<AuthorCount>> authorCounts(Catalogue &catalogue, const Category &category);

// authorCounts() of the four lists, in categories() order.
std::vector<Result<std::vector<AuthorCount>>> authorCountsOfEveryList(Catalogue &catalogue);

// Makes tabrix_author_key(text) known to a connection, once: the text with
// letter case folded and surrounding blanks set aside, as authors are told
// apart in the counts. An SQLite result code.
int registerAuthorKey(sqlite3 *db);

// The order of a statistics grid: the most entries first, equal counts in
// French order of the shown names; otherwise the given order is kept.
void rankAuthorCounts(std::vector<AuthorCount> &counts);

} // namespace tabrix
