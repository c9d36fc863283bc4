#include "store/copies.h"

#include "store/catalogue.h"
#include "store/filekind.h"
#include "store/history.h"
#include "store/sqlite.h"
#include "store/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace tabrix {

namespace {

QString copyName(const QString &cataloguePath, const QDateTime &at, const QString &tag = QString())
{
    return QFileInfo(cataloguePath).completeBaseName() + tag + at.toString(QStringLiteral("-yyyy-MM-dd-HHmmss-zzz")) +
           QStringLiteral(".mdb");
}

// The copies of the folder, oldest first (their names sort by date).
QFileInfoList copies(const QString &folder, const QString &cataloguePath)
{
    const QString pattern = QFileInfo(cataloguePath).completeBaseName() + QStringLiteral("-[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]-[0-9]*.mdb");
    return QDir(folder).entryInfoList({pattern}, QDir::Files, QDir::Name);
}

// Copies every page of the database `source` into a new file at `target`,
// written under a temporary name then renamed: whole or not at all.
Status backUp(sqlite3 *source, const QString &target)
{
    const QString temporary = target + QStringLiteral(".tmp");
    QFile::remove(temporary);
    sql::Connection db;
    int code = db.open(temporary, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    if (code == SQLITE_OK) {
        sqlite3_backup *backup = sqlite3_backup_init(db.get(), "main", source, "main");
        code = backup ? sqlite3_backup_step(backup, -1) : sqlite3_errcode(db.get());
        const int finished = backup ? sqlite3_backup_finish(backup) : SQLITE_OK;
        if (code == SQLITE_DONE)
            code = finished;
    }
    db.close();
    if (code != SQLITE_OK || !QFile::rename(temporary, target)) {
        QFile::remove(temporary);
        QFile::remove(temporary + QStringLiteral("-journal"));
        return Failure{code != SQLITE_OK ? sql::describe(code) : QStringLiteral("le fichier n'a pas pu être nommé")};
    }
    return success();
}

// Holds a file's lock for as long as it lives.
class FileLock {
public:
    explicit FileLock(const QString &path) : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}
    ~FileLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool exclusive() { return m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) == 0; }

private:
    int m_fd;
};

} // namespace

QString copiesFolder(const QString &cataloguePath)
{
    return QFileInfo(cataloguePath).absoluteDir().filePath(QStringLiteral("sauvegardes"));
}

Status writeDailyCopy(Catalogue &catalogue, const QDateTime &now)
{
    // Tabrix changes nothing in a catalogue it may only read, nor beside it.
    if (catalogue.readOnly())
        return success();
    const QString path = catalogue.path();
    const QString folder = copiesFolder(path);
    const QFileInfoList existing = copies(folder, path);
    if (!existing.isEmpty()) {
        const QDateTime newest = existing.last().lastModified();
        if (QFileInfo(path).lastModified() <= newest && newest.secsTo(now) < 24 * 3600)
            return success();
    }
    const auto failed = [&](const QString &why) {
        return Failure{QStringLiteral("La copie de sécurité du jour n'a pas pu être écrite dans « %1 » : %2. "
                                      "Tabrix démarre quand même ; le catalogue n'est pas touché.")
                           .arg(shownPath(folder), why)};
    };
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("le dossier ne peut pas être créé"));
    const QString target = QDir(folder).filePath(copyName(path, now));
    if (QFileInfo::exists(target))
        return success(); // written this very millisecond
    if (Status copied = backUp(catalogue.handle(), target); !copied)
        return failed(copied.error());
    const QFileInfoList all = copies(folder, path);
    for (qsizetype i = 0; i + keptCopies < all.size(); ++i)
        QFile::remove(all[i].absoluteFilePath());
    return success();
}

Status restoreCopy(const QString &copy, const QString &path, const QDateTime &now)
{
    const auto failed = [&](const QString &why) {
        return Failure{QStringLiteral("La copie « %1 » n'a pas été remise en place : %2.").arg(shownPath(copy), why)};
    };
    if (inspectFile(copy) != FileKind::Sqlite)
        return failed(QStringLiteral("ce n'est pas un catalogue Tabrix"));
    sql::Connection source;
    int code = source.open(copy, SQLITE_OPEN_READONLY);
    {
        sql::Statement check(source.get(), QStringLiteral("PRAGMA quick_check"));
        if (code != SQLITE_OK || !check.next() || check.text(0) != QLatin1String("ok"))
            return failed(QStringLiteral("la copie est endommagée"));
    }

    // Every Tabrix holds a shared lock on the catalogue while it runs.
    FileLock lock(path);
    const bool exists = QFileInfo::exists(path);
    if (exists && !lock.exclusive())
        return failed(QStringLiteral("Tabrix a ce catalogue ouvert ; fermez-le, puis recommencez"));
    const QString folder = copiesFolder(path);
    if (!QDir().mkpath(folder))
        return failed(QStringLiteral("le dossier « %1 » ne peut pas être créé").arg(shownPath(folder)));

    if (exists) {
        // Opening the current file plays back its own journal, if one was
        // left, into it: the copy kept is whole, and the journal is gone.
        sql::Connection current;
        code = current.open(path, SQLITE_OPEN_READWRITE);
        const QString kept = QDir(folder).filePath(copyName(path, now, QStringLiteral("-avant-restauration")));
        Status keptCopy = code == SQLITE_OK ? backUp(current.get(), kept) : Failure{sql::describe(code)};
        if (!keptCopy)
            return failed(QStringLiteral("le catalogue actuel n'a pas pu être gardé (%1)").arg(keptCopy.error()));
    }
    // Nothing that belonged to the old file may be played into the new one.
    for (const char *suffix : {"-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(suffix));
    // The history described the old file: it is kept with its copy.
    const QString history = historyPath(path);
    if (QFileInfo::exists(history))
        QFile::rename(history, QDir(folder).filePath(QFileInfo(history).completeBaseName() +
                                                     now.toString(QStringLiteral("-yyyy-MM-dd-HHmmss")) +
                                                     QStringLiteral(".db")));
    QFile::remove(history + QStringLiteral("-journal"));

    const QString temporary = path + QStringLiteral(".restauration");
    if (Status written = backUp(source.get(), temporary); !written)
        return failed(written.error());
    if (::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        QFile::remove(temporary);
        return failed(QStringLiteral("le fichier n'a pas pu être remplacé"));
    }
    return success();
}

} // namespace tabrix
