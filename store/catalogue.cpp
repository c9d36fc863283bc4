#include "store/catalogue.h"

#include "store/filekind.h"
#include "store/french.h"
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
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

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

QString entryColumns(const Category &category)
{
    return QStringLiteral("ref, %1, auteur, url, lien").arg(category.nameField);
}

} // namespace

// Why the first read of the file failed, in words.
Catalogue::OpenFailure Catalogue::unreadable(sqlite3 *db, const QString &shown, int code)
{
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

Catalogue::Catalogue(sqlite3 *db, QString path) : m_db(db), m_path(std::move(path)) {}

Catalogue::~Catalogue()
{
    m_statements.clear();
    sqlite3_close_v2(m_db);
    if (m_inUse >= 0)
        ::close(m_inUse);
}

Catalogue::Opened Catalogue::open(const QString &path)
{
    const QString shown = shownPath(path);
    const QFileInfo info(path);
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

    // Writing needs the file and, for the journal that makes every change
    // all or nothing, its folder. When either cannot be written the
    // catalogue is opened for reading only: it can be browsed, and a change
    // is refused before anything is touched.
    const bool writable = mayWrite(path) && mayWrite(info.absolutePath());
    sqlite3 *db = nullptr;
    const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                                     writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
    if (code != SQLITE_OK) {
        sqlite3_close_v2(db);
        return failure(Problem::Unreadable, QStringLiteral("Le catalogue « %1 » ne peut pas être ouvert : %2.")
                                                .arg(shown, sql::describe(code)));
    }
    sqlite3_busy_timeout(db, busyWaitMs);
    sqlite3_extended_result_codes(db, 1);
    // A commit is on disk, journal removal included, before an add is
    // reported as saved: a power cut afterwards cannot roll it back.
    sqlite3_exec(db, "PRAGMA synchronous = EXTRA", nullptr, nullptr, nullptr);
    std::unique_ptr<Catalogue> catalogue(new Catalogue(db, path));

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

    // Every table must have the columns the program reads and writes.
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

    // Without its unique index a list could come to hold one number twice.
    for (const Category &category : categories())
        if (!hasUniqueNumbers(db, category))
            return failure(Problem::MissingIndex,
                           QStringLiteral("Le catalogue « %1 » n'a plus l'index qui garantit qu'un numéro de la liste %2 "
                                          "n'y figure qu'une fois. Tabrix ne l'ouvre pas. Vérifiez-le dans un terminal "
                                          "avec :\n\ntabrix-admin check %3")
                               .arg(shown, category.word, shellWord(info.absoluteFilePath())));
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

Catalogue::FileIdentity Catalogue::fileIdentity(const QString &path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    return {quint64(info.st_dev), quint64(info.st_ino)};
}

bool Catalogue::readOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

sql::Statement &Catalogue::statement(const QString &query)
{
    auto it = m_statements.find(query);
    if (it == m_statements.end())
        it = m_statements.emplace(query, sql::Statement(m_db, query)).first;
    it->second.reset();
    return it->second;
}

QString Catalogue::failureText(const QString &what, int code) const
{
    return QStringLiteral("%1 : %2.").arg(what, sql::describe(code));
}

Result<std::vector<GridRow>> Catalogue::rows(const Category &category, SortColumn column)
{
    sql::Statement &query = statement(
        QStringLiteral("SELECT ref, %1, auteur FROM %2 ORDER BY ref, rowid").arg(category.nameField, category.table));
    std::vector<GridRow> rows;
    while (query.next())
        rows.push_back({query.text(0), query.text(1), query.text(2)});
    if (query.failed())
        return Failure{failureText(QStringLiteral("La liste %1 n'a pas pu être lue").arg(category.word), query.code())};
    if (column == SortColumn::Number)
        return rows;

    // Sort keys are worked out once per row, not once per comparison.
    struct Keyed {
        QCollatorSortKey key;
        const QString *text;
        std::size_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QString &text = column == SortColumn::Name ? rows[i].name : rows[i].author;
        keyed.push_back({frenchOrderKey(text), &text, i});
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        const int byKey = a.key.compare(b.key);
        if (byKey != 0)
            return byKey < 0;
        return frenchTieBreak(*a.text, *b.text) < 0;
    });
    std::vector<GridRow> sorted;
    sorted.reserve(rows.size());
    for (const Keyed &k : keyed)
        sorted.push_back(std::move(rows[k.index]));
    return sorted;
}

Result<std::vector<GridRow>> Catalogue::storedRows(const Category &category)
{
    sql::Statement &query = statement(
        QStringLiteral("SELECT ref, %1, auteur FROM %2 ORDER BY rowid").arg(category.nameField, category.table));
    std::vector<GridRow> rows;
    while (query.next())
        rows.push_back({query.text(0), query.text(1), query.text(2)});
    if (query.failed())
        return Failure{failureText(QStringLiteral("La liste %1 n'a pas pu être lue").arg(category.word), query.code())};
    return rows;
}

Result<std::optional<Entry>> Catalogue::find(const Category &category, const QString &ref)
{
    sql::Statement &query = statement(
        QStringLiteral("SELECT %1 FROM %2 WHERE ref = ?1").arg(entryColumns(category), category.table));
    query.bind(1, ref);
    std::optional<Entry> found;
    if (query.next())
        found = Entry{query.text(0), query.text(1), query.text(2), query.optionalText(3), query.optionalText(4)};
    else if (query.failed())
        return Failure{failureText(QStringLiteral("Le n° %1 n'a pas pu être lu").arg(ref), query.code())};
    query.reset();
    return found;
}

Result<int> Catalogue::count(const Category &category)
{
    sql::Statement &query = statement(QStringLiteral("SELECT count(*) FROM %1").arg(category.table));
    if (!query.next())
        return Failure{failureText(QStringLiteral("La liste %1 n'a pas pu être comptée").arg(category.word), query.code())};
    const int n = int(query.integer(0));
    query.reset();
    return n;
}

Result<std::vector<QString>> Catalogue::authors()
{
    sql::Statement &query = statement(QStringLiteral("SELECT nom FROM auteurs ORDER BY rowid"));
    std::vector<QString> names;
    while (query.next())
        names.push_back(query.text(0));
    if (query.failed())
        return Failure{failureText(QStringLiteral("La liste des auteurs n'a pas pu être lue"), query.code())};
    return names;
}

Result<bool> Catalogue::knowsAuthor(const QString &name)
{
    const Result<std::vector<QString>> names = authors();
    if (!names)
        return Failure{names.error()};
    const QString wanted = foldCase(name);
    return std::any_of(names->begin(), names->end(), [&](const QString &n) { return foldCase(n) == wanted; });
}

Status Catalogue::execute(const QString &query)
{
    sql::Statement &stmt = statement(query);
    const int code = stmt.run();
    if (code != SQLITE_DONE && code != SQLITE_ROW)
        return Failure{sql::describe(code)};
    return success();
}

Status Catalogue::insertEntry(const Category &category, const Entry &entry)
{
    sql::Statement &insert = statement(QStringLiteral("INSERT INTO %1 (%2) VALUES (?1, ?2, ?3, ?4, ?5)")
                                           .arg(category.table, entryColumns(category)));
    insert.bind(1, entry.ref);
    insert.bind(2, entry.name);
    insert.bind(3, entry.author);
    insert.bind(4, entry.url);
    insert.bind(5, entry.link);
    const int code = insert.run();
    if (code != SQLITE_DONE)
        return Failure{sql::describe(code)};
    return success();
}

Status Catalogue::beginChange(const Category &category, int shown)
{
    // A catalogue made before the history gains it with its first change.
    if (!readOnly())
        if (Status attached = attachHistory(true); !attached)
            return attached;
    if (Status begun = execute(QStringLiteral("BEGIN IMMEDIATE")); !begun)
        return begun;
    QString cause;
    if (fileIdentity(m_path) != m_identity) {
        cause = sql::movedText();
    } else if (const Result<int> stored = count(category); !stored) {
        cause = QStringLiteral("la liste %1 n'a pas pu être comptée").arg(category.word);
    } else if (*stored != shown) {
        cause = QStringLiteral("un autre programme a modifié le catalogue depuis son affichage (la liste %1 compte "
                               "maintenant %2 entrées, la grille en montre %3) ; rien n'a été écrit. Relancez Tabrix "
                               "pour voir le catalogue tel qu'il est maintenant")
                    .arg(category.word)
                    .arg(*stored)
                    .arg(shown);
    }
    if (cause.isEmpty())
        return success();
    execute(QStringLiteral("ROLLBACK"));
    return Failure{cause};
}

Status Catalogue::endChange()
{
    if (Status committed = execute(QStringLiteral("COMMIT")); !committed) {
        execute(QStringLiteral("ROLLBACK"));
        return committed;
    }
    return success();
}

Result<bool> Catalogue::append(const Category &category, const Entry &entry, int shown)
{
    const QString what = QStringLiteral("L'entrée n° %1 n'a pas été enregistrée").arg(entry.ref);
    if (Status begun = beginChange(category, shown); !begun)
        return Failure{QStringLiteral("%1 : %2.").arg(what, begun.error())};

    auto abandon = [&](const QString &cause) {
        execute(QStringLiteral("ROLLBACK"));
        return Failure{QStringLiteral("%1 : %2.").arg(what, cause)};
    };
    // Whether the number is taken is read in the transaction that writes it.
    const Result<std::optional<Entry>> existing = find(category, entry.ref);
    if (!existing)
        return abandon(QStringLiteral("la liste %1 n'a pas pu être lue").arg(category.word));
    if (existing->has_value()) {
        execute(QStringLiteral("ROLLBACK"));
        return false;
    }
    // Whichever list the entry goes to, its author is known from now on.
    std::optional<QString> addedAuthor;
    const Result<bool> known = knowsAuthor(entry.author);
    if (!known)
        return abandon(QStringLiteral("la liste des auteurs n'a pas pu être lue"));
    if (!*known) {
        sql::Statement &insert = statement(QStringLiteral("INSERT INTO auteurs (nom) VALUES (?1)"));
        insert.bind(1, entry.author);
        const int code = insert.run();
        if (code != SQLITE_DONE)
            return abandon(sql::describe(code));
        addedAuthor = entry.author;
    }
    if (Status inserted = insertEntry(category, entry); !inserted)
        return abandon(inserted.error());
    if (Status recorded = record(category, std::nullopt, entry, addedAuthor); !recorded)
        return abandon(recorded.error());
    if (Status committed = endChange(); !committed)
        return Failure{QStringLiteral("%1 : %2.").arg(what, committed.error())};
    return true;
}

Result<bool> Catalogue::rewrite(const Category &category, const QString &ref, const Entry &entry, int shown)
{
    const QString what = QStringLiteral("L'entrée n° %1 n'a pas été modifiée").arg(ref);
    if (Status begun = beginChange(category, shown); !begun)
        return Failure{QStringLiteral("%1 : %2.").arg(what, begun.error())};
    const Result<std::optional<Entry>> before = find(category, ref);
    if (!before || !before->has_value()) {
        execute(QStringLiteral("ROLLBACK"));
        if (!before)
            return Failure{QStringLiteral("%1 : la liste %2 n'a pas pu être lue.").arg(what, category.word)};
        return false;
    }
    sql::Statement &update = statement(
        QStringLiteral("UPDATE %1 SET ref = ?2, %2 = ?3, auteur = ?4, url = ?5, lien = ?6 "
                       "WHERE rowid = (SELECT rowid FROM %1 WHERE ref = ?1 LIMIT 1)")
            .arg(category.table, category.nameField));
    update.bind(1, ref);
    update.bind(2, entry.ref);
    update.bind(3, entry.name);
    update.bind(4, entry.author);
    update.bind(5, entry.url);
    update.bind(6, entry.link);
    const int code = update.run();
    if (code != SQLITE_DONE) {
        execute(QStringLiteral("ROLLBACK"));
        return Failure{QStringLiteral("%1 : %2.").arg(what, sql::describe(code))};
    }
    if (Status recorded = record(category, **before, entry, std::nullopt); !recorded) {
        execute(QStringLiteral("ROLLBACK"));
        return Failure{QStringLiteral("%1 : %2.").arg(what, recorded.error())};
    }
    if (Status committed = endChange(); !committed)
        return Failure{QStringLiteral("%1 : %2.").arg(what, committed.error())};
    return true;
}

} // namespace tabrix
