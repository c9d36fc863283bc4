#include "store/entrynumber.h"

#include <algorithm>

namespace tabrix {

namespace {

bool allDigits(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

} // namespace

QString threeDigitText(int number)
{
    return QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0'));
}

bool isThreeDigitNumber(const QString &text)
{
    return text.size() == 3 && allDigits(text);
}

std::optional<int> entryNumber(const QString &text)
{
    if (!isThreeDigitNumber(text) || text == QLatin1String("000"))
        return std::nullopt;
    return text.toInt();
}

std::optional<int> digitsValue(const QString &text)
{
    const QString digits = text.trimmed();
    if (digits.isEmpty() || digits.size() > 9 || !allDigits(digits))
        return std::nullopt;
    return digits.toInt();
}

std::vector<std::pair<int, int>> missingRuns(const std::set<int> &present)
{
    std::vector<std::pair<int, int>> runs;
    int expected = 1;
    for (const int number : present) {
        if (number > expected)
            runs.emplace_back(expected, number - 1);
        expected = std::max(expected, number + 1);
    }
    return runs;
}

} // namespace tabrix
