#include "store/french.h"

#include <QCollator>

#include <algorithm>
#include <array>

namespace tabrix {

namespace {

// The key by the full rule: compatibility decomposition, combining marks
// dropped, ligatures spelled out, case folded.
QString decomposedKey(const QString &text)
{
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString key;
    key.reserve(decomposed.size());
    for (QChar c : decomposed) {
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

// The letters of French text (Latin-1 and Latin Extended-A, Œ and Ÿ
// included). Each one decomposes on its own and folds on its own, so the
// key of a text made of them is the keys of its characters put end to end.
constexpr char16_t tabledCharacters = 0x180;

// The key of each of those characters, worked out once by the full rule.
const std::array<QString, tabledCharacters> &characterKeys()
{
    static const std::array<QString, tabledCharacters> keys = [] {
        std::array<QString, tabledCharacters> k;
        for (char16_t c = 0; c < tabledCharacters; ++c)
            k[c] = decomposedKey(QString(QChar(c)));
        return k;
    }();
    return keys;
}

} // namespace

QString frenchSortKey(const QString &text)
{
    // Plain ASCII has nothing to decompose and no ligature: only its case
    // to fold. Most pseudonyms and many names are so.
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; }))
        return text.toCaseFolded();
    if (std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < tabledCharacters; })) {
        const std::array<QString, tabledCharacters> &keys = characterKeys();
        QString key;
        key.reserve(text.size() + 4);
        for (QChar c : text)
            key += keys[c.unicode()];
        return key;
    }
    return decomposedKey(text);
}

QCollatorSortKey frenchOrderKey(const QString &text)
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::French, QLocale::France));
        c.setNumericMode(true);
        return c;
    }();
    return collator.sortKey(frenchSortKey(text));
}

int frenchCompare(const QString &a, const QString &b)
{
    const int byKey = frenchOrderKey(a).compare(frenchOrderKey(b));
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
