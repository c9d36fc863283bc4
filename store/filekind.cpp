#include "store/filekind.h"

#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

namespace tabrix {

std::optional<QString> specialFileKind(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || S_ISREG(info.st_mode) || S_ISDIR(info.st_mode))
        return std::nullopt;
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("un tube nommé (FIFO)");
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode))
        return QStringLiteral("un périphérique");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("une prise de communication (socket)");
    return QStringLiteral("un fichier spécial");
}

FileKind inspectFile(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return FileKind::Missing;
    if (info.isDir())
        return FileKind::Directory;
    if (specialFileKind(path))
        return FileKind::Other;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return FileKind::Unreadable;
    const QByteArray head = file.read(100);
    const QByteArray signature = head.mid(4, 15);
    if (signature == "Standard Jet DB" || signature == "Standard ACE DB")
        return FileKind::Access;
    if (head.startsWith(QByteArray("SQLite format 3\0", 16)))
        return FileKind::Sqlite;
    return FileKind::Other;
}

} // namespace tabrix
