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
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        content[QDir(root).relativeFilePath(info.filePath())] =
            info.isSymLink() ? "-> " + info.symLinkTarget().toUtf8()
            : info.isDir()   ? QByteArray("<dossier>")
            : info.isFile()  ? fileBytes(info.filePath())
                             : QByteArray("<spécial>");
    }
    return content;
}

// What `after` holds that `before` did not, or holds changed.
Tree added(const Tree &before, const Tree &after)
{
    Tree difference;
    for (const auto &[path, bytes] : after)
        if (!before.count(path) || before.at(path) != bytes)
            difference[path] = bytes;
    return difference;
}

QString listing(const Tree &files)
{
    QStringList names;
    for (const auto &[path, bytes] : files)
        names << QStringLiteral("%1 (%2)").arg(path).arg(bytes.size());
    return names.join(QStringLiteral(", "));
}

// The files of one program folder: a sample catalogue, an old Access file
// and the name a command writes to.
struct Folder {
    ProgramDir dir;
    QString command;
    QString target;
    QStringList arguments;

    explicit Folder(const QString &name) : command(name)
    {
        QVERIFY(createSampleCatalogue(dir.catalogue()));
        QVERIFY(QFile::copy(legacyFixture(), dir.file("ancien.mdb")));
        target = dir.file(command == "export" ? "export" : "cible.mdb");
        const std::map<QString, QStringList> runs = {
            {"create", {target}},           {"demo", {target}},
            {"import", {dir.file("ancien.mdb"), target}}, {"backup", {dir.catalogue(), target}},
            {"export", {dir.catalogue(), target}},        {"check", {dir.catalogue()}}};
        arguments = QStringList{command} + runs.at(command);
    }
    // The file a command reads, or the name it writes to when it reads none.
    QString read() const { return arguments.size() > 2 ? arguments[1] : arguments.last(); }
};

const QStringList writing = {"create", "demo", "import", "backup", "export"};

} // namespace

class TestAdmin : public QObject {
    Q_OBJECT

private slots:
    void manners_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("onOutput"); // else on the error output, and nothing on the other
        QTest::addColumn<QString>("said");
        QTest::addColumn<QStringList>("made");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << true << "3    vérification impossible" << QStringList{};
        QTest::newRow("-h") << QStringList{"-h"} << 0 << true << "Statut de sortie" << QStringList{};
        QTest::newRow("help") << QStringList{"help"} << 0 << true << "Statut de sortie" << QStringList{};
        QTest::newRow("help check") << QStringList{"help", "check"} << 0 << true << "tabrix-admin check FICHIER"
                                    << QStringList{};
        QTest::newRow("--version") << QStringList{"--version"} << 0 << true << "tabrix-admin 4." << QStringList{};
        QTest::newRow("-V") << QStringList{"-V"} << 0 << true << "tabrix-admin 4." << QStringList{};
        QTest::newRow("nothing") << QStringList{} << 2 << false << "Statut de sortie" << QStringList{};
        QTest::newRow("unknown command") << QStringList{"rendre"} << 2 << false << "Commande inconnue : rendre"
                                         << QStringList{};
        QTest::newRow("unknown option") << QStringList{"create", "--force", "x.mdb"} << 2 << false
                                        << "Option inconnue : --force" << QStringList{};
        QTest::newRow("name with a dash") << QStringList{"create", "-x.mdb"} << 2 << false << "après « -- »"
                                          << QStringList{};
        QTest::newRow("after --") << QStringList{"create", "--", "-x.mdb"} << 0 << true << "Catalogue vide créé"
                                  << QStringList{"-x.mdb"};
        QTest::newRow("empty name") << QStringList{"create", ""} << 1 << false << "nom vide" << QStringList{};
        QTest::newRow("missing folder") << QStringList{"demo", "absent/x.mdb"} << 1 << false << "est introuvable"
                                        << QStringList{};
        QTest::newRow("too many") << QStringList{"check", "a", "b"} << 2 << false
                                  << "Usage : tabrix-admin check FICHIER" << QStringList{};
    }

    void manners()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(bool, onOutput);
        QFETCH(QString, said);
        QFETCH(QStringList, made);
        ProgramDir dir;
        const ToolRun run = runAdmin(arguments, {{}, {}, false, dir.path()});
        QCOMPARE(run.status, status);
        verifySaid(onOutput ? run.out : run.err, {said});
        QVERIFY2((onOutput ? run.err : run.out).isEmpty(), qPrintable(run.out + run.err));
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
                int status = situation == "--help" ? 0 : 1;
                QString text = said;
                if (situation == "exists" && command == "export")
                    text = "aucun fichier n'est remplacé";
                if (situation == "fifo" && (command == "create" || command == "demo"))
                    text = "existe déjà";
                if (situation == "read-only folder" && command == "check")
                    status = 0, text = "Aucun défaut";
                QTest::addRow("%s %s", qPrintable(command), qPrintable(situation)) << command << situation << status << text;
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
        QStringList arguments = folder.arguments;
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
        } else if (situation == "--help") {
            arguments = QStringList{command, "--help"};
        }
        const Tree before = tree(folder.dir.path());

        const ToolRun run = runAdmin(arguments, options);
        QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(run.status, status);
        verifySaid(run.out + run.err, {said});
        Tree change = added(before, tree(folder.dir.path()));
        std::erase_if(change, [](const auto &file) { return file.second == "<dossier>"; }); // export's, kept or not
        if (situation == "taken") // only the other program's file, untouched
            QVERIFY2(change.size() == 1 && change.begin()->second == "autre programme\n", qPrintable(listing(change)));
        else if (situation == "/dev/full") // the result may be there, never a temporary file
            for (const auto &[path, bytes] : change)
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
        Tree whole;
        {
            Folder folder(command);
            const Tree before = tree(folder.dir.path());
            QCOMPARE(runAdmin(folder.arguments).status, 0);
            whole = added(before, tree(folder.dir.path()));
        }
        const int interruptions[] = {SIGINT, SIGTERM, SIGHUP};
        for (int step = 1;; ++step) {
            Folder folder(command);
            const Tree before = tree(folder.dir.path());
            const int signal = interruptions[step % 3];
            const ToolRun run = runAdmin(folder.arguments, {{"LD_PRELOAD=" TABRIX_INTERPOSE_PATH,
                                                             QStringLiteral("TABRIX_INTERRUPT_AT=%1").arg(step),
                                                             QStringLiteral("TABRIX_INTERRUPT_SIGNAL=%1").arg(signal)}});
            const Tree change = added(before, tree(folder.dir.path()));
            std::map<QString, qsizetype> sizes, wholeSizes;
            for (const auto &[path, bytes] : change)
                sizes[path] = bytes.size();
            for (const auto &[path, bytes] : whole)
                wholeSizes[path] = bytes.size();
            QVERIFY2(change.empty() || sizes == wholeSizes,
                     qPrintable(QStringLiteral("step %1: %2").arg(step).arg(listing(change))));
            if (run.status == 0) { // no step left to interrupt
                QVERIFY(step > 3 && sizes == wholeSizes);
                break;
            }
            QCOMPARE(run.status, 128 + signal);
        }
    }
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "tst_admin.moc"
