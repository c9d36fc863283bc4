// tabrix-admin restore: a copy put back in the place of the catalogue.

#include "tools/admin/command.h"

#include "store/copies.h"

namespace tabrix::admin {

namespace {

[[maybe_unused]] const bool restoreRegistered = registerCommand(
    {"restore", "COPIE FICHIER",
     "remet une copie à la place du catalogue (refusé tant que Tabrix l'a ouvert ; le fichier actuel est d'abord "
     "gardé dans « sauvegardes »)",
     2, [](const QStringList &args, QTextStream &out, QTextStream &err) {
         if (Status done = restoreCopy(args[0], args[1]); !done) {
             err << done.error() << '\n';
             return 1;
         }
         out << QStringLiteral("La copie a été remise en place ; l'ancien catalogue est gardé dans « sauvegardes ».")
             << '\n';
         return 0;
     }});

} // namespace
} // namespace tabrix::admin
