#pragma once

#include "store/result.h"

#include <QString>

#include <array>

namespace tabrix {

// Creates an empty catalogue with its five tables and indexes. Refuses to
// overwrite an existing file; the file appears whole or not at all.
Status createCatalogue(const QString &path);

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
