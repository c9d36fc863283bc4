#pragma once

#include "store/importer.h"
#include "store/result.h"

#include <QString>

#include <vector>

namespace tabrix {

// What a conversion of an old Access catalogue did.
struct Conversion {
    QString format;           // of the old file: "Jet 4 (Access 2000-2003)" ...
    ImportPlan plan;          // what was read, and the notes about it
    std::vector<int> written; // rows the new file holds, per table of the plan
};

// Converts the old program's Access file `source` into a new catalogue at
// `target`: the file is read, never changed; `target` is never replaced
// and appears whole or not at all. A French message saying why otherwise,
// the problems found listed one a line.
Result<Conversion> convertAccessFile(const QString &source, const QString &target);

// "Zarpo : 3 entrées, Melvi : 2 entrées, …" for a finished conversion.
QString conversionSummary(const Conversion &conversion);

} // namespace tabrix
