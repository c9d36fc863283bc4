// tabrix-admin repair: records in auteurs the authors of entries it does not
// know (letter case ignored, surrounding blanks set aside), as a catalogue
// written before every add recorded its author may lack them. A copy of the
// file is made first, beside it; the authors are then added in one
// transaction. A catalogue that lacks none is left alone, without a copy.

#include "tools/admin/backup.h"
#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"

#include "store/category.h"
#include "store/french.h"
#include "store/sqlite.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <sqlite3.h>

namespace tabrix::admin {

namespace {

// The authors of the four lists that auteurs does not know, each once, as
// written in its first entry (lists in their order, entries in stored order).
Result<QStringList> missingAuthors(sqlite3 *db)
{
    QSet<QString> known;
    sql::Statement names(db, QStringLiteral("SELECT nom FROM auteurs"));
    while (names.next())
        known.insert(foldCase(names.text(0).trimmed()));
    if (names.failed() || !names.valid())
        return Failure{QStringLiteral("la table « auteurs » n'a pas pu être lue : %1").arg(sqliteText(db, names.code()))};

    QStringList missing;
    for (const Category &category : categories()) {
        sql::Statement authors(
            db, QStringLiteral("SELECT auteur FROM %1 WHERE auteur IS NOT NULL ORDER BY rowid").arg(category.table));
        while (authors.next()) {
            const QString author = authors.text(0).trimmed();
            const QString key = foldCase(author);
            if (author.isEmpty() || known.contains(key))
                continue;
            known.insert(key);
            missing << author;
        }
        if (authors.failed() || !authors.valid())
            return Failure{QStringLiteral("la liste %1 n'a pas pu être lue : %2")
                               .arg(category.word, sqliteText(db, authors.code()))};
    }
    return missing;
}

// Beside the catalogue, named after it and the time.
QString copyName(const QString &path)
{
    const QFileInfo info(path);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral("-avant-reparation-") +
                                       QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")) +
                                       suffix);
}

Result<QStringList> addAuthors(const Connection &db)
{
    if (Status begun = run(db, "BEGIN IMMEDIATE"); !begun)
        return Failure{begun.error()};
    Result<QStringList> missing = missingAuthors(db.get());
    if (missing) {
        sql::Statement insert(db.get(), QStringLiteral("INSERT INTO auteurs (nom) VALUES (?1)"));
        for (const QString &author : std::as_const(*missing)) {
            insert.reset();
            insert.bind(1, author);
            if (const int code = insert.run(); code != SQLITE_DONE) {
                missing = Failure{sqliteText(db.get(), code)};
                break;
            }
        }
    }
    if (missing) {
        if (Status committed = run(db, "COMMIT"); !committed)
            missing = Failure{committed.error()};
    }
    if (!missing)
        run(db, "ROLLBACK");
    return missing;
}

int repair(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString &path = args[0];
    const auto failed = [&](const QString &why) {
        err << QStringLiteral("Le catalogue « %1 » n'a pas été réparé : %2.").arg(shownPath(path), why) << '\n';
        return 1;
    };
    Result<Connection> db = openCatalogueFile(path, Access::Reading);
    if (!db) {
        err << db.error() << '\n';
        return 1;
    }
    if (sqlite3_db_readonly(db->get(), "main") == 1)
        return failed(QStringLiteral("le fichier ne peut pas être modifié"));
    const Result<QStringList> missing = missingAuthors(db->get());
    if (!missing)
        return failed(missing.error());
    if (missing->isEmpty()) {
        out << "Aucun auteur ne manque dans « auteurs » : le catalogue est laissé tel quel.\n";
        return 0;
    }

    const QString copy = copyName(path);
    if (Status copied = backUp(path, copy); !copied) {
        err << copied.error() << '\n' << "Rien n'a été modifié.\n";
        return 1;
    }
    out << "Copie du catalogue écrite : " << shownPath(copy) << '\n';
    const Result<QStringList> added = addAuthors(*db);
    if (!added)
        return failed(added.error());
    for (const QString &author : *added)
        out << "Auteur ajouté : " << author << '\n';
    out << added->size() << " auteur(s) ajouté(s).\n";
    return 0;
}

[[maybe_unused]] const bool repairRegistered = registerCommand(
    {"repair", "FICHIER",
     "ajoute à « auteurs » les auteurs des entrées qui y manquent, après une copie du catalogue", 1, repair});

} // namespace
} // namespace tabrix::admin
