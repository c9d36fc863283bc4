#pragma once

#include "app/mainwindow.h"
#include "app/startup.h"
#include "store/catalogue.h"
#include "store/entrynumber.h"
#include "store/schema.h"
#include "store/sqlite.h"
#include "support/recordingservices.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <memory>
#include <vector>

namespace tabrix::test {

// A throw-away program directory, removed with its content at the end.
class ProgramDir {
public:
    ProgramDir()
    {
        if (!m_dir.isValid())
            qFatal("cannot create a temporary directory");
    }
    QString path() const { return m_dir.path(); }
    QString file(const QString &name) const { return QDir(m_dir.path()).filePath(name); }
    QString catalogue() const { return file(catalogueFileName()); }

private:
    QTemporaryDir m_dir;
};

namespace detail {

inline sql::Connection connect(const QString &path)
{
    sql::Connection connection;
    if (connection.open(path, SQLITE_OPEN_READWRITE) != SQLITE_OK)
        qFatal("cannot open %s", qPrintable(path));
    sqlite3_busy_timeout(connection.get(), 5000);
    return connection;
}

} // namespace detail

// An entry written as given; a default-constructed link has no value.
inline Entry entry(const QString &ref, const QString &name, const QString &author,
                   std::optional<QString> url = notAvailable(), std::optional<QString> link = notAvailable())
{
    return Entry{ref, name, author, std::move(url), std::move(link)};
}

// `count` entries numbered 001 … without gaps, authors taken in turn from `authors`.
inline std::vector<Entry> numberedEntries(int count, const QStringList &authors = {"Zoé"})
{
    std::vector<Entry> entries;
    for (int i = 1; i <= count; ++i) {
        const QString ref = threeDigitText(i);
        entries.push_back(entry(ref, QStringLiteral("Énigme %1").arg(i), authors.at((i - 1) % authors.size()),
                                QStringLiteral("https://images.norvane.fr/%1.jpg").arg(ref),
                                QStringLiteral("https://www.norvane.fr/t%1").arg(ref)));
    }
    return entries;
}

// Creates an empty catalogue at `path` (fails the test if it cannot).
inline void createEmptyCatalogue(const QString &path)
{
    if (const Status created = createCatalogue(path); !created)
        qFatal("%s", qPrintable(created.error()));
}

// Appends these rows as they stand, without any check.
inline void insertEntries(const QString &path, const Category &category, const std::vector<Entry> &entries)
{
    const sql::Connection connection = detail::connect(path);
    sql::Statement insert(connection.get(), QStringLiteral("INSERT INTO %1 (ref, %2, auteur, url, lien) VALUES (?1, ?2, ?3, ?4, ?5)")
                                             .arg(category.table, category.nameField));
    connection.exec("BEGIN");
    for (const Entry &e : entries) {
        insert.reset();
        insert.bind(1, e.ref);
        insert.bind(2, e.name);
        insert.bind(3, e.author);
        insert.bind(4, e.url);
        insert.bind(5, e.link);
        insert.next();
        if (insert.code() != SQLITE_DONE)
            qFatal("insert failed: %d", insert.code());
    }
    connection.exec("COMMIT");
}

// Appends these names to auteurs, as they stand.
inline void insertAuthors(const QString &path, const QStringList &names)
{
    const sql::Connection connection = detail::connect(path);
    sql::Statement insert(connection.get(), QStringLiteral("INSERT INTO auteurs (nom) VALUES (?1)"));
    for (const QString &name : names) {
        insert.reset();
        insert.bind(1, name);
        insert.next();
    }
}

// Runs SQL on the file directly (to damage a catalogue, for instance).
inline void execute(const QString &path, const QString &sql)
{
    const sql::Connection connection = detail::connect(path);
    char *error = nullptr;
    if (sqlite3_exec(connection.get(), sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error);
        sqlite3_free(error);
        qFatal("%s: %s", qPrintable(sql), qPrintable(message));
    }
}

// Reads a whole table back, in stored order, each field as text; a field
// with no value reads as "<NULL>".
inline std::vector<QStringList> tableRows(const QString &path, const QString &table)
{
    const sql::Connection connection = detail::connect(path);
    sql::Statement select(connection.get(), QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(table));
    std::vector<QStringList> rows;
    while (select.next()) {
        QStringList row;
        for (int c = 0; c < select.columnCount(); ++c)
            row << (select.isNull(c) ? QStringLiteral("<NULL>") : select.text(c));
        rows.push_back(row);
    }
    return rows;
}

// Opens a catalogue, failing the test when it cannot.
inline std::unique_ptr<Catalogue> openCatalogue(const QString &path)
{
    Catalogue::Opened opened = Catalogue::open(path);
    if (auto *failed = std::get_if<Catalogue::OpenFailure>(&opened))
        qFatal("%s", qPrintable(failed->message));
    return std::move(std::get<std::unique_ptr<Catalogue>>(opened));
}

// Starts the program on the catalogue of `dir`, as the real entry does,
// with messages recorded; nullptr (and the message in `services`) when
// start-up refused.
inline std::unique_ptr<MainWindow> startProgram(const ProgramDir &dir, RecordingServices &services)
{
    Result<std::unique_ptr<MainWindow>> started = startUp(dir.path(), services);
    if (!started) {
        services.message(nullptr, started.error(), MessageIcon::Critical);
        return nullptr;
    }
    return std::move(*started);
}

inline const Category &zarpo() { return categories()[0]; }
inline const Category &melvi() { return categories()[1]; }
inline const Category &trunda() { return categories()[2]; }
inline const Category &titres() { return categories()[3]; }

} // namespace tabrix::test
