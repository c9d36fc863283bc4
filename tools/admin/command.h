#pragma once

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

namespace tabrix::admin {

// One sub-command of tabrix-admin. Each command file registers its own.
struct Command {
    QString name;
    QString usage;       // the arguments, as shown in the help
    QString description; // one line, in French
    int argumentCount;   // number of arguments always given
    std::function<int(const QStringList &arguments, QTextStream &out, QTextStream &err)> run;
    int optionalCount = 0; // how many more may follow
    QStringList options;   // long options it takes ("refresh"), handed on as "--refresh" after the files
};

bool registerCommand(Command command);
const std::vector<Command> &commands();

} // namespace tabrix::admin
