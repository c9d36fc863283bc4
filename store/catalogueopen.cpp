#include "store/catalogue.h"

#include "store/filekind.h"
#include "store/history.h"
#include "store/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <sqlite3.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

// Opening a catalogue: every way a file can fail to be one, said in French.

namespace tabrix {

namespace {

constexpr int busyWaitMs = 3000;

Catalogue::OpenFailure failure(Catalogue::Problem problem, QString message)
{
    return Catalogue::OpenFailure{problem, std::move(message)};
}


// A word for a POSIX shell: as it stands when it is plain, else in single quotes.
QString shellWord(const QString &word)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
    if (plain.match(word).hasMatch())
        return word;
    QString quoted = word;
    quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// What to type to convert an old Access catalogue: the old file is kept under
// a name not taken yet, and the admin tool, which lives beside the program
// and so beside its catalogue, writes the new catalogue in its place.
QString accessFileMessage(const QString &path)
{
    const QFileInfo info(path);
    const QDir folder = info.absoluteDir();
    const QString name = info.fileName();
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    QString kept = info.completeBaseName() + QStringLiteral("-access") + suffix;
    for (int n = 2; QFileInfo::exists(folder.filePath(kept)); ++n)
        kept = info.completeBaseName() + QStringLiteral("-access-%1").arg(n) + suffix;
    const QString command = QStringLiteral("cd %1 && mv -n %2 %3 && ./tabrix-admin import %3 %2")
                                .arg(shellWord(folder.absolutePath()), shellWord(name), shellWord(kept));
    return QStringLiteral("Le fichier « %1 » est une base Access de l'ancien programme : il doit d'abord être "
                          "converti au format de Tabrix. Dans un terminal, tapez :\n\n%2\n\n"
                          "L'ancien fichier est gardé sous le nom « %3 ».")
        .arg(QDir::toNativeSeparators(info.absoluteFilePath()), command, kept);
}

// Whether this process may write to the file or folder, as the system
// decides (a write-protected file, a read-only disk, a file marked
// unchangeable even for the administrator).
bool mayWrite(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// Whether an index makes the numbers of the list unique.
bool hasUniqueNumbers(sqlite3 *db, const Category &category)
{
    sql::Statement indexes(db, QStringLiteral("SELECT name FROM pragma_index_list(?1) WHERE \"unique\" = 1"));
    indexes.bind(1, category.table);
    while (indexes.next()) {
        sql::Statement columns(db, QStringLiteral("SELECT group_concat(lower(name)) FROM pragma_index_info(?1)"));
        columns.bind(1, indexes.text(0));
        if (columns.next() && columns.text(0) == QLatin1String("ref"))
            return true;
    }
    return false;
}


// Why the first read of the file failed, in words.
Catalogue::OpenFailure unreadable(sqlite3 *db, const QString &shown, int code)
{
    using Problem = Catalogue::Problem;
    switch (code & 0xff) {
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return failure(Problem::NotCatalogue,
                       QStringLiteral("Le fichier « %1 » n'est pas un catalogue Tabrix : %2.").arg(shown, sql::describe(code)));
    case SQLITE_READONLY:
        // A program stopped in the middle of a change left its journal; the
        // change must be undone before anything can be read, and that needs
        // to write.
        if (sqlite3_extended_errcode(db) == SQLITE_READONLY_ROLLBACK)
            return failure(Problem::Unreadable,
                           QStringLiteral("Le catalogue « %1 » a été laissé par un programme interrompu au milieu d'une "
                                          "modification, qui doit être annulée avant toute lecture. Cela est impossible "
                                          "car le fichier ou son dossier est protégé contre l'écriture. Rendez-les "
                                          "modifiables puis relancez Tabrix : aucune entrée enregistrée n'est perdue.")
                               .arg(shown));
        break;
    default:
        break;
    }
    return failure(Problem::Unreadable,
                   QStringLiteral("Le catalogue « %1 » ne peut pas être lu : %2.").arg(shown, sql::describe(code)));
}

} // namespace

namespace {

// Why the file at `path` cannot be a catalogue, before SQLite opens it.
std::optional<Catalogue::OpenFailure> fileProblem(const QString &path, const QString &shown)
{
    using Problem = Catalogue::Problem;
    if (const std::optional<QString> kind = specialFileKind(path))
        return failure(Problem::NotCatalogue,
                       QStringLiteral("« %1 » est %2, pas un fichier ordinaire : Tabrix ne peut pas s'en servir comme "
                                      "catalogue.")
                           .arg(shown, *kind));
    switch (inspectFile(path)) {
    case FileKind::Missing:
        return failure(Problem::Missing, QStringLiteral("Le catalogue « %1 » est introuvable.").arg(shown));
    case FileKind::Directory:
        return failure(Problem::NotCatalogue,
                       QStringLiteral("« %1 » est un dossier, pas un catalogue.").arg(shown));
    case FileKind::Unreadable:
        return failure(Problem::Unreadable,
                       QStringLiteral("Le catalogue « %1 » ne peut pas être lu : accès refusé.").arg(shown));
    case FileKind::Access:
        return failure(Problem::AccessFile, accessFileMessage(path));
    case FileKind::Other:
        return failure(Problem::NotCatalogue,
                       QStringLiteral("Le fichier « %1 » n'est pas un catalogue Tabrix.").arg(shown));
    case FileKind::Sqlite:
        break;
    }
    return std::nullopt;
}

// Why an SQLite file lacks the tables of a catalogue, or is of an older kind.
std::optional<Catalogue::OpenFailure> tablesProblem(sqlite3 *db, const QString &shown)
{
    using Problem = Catalogue::Problem;
    QSet<QString> tables;
    {
        sql::Statement list(db, QStringLiteral("SELECT lower(name) FROM sqlite_master WHERE type = 'table'"));
        while (list.next())
            tables.insert(list.text(0));
        if (list.failed())
            return unreadable(db, shown, list.code());
    }
    const QStringList required = {"zarpo", "melvi", "trunda", "auteurs"};
    bool anyKnown = tables.contains("titres");
    for (const QString &name : required)
        anyKnown = anyKnown || tables.contains(name);
    if (!anyKnown)
        return failure(Problem::NotCatalogue,
                       QStringLiteral("Le fichier « %1 » n'est pas un catalogue Tabrix : il ne contient aucune liste.")
                           .arg(shown));
    for (const QString &name : required)
        if (!tables.contains(name))
            return failure(Problem::MissingTable,
                           QStringLiteral("Le catalogue « %1 » est incomplet : la table « %2 » manque.")
                               .arg(shown, name));
    if (!tables.contains("titres"))
        return failure(Problem::Outdated,
                       QStringLiteral("Vous n'avez pas la dernière version de la base de données."));
    return std::nullopt;
}

// Why the tables lack the columns the program reads and writes, or the index
// that keeps each number once in its list.
std::optional<Catalogue::OpenFailure> columnsProblem(sqlite3 *db, const QString &shown, const QString &path)
{
    using Problem = Catalogue::Problem;
    for (const Category &category : categories()) {
        sql::Statement probe(db, QStringLiteral("SELECT %1 FROM %2 LIMIT 0").arg(entryColumns(category), category.table));
        if (!probe.valid())
            return failure(Problem::NotCatalogue,
                           QStringLiteral("Le catalogue « %1 » est endommagé : la table « %2 » n'a pas les colonnes attendues.")
                               .arg(shown, category.table));
    }
    sql::Statement probe(db, QStringLiteral("SELECT nom FROM auteurs LIMIT 0"));
    if (!probe.valid())
        return failure(Problem::NotCatalogue,
                       QStringLiteral("Le catalogue « %1 » est endommagé : la table « auteurs » n'a pas les colonnes attendues.")
                           .arg(shown));
    for (const Category &category : categories())
        if (!hasUniqueNumbers(db, category))
            return failure(Problem::MissingIndex,
                           QStringLiteral("Le catalogue « %1 » n'a plus l'index qui garantit qu'un numéro de la liste %2 "
                                          "n'y figure qu'une fois. Tabrix ne l'ouvre pas. Vérifiez-le dans un terminal "
                                          "avec :\n\ntabrix-admin check %3")
                               .arg(shown, category.word, shellWord(QFileInfo(path).absoluteFilePath())));
    return std::nullopt;
}

} // namespace

Catalogue::Opened Catalogue::open(const QString &path)
{
    const QString shown = shownPath(path);
    if (std::optional<OpenFailure> problem = fileProblem(path, shown))
        return *problem;

    // Writing needs the file and, for the journal that makes every change
    // all or nothing, its folder. When either cannot be written the
    // catalogue is opened for reading only: it can be browsed, and a change
    // is refused before anything is touched.
    const bool writable = mayWrite(path) && mayWrite(QFileInfo(path).absolutePath());
    sql::Connection connection;
    const int code = connection.open(path, writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    if (code != SQLITE_OK)
        return failure(Problem::Unreadable, QStringLiteral("Le catalogue « %1 » ne peut pas être ouvert : %2.")
                                                .arg(shown, sql::describe(code)));
    sqlite3 *db = connection.get();
    sqlite3_busy_timeout(db, busyWaitMs);
    sqlite3_extended_result_codes(db, 1);
    // A commit is on disk, journal removal included, before an add is
    // reported as saved: a power cut afterwards cannot roll it back.
    connection.exec("PRAGMA synchronous = EXTRA");
    if (std::optional<OpenFailure> problem = tablesProblem(db, shown))
        return *problem;
    if (std::optional<OpenFailure> problem = columnsProblem(db, shown, path))
        return *problem;

    std::unique_ptr<Catalogue> catalogue(new Catalogue(std::move(connection), path));
    catalogue->m_identity = fileIdentity(path);
    // A shared lock says that a Tabrix has the file open: a restore waits
    // for every one to close it. SQLite's own locks are of another kind.
    catalogue->m_inUse = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (catalogue->m_inUse >= 0)
        ::flock(catalogue->m_inUse, LOCK_SH | LOCK_NB);
    if (Status attached = catalogue->attachHistory(false); !attached)
        return failure(Problem::Unreadable, attached.error() + QLatin1Char('.'));
    return catalogue;
}

} // namespace tabrix
