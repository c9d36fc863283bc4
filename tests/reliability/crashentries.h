#pragma once

// The entries the crash test's child adds: each one is known from its
// number alone, so that what a killed child left behind can be checked
// field by field.

#include "editing/numbertext.h"
#include "store/catalogue.h"
#include "store/category.h"

namespace tabrix::test {

// A list takes numbers up to 999.
constexpr int lastCrashNumber = 999;

// Entry n: a name of varying length (some need more than one page of the
// file), and for a list that records its authors a new author each time, so
// that every add writes two tables.
inline Entry crashEntry(const Category &category, int number)
{
    const QString ref = editing::threeDigitText(number);
    QString name = QStringLiteral("Entrée %1 « %2 » ; l'été").arg(ref, category.tabCaption);
    name += QString((number % 5) * 700, QChar(u'é'));
    const QString author = category.recordsAuthor ? QStringLiteral("Auteur %1").arg(ref) : QStringLiteral("Zoé");
    return Entry{ref, name, author, notAvailable(), notAvailable()};
}

} // namespace tabrix::test
