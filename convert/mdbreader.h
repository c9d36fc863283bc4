#pragma once

#include "store/importer.h"
#include "store/result.h"

#include <QString>

#include <vector>

namespace tabrix {

// The user tables of an Access (Jet) file, read whole.
struct AccessFile {
    QString format; // "Jet 3", "Jet 4", "Access 2007" ...
    std::vector<SourceTable> tables;
};

// Reads every user table of an Access file, rows in stored order, texts in
// full and exact; a field with no value reads as nullopt, an empty text as
// an empty text. A French message when the file cannot be read.
Result<AccessFile> readAccessFile(const QString &path);

} // namespace tabrix
