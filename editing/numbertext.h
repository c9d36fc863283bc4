#pragma once

#include "store/entrynumber.h"

#include <QLocale>
#include <QString>

namespace tabrix::editing {

// Whether the text reads as a number for the user's locale: surrounding
// blanks, a leading sign and one decimal separator (the locale's, or ".")
// are allowed; at least one digit is required. No exponent, no thousands
// separator, no currency sign.
bool isNumericText(const QString &text, const QLocale &locale = QLocale());

// The number written at the start of the text: leading blanks are skipped,
// then an optional sign, digits, "." and more digits; reading stops at the
// first character that cannot continue the number. 0 when there is none.
double leadingValue(const QString &text);

using tabrix::isThreeDigitNumber;
using tabrix::threeDigitText;

} // namespace tabrix::editing
