#pragma once

// Entry numbers: each list numbers its entries "001" to "999", in order and
// without gaps, the next one being the count of entries plus one.

#include <QString>

#include <optional>
#include <set>
#include <utility>
#include <vector>

namespace tabrix {

constexpr int highestEntryNumber = 999;

// The number as it is written in a list: three digits with leading zeros.
QString threeDigitText(int number);

// Whether the text is made of exactly three ASCII digits ("007", "058").
bool isThreeDigitNumber(const QString &text);

// The value of a number written as a list writes it, 1 to 999; nullopt for
// anything else ("7", "000", " 07", "1000").
std::optional<int> entryNumber(const QString &text);

// The value of a text of ASCII digits, blanks around it set aside, at most
// nine digits ("7", "0012"); nullopt for anything else.
std::optional<int> digitsValue(const QString &text);

// The numbers from 1 to the largest present that are absent, as runs of
// consecutive numbers {first, last}, in order.
std::vector<std::pair<int, int>> missingRuns(const std::set<int> &present);

} // namespace tabrix
