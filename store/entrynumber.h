#pragma once

// Entry numbers: each list numbers its entries "001" to "999", in order and
// without gaps, the next one being the count of entries plus one.

#include <QLocale>
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

// Whether the text reads as a number for the user's locale: surrounding
// blanks, a leading sign and one decimal separator (the locale's, or ".")
// are allowed; at least one digit is required. No exponent, no thousands
// separator, no currency sign.
bool isNumericText(const QString &text, const QLocale &locale = QLocale());

// The number written at the start of the text: leading blanks are skipped,
// then an optional sign, digits, "." and more digits; reading stops at the
// first character that cannot continue the number. 0 when there is none.
double leadingValue(const QString &text);

// The whole number at the start of a text, blanks before it set aside
// ("007", " 12 abc" give 7 and 12); 0 when it starts with no digit or is
// too large for an int.
int leadingNumber(const QString &text);

// The numbers from 1 to the largest present that are absent, as runs of
// consecutive numbers {first, last}, in order.
std::vector<std::pair<int, int>> missingRuns(const std::set<int> &present);

} // namespace tabrix
