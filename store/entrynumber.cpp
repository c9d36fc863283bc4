#include "store/entrynumber.h"

#include <algorithm>

namespace tabrix {

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isBlank(QChar c)
{
    return c.isSpace();
}

bool allDigits(const QString &text)
{
    return std::all_of(text.begin(), text.end(), isAsciiDigit);
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

bool isNumericText(const QString &text, const QLocale &locale)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text.at(begin)))
        ++begin;
    while (end > begin && isBlank(text.at(end - 1)))
        --end;
    if (begin == end)
        return false;

    const QString body = text.mid(begin, end - begin);
    qsizetype i = 0;
    for (const QString &sign : {QStringLiteral("+"), QStringLiteral("-"), locale.positiveSign(), locale.negativeSign()}) {
        if (!sign.isEmpty() && body.startsWith(sign)) {
            i = sign.size();
            break;
        }
    }

    const QString separator = locale.decimalPoint();
    bool digits = false;
    bool separatorSeen = false;
    while (i < body.size()) {
        const QChar c = body.at(i);
        if (isAsciiDigit(c)) {
            digits = true;
            ++i;
        } else if (!separatorSeen && c == QLatin1Char('.')) {
            separatorSeen = true;
            ++i;
        } else if (!separatorSeen && !separator.isEmpty() && body.mid(i).startsWith(separator)) {
            separatorSeen = true;
            i += separator.size();
        } else {
            return false;
        }
    }
    return digits;
}

double leadingValue(const QString &text)
{
    qsizetype i = 0;
    while (i < text.size() && isBlank(text.at(i)))
        ++i;
    double sign = 1.0;
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        sign = text.at(i) == QLatin1Char('-') ? -1.0 : 1.0;
        ++i;
    }
    double value = 0.0;
    while (i < text.size() && isAsciiDigit(text.at(i))) {
        value = value * 10.0 + (text.at(i).unicode() - '0');
        ++i;
    }
    if (i < text.size() && text.at(i) == QLatin1Char('.')) {
        ++i;
        double scale = 0.1;
        while (i < text.size() && isAsciiDigit(text.at(i))) {
            value += scale * (text.at(i).unicode() - '0');
            scale /= 10.0;
            ++i;
        }
    }
    return sign * value;
}

int leadingNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype digits = 0;
    while (digits < trimmed.size() && isAsciiDigit(trimmed.at(digits)))
        ++digits;
    bool ok = false;
    const int number = trimmed.left(digits).toInt(&ok);
    return ok ? number : 0;
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
