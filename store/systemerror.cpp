#include "store/systemerror.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>

namespace tabrix {

QString systemErrorText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("permission refusée");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("dossier introuvable");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("disque plein");
    case EROFS:
        return QStringLiteral("support en lecture seule");
    case EISDIR:
        return QStringLiteral("est un dossier");
    case EEXIST:
        return QStringLiteral("le nom est déjà pris");
    case ELOOP:
        return QStringLiteral("est un lien symbolique");
    case ENAMETOOLONG:
        return QStringLiteral("nom trop long");
    case EXDEV:
        return QStringLiteral("pas sur le même disque");
    case EPIPE:
        return QStringLiteral("la sortie a été fermée");
    case EIO:
        return QStringLiteral("erreur d'entrée-sortie sur le disque");
    case EINVAL:
    case ENOTSUP:
    case ENOSYS:
        return QStringLiteral("opération que ce système de fichiers ne permet pas");
    default:
        return QStringLiteral("erreur du système n° %1").arg(error);
    }
}

QString shownPath(const QString &path)
{
    if (path.isEmpty())
        return QString();
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString writeFailureText(const QString &path, int error)
{
    return QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : %2.").arg(shownPath(path), systemErrorText(error));
}

} // namespace tabrix
