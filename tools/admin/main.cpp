#include "tools/admin/command.h"

#include "store/newfile.h"
#include "store/systemerror.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIODevice>

#include <cerrno>
#include <unistd.h>

namespace tabrix::admin {

namespace {

std::vector<Command> &registry()
{
    static std::vector<Command> list;
    return list;
}

const QString program = QStringLiteral("tabrix-admin");

void commandHelp(QTextStream &stream, const Command &command)
{
    stream << "  " << program << ' ' << command.name << ' ' << command.usage << "\n      " << command.description
           << '\n';
}

void help(QTextStream &stream)
{
    stream << "Usage : " << program << " COMMANDE ARGUMENTS\n"
           << "        " << program << " COMMANDE --help\n\n"
           << "Administre un catalogue Tabrix. Aucune commande ne remplace ni ne suit (lien symbolique) un fichier "
              "existant ; interrompue, une commande ne laisse rien derrière elle.\n\nCommandes :\n";
    for (const Command &command : commands())
        commandHelp(stream, command);
    stream << "\nOptions :\n"
              "  -h, --help     affiche cette aide (aussi : " << program << " help [COMMANDE])\n"
              "  -V, --version  affiche la version\n"
              "  --             la suite n'est faite que de noms (pour un fichier dont le nom commence par « - »)\n"
              "\nStatut de sortie :\n"
              "  0    fait ; pour check : aucun défaut\n"
              "  1    échec, ou défauts trouvés par check\n"
              "  2    mauvais usage (commande, option ou arguments)\n"
              "  3    vérification impossible (catalogue verrouillé ou illisible)\n"
              "  130  interrompu (Ctrl-C ; 143 pour un arrêt demandé) : rien n'est laissé\n";
}

int badUsage(QTextStream &err, const QString &what)
{
    err << what << "\nVoyez « " << program << " --help ».\n";
    return 2;
}

// Parses `arguments` (the program's name first) with -h/--help and, at the
// top level, -V/--version; false with a French message on a bad option.
bool parse(QCommandLineParser &parser, const QStringList &arguments, bool topLevel, QTextStream &err)
{
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QString()});
    if (topLevel) {
        parser.addOption({{QStringLiteral("V"), QStringLiteral("version")}, QString()});
        parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    }
    if (parser.parse(arguments))
        return true;
    const QStringList unknown = parser.unknownOptionNames();
    badUsage(err, unknown.isEmpty() ? QStringLiteral("Arguments incorrects.")
                                    : QStringLiteral("Option inconnue : %1%2 (un nom de fichier qui commence par « - » "
                                                     "se donne après « -- »).")
                                          .arg(unknown.first().size() > 1 ? QStringLiteral("--") : QStringLiteral("-"),
                                               unknown.first()));
    return false;
}

const Command *find(const QString &name)
{
    for (const Command &command : commands())
        if (command.name == name)
            return &command;
    return nullptr;
}

int runCommand(const Command &command, const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    for (const QString &option : command.options)
        parser.addOption({option, QString()});
    if (!parse(parser, QStringList{program} + arguments, false, err))
        return 2;
    if (parser.isSet(QStringLiteral("help"))) {
        out << "Usage :\n";
        commandHelp(out, command);
        return 0;
    }
    QStringList files = parser.positionalArguments();
    if (files.size() < command.argumentCount || files.size() > command.argumentCount + command.optionalCount)
        return badUsage(err, QStringLiteral("Usage : %1 %2 %3").arg(program, command.name, command.usage));
    for (const QString &option : command.options)
        if (parser.isSet(option))
            files << QStringLiteral("--") + option;
    return command.run(files, out, err);
}

int dispatch(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    QCommandLineParser parser;
    if (!parse(parser, arguments, true, err))
        return 2;
    if (parser.isSet(QStringLiteral("version"))) {
        out << program << ' ' << QCoreApplication::applicationVersion() << '\n';
        return 0;
    }
    QStringList words = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("help")) || (!words.isEmpty() && words.first() == QLatin1String("help"))) {
        if (words.size() > 1)
            if (const Command *command = find(words[1]))
                return runCommand(*command, {QStringLiteral("--help")}, out, err);
        help(out);
        return 0;
    }
    if (words.isEmpty()) {
        help(err);
        return 2;
    }
    const Command *command = find(words.first());
    if (!command)
        return badUsage(err, QStringLiteral("Commande inconnue : %1").arg(words.first()));
    return runCommand(*command, words.mid(1), out, err);
}

// Writes all of `bytes` to `fd`; the error number, or 0.
int writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return written < 0 ? errno : EIO;
        done += written;
    }
    return 0;
}

void silent(QtMsgType, const QMessageLogContext &, const QString &) {}

// A standard stream written as the command speaks (so that progress shows),
// which remembers the first failed write.
class Terminal : public QIODevice {
public:
    explicit Terminal(int fd) : m_fd(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    int failure() const { return m_failure; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override
    {
        if (m_failure == 0)
            m_failure = writeAll(m_fd, QByteArray::fromRawData(data, size));
        return size; // a failure is told once, at the end
    }

private:
    int m_fd;
    int m_failure = 0;
};

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
    using namespace tabrix::admin;
    qInstallMessageHandler(silent); // every message here is the tool's own, in French
    tabrix::removeFilesOnInterrupt();
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(TABRIX_VERSION));

    Terminal standardOutput(STDOUT_FILENO), standardError(STDERR_FILENO);
    QTextStream out(&standardOutput), err(&standardError);
    int status = dispatch(application.arguments(), out, err);
    out.flush();
    if (const int error = standardOutput.failure()) {
        status = 1;
        err << "La sortie standard n'a pas pu être écrite : " << tabrix::systemErrorText(error) << ".\n";
    }
    err.flush();
    if (standardError.failure() != 0)
        status = 1;
    return status;
}
