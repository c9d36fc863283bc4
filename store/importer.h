#pragma once

#include "store/result.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace tabrix {

// The fields of one row; nullopt is a field with no value, which is not the
// same as an empty text.
using Fields = std::vector<std::optional<QString>>;

// One table of an old catalogue, as read from its file: column names and rows
// in stored order, each row holding one field per column.
struct SourceTable {
    QString name;
    QStringList columns;
    std::vector<Fields> rows;
    QStringList skippedColumns; // columns whose content cannot be read as text
};

// What an import writes into one table of the new catalogue.
struct ImportTable {
    QString table;           // our table name
    QStringList columns;     // our columns, in the order of `rows`' fields
    bool found = false;      // false: absent from the old file, created empty
    std::vector<Fields> rows; // in the old file's stored order
};

// Everything an import will do, decided before anything is written.
struct ImportPlan {
    std::vector<ImportTable> tables; // the four lists in categories() order, then auteurs
    QStringList notices;             // what is done beyond copying rows
    QStringList warnings;            // brought over as it stands, but the program will object
    QStringList problems;            // what stops the import: then nothing is written
};

// Matches the tables read from an old catalogue (names compared without
// regard to letter case) with the five tables of ours and checks their rows.
ImportPlan planImport(const std::vector<SourceTable> &source);

// Writes the planned rows, exactly as they are, into a new catalogue at
// `target`. Refuses an existing file; the file appears whole or not at all.
// Returns the number of rows the new file holds, per table of the plan.
Result<std::vector<int>> writeImport(const ImportPlan &plan, const QString &target);

} // namespace tabrix
