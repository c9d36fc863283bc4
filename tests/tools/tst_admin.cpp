// Every tabrix-admin command as a careful user meets it: options and help,
// names it must not take, files it must not follow or block on, outputs
// that fail, and interruptions at each step, which leave a whole result or
// nothing at all.
#include "tools/admincommand.h"

#include "store/schema.h"

#include <QDirIterator>

#include <csignal>
#include <sys/stat.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

using Tree = std::map<QString, QByteArray>;

// Every path under `root`, hidden ones too, with its content.
Tree tree(const QString &root)
{
    Tree content;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        content[QDir(root).relativeFilePath(info.filePath())] = info.isSymLink() ? "-> " + info.symLinkTarget().toUtf8()
                                                                : info.isDir()   ? QByteArray("<dossier>")
                                                                : info.isFile()  ? fileBytes(info.filePath())
                                                                                 : QByteArray("<spécial>");
    }
    return content;
}

// What `after` holds that `before` did not, or holds changed: each path with its size.
std::map<QString, qsizetype> added(const Tree &before, const Tree &after)
{
    std::map<QString, qsizetype> difference;
    for (const auto &[path, bytes] : after)
        if ((!before.count(path) || before.at(path) != bytes) && bytes != "<dossier>") // export's folder, kept or not
            difference[path] = bytes == "autre programme\n" ? -1 : bytes.size();
    return difference;
}

QString listing(const std::map<QString, qsizetype> &files)
{
    QStringList names;
    for (const auto &[path, size] : files)
        names << QStringLiteral("%1 (%2)").arg(path).arg(size);
    return names.join(QStringLiteral(", "));
}

// One program folder: a sample catalogue, an old Access file, and the
// command's arguments, writing to `target`.
struct Folder {
    ProgramDir dir;
    QString target;
    QStringList arguments;

    explicit Folder(const QString &command)
    {
        QVERIFY(createSampleCatalogue(dir.catalogue()) && QFile::copy(legacyFixture(), dir.file("ancien.mdb")));
        target = dir.file(command == "export" ? "export" : "cible.mdb");
        const QString source = command == "import" ? dir.file("ancien.mdb") : dir.catalogue();
        arguments = command == "check" ? QStringList{command, source}
                    : command == "create" || command == "demo" ? QStringList{command, target}
                                                               : QStringList{command, source, target};
    }
    // The file a command reads, or the name it writes to when it reads none.
    QString read() const { return arguments[1]; }
};

const QStringList writing = {"create", "demo", "import", "backup", "export"};

} // namespace

class TestAdmin : public QObject {
    Q_OBJECT

private slots:
    void manners_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status"); // 0: said on the output, else on the error output; nothing on the other
        QTest::addColumn<QString>("said");
        const auto row = [](const char *tag, const QStringList &arguments, int status, const char *said) {
            QTest::newRow(tag) << arguments << status << QString::fromUtf8(said);
        };
        row("--help", {"--help"}, 0, "3    vérification impossible");
        row("help check", {"help", "check"}, 0, "tabrix-admin check FICHIER");
        row("--version", {"--version"}, 0, "tabrix-admin 4.");
        row("nothing", {}, 2, "Statut de sortie");
        row("unknown command", {"rendre"}, 2, "Commande inconnue : rendre");
        row("unknown option", {"create", "--force", "x.mdb"}, 2, "Option inconnue : --force");
        row("name with a dash", {"create", "-x.mdb"}, 2, "après « -- »");
        row("after --", {"create", "--", "-x.mdb"}, 0, "Catalogue vide créé");
        row("empty name", {"create", ""}, 1, "nom vide");
        row("missing folder", {"demo", "absent/x.mdb"}, 1, "est introuvable");
        row("too many", {"check", "a", "b"}, 2, "Usage : tabrix-admin check FICHIER");
    }

    void manners()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, said);
        ProgramDir dir;
        const ToolRun run = runAdmin(arguments, {{}, {}, false, dir.path()});
        QCOMPARE(run.status, status);
        verifySaid(status == 0 ? run.out : run.err, {said});
        QVERIFY2((status == 0 ? run.err : run.out).isEmpty(), qPrintable(run.out + run.err));
        const QStringList made = arguments.contains("--") ? QStringList{"-x.mdb"} : QStringList{};
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), made);
    }

    // Each command in each situation: the status, the cause in French, and
    // nothing written but what the situation allows.
    void refusesWithoutHarm_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");
        const std::vector<std::pair<QString, QString>> situations = {
            {"taken", "créé par un autre programme"}, // the final name given meanwhile
            {"exists", "existe déjà"},
            {"dangling link", "lien symbolique"},
            {"fifo", "n'est pas un fichier ordinaire"},
            {"/dev/full", "disque plein"},
            {"read-only folder", "permission refusée"}, // as an ordinary user: root writes everywhere
            {"--help", "Usage"}};
        for (const auto &[situation, said] : situations) {
            const bool named = situation == "taken" || situation == "exists" || situation == "dangling link";
            for (const QString &command : named ? writing : writing + QStringList{"check"}) {
                const bool created = command == "create" || command == "demo";
                const bool checkRuns = situation == "read-only folder" && command == "check";
                const QString text = situation == "exists" && command == "export" ? "aucun fichier n'est remplacé"
                                     : situation == "fifo" && created             ? "existe déjà"
                                     : checkRuns                                  ? "Aucun défaut"
                                                                                  : said;
                QTest::addRow("%s %s", qPrintable(command), qPrintable(situation))
                    << command << situation << (situation == "--help" || checkRuns ? 0 : 1) << text;
            }
        }
    }

    void refusesWithoutHarm()
    {
        QFETCH(QString, command);
        QFETCH(QString, situation);
        QFETCH(int, status);
        QFETCH(QString, said);
        Folder folder(command);
        RunOptions options;
        if (situation == "taken") {
            options.environment = QStringList{"LD_PRELOAD=" TABRIX_INTERPOSE_PATH, "TABRIX_TAKE_NAME=1"};
        } else if (situation == "exists") {
            QVERIFY(command != "export" || QDir().mkpath(folder.target));
            writeBytes(command == "export" ? folder.target + "/auteurs.csv" : folder.target, "travail\n");
        } else if (situation == "dangling link") {
            QVERIFY(QFile::link(folder.dir.file("ailleurs/cible"), folder.target));
        } else if (situation == "fifo") {
            QFile::remove(folder.read());
            QCOMPARE(::mkfifo(QFile::encodeName(folder.read()).constData(), 0644), 0);
        } else if (situation == "/dev/full") {
            options.output = "/dev/full";
        } else if (situation == "read-only folder") {
            options.ordinaryUser = true;
            QVERIFY(QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther
                                                                 | QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup));
        }
        const Tree before = tree(folder.dir.path());
        const ToolRun run = runAdmin(situation == "--help" ? QStringList{command, "--help"} : folder.arguments, options);
        QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(run.status, status);
        verifySaid(run.out + run.err, {said});
        const auto change = added(before, tree(folder.dir.path()));
        if (situation == "taken") // only the other program's file, untouched
            QVERIFY2(change.size() == 1 && change.begin()->second == -1, qPrintable(listing(change)));
        else if (situation == "/dev/full") // the result may be there, never a temporary file
            for (const auto &[path, size] : change)
                QVERIFY2(!path.contains("/.") && !path.startsWith('.'), qPrintable(path));
        else
            QVERIFY2(change.empty(), qPrintable(listing(change)));
    }

    void interruptedAtEachStep_data()
    {
        QTest::addColumn<QString>("command");
        for (const QString &command : writing)
            QTest::newRow(qPrintable(command)) << command;
    }

    // A signal before each sync to the disk and each final name in turn:
    // after each, the folder holds the whole result or nothing new.
    void interruptedAtEachStep()
    {
        QFETCH(QString, command);
        std::map<QString, qsizetype> whole;
        {
            Folder folder(command);
            const Tree before = tree(folder.dir.path());
            QCOMPARE(runAdmin(folder.arguments).status, 0);
            whole = added(before, tree(folder.dir.path()));
        }
        for (int step = 1;; ++step) {
            Folder folder(command);
            const Tree before = tree(folder.dir.path());
            const int signal = std::array{SIGINT, SIGTERM, SIGHUP}[step % 3];
            const ToolRun run = runAdmin(folder.arguments, {{"LD_PRELOAD=" TABRIX_INTERPOSE_PATH,
                                                             QStringLiteral("TABRIX_INTERRUPT_AT=%1").arg(step),
                                                             QStringLiteral("TABRIX_INTERRUPT_SIGNAL=%1").arg(signal)}});
            const auto change = added(before, tree(folder.dir.path()));
            QVERIFY2(change.empty() || change == whole, qPrintable(QStringLiteral("step %1: %2").arg(step).arg(listing(change))));
            if (run.status == 0) { // no step left to interrupt
                QVERIFY(step > 3 && change == whole);
                break;
            }
            QCOMPARE(run.status, 128 + signal);
        }
    }
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "tst_admin.moc"
