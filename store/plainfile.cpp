#include "store/plainfile.h"

#include "store/systemerror.h"

#include <QFile>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace tabrix {

Status checkRegularFile(const QString &path, const QString &what)
{
    if (path.isEmpty())
        return Failure{QStringLiteral("Aucun %1 n'est donné : nom vide.").arg(what)};
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        if (errno == ENOENT)
            return Failure{QStringLiteral("Le %1 « %2 » est introuvable.").arg(what, shownPath(path))};
        return Failure{QStringLiteral("Le %1 « %2 » ne peut pas être lu : %3.").arg(what, shownPath(path),
                                                                                   systemErrorText(errno))};
    }
    if (S_ISDIR(info.st_mode))
        return Failure{QStringLiteral("« %1 » est un dossier, pas un %2.").arg(shownPath(path), what)};
    if (!S_ISREG(info.st_mode))
        return Failure{QStringLiteral("« %1 » n'est pas un fichier ordinaire : il n'est pas lu.").arg(shownPath(path))};
    if (::access(QFile::encodeName(path).constData(), R_OK) != 0)
        return Failure{QStringLiteral("Le %1 « %2 » ne peut pas être lu : %3.").arg(what, shownPath(path),
                                                                                   systemErrorText(errno))};
    return success();
}

} // namespace tabrix
