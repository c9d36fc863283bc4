#include "tools/admin/catalogfile.h"

#include "store/filekind.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabrix::admin {

namespace {

constexpr int busyWaitMs = 10000;

QString systemText(int error)
{
    switch (error) {
    case EACCES:
    case EPERM:
        return QStringLiteral("accès refusé");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("le disque est plein");
    case EROFS:
        return QStringLiteral("le support est en lecture seule");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("le dossier n'existe pas");
    case EIO:
        return QStringLiteral("erreur d'écriture sur le disque");
    default:
        return QStringLiteral("erreur du système n° %1").arg(error);
    }
}

Status writeFailure(const QString &path, int error)
{
    return Failure{QStringLiteral("Le fichier « %1 » n'a pas pu être écrit : %2.").arg(shown(path), systemText(error))};
}

// The permissions a file created now would get: read and write for all,
// less what the user's umask takes away.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}


} // namespace

QString shown(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

QString alreadyThere(const QString &path)
{
    return QStringLiteral("Le fichier « %1 » existe déjà : il n'est pas remplacé.").arg(shown(path));
}

Connection::~Connection()
{
    sqlite3_close_v2(m_db);
}

Connection::Connection(Connection &&other) noexcept : m_db(std::exchange(other.m_db, nullptr)) {}

Connection &Connection::operator=(Connection &&other) noexcept
{
    if (this != &other) {
        sqlite3_close_v2(m_db);
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

Status Connection::run(const char *sql) const
{
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        return Failure{sqliteText(m_db, code)};
    return success();
}

QString sqliteText(sqlite3 *db, int code)
{
    Q_UNUSED(db);
    switch (code) {
    case SQLITE_READONLY_ROLLBACK:
    case SQLITE_READONLY_RECOVERY:
        return QStringLiteral("une écriture a été interrompue dans ce catalogue ; ouvrez-le une fois avec Tabrix "
                              "pour l'achever");
    default:
        return sql::describe(code);
    }
}

Result<Connection> openCatalogueFile(const QString &path, Access access)
{
    switch (inspectFile(path)) {
    case FileKind::Missing:
        return Failure{QStringLiteral("Le catalogue « %1 » est introuvable.").arg(shown(path))};
    case FileKind::Directory:
        return Failure{QStringLiteral("« %1 » est un dossier, pas un catalogue.").arg(shown(path))};
    case FileKind::Unreadable:
        return Failure{QStringLiteral("Le catalogue « %1 » ne peut pas être lu : accès refusé.").arg(shown(path))};
    case FileKind::Access:
        return Failure{QStringLiteral("Le fichier « %1 » est une base Access de l'ancien programme : convertissez-la "
                                      "d'abord avec « tabrix-admin import ».")
                           .arg(shown(path))};
    case FileKind::Other:
        return Failure{QStringLiteral("Le fichier « %1 » n'est pas un catalogue Tabrix.").arg(shown(path))};
    case FileKind::Sqlite:
        break;
    }

    const QByteArray name = QFile::encodeName(path);
    sqlite3 *db = nullptr;
    int code = SQLITE_CANTOPEN;
    if (access == Access::Reading) {
        code = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        if (code != SQLITE_OK) {
            sqlite3_close_v2(db);
            db = nullptr;
        }
    }
    if (code != SQLITE_OK)
        code = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    Connection connection(db);
    if (code != SQLITE_OK)
        return Failure{QStringLiteral("Le catalogue « %1 » ne peut pas être ouvert : %2.")
                           .arg(shown(path), sqliteText(db, code))};
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyWaitMs);
    return connection;
}

NewFile::NewFile(QString path) : m_path(std::move(path)) {}

NewFile::~NewFile()
{
    if (!m_published && !m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
        QFile::remove(m_temporary + QStringLiteral("-journal"));
    }
}

Status NewFile::reserve()
{
    const QFileInfo target(m_path);
    if (target.exists() || target.isSymLink())
        return Failure{alreadyThere(m_path)};
    if (!target.dir().exists())
        return Failure{QStringLiteral("Le dossier « %1 » n'existe pas.").arg(shown(target.absolutePath()))};
    QTemporaryFile temporary(target.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        return Failure{QStringLiteral("Aucun fichier ne peut être créé dans le dossier « %1 » : %2.")
                           .arg(shown(target.absolutePath()), temporary.errorString())};
    m_temporary = temporary.fileName();
    return success();
}

Status NewFile::write(const QByteArray &bytes)
{
    QFile file(m_temporary);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append) || file.write(bytes) != bytes.size() || !file.flush())
        return writeFailure(m_path, errno ? errno : EIO);
    return success();
}

Status NewFile::finish()
{
    const int fd = ::open(QFile::encodeName(m_temporary).constData(), O_RDWR);
    if (fd < 0)
        return writeFailure(m_path, errno);
    const bool done = ::fsync(fd) == 0 && ::fchmod(fd, newFileMode()) == 0;
    const int error = errno;
    ::close(fd);
    if (!done)
        return writeFailure(m_path, error);
    return success();
}

Status NewFile::publish()
{
    const QByteArray from = QFile::encodeName(m_temporary);
    const QByteArray to = QFile::encodeName(m_path);
    int result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
        // This file system cannot rename without replacing: a hard link
        // refuses a taken name just as well.
        result = ::link(from.constData(), to.constData());
        if (result == 0)
            ::unlink(from.constData());
        else if (errno == EPERM || errno == ENOTSUP) {
            // Nor can it link (FAT on a USB stick): look, then rename.
            const QFileInfo target(m_path);
            if (target.exists() || target.isSymLink())
                errno = EEXIST;
            else
                result = ::rename(from.constData(), to.constData());
        }
    }
    if (result != 0) {
        if (errno == EEXIST)
            return Failure{alreadyThere(m_path)};
        return writeFailure(m_path, errno);
    }
    m_published = true;
    syncFolder(QFileInfo(m_path).absolutePath());
    return success();
}

void NewFile::withdraw()
{
    if (m_published)
        QFile::remove(m_path);
    m_published = false;
}

} // namespace tabrix::admin
