#pragma once

// The entries the crash test's child adds, each known from its number alone.

#include "store/entrynumber.h"
#include "store/category.h"

namespace tabrix::test {

constexpr int lastCrashNumber = 999; // a list's last number

// Names of varying length (some span several pages of the file); on Zarpo
// a new author each time, so that each add there writes two tables.
inline QStringList crashEntry(const Category &category, int number)
{
    const QString ref = threeDigitText(number);
    const QString name = QStringLiteral("Entrée %1 « %2 » ; l'été").arg(ref, category.tabCaption);
    return {ref, name + QString(number % 5 * 700, u'é'),
            category.id == 0 ? QStringLiteral("Auteur ") + ref : QStringLiteral("Zoé"), notAvailable(),
            notAvailable()};
}

} // namespace tabrix::test
