#include "store/french.h"

#include <algorithm>

namespace tabrix {

QString frenchSortKey(const QString &text)
{
    // Plain ASCII has nothing to decompose and no ligature: only its case
    // to fold. Most pseudonyms and many names are so.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toCaseFolded();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (QChar c : decomposed) {
        if (c.unicode() < 0x80) {
            key += c;
            continue;
        }
        switch (c.category()) {
        case QChar::Mark_NonSpacing:
        case QChar::Mark_SpacingCombining:
        case QChar::Mark_Enclosing:
            continue;
        default:
            break;
        }
        switch (c.unicode()) {
        case 0x0152: case 0x0153: key += QLatin1String("oe"); continue; // Œ œ
        case 0x00C6: case 0x00E6: key += QLatin1String("ae"); continue; // Æ æ
        case 0x00DF: key += QLatin1String("ss"); continue;                // ß
        default:
            break;
        }
        key += c;
    }
    return key.toCaseFolded();
}

int frenchCompare(const QString &a, const QString &b)
{
    const int byKey = frenchSortKey(a).compare(frenchSortKey(b));
    if (byKey != 0)
        return byKey;
    return frenchTieBreak(a, b);
}

int frenchTieBreak(const QString &a, const QString &b)
{
    // Unaccented before accented, then capitals before small letters.
    const int byAccents = a.toCaseFolded().compare(b.toCaseFolded());
    if (byAccents != 0)
        return byAccents;
    return a.compare(b);
}

QString foldCase(const QString &text)
{
    return text.toCaseFolded();
}

} // namespace tabrix
