#pragma once

#include <QCollatorSortKey>
#include <QString>

namespace tabrix {

// The key a French reader sorts by: accents and letter case set aside,
// ligatures spelled out ("École" -> "ecole", "Œuvre" -> "oeuvre").
QString frenchSortKey(const QString &text);

// What texts are put in order by: their sort key, with the numbers in it
// taken by their value ("Vieux-Port 7" before "Vieux-Port 63").
QCollatorSortKey frenchOrderKey(const QString &text);

// Ordering of two texts as a French reader expects: by their order keys,
// then, for texts with the same key, by the texts themselves so the order
// is total.
int frenchCompare(const QString &a, const QString &b);

// The order of two texts that have the same sort key.
int frenchTieBreak(const QString &a, const QString &b);

// Letter case folded, accented letters included ("ÉLODIE" == "élodie"),
// for comparisons that ignore case.
QString foldCase(const QString &text);

} // namespace tabrix
