#pragma once

#include "store/result.h"

#include <QString>

#include <array>
#include <functional>

struct sqlite3;

namespace tabrix {

// Creates an empty catalogue with its five tables and indexes. Refuses to
// overwrite an existing file; the file appears whole or not at all.
Status createCatalogue(const QString &path);

// Makes a new catalogue at `path` with the five tables and their indexes,
// then lets `fill` write into it in the same transaction; `verify` may then
// look at the finished file (given its temporary path) before it takes its
// name. Nothing that exists is ever replaced: see NewFile.
Status makeCatalogue(const QString &path, const std::function<Status(sqlite3 *)> &fill,
                     const std::function<Status(const QString &)> &verify = {});

// The shape of a generated sample catalogue.
struct SampleShape {
    std::array<int, 4> entries{104, 97, 101, 88}; // per list, in categories() order
    int authors = 20;                             // distinct pseudonyms
    unsigned seed = 2026;
};

// Creates a catalogue filled with plausible sample entries: numbers without
// gaps, French pseudonyms with a skewed spread, accented names, some links
// "Non disponible". Refuses to overwrite an existing file.
Status createSampleCatalogue(const QString &path, const SampleShape &shape = {});

} // namespace tabrix
