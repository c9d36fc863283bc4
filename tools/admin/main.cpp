#include "tools/admin/command.h"

#include <QCoreApplication>

#include <cstdio>

namespace tabrix::admin {

namespace {
std::vector<Command> &registry()
{
    static std::vector<Command> list;
    return list;
}
} // namespace

bool registerCommand(Command command)
{
    registry().push_back(std::move(command));
    return true;
}

const std::vector<Command> &commands()
{
    return registry();
}

} // namespace tabrix::admin

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = application.arguments().mid(1);

    auto usage = [&](QTextStream &stream) {
        stream << "Usage : tabrix-admin COMMANDE ARGUMENTS\n\nCommandes :\n";
        for (const auto &command : tabrix::admin::commands())
            stream << "  " << command.name << ' ' << command.usage << "\n      " << command.description << '\n';
    };
    if (arguments.isEmpty() || arguments.first() == "--help" || arguments.first() == "-h") {
        usage(arguments.isEmpty() ? err : out);
        return arguments.isEmpty() ? 2 : 0;
    }
    const QString name = arguments.takeFirst();
    for (const auto &command : tabrix::admin::commands()) {
        if (command.name != name)
            continue;
        if (arguments.size() < command.argumentCount
            || arguments.size() > command.argumentCount + command.optionalCount) {
            err << "Usage : tabrix-admin " << command.name << ' ' << command.usage << '\n';
            return 2;
        }
        return command.run(arguments, out, err);
    }
    err << "Commande inconnue : " << name << "\n\n";
    usage(err);
    return 2;
}
