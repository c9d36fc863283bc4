// Every tabrix-admin command as a careful user meets it: options and help,
// names it must not take, files it must not follow or block on, outputs
// that fail, and interruptions at each step, which leave a whole result or
// nothing at all. Then what each command gives: check finds and names each
// kind of defect, passes a sound catalogue and never changes the file (a
// catalogue left half-written by a killed process: see the reliability
// tests); backup copies a whole, valid catalogue holding every committed
// entry and no part of an open transaction while another connection writes
// to the original; export writes CSV files that, read back as a spreadsheet
// reads them, give every field of every table exactly as stored; import
// checks the tables read from an old Access catalogue and writes the new
// file all or nothing, on the catalogue of the fixtures and on copies
// altered byte by byte.
#include "tools/admincommand.h"

#include "store/importer.h"
#include "store/schema.h"

#include <QDirIterator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStringEncoder>

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
        arguments = command == "check" ? QStringList{command, source}
                    : command == "create" || command == "demo" ? QStringList{command, target}
                                                               : QStringList{command, source, target};
    }
};

const QStringList writing = {"create", "demo", "import", "backup", "export"};

// SQL filling a list with the entries 001 to 999.
const QString fullList = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
                         "INSERT INTO melvi SELECT printf('%03d', i), 'Énigme', 'Zoé', NULL, NULL FROM n;";

// Reads a file strictly as a spreadsheet does: a byte-order mark, ";"
// between fields, CRLF after every line, "" for a quote in a quoted field;
// anything else leaves a `problem`. Rows come as tableRows gives them: an
// empty cell without quotes is a field with no value, "<NULL>".
std::vector<QStringList> parseCsv(const QByteArray &bytes, QString &problem)
{
    static const QRegularExpression field(QStringLiteral("(?:\"((?:[^\"]|\"\")*)\"|([^;\"\\r\\n]*))(;|\\r\\n)"));
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        problem = QStringLiteral("no byte-order mark");
    const QString text = QString::fromUtf8(bytes.mid(3));
    std::vector<QStringList> records(1);
    for (qsizetype at = 0; at < text.size() && problem.isEmpty();) {
        const auto match = field.match(text, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch())
            problem = QStringLiteral("unexpected text at %1: %2").arg(at).arg(text.mid(at, 20));
        const QString plain = match.captured(2), quoted = match.captured(1).replace("\"\"", "\"");
        records.back() << (match.capturedStart(1) >= 0 ? quoted : plain.isEmpty() ? "<NULL>" : plain);
        if ((at = match.capturedEnd()) < text.size() && match.captured(3) == "\r\n")
            records.emplace_back();
    }
    return records;
}

const QString none = QStringLiteral("<NULL>"); // how tableRows shows a field with no value

std::optional<QString> text(const char *utf8) { return QString::fromUtf8(utf8); }

// Numbers written "001|002"; "~" is a field with no value, "''" an empty text.
Fields refs(const QString &written)
{
    Fields fields;
    for (const QString &ref : written.split('|', Qt::SkipEmptyParts))
        fields.push_back(ref == "~" ? std::nullopt : std::optional<QString>(ref == "''" ? "" : ref));
    return fields;
}

SourceTable list(const QString &name, const Fields &numbers)
{
    SourceTable table{name, {"ref", name.toLower() == "melvi" ? "lieu" : "nom", "auteur", "url", "lien"}, {}, {}};
    for (const auto &ref : numbers)
        table.rows.push_back({ref, text("Nom"), text("Zoé"), std::nullopt, text("")});
    return table;
}

// A whole old catalogue whose zarpo list holds these numbers.
std::vector<SourceTable> catalogueWithZarpo(const Fields &numbers)
{
    return {list("zarpo", numbers), list("melvi", refs("001")), list("trunda", refs("001")), list("titres", refs("001")),
            SourceTable{"auteurs", {"nom"}, {{text("Zoé")}}, {}}};
}

// How a duplicate's row is shown.
QString shown(int line, const QString &ref)
{
    return QStringLiteral("\n    ligne %1 : « %2 », « Nom », « Zoé », sans valeur, texte vide").arg(line).arg(ref);
}

// A text as Jet 4 stores it uncompressed (UCS-2); compressed texts are Latin-1.
QByteArray ucs2(const QString &text) { return QStringEncoder(QStringConverter::Utf16LE)(text); }

// The fixture with each `from` (standing exactly once) replaced by `to` of the same length.
using Patches = std::vector<std::pair<QByteArray, QByteArray>>;
QByteArray patched(const Patches &patches)
{
    QByteArray bytes = fileBytes(legacyFixture());
    for (const auto &[from, to] : patches) {
        if (from.size() != to.size() || bytes.count(from) != 1)
            qFatal("bad patch %s", from.constData());
        bytes.replace(from, to);
    }
    return bytes;
}

using Tables = std::map<QString, std::vector<QStringList>>;

// What the fixture holds, read by hand from its pages.
const Tables fixtureRows = {
    {"zarpo", {{"001", "Les Misérables", "Victor Hugo", "http://example.org/miserables", "voir 002"},
               {"002", "Noël à la forêt", "Émile Zola", none, ""},
               {"007", "L'Œuvre — « spécial »", "Zoé Dupré", "http://example.org/oeuvre", none}}},
    {"melvi", {{"001", "Château d'Île-de-France", "Hélène Bœuf", "http://example.org/chateau", "lien simple"},
               {"003", "Besançon", "François Çà", none, none}}},
    {"trunda", {{"010", "ça déménage", "Jérôme Lefèvre", "http://example.org/t10", "x"}}},
    {"titres", {{"005", "Où êtes-vous, Noël ?", "Zoé Dupré", none, "titre non compressé"},
                {"006", "plain ascii", "Anon", "http://example.org/6", "y"}}},
    {"auteurs", {{"Victor Hugo"}, {"Émile Zola"}, {"Zoé Dupré"}, {"Hélène Bœuf"}, {"François Çà"}, {"Jérôme Lefèvre"}, {"Anon"}}},
};

} // namespace

Q_DECLARE_METATYPE(Tables)

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
            for (const QString &path : change)
                QVERIFY2(!path.contains("/.") && !path.startsWith('.'), qPrintable(path));
        else
            QVERIFY2(change.isEmpty(), qPrintable(change.join(", ")));
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
        QStringList whole; // the result of step 0, never interrupted
        for (int step = 0;; ++step) {
            Folder folder(command);
            const Tree before = tree(folder.dir.path());
            const int signal = std::array{SIGINT, SIGTERM, SIGHUP}[step % 3];
            const ToolRun run = runAdmin(folder.arguments, {{"LD_PRELOAD=" TABRIX_INTERPOSE_PATH,
                                                             QStringLiteral("TABRIX_INTERRUPT_AT=%1").arg(step),
                                                             QStringLiteral("TABRIX_INTERRUPT_SIGNAL=%1").arg(signal)}});
            const auto change = added(before, tree(folder.dir.path()));
            if (step == 0)
                whole = change;
            QVERIFY2(change.isEmpty() || change == whole, qPrintable(QStringLiteral("step %1: %2").arg(step).arg(change.join(", "))));
            if (run.status == 0 && step > 0) { // no step left to interrupt
                QVERIFY(step > 3 && change == whole);
                break;
            }
            QCOMPARE(run.status, step == 0 ? 0 : 128 + signal);
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
        ProgramDir dir;
        if (damage == "damaged") {
            QVERIFY(createSampleCatalogue(dir.catalogue()));
            QFile file(dir.catalogue());
            QVERIFY(file.open(QIODevice::ReadWrite) && file.seek(4096)); // the first list's root page
            file.write(QByteArray(8, '\xFF'));
        } else if (damage == "access" || damage == "text") {
            writeBytes(dir.catalogue(), damage == "text" ? "ref;nom\n001;x\n" : fileBytes(legacyFixture()));
        } else if (damage != "missing") { // five entries in each list, numbered without gaps, and their authors
            createEmptyCatalogue(dir.catalogue());
            for (const Category &category : categories())
                insertEntries(dir.catalogue(), category, numberedEntries(5, {"Zoé", "Hélène"}));
            insertAuthors(dir.catalogue(), {"Zoé", "Hélène"});
            if (!damage.isEmpty() && damage != "locked")
                execute(dir.catalogue(), damage);
        }
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
        sqlite3_close_v2(std::exchange(locker, nullptr)); // rolls its write back
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

    // Into a folder that does not exist yet, with a blank and an accent.
    void exportReadsBackAsStored()
    {
        ProgramDir dir;
        const QString path = dir.catalogue();
        createEmptyCatalogue(path);
        insertEntries(path, zarpo(), {entry("001", "Le \"grand\" phare; Étretat", "Zoé", std::nullopt, QString()),
                                      entry("002", "ligne 1\nligne 2", "Hélène", "https://img.norvane.fr/a;b.jpg"),
                                      entry("003", "  blancs autour\t", "Sœur Anne", "=SOMME(1;2)", "retour\r\nà la ligne"),
                                      entry("004", "", "O'Brien", "\"", "\"\""),
                                      entry("005", "Puzzle 🧩 ‘guillemets’ « français », virgule", "Lætitia", "a,b", "x")});
        insertEntries(path, melvi(), {entry("001", "Île de Ré", "Maëlle", std::nullopt, std::nullopt),
                                      entry("002", "Cœur;de;Lyon", "Zoé")});
        // trunda stays empty: its file holds the header line only.
        execute(path, "INSERT INTO titres VALUES (NULL, NULL, NULL, NULL, NULL); INSERT INTO auteurs VALUES (NULL)");
        insertEntries(path, titres(), {entry("007", "Noël", "Zoé")});
        insertAuthors(path, {"Zoé", "O'Brien", "", "a;b", "\"cité\""});
        const QString exported = dir.file("sauvegardes/catalogue été");
        const ToolRun run = runAdmin({"export", path, exported});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        std::vector<std::pair<QString, QStringList>> tables{{"auteurs", {"nom"}}}; // each read below, and nothing beside them
        for (const Category &category : categories())
            tables.push_back({category.table, {"ref", category.nameField, "auteur", "url", "lien"}});
        QCOMPARE(QDir(exported).entryList(QDir::Files | QDir::Hidden).size(), qsizetype(tables.size()));
        for (const auto &[table, header] : tables) {
            QString problem;
            const auto read = parseCsv(fileBytes(QDir(exported).filePath(table + ".csv")), problem);
            QVERIFY2(problem.isEmpty(), qPrintable(table + ": " + problem));
            QCOMPARE(read.front(), header);
            verifyRows({read.begin() + 1, read.end()}, tableRows(path, table));
        }
    }

    void checksNumbers_data()
    {
        QTest::addColumn<QString>("numbers");
        QTest::addColumn<QStringList>("warnings"); // each the start of a warning
        QTest::addColumn<QStringList>("problems");
        const QString notThree = "zarpo, ligne %1 : le numéro « %2 » n'est pas écrit sur trois chiffres.";
        const auto row = [](const char *tag, const QString &numbers, const QStringList &warnings, const QStringList &problems = {}) {
            QTest::newRow(tag) << numbers << warnings << problems;
        };
        row("in order", "001|002|003", {});
        row("none yet", "", {});
        row("several gaps", "003|001|007|009|011", {"zarpo : il manque les numéros 002, 004 à 006, 008 et 010 ; le programme "
                                                    "refusera tout ajout à cette liste tant que ses numéros ne se suivront pas depuis 001."});
        row("not on three digits", "1|0002| 003|004|abc|~|''",
            {notThree.arg(1).arg("1"), notThree.arg(2).arg("0002"), notThree.arg(3).arg(" 003"), notThree.arg(5).arg("abc"),
             "zarpo, ligne 6 : l'entrée n'a pas de numéro.", notThree.arg(7).arg("")});
        row("zero", "000|001", {"zarpo, ligne 1 : le numéro « 000 » ne compte pas"});
        row("one number, two spellings", "001|002|2",
            {notThree.arg(3).arg("2"), "zarpo : le numéro 002 est écrit de plusieurs façons : « 002 », « 2 »."});
        row("three times", "001|002|001|001", {},
            {"zarpo : le numéro « 001 » figure 3 fois :" + shown(1, "001") + shown(3, "001") + shown(4, "001")});
        row("text like a placeholder", "%3|%3", {notThree.arg(1).arg("%3"), notThree.arg(2).arg("%3")},
            {"zarpo : le numéro « %3 » figure 2 fois :" + shown(1, "%3") + shown(2, "%3")});
    }

    void checksNumbers()
    {
        QFETCH(QString, numbers);
        QFETCH(QStringList, warnings);
        QFETCH(QStringList, problems);
        const ImportPlan plan = planImport(catalogueWithZarpo(refs(numbers)));
        QCOMPARE(plan.problems + plan.notices, problems);
        QCOMPARE(plan.warnings.size(), warnings.size());
        for (int i = 0; i < warnings.size(); ++i)
            QVERIFY2(plan.warnings.at(i).startsWith(warnings.at(i)), qPrintable(plan.warnings.at(i)));
        Fields brought; // every row as it stands, in its order
        for (const Fields &fields : plan.tables.at(0).rows)
            brought.push_back(fields.front());
        QCOMPARE(brought, refs(numbers));
    }

    // Names are matched whatever their letter case, columns whatever their
    // order; what is not ours is named, not silently dropped.
    void matchesTablesAndColumns()
    {
        std::vector<SourceTable> source = catalogueWithZarpo({});
        source[0] = {"ZARPO", {"Lien", "note", "URL", "Auteur", "Nom", "REF"}, {}, {"photo"}};
        source[0].rows.push_back({text("forum"), text("à revoir"), std::nullopt, text("  Zoé  "), text("Île"), text("001")});
        source[1].name = "Melvi";
        const ImportPlan plan = planImport(source);
        QCOMPARE(plan.problems + plan.warnings, (QStringList{"La colonne « note » de la table « zarpo » n'est pas reprise.",
                                                             "La colonne « photo » de la table « zarpo » n'est pas reprise."}));
        const ImportTable &table = plan.tables.at(0);
        QVERIFY(table.table == "zarpo" && table.found);
        QCOMPARE(table.columns.join(' ') + " / " + plan.tables.at(1).columns.join(' '),
                 QStringLiteral("ref nom auteur url lien / ref lieu auteur url lien"));
        QCOMPARE(table.rows, (std::vector<Fields>{{text("001"), text("Île"), text("  Zoé  "), std::nullopt, text("forum")}}));
    }

    // Every row and field arrives exactly as the (altered) fixture holds it,
    // and the tool says what it did; a file it cannot bring over is refused
    // with the reason, and nothing is written. (The program opening a
    // converted catalogue: see the welcome tests.)
    void bringsEveryFieldOver_data()
    {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<Tables>("tables"); // none: refused
        QTest::addColumn<QStringList>("said");
        QTest::newRow("the fixture") << patched({}) << fixtureRows
            << QStringList{"Jet 4", "zarpo     : 3 lignes lues, 3 écrites", "melvi     : 2 lignes lues, 2 écrites",
                           "trunda    : 1 ligne lue, 1 écrite", "titres    : 2 lignes lues, 2 écrites",
                           "auteurs   : 7 lignes lues, 7 écrites",
                           "zarpo : il manque les numéros 003 à 006 ; le programme refusera tout ajout"};
        // Blanks around a text, letter case and a number not on three digits,
        // in compressed and uncompressed texts.
        Tables altered = fixtureRows;
        altered["titres"][1][1] = " PLAIN ASC ";
        altered["zarpo"][0][4] = " Voir 2 ";
        altered["zarpo"][2][0] = "07 ";
        QTest::newRow("blanks, case, odd number")
            << patched({{ucs2("plain ascii"), ucs2(" PLAIN ASC ")}, {"voir 002", " Voir 2 "}, {"007", "07 "}}) << altered
            << QStringList{"zarpo, ligne 3 : le numéro « 07  » n'est pas écrit sur trois chiffres."};
        // The catalogue of the version before the Vasquo list.
        altered = fixtureRows;
        altered["titres"] = {};
        QTest::newRow("no titres list") << patched({{ucs2("titres"), ucs2("vieux_")}}) << altered
            << QStringList{"La table « titres » (liste Vasquo) manque dans l'ancien fichier : elle est créée vide.",
                           "titres    : absente de l'ancien fichier, créée vide (0 ligne écrite)",
                           "La table « vieux_ » n'est pas reprise"};
        QTest::newRow("list missing") << patched({{ucs2("zarpo"), ucs2("zarpy")}}) << Tables{} << QStringList{"« zarpo » manque."};
        QTest::newRow("text file") << QByteArray("ref;nom\n001;Noël\n") << Tables{} << QStringList{"n'est pas une base Access."};
        QTest::newRow("cut short") << patched({}).left(39 * 4096) << Tables{}
                                   << QStringList{"ne peut pas être lue : la table « zarpo » est incomplète"};
    }

    void bringsEveryFieldOver()
    {
        QFETCH(QByteArray, source);
        QFETCH(Tables, tables);
        QFETCH(QStringList, said);
        const bool refused = tables.empty();
        ProgramDir dir;
        writeBytes(dir.file("ancien.mdb"), source);
        const ToolRun run = runAdmin({"import", dir.file("ancien.mdb"), dir.catalogue()});
        QCOMPARE(run.status, int(refused));
        QVERIFY2(refused || run.err.isEmpty(), qPrintable(run.err)); // no word from the Access library
        for (const auto &[table, rows] : tables)
            verifyRows(tableRows(dir.catalogue(), table), rows);
        verifySaid(refused ? run.err : run.out, refused ? said << "Rien n'a été écrit." : said);
        const QStringList written = QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(written, (refused ? QStringList{"ancien.mdb"} : QStringList{"ancien.mdb", "Tabrix.mdb"})); // no temporary file left
        QVERIFY(fileBytes(dir.file("ancien.mdb")) == source); // only read
    }
};

QTEST_GUILESS_MAIN(TestAdmin)
#include "tst_admin.moc"
