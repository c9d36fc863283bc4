#include "app/qtfrench.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tabrix {

bool installQtFrench(QCoreApplication &application)
{
    // The program speaks French whatever the desktop's language, so the
    // French translation is asked for by name, not through the locale.
    auto *translator = new QTranslator(&application);
    if (!translator->load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))
        || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return false;
    }
    return true;
}

} // namespace tabrix
