// Every tabrix-admin command as a careful user meets it: options and help,
// names it must not take, files it must not follow or block on, outputs
// that fail, and interruptions at each step, which leave a whole result or
// nothing at all. Then what check and backup give: check finds and names
// each kind of defect, passes a sound catalogue and never changes the file
// (a catalogue left half-written by a killed process: see the reliability
// tests); backup copies a whole, valid catalogue holding every committed
// entry and no part of an open transaction while another connection writes
// to the original. (What import and export bring over: see tst_convert.)
#include "tools/admincommand.h"

#include "store/schema.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QScopeGuard>

#include <sqlite3.h>

#include <atomic>
#include <csignal>
#include <thread>
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

// What `after` holds that `before` did not, or holds changed: each path
// with its size, -1 for the other program's file.
QStringList added(const Tree &before, const Tree &after)
{
    QStringList difference;
    for (const auto &[path, bytes] : after)
        if ((!before.count(path) || before.at(path) != bytes) && bytes != "<dossier>") // export's folder, kept or not
            difference << QStringLiteral("%1 (%2)").arg(path).arg(bytes == "autre programme\n" ? -1 : bytes.size());
    return difference;
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
        arguments = QStringList{command} + (command == "create" || command == "demo" ? QStringList() : QStringList{source})
                    + (command == "check" ? QStringList() : QStringList{target}); // what it reads, then what it writes
    }
};

const QStringList writing = {"create", "demo", "import", "backup", "export"};

// SQL filling a list with the entries 001 to 999.
const QString fullList = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
                         "INSERT INTO melvi SELECT printf('%03d', i), 'Énigme', 'Zoé', NULL, NULL FROM n;";

} // namespace

class TestAdmin : public QObject {
    Q_OBJECT

private slots:
    void manners_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status"); // 0: said on the output, else on the error output; nothing on the other
        QTest::addColumn<QString>("said");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << QString("3    vérification impossible");
        QTest::newRow("help check") << QStringList{"help", "check"} << 0 << QString("tabrix-admin check FICHIER");
        QTest::newRow("--version") << QStringList{"--version"} << 0 << QString("tabrix-admin 4.");
        QTest::newRow("nothing") << QStringList{} << 2 << QString("Statut de sortie");
        QTest::newRow("unknown command") << QStringList{"rendre"} << 2 << QString("Commande inconnue : rendre");
        QTest::newRow("unknown option") << QStringList{"create", "--force", "x.mdb"} << 2 << QString("Option inconnue : --force");
        QTest::newRow("name with a dash") << QStringList{"create", "-x.mdb"} << 2 << QString("après « -- »");
        QTest::newRow("after --") << QStringList{"create", "--", "-x.mdb"} << 0 << QString("Catalogue vide créé");
        QTest::newRow("empty name") << QStringList{"create", ""} << 1 << QString("nom vide");
        QTest::newRow("missing folder") << QStringList{"demo", "absent/x.mdb"} << 1 << QString("est introuvable");
        QTest::newRow("too many") << QStringList{"check", "a", "b"} << 2 << QString("Usage : tabrix-admin check FICHIER");
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
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 arguments.contains("--") ? QStringList{"-x.mdb"} : QStringList());
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
            QFile::remove(folder.arguments[1]); // the file it reads, or the name it writes to when it reads none
            QCOMPARE(::mkfifo(QFile::encodeName(folder.arguments[1]).constData(), 0644), 0);
        } else if (situation == "/dev/full") {
            options.output = "/dev/full";
        } else if (situation == "read-only folder") {
            options.ordinaryUser = true;
            QCOMPARE(::chmod(QFile::encodeName(folder.dir.path()).constData(), 0555), 0);
        }
        const Tree before = tree(folder.dir.path());
        const ToolRun run = runAdmin(situation == "--help" ? QStringList{command, "--help"} : folder.arguments, options);
        QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(run.status, status);
        verifySaid(run.out + run.err, {said});
        const auto change = added(before, tree(folder.dir.path()));
        if (situation == "taken") // only the other program's file, untouched
            QVERIFY2(change.size() == 1 && change[0].endsWith("(-1)"), qPrintable(change.join(", ")));
        else if (situation == "/dev/full") // the result may be there, never a temporary file
            QVERIFY2(change.filter(QRegularExpression("(^|/)\\.")).isEmpty(), qPrintable(change.join(", ")));
        else
            QVERIFY2(change.isEmpty(), qPrintable(change.join(", ")));
    }

    // Each writing command, with a signal before each sync to the disk and
    // each final name in turn: after each, the folder holds the whole result
    // or nothing new.
    void interruptedAtEachStep()
    {
        for (const QString &command : writing) {
            QStringList whole; // the result of step 0, never interrupted
            for (int step = 0;; ++step) {
                Folder folder(command);
                const Tree before = tree(folder.dir.path());
                const int signal = std::array{SIGINT, SIGTERM, SIGHUP}[step % 3];
                const ToolRun run = runAdmin(folder.arguments, {{"LD_PRELOAD=" TABRIX_INTERPOSE_PATH, "TABRIX_INTERRUPT_AT=" + QString::number(step),
                                                                 "TABRIX_INTERRUPT_SIGNAL=" + QString::number(signal)}});
                const auto change = added(before, tree(folder.dir.path()));
                if (step == 0)
                    whole = change;
                const QString seen = QStringLiteral("%1 at step %2: status %3, %4").arg(command).arg(step).arg(run.status).arg(change.join(", "));
                QVERIFY2(change.isEmpty() || change == whole, qPrintable(seen));
                if (run.status == 0 && step > 0) { // no step left to interrupt
                    QVERIFY2(step > 3 && change == whole, qPrintable(seen));
                    break;
                }
                QVERIFY2(run.status == (step == 0 ? 0 : 128 + signal), qPrintable(seen));
            }
        }
    }

    // Each kind of defect named, with the status it gives.
    void checkFindsEachDefect_data()
    {
        QTest::addColumn<QString>("damage"); // SQL run on a sound catalogue, or a kind of file
        QTest::addColumn<int>("status");     // 0 sound, 1 defects, 3 could not check
        QTest::addColumn<QStringList>("said"); // "!text": a text that must not be said
        const QString longName = QString(200, 'x');
        const auto row = [](const char *tag, const QString &damage, const QStringList &said, int status = 1) {
            QTest::newRow(tag) << damage << status << said;
        };
        row("healthy", "", {"Intégrité du fichier : correcte.", "Zarpo : 5 entrées", "Vasquo (table titres) : 5 entrées"}, 0);
        row("WAL mode", "PRAGMA journal_mode = WAL", {"Aucun défaut"}, 0);
        row("typographic apostrophe",
            "INSERT INTO zarpo VALUES ('006', 'Aube', 'O’Brien', NULL, NULL); INSERT INTO auteurs VALUES ('O’Brien')", {}, 0);
        row("full list", "DELETE FROM melvi;" + fullList, {"Melvi : la liste est complète", "1 défaut trouvé."});
        row("duplicate in a list not full", "DROP INDEX idx_ref_melvi; DELETE FROM melvi;" + fullList
            + "DELETE FROM melvi WHERE ref = '999'; INSERT INTO melvi VALUES ('500', 'Autre', 'Zoé', NULL, NULL)",
            {"le numéro « 500 » est porté par 2 entrées", "!complète"});
        row("missing list", "DROP TABLE melvi", {"La table « melvi » manque : Tabrix refuse d'ouvrir ce catalogue.", "1 défaut trouvé."});
        row("missing titres", "DROP TABLE titres", {"La table « titres » manque", "ancienne version"});
        row("missing link columns", "DROP TABLE trunda; CREATE TABLE trunda (ref TEXT, nom TEXT, auteur TEXT, url TEXT)",
            {"la table « trunda » n'a pas les colonnes url et lien"});
        row("dropped unique index", "DROP INDEX idx_ref_zarpo", {"Zarpo : la table « zarpo » n'a pas d'index unique sur ref"});
        row("trigger, view, table", "CREATE TRIGGER efface AFTER INSERT ON zarpo BEGIN DELETE FROM zarpo; END;"
            "CREATE VIEW tout AS SELECT * FROM zarpo; CREATE TABLE notes (texte)",
            {"Le déclencheur « efface » ne fait pas partie", "La vue « tout »", "La table « notes »"});
        row("author not recorded", "INSERT INTO melvi VALUES ('006', 'Six', 'Inconnue', NULL, NULL)",
            {"Melvi : l'auteur « Inconnue » (n° 006) n'est pas enregistré"});
        row("duplicate number", "DROP INDEX idx_ref_zarpo; INSERT INTO zarpo VALUES ('003', '" + longName + "', 'Zoé', NULL, NULL)",
            {"Zarpo : le numéro « 003 » est porté par 2 entrées (« Énigme 3 », « " + longName.left(80) + "… »).",
             "!" + longName.left(81)});
        row("numbers not on three digits", "INSERT INTO titres (ref, nom, auteur) VALUES ('06', 'Énigme 06', 'Zoé'), "
            "('0006', '', 'Zoé'), ('00a', '', 'Zoé'), (' 6 ', '', 'Zoé'), ('000', '', 'Zoé')",
            {"Vasquo (table titres) : le numéro « 06 » de l'entrée « Énigme 06 » n'est pas un numéro sur trois chiffres de 001 à 999.",
             "le numéro « 0006 »", "le numéro « 00a »", "le numéro «  6  »", "le numéro « 000 »"});
        row("number stored as an integer", "DROP TABLE trunda; CREATE TABLE trunda (ref, nom TEXT, auteur TEXT, url TEXT, lien TEXT);"
            "CREATE UNIQUE INDEX idx_ref_trunda ON trunda (ref); INSERT INTO trunda VALUES (1, 'Un', 'Zoé', NULL, NULL)",
            {"Trunda : le numéro 1 de l'entrée « Un » est enregistré comme un nombre"});
        row("no number", "INSERT INTO trunda (ref, nom, auteur) VALUES (NULL, 'Orpheline', 'Zoé')",
            {"Trunda : l'entrée « Orpheline » n'a pas de numéro."});
        row("gap", "DELETE FROM zarpo WHERE ref = '003'",
            {"Zarpo : numéro manquant : 003.", "Zarpo : Tabrix refusera tout ajout : il attend le numéro 005"});
        row("apostrophes", "UPDATE trunda SET auteur = 'L''Ours' WHERE ref IN ('002', '004'); "
            "INSERT INTO auteurs VALUES ('O''Neil'), ('L''Ours')",
            {"Trunda : l'auteur « L'Ours » contient une apostrophe (n° 002, 004)", "Auteurs : « O'Neil » contient une apostrophe"});
        row("damaged file", "damaged", {"endommagé"});
        row("old Access file", "access", {"base Access", "tabrix-admin import"});
        row("locked", "locked", {"verrouillé par un autre programme (tools_tst_admin", "!Défaut"}, 3);
        row("not a catalogue", "text", {"n'est pas un catalogue Tabrix"});
        row("missing file", "missing", {"introuvable"});
    }

    void checkFindsEachDefect()
    {
        QFETCH(QString, damage);
        QFETCH(int, status);
        QFETCH(QStringList, said);
        ProgramDir dir; // five entries in each list, numbered without gaps, and their authors
        createEmptyCatalogue(dir.catalogue());
        for (const Category &category : categories())
            insertEntries(dir.catalogue(), category, numberedEntries(5, {"Zoé", "Hélène"}));
        insertAuthors(dir.catalogue(), {"Zoé", "Hélène"});
        if (damage == "damaged") // the first list's root page
            writeBytes(dir.catalogue(), fileBytes(dir.catalogue()).replace(4096, 8, QByteArray(8, '\xFF')));
        else if (damage == "access" || damage == "text")
            writeBytes(dir.catalogue(), damage == "text" ? "ref;nom\n001;x\n" : fileBytes(legacyFixture()));
        else if (damage == "missing")
            QFile::remove(dir.catalogue());
        else if (!damage.isEmpty() && damage != "locked")
            execute(dir.catalogue(), damage);
        const auto before = folderContent(dir.path());
        sqlite3 *locker = nullptr; // a second connection in the middle of a write, once the files are read
        const auto unlock = qScopeGuard([&] { sqlite3_close_v2(locker); });
        if (damage == "locked")
            QVERIFY(sqlite3_open(QFile::encodeName(dir.catalogue()).constData(), &locker) == SQLITE_OK
                    && sqlite3_exec(locker, "BEGIN EXCLUSIVE; DELETE FROM auteurs", nullptr, nullptr, nullptr) == SQLITE_OK);
        const ToolRun run = runAdmin({"check", dir.catalogue()});
        const QString output = run.out + run.err;
        QVERIFY2(run.status == status, qPrintable(output));
        // The last line agrees with the lines above it.
        QCOMPARE(run.out.contains("Défaut :"), run.out.contains(QRegularExpression("défauts? trouvés?\\.")));
        QCOMPARE(run.out.endsWith("Aucun défaut : Tabrix peut ouvrir et compléter ce catalogue.\n"), status == 0);
        for (const QString &text : said)
            QVERIFY2(text.startsWith('!') ? !output.contains(text.mid(1)) : output.contains(text), qPrintable(text + " / " + output));
        sqlite3_close_v2(std::exchange(locker, nullptr)); // rolls its write back (reading the file would drop its locks)
        QVERIFY(folderContent(dir.path()) == before); // nothing written, nothing created beside it
    }

    // Three copies taken while entries are being added: each whole and valid.
    void backupIsConsistentWhileAnotherConnectionWrites()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertAuthors(dir.catalogue(), {"Zoé"});
        std::atomic<int> committed{0};
        const std::jthread writer([&](std::stop_token stop) { // entry n in zarpo and in melvi, in one transaction; stopped on leaving
            for (int n = 1; n <= 999 && !stop.stop_requested(); committed = n++) {
                execute(dir.catalogue(), QStringLiteral("BEGIN IMMEDIATE; INSERT INTO zarpo VALUES ('%1', 'Énigme', 'Zoé', NULL, NULL);"
                                                        "INSERT INTO melvi VALUES ('%1', 'Île', 'Zoé', NULL, NULL); COMMIT")
                                             .arg(n, 3, 10, QLatin1Char('0')));
                sqlite3_sleep(2); // as between two adds: a reader needs a moment without a write lock
            }
        });
        QVERIFY(QTest::qWaitFor([&] { return committed > 0; }, 60000));
        for (int i = 0; i < 3; ++i) {
            const int before = committed;
            const QString copy = dir.file(QStringLiteral("copie-%1.mdb").arg(i));
            const ToolRun run = runAdmin({"backup", dir.catalogue(), copy});
            const ToolRun check = runAdmin({"check", copy}); // valid, numbers 001 … without gaps
            QVERIFY2(run.status == 0 && check.status == 0, qPrintable(run.err + check.out));
            const std::size_t entries = tableRows(copy, "zarpo").size();
            QCOMPARE(tableRows(copy, "melvi").size(), entries); // never half a transaction
            QVERIFY2(int(entries) >= before, qPrintable(QStringLiteral("%1 < %2").arg(entries).arg(before)));
        }
    }
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "tst_admin.moc"
