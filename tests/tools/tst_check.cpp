// tabrix-admin check: each kind of defect is found and named, a sound
// catalogue passes, and the file is never changed.

#include "support/testsupport.h"
#include "tools/admincommand.h"

#include "store/schema.h"

#include <QFileInfo>
#include <QTest>

#include <sqlite3.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Five entries in each list, numbered without gaps, and their author.
void healthy(const QString &path)
{
    createEmptyCatalogue(path);
    for (const Category &category : categories())
        insertEntries(path, category, numberedEntries(5, {"Zoé", "Hélène"}));
    insertAuthors(path, {"Zoé", "Hélène"});
}

std::vector<Entry> withNumbers(const QStringList &refs)
{
    std::vector<Entry> entries;
    for (const QString &ref : refs)
        entries.push_back(entry(ref, "Énigme " + ref, "Zoé"));
    return entries;
}

void damage(const QString &path)
{
    QVERIFY(createSampleCatalogue(path));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    // The page header of the first list's root page (page 2).
    file.seek(4096);
    file.write(QByteArray(8, '\xFF'));
}

// Builds the catalogue of one row of the table below.
void prepare(const QString &kind, const QString &path)
{
    if (kind == "healthy") {
        healthy(path);
    } else if (kind == "empty") {
        createEmptyCatalogue(path);
    } else if (kind == "full") {
        healthy(path);
        execute(path, "DELETE FROM melvi");
        insertEntries(path, melvi(), numberedEntries(999));
    } else if (kind == "typographic apostrophe") {
        healthy(path);
        insertEntries(path, zarpo(), {entry("006", "Aube", "O’Brien")});
        insertAuthors(path, {"O’Brien"});
    } else if (kind.startsWith("no table ")) {
        healthy(path);
        execute(path, "DROP TABLE " + kind.mid(9));
    } else if (kind == "no link columns") {
        healthy(path);
        execute(path, "DROP TABLE trunda; CREATE TABLE trunda (ref TEXT, nom TEXT, auteur TEXT, url TEXT)");
    } else if (kind == "no place column") {
        healthy(path);
        execute(path, "DROP TABLE melvi; CREATE TABLE melvi (ref TEXT, nom TEXT, auteur TEXT, url TEXT, lien TEXT)");
    } else if (kind == "duplicate") {
        healthy(path);
        execute(path, "DROP INDEX idx_ref_zarpo");
        insertEntries(path, zarpo(), {entry("003", "Autre trois", "Zoé")});
    } else if (kind.startsWith("number ")) {
        healthy(path);
        insertEntries(path, titres(), withNumbers({kind.mid(7)}));
    } else if (kind == "no number") {
        healthy(path);
        execute(path, "INSERT INTO trunda (ref, nom, auteur) VALUES (NULL, 'Orpheline', 'Zoé')");
    } else if (kind == "gap") {
        healthy(path);
        execute(path, "DELETE FROM zarpo WHERE ref = '003'");
    } else if (kind == "gaps") {
        healthy(path);
        execute(path, "DELETE FROM melvi");
        insertEntries(path, melvi(), withNumbers({"001", "005", "006", "010"}));
    } else if (kind == "many bad numbers") {
        createEmptyCatalogue(path);
        QStringList refs;
        for (int i = 1; i <= 30; ++i)
            refs << QStringLiteral("n%1").arg(i, 2, 10, QLatin1Char('0'));
        insertEntries(path, zarpo(), withNumbers(refs));
    } else if (kind == "apostrophe in a list") {
        healthy(path);
        execute(path, "UPDATE trunda SET auteur = 'L''Ours' WHERE ref IN ('002', '004')");
    } else if (kind == "apostrophe in auteurs") {
        healthy(path);
        insertAuthors(path, {"O'Neil"});
    } else if (kind == "damaged") {
        damage(path);
    } else if (kind == "access") {
        QVERIFY(QFile::copy(TABRIX_FIXTURES_DIR "/legacy-jet4.mdb", path));
    } else if (kind == "text") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("ref;nom\n001;x\n");
    } else if (kind != "missing") {
        QFAIL(qPrintable("unknown kind " + kind));
    }
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

private slots:
    void findsEachDefect_data();
    void findsEachDefect();
    void leavesAnInterruptedWriteAlone();
};

void TestCheck::findsEachDefect_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("said");

    QTest::newRow("healthy") << "healthy" << 0
                             << QStringList{"Intégrité du fichier : correcte.", "Zarpo : 5 entrées",
                                            "Vasquo (table titres) : 5 entrées", "Aucun défaut"};
    QTest::newRow("empty lists") << "empty" << 0 << QStringList{"Melvi : aucune entrée.", "Aucun défaut"};
    QTest::newRow("full list") << "full" << 0 << QStringList{"Melvi : la liste est complète", "Aucun défaut"};
    QTest::newRow("typographic apostrophe") << "typographic apostrophe" << 0 << QStringList{"Aucun défaut"};

    QTest::newRow("missing list") << "no table melvi" << 1
                                  << QStringList{"La table « melvi » manque : Tabrix refuse d'ouvrir ce catalogue.",
                                                 "1 défaut trouvé."};
    QTest::newRow("missing titres") << "no table titres" << 1
                                    << QStringList{"La table « titres » manque", "ancienne version"};
    QTest::newRow("missing auteurs") << "no table auteurs" << 1 << QStringList{"La table « auteurs » manque"};
    QTest::newRow("missing link columns") << "no link columns" << 1
                                          << QStringList{"la table « trunda » n'a pas les colonnes url et lien"};
    QTest::newRow("missing place column") << "no place column" << 1
                                          << QStringList{"n'a pas les colonnes ref, lieu, auteur, url et lien"};

    QTest::newRow("duplicate number") << "duplicate" << 1
                                      << QStringList{"Zarpo : le numéro « 003 » est porté par 2 entrées "
                                                     "(« Énigme 3 », « Autre trois »)."};
    QTest::newRow("two digits") << "number 06" << 1
                                << QStringList{"Vasquo (table titres) : le numéro « 06 » de l'entrée « Énigme 06 » "
                                               "n'est pas un numéro sur trois chiffres de 001 à 999."};
    QTest::newRow("four digits") << "number 0006" << 1 << QStringList{"le numéro « 0006 »"};
    QTest::newRow("letters") << "number 00a" << 1 << QStringList{"le numéro « 00a »"};
    QTest::newRow("blank") << "number  6 " << 1 << QStringList{"le numéro «  6  »"};
    QTest::newRow("zero") << "number 000" << 1 << QStringList{"le numéro « 000 »"};
    QTest::newRow("no number") << "no number" << 1
                               << QStringList{"Trunda : l'entrée « Orpheline » n'a pas de numéro."};
    QTest::newRow("many bad numbers") << "many bad numbers" << 1
                                      << QStringList{"le numéro « n20 »", "Zarpo : 10 numéros invalides de plus.",
                                                     "30 défauts trouvés."};

    QTest::newRow("gap") << "gap" << 1
                         << QStringList{"Zarpo : numéro manquant : 003.",
                                        "Zarpo : Tabrix refusera tout ajout : il attend le numéro 005"};
    QTest::newRow("gaps") << "gaps" << 1
                          << QStringList{"Melvi : numéros manquants : 002 à 004, 007 à 009.",
                                         "il attend le numéro 005"};

    QTest::newRow("apostrophe in a list")
        << "apostrophe in a list" << 1
        << QStringList{"Trunda : l'auteur « L'Ours » contient une apostrophe (n° 002, 004)"};
    QTest::newRow("apostrophe in auteurs") << "apostrophe in auteurs" << 1
                                           << QStringList{"Auteurs : « O'Neil » contient une apostrophe"};

    QTest::newRow("damaged file") << "damaged" << 1 << QStringList{"endommagé"};
    QTest::newRow("old Access file") << "access" << 1 << QStringList{"base Access", "tabrix-admin import"};
    QTest::newRow("not a catalogue") << "text" << 1 << QStringList{"n'est pas un catalogue Tabrix"};
    QTest::newRow("missing file") << "missing" << 1 << QStringList{"introuvable"};
}

void TestCheck::findsEachDefect()
{
    QFETCH(QString, kind);
    QFETCH(int, status);
    QFETCH(QStringList, said);

    ProgramDir dir;
    prepare(kind, dir.catalogue());
    if (QTest::currentTestFailed())
        return;
    const auto before = folderContent(dir.path());

    const ToolRun run = runAdmin({"check", dir.catalogue()});
    const QString output = run.out + run.err;
    QVERIFY2(run.status == status, qPrintable(output));
    for (const QString &text : said)
        QVERIFY2(output.contains(text), qPrintable("« " + text + " » not in:\n" + output));
    // Nothing written, nothing created beside the file.
    QVERIFY(folderContent(dir.path()) == before);
}

// A catalogue whose last write was cut short keeps its journal; the check
// reports it and leaves both files as they are.
void TestCheck::leavesAnInterruptedWriteAlone()
{
    ProgramDir dir;
    const QString original = dir.file("original.mdb");
    healthy(original);

    sqlite3 *writer = nullptr;
    QCOMPARE(sqlite3_open_v2(QFile::encodeName(original).constData(), &writer, SQLITE_OPEN_READWRITE, nullptr),
             SQLITE_OK);
    // A write large enough to spill into the file before its end.
    QCOMPARE(sqlite3_exec(writer,
                          "PRAGMA cache_size = 10; BEGIN;"
                          "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                          "INSERT INTO auteurs (nom) SELECT printf('%.500c', 'x') || i FROM n;",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    // The files as a power cut would leave them.
    QVERIFY(QFile::copy(original, dir.catalogue()));
    QVERIFY(QFile::copy(original + "-journal", dir.catalogue() + "-journal"));
    sqlite3_exec(writer, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close_v2(writer);
    QFile::remove(original);
    const auto before = folderContent(dir.path());

    const ToolRun check = runAdmin({"check", dir.catalogue()});
    QCOMPARE(check.status, 1);
    QVERIFY2((check.out + check.err).contains("une écriture a été interrompue"), qPrintable(check.out + check.err));
    QVERIFY(folderContent(dir.path()) == before);

    // Read as the program would, the interrupted write is undone.
    const QString copy = QDir(QDir::tempPath()).filePath(QStringLiteral("tabrix-check-%1.mdb").arg(QCoreApplication::applicationPid()));
    QFile::remove(copy);
    QCOMPARE(runAdmin({"backup", dir.catalogue(), copy}).status, 0);
    const ToolRun again = runAdmin({"check", copy});
    QFile::remove(copy);
    QVERIFY2(again.status == 0, qPrintable(again.out));
    QVERIFY(again.out.contains("Auteurs : 2 enregistrés."));
}

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
