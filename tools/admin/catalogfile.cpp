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

Result<Connection> openCatalogueFile(const QString &path, Access access, bool *unreadable)
{
    if (Status regular = checkRegularFile(path, QStringLiteral("catalogue")); !regular) {
        if (unreadable && QFileInfo(path).isFile())
            *unreadable = true;
        return Failure{regular.error()};
    }
    switch (inspectFile(path)) {
    case FileKind::Missing:
        return Failure{QStringLiteral("Le catalogue « %1 » est introuvable.").arg(shown(path))};
    case FileKind::Directory:
        return Failure{QStringLiteral("« %1 » est un dossier, pas un catalogue.").arg(shown(path))};
    case FileKind::Unreadable:
        if (unreadable)
            *unreadable = true;
        return Failure{QStringLiteral("Le catalogue « %1 » ne peut pas être lu : permission refusée.").arg(shown(path))};
    case FileKind::Access:
        return Failure{QStringLiteral("Le fichier « %1 » est une base Access de l'ancien programme : convertissez-la "
                                      "d'abord avec « tabrix-admin import ».")
                           .arg(shown(path))};
    case FileKind::Other:
        return Failure{QStringLiteral("Le fichier « %1 » n'est pas un catalogue Tabrix.").arg(shown(path))};
    case FileKind::Sqlite:
        break;
    }

    // A WAL catalogue with no log beside it: a read-write connection that
    // writes nothing removes the log and its index when it closes.
    const bool tidyWal = walMode(path) && !QFileInfo::exists(path + QStringLiteral("-wal"))
                         && !QFileInfo::exists(path + QStringLiteral("-shm"));
    const QByteArray name = QFile::encodeName(path);
    sqlite3 *db = nullptr;
    int code = SQLITE_CANTOPEN;
    if (access == Access::Reading || tidyWal) {
        code = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW, nullptr);
        if (code != SQLITE_OK) {
            sqlite3_close_v2(db);
            db = nullptr;
        }
    }
    const bool writable = code == SQLITE_OK;
    if (code != SQLITE_OK)
        code = sqlite3_open_v2(name.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOFOLLOW, nullptr);
    Connection connection(db);
    if (code != SQLITE_OK) {
        if (unreadable)
            *unreadable = true;
        return Failure{QStringLiteral("Le catalogue « %1 » ne peut pas être ouvert : %2.")
                           .arg(shown(path), sqliteText(db, code))};
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, busyWaitMs);
    if (writable && access == Access::ReadOnly)
        connection.run("PRAGMA query_only = ON");
    return connection;
}


} // namespace tabrix::admin
