#include "tools/admin/catalogfile.h"

#include "store/filekind.h"
#include "store/sqlite.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabrix::admin {

namespace {

// The file's header says WAL mode (its read and write versions are 2).
bool walMode(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(20);
    return head.size() == 20 && head[18] == 2 && head[19] == 2;
}

} // namespace

QString lockHolder(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return QString();
    struct flock lock = {};
    lock.l_type = F_WRLCK; // conflicts with any lock SQLite takes
    lock.l_whence = SEEK_SET;
    lock.l_start = 0x40000000; // where SQLite places its locks
    lock.l_len = 512;
    const bool known = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK && lock.l_pid > 0;
    ::close(fd);
    if (!known)
        return QString();
    QFile comm(QStringLiteral("/proc/%1/comm").arg(lock.l_pid));
    const QString name = comm.open(QIODevice::ReadOnly) ? QString::fromUtf8(comm.readAll()).trimmed() : QString();
    return name.isEmpty() ? QStringLiteral("n° %1").arg(lock.l_pid)
                          : QStringLiteral("%1, n° %2").arg(name).arg(lock.l_pid);
}

Status run(const Connection &db, const char *sql)
{
    if (const int code = db.exec(sql); code != SQLITE_OK)
        return Failure{sqliteText(db.get(), code)};
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

Result<Connection> openCatalogueFile(const QString &path, Access access, bool *unreadable)
{
    if (Status regular = checkRegularFile(path, QStringLiteral("catalogue")); !regular) {
        if (unreadable && QFileInfo(path).isFile())
            *unreadable = true;
        return Failure{regular.error()};
    }
    switch (inspectFile(path)) {
    case FileKind::Missing:
        return Failure{QStringLiteral("Le catalogue « %1 » est introuvable.").arg(shownPath(path))};
    case FileKind::Directory:
        return Failure{QStringLiteral("« %1 » est un dossier, pas un catalogue.").arg(shownPath(path))};
    case FileKind::Unreadable:
        if (unreadable)
            *unreadable = true;
        return Failure{QStringLiteral("Le catalogue « %1 » ne peut pas être lu : permission refusée.").arg(shownPath(path))};
    case FileKind::Access:
        return Failure{QStringLiteral("Le fichier « %1 » est une base Access de l'ancien programme : convertissez-la "
                                      "d'abord avec « tabrix-admin import ».")
                           .arg(shownPath(path))};
    case FileKind::Other:
        return Failure{QStringLiteral("Le fichier « %1 » n'est pas un catalogue Tabrix.").arg(shownPath(path))};
    case FileKind::Sqlite:
        break;
    }

    // A WAL catalogue with no log beside it: a read-write connection that
    // writes nothing removes the log and its index when it closes.
    const bool tidyWal = walMode(path) && !QFileInfo::exists(path + QStringLiteral("-wal"))
                         && !QFileInfo::exists(path + QStringLiteral("-shm"));
    Connection connection;
    int code = SQLITE_CANTOPEN;
    if (access == Access::Reading || tidyWal)
        code = connection.open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW);
    const bool writable = code == SQLITE_OK;
    if (code != SQLITE_OK)
        code = connection.open(path, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW);
    if (code != SQLITE_OK) {
        if (unreadable)
            *unreadable = true;
        return Failure{QStringLiteral("Le catalogue « %1 » ne peut pas être ouvert : %2.")
                           .arg(shownPath(path), sqliteText(nullptr, code))};
    }
    sqlite3 *db = connection.get();
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyWaitMs);
    if (writable && access == Access::ReadOnly)
        run(connection, "PRAGMA query_only = ON");
    return connection;
}


} // namespace tabrix::admin
