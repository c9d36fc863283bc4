// tabrix-admin check: each kind of defect is found and named, a sound
// catalogue passes, and the file is never changed. (A catalogue left
// half-written by a killed process: see the reliability tests.)
#include "tools/admincommand.h"

#include "store/schema.h"

#include <QRegularExpression>
#include <QScopeGuard>

#include <sqlite3.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// SQL filling a list with the entries 001 to 999.
const QString fullList = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
                         "INSERT INTO melvi SELECT printf('%03d', i), 'Énigme', 'Zoé', NULL, NULL FROM n;";

// Five entries in each list, numbered without gaps, and their authors.
void healthy(const QString &path)
{
    createEmptyCatalogue(path);
    for (const Category &category : categories())
        insertEntries(path, category, numberedEntries(5, {"Zoé", "Hélène"}));
    insertAuthors(path, {"Zoé", "Hélène"});
}

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

private slots:
    void findsEachDefect_data()
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
        row("locked", "locked", {"verrouillé par un autre programme (tools_tst_check", "!Défaut"}, 3);
        row("not a catalogue", "text", {"n'est pas un catalogue Tabrix"});
        row("missing file", "missing", {"introuvable"});
    }

    void findsEachDefect()
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
        } else if (damage != "missing") {
            healthy(dir.catalogue());
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
};

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
