// tabrix-admin history: every change of a catalogue's history, newest first.

#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"

#include "store/history.h"
#include "store/sqlite.h"

#include <QFileInfo>

#include <sqlite3.h>

namespace tabrix::admin {

namespace {

QString described(const Entry &entry)
{
    const auto link = [](const std::optional<QString> &l) { return l ? QStringLiteral("« %1 »").arg(*l) : QStringLiteral("aucun"); };
    return QStringLiteral("« %1 », auteur « %2 », lien image %3, lien Norvane %4")
        .arg(entry.name, entry.author, link(entry.url), link(entry.link));
}

int listHistory(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString path = historyPath(args[0]);
    if (!QFileInfo(args[0]).isFile()) {
        err << QStringLiteral("Le catalogue « %1 » est introuvable.").arg(shownPath(args[0])) << '\n';
        return 1;
    }
    if (!QFileInfo(path).isFile()) {
        out << QStringLiteral("Aucune modification enregistrée (pas d'historique « %1 »).").arg(shownPath(path)) << '\n';
        return 0;
    }
    Result<Connection> catalogue = openCatalogueFile(args[0], Access::Reading);
    if (!catalogue) {
        err << catalogue.error() << '\n';
        return 1;
    }
    sql::Statement attach(catalogue->get(), QStringLiteral("ATTACH DATABASE ?1 AS historique"));
    attach.bind(1, path);
    if (const int code = attach.run(); code != SQLITE_DONE) {
        err << QStringLiteral("L'historique « %1 » ne peut pas être lu : %2.").arg(shownPath(path), sql::describe(code)) << '\n';
        return 1;
    }
    const Result<std::vector<Change>> changes = readChanges(catalogue->get());
    if (!changes) {
        err << changes.error() << '\n';
        return 1;
    }
    for (const Change &c : *changes) {
        const bool add = c.kind == Change::Kind::Add;
        out << c.at << "  " << c.list << "  n° " << c.after.ref << "  " << (add ? "ajout" : "MAJ")
            << (c.undone ? "  (annulée)" : "") << '\n'
            << "    avant : " << (add ? QStringLiteral("aucune entrée") : described(*c.before)) << '\n'
            << "    après : " << described(c.after) << '\n';
        if (c.addedAuthor)
            out << "    auteur ajouté : « " << *c.addedAuthor << " »\n";
    }
    if (changes->empty())
        out << "Aucune modification enregistrée.\n";
    return 0;
}

[[maybe_unused]] const bool historyRegistered = registerCommand(
    {"history", "FICHIER",
     "liste les modifications du catalogue, des plus récentes aux plus anciennes, et dit lesquelles sont annulées", 1,
     listHistory});

} // namespace
} // namespace tabrix::admin
