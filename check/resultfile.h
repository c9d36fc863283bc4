#pragma once

#include "store/category.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

namespace tabrix::check {

// The companion finder, in the program's directory, and the file it writes
// its findings into, in the same directory.
inline QString finderFileName() { return QStringLiteral("Fendrel.exe"); }
inline QString resultFileName() { return QStringLiteral("paramsfendrel.ini"); }

// The line that opens the section of the latest numbers: the whole line,
// this exact case, no blanks.
inline QString sectionHeader() { return QStringLiteral("[dernier_numero]"); }

// The largest number the file may carry.
constexpr int largestNumber = 32767;

// The four lists in the order of the rows of the check: Zarpo, Trunda,
// Melvi, Vasquo (Category::checkRow 1 to 4).
const std::array<const Category *, 4> &rowCategories();

// Why a row of the file gave no number.
enum class Fault {
    NoSection,   // no line is exactly the section header
    MissingLine, // the file ends before the row's line
    NotNumber,   // the text from the value's column is not a whole number
    CutNumber,   // the number starts before the value's column: it would be read cut short
    TooLarge,    // a number above largestNumber
};

// What one row (Zarpo, Trunda, Melvi, Vasquo) of the file gave.
struct RowReading {
    std::optional<int> value;  // the number, when it could be read
    Fault fault = Fault::NoSection; // why not, otherwise
    int line = 0;              // 1-based line of the file the row was looked for on (0: none)
    QString text;              // the text of that line, as read

    bool ok() const { return value.has_value(); }
};

struct Findings {
    // Indexed by Category::checkRow - 1: Zarpo, Trunda, Melvi, Vasquo.
    std::array<RowReading, 4> rows;
    // A French sentence for each distinct problem, naming its line.
    QStringList problems;

    const RowReading &row(const Category &category) const { return rows[std::size_t(category.checkRow - 1)]; }
    bool complete() const { return problems.isEmpty(); }
};

// Reads the finder's file from its bytes (UTF-8, or Latin-1 when they are
// not UTF-8; CR LF, LF or a lone CR end a line). Lines up to the section
// header are skipped; the four lines after it carry, from a fixed column,
// the latest numbers in row order. Never fails: what cannot be read is
// reported per row.
Findings readFindings(const QByteArray &bytes);

} // namespace tabrix::check
