#include "tools/admin/command.h"

#include "store/schema.h"

#include <QDir>

namespace tabrix::admin {

namespace {

int report(const Status &status, const QString &path, const QString &what, QTextStream &out, QTextStream &err)
{
    if (!status) {
        err << status.error() << '\n';
        return 1;
    }
    out << what << " : " << QDir::toNativeSeparators(path) << '\n';
    return 0;
}

[[maybe_unused]] const bool createRegistered = registerCommand(
    {"create", "FICHIER", "crée un catalogue vide (ne remplace jamais un fichier existant)", 1,
     [](const QStringList &args, QTextStream &out, QTextStream &err) {
         return report(createCatalogue(args[0]), args[0], "Catalogue vide créé", out, err);
     }});

[[maybe_unused]] const bool demoRegistered = registerCommand(
    {"demo", "FICHIER", "crée un catalogue de démonstration (une centaine d'entrées par liste)", 1,
     [](const QStringList &args, QTextStream &out, QTextStream &err) {
         return report(createSampleCatalogue(args[0]), args[0], "Catalogue de démonstration créé", out, err);
     }});

} // namespace
} // namespace tabrix::admin
