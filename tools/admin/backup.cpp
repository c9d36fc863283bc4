// tabrix-admin backup: a copy of a catalogue, whole and consistent even
// while the program has it open, through SQLite's online backup. The copy
// is written under a temporary name beside its destination, checked, then
// renamed; an existing file is never replaced. The pictures kept beside the
// catalogue go beside the copy, in its own folder `images`.

#include "tools/admin/backup.h"
#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"

#include "pictures/kept.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace tabrix::admin {

namespace {

constexpr int retryPauseMs = 50;
constexpr int patienceMs = 30000; // how long a busy catalogue is waited for

Status copyPages(sqlite3 *source, sqlite3 *copy)
{
    sqlite3_backup *backup = sqlite3_backup_init(copy, "main", source, "main");
    if (!backup)
        return Failure{sqliteText(copy, sqlite3_errcode(copy))};
    // All pages in one step: the source stays readable by the program, and
    // no write can slip in between two parts of the copy.
    const QDeadlineTimer patience(patienceMs);
    int code = sqlite3_backup_step(backup, -1);
    while ((code == SQLITE_BUSY || code == SQLITE_LOCKED) && !patience.hasExpired()) {
        sqlite3_sleep(retryPauseMs);
        code = sqlite3_backup_step(backup, -1);
    }
    const int finished = sqlite3_backup_finish(backup);
    if (code != SQLITE_DONE)
        return Failure{sqliteText(source, code)};
    if (finished != SQLITE_OK)
        return Failure{sqliteText(copy, finished)};
    return success();
}

Status checkCopy(sqlite3 *copy)
{
    sqlite3_stmt *check = nullptr;
    sqlite3_prepare_v2(copy, "PRAGMA quick_check", -1, &check, nullptr);
    const int code = sqlite3_step(check);
    const QString verdict = code == SQLITE_ROW
                                ? QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(check, 0)))
                                : QString();
    sqlite3_finalize(check);
    if (verdict != QLatin1String("ok"))
        return Failure{QStringLiteral("la copie relue n'est pas intacte")};
    return success();
}

Status copyKeptPictures(const QString &path, const QString &copyPath)
{
    const QDir from(pictures::KeptPictures::folderFor(path));
    const QDir to(pictures::KeptPictures::folderFor(copyPath));
    if (!from.exists() || from.canonicalPath() == QFileInfo(to.path()).canonicalFilePath())
        return success();
    if (!QDir().mkpath(to.path()))
        return Failure{QStringLiteral("Le dossier « %1 » ne peut pas être créé.").arg(shownPath(to.path()))};
    for (const QString &name : from.entryList(QDir::Files)) {
        QFile::remove(to.filePath(name));
        if (!QFile::copy(from.filePath(name), to.filePath(name)))
            return Failure{QStringLiteral("L'image gardée « %1 » n'a pas pu être copiée.").arg(name)};
    }
    return success();
}
} // namespace

Status backUp(const QString &path, const QString &copyPath)
{
    const auto failed = [&](const QString &why) {
        return Failure{QStringLiteral("Le catalogue « %1 » n'a pas pu être copié : %2.").arg(shownPath(path), why)};
    };
    NewFile copy(copyPath);
    if (Status reserved = copy.reserve(); !reserved)
        return reserved;
    Result<Connection> source = openCatalogueFile(path, Access::Reading);
    if (!source)
        return Failure{source.error()};

    {
        Connection target;
        if (const int code = target.open(copy.temporaryPath(), SQLITE_OPEN_READWRITE); code != SQLITE_OK)
            return failed(sqliteText(nullptr, code));
        sqlite3 *db = target.get();
        if (Status copied = copyPages(source->get(), db); !copied)
            return failed(copied.error());
        if (Status checked = checkCopy(db); !checked)
            return failed(checked.error());
    }
    if (Status finished = copy.finish(); !finished)
        return finished;
    if (Status published = copy.publish(); !published)
        return published;
    return copyKeptPictures(path, copyPath);
}

namespace {

[[maybe_unused]] const bool backupRegistered = registerCommand(
    {"backup", "FICHIER COPIE",
     "copie le catalogue, même ouvert dans Tabrix (ne remplace jamais un fichier existant)", 2,
     [](const QStringList &args, QTextStream &out, QTextStream &err) {
         if (Status done = backUp(args[0], args[1]); !done) {
             err << done.error() << '\n';
             return 1;
         }
         out << "Copie du catalogue écrite : " << shownPath(args[1]) << '\n';
         return 0;
     }});

} // namespace
} // namespace tabrix::admin
