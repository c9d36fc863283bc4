#include "tools/admin/catalogfile.h"
#include "tools/admin/command.h"

#include "convert/conversion.h"

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
    Result<Conversion> converted = convertAccessFile(source, target);
    if (!converted) {
        err << converted.error() << "\nRien n'a été écrit.\n";
        return 1;
    }
    out << "Lecture de « " << shownPath(source) << " » : base Access, format " << converted->format << ".\n";
    const ImportPlan &plan = converted->plan;
    for (std::size_t i = 0; i < plan.tables.size(); ++i) {
        const ImportTable &table = plan.tables[i];
        const int count = converted->written[i];
        out << "  " << QStringLiteral("%1 :").arg(table.table, -9) << ' ';
        if (table.found)
            out << lines(int(table.rows.size()), QStringLiteral("ligne lue"), QStringLiteral("lignes lues")) << ", "
                << lines(count, QStringLiteral("écrite"), QStringLiteral("écrites"));
        else
            out << "absente de l'ancien fichier, créée vide ("
                << lines(count, QStringLiteral("ligne écrite"), QStringLiteral("lignes écrites")) << ")";
        out << '\n';
    }
    list(out, QStringLiteral("Remarque :"), plan.notices);
    list(out, QStringLiteral("Attention :"), plan.warnings);
    out << "Catalogue créé : " << shownPath(target) << '\n';
    return 0;
}

[[maybe_unused]] const bool importRegistered = registerCommand(
    {"import", "ANCIEN.mdb NOUVEAU",
     "convertit une base Access de l'ancien programme en un nouveau catalogue (ne remplace jamais un fichier existant)",
     2, importAccess});

} // namespace
} // namespace tabrix::admin
