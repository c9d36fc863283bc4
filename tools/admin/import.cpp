#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"
#include "tools/admin/mdbreader.h"

#include "store/importer.h"

#include <QDir>
#include <QFileInfo>

namespace tabrix::admin {

namespace {

// "0 ligne", "1 ligne", "3 lignes" (French keeps the singular below two).
QString lines(int count, const QString &singular, const QString &plural)
{
    return QStringLiteral("%1 %2").arg(count).arg(count < 2 ? singular : plural);
}

void list(QTextStream &stream, const QString &title, const QStringList &items)
{
    if (items.isEmpty())
        return;
    stream << title << '\n';
    for (const QString &item : items)
        stream << "  - " << item << '\n';
}

int importAccess(const QStringList &args, QTextStream &out, QTextStream &err)
{
    const QString source = args[0];
    const QString target = args[1];
    auto refuse = [&](const QString &message) {
        if (!message.isEmpty())
            err << message << '\n';
        err << "Rien n'a été écrit." << '\n';
        return 1;
    };

    // Refused before the old file is even read.
    if (Status free = checkFreeName(target); !free)
        return refuse(free.error());
    if (Status regular = checkRegularFile(source, QStringLiteral("fichier")); !regular)
        return refuse(regular.error());

    Result<AccessFile> read = readAccessFile(source);
    if (!read)
        return refuse(read.error());
    out << "Lecture de « " << shown(source) << " » : base Access, format " << read->format << "." << '\n';

    const ImportPlan plan = planImport(read->tables);
    if (!plan.problems.isEmpty()) {
        err << "Le catalogue ne peut pas être importé :" << '\n';
        for (const QString &problem : plan.problems)
            err << "  - " << problem << '\n';
        list(err, QStringLiteral("À noter aussi :"), plan.warnings);
        err << "Corrigez l'ancien fichier dans Access, puis relancez l'import." << '\n';
        return refuse(QString());
    }

    Result<std::vector<int>> written = writeImport(plan, target);
    if (!written)
        return refuse(written.error());

    for (std::size_t i = 0; i < plan.tables.size(); ++i) {
        const ImportTable &table = plan.tables[i];
        const int count = (*written)[i];
        out << "  " << QStringLiteral("%1 :").arg(table.table, -9) << ' ';
        if (table.found)
            out << lines(int(table.rows.size()), QStringLiteral("ligne lue"), QStringLiteral("lignes lues")) << ", "
                << lines(count, QStringLiteral("écrite"), QStringLiteral("écrites"));
        else
            out << "absente de l'ancien fichier, créée vide (" << lines(count, QStringLiteral("ligne écrite"), QStringLiteral("lignes écrites")) << ")";
        out << '\n';
    }
    list(out, QStringLiteral("Remarque :"), plan.notices);
    list(out, QStringLiteral("Attention :"), plan.warnings);
    out << "Catalogue créé : " << shown(target) << '\n';
    return 0;
}

[[maybe_unused]] const bool importRegistered = registerCommand(
    {"import", "ANCIEN.mdb NOUVEAU",
     "convertit une base Access de l'ancien programme en un nouveau catalogue (ne remplace jamais un fichier existant)",
     2, importAccess});

} // namespace
} // namespace tabrix::admin
