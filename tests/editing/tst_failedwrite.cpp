// A catalogue that cannot be written, or that is no longer the one the grid
// shows: the add and the update leave the grid, the file and the typed
// fields as they were, and say why.
//
// The blocks are ones SQLite enforces whoever the user is, on the program's
// own connection: a full disk (the file may not grow, and the long typed
// name needs new pages), a rule of the file that refuses the values. Or
// the file changed under the program: another copy of the catalogue written
// over it, or put in its place. A file that may only be read, or another
// program holding it, is the reliability tests' business.

#include "support/programfixture.h"
#include "tools/admincommand.h"

#include <sqlite3.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Another catalogue whose lists hold 11 entries, written over `path` in
// place or put in its place.
void putOtherCatalogue(const QString &path, bool inPlace)
{
    ProgramDir other;
    createEmptyCatalogue(other.catalogue());
    for (const Category &c : categories())
        insertEntries(other.catalogue(), c, numberedEntries(11));
    if (inPlace)
        writeBytes(path, fileBytes(other.catalogue()));
    else
        QVERIFY(QFile::remove(path) && QFile::copy(other.catalogue(), path));
}

} // namespace

class TestFailedWrite : public QObject {
    Q_OBJECT
private slots:
    void write_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QByteArray>("block"); // SQL that puts the block on, or "copy" / "replace"
        QTest::addColumn<QByteArray>("lift");  // SQL that lifts it
        QTest::addColumn<QString>("cause");    // what the message gives as the reason
        const QString changed = "un autre programme a modifié le catalogue depuis son affichage (la liste %1 compte "
                                "maintenant 11 entrées, la grille en montre 12) ; rien n'a été écrit. Relancez Tabrix";
        for (const bool update : {false, true}) {
            const QByteArray button = update ? "MAJ, " : "Ajouter, ";
            // No lower than the pages the file has.
            QTest::newRow(button + "disk full") << update << QByteArray("PRAGMA max_page_count = 1")
                                                << QByteArray("PRAGMA max_page_count = 1073741823") << "le disque est plein";
            QTest::newRow(button + "a rule of the file refuses")
                << update
                << QByteArray("CREATE TEMP TRIGGER refuse BEFORE ") + (update ? "UPDATE ON main.titres" : "INSERT ON main.zarpo")
                       + " BEGIN SELECT RAISE(ABORT, 'refusé'); END"
                << QByteArray("DROP TRIGGER temp.refuse") << "une règle du catalogue (contrainte ajoutée au fichier) refuse";
            QTest::newRow(button + "another catalogue written over it")
                << update << QByteArray("copy") << QByteArray() << changed.arg(update ? "titres" : "zarpo");
            QTest::newRow(button + "another catalogue put in its place")
                << update << QByteArray("replace") << QByteArray()
                << "déplacé, supprimé ou remplacé par un autre depuis le démarrage de Tabrix ; rien n'a été écrit. "
                   "Relancez Tabrix";
        }
    }

    void write()
    {
        QFETCH(bool, update);
        QFETCH(QByteArray, block);
        QFETCH(QByteArray, lift);
        QFETCH(QString, cause);
        const Category &category = update ? titres() : zarpo();
        ProgramFixture p;
        QVERIFY(p.start(category.tabIndex));
        clickCell(*p.tab(category).grid, 5, 0);
        const QStringList typed{update ? "005" : "013", QString(20000, QLatin1Char('x')), "Nouvelle", "", ""};
        p.type(category, typed);
        const auto grid = p.grid(category);
        if (block == "copy" || block == "replace")
            putOtherCatalogue(p.dir.catalogue(), block == "copy");
        else
            QCOMPARE(sqlite3_exec(p.window->catalogue().handle(), block, nullptr, nullptr, nullptr), SQLITE_OK);
        const auto before = p.tables();
        p.press(category, update);

        const QString message = p.onlyMessage();
        QVERIFY2(message.contains(update ? "L'entrée n° 005 n'a pas été modifiée" : "L'entrée n° 013 n'a pas été enregistrée")
                     && message.contains(cause) && p.services.messages[0].icon == MessageIcon::Critical,
                 qPrintable(message));
        QCOMPARE(p.fields(category), typed); // the link boxes too
        QCOMPARE(p.tab(category).grid->row(), 5);
        QVERIFY(p.grid(category) == grid);
        if (!lift.isEmpty())
            QCOMPARE(sqlite3_exec(p.window->catalogue().handle(), lift, nullptr, nullptr, nullptr), SQLITE_OK);
        QVERIFY(p.tables() == before);
        if (lift.isEmpty())
            return;

        // Nothing half-done stays behind: once the block is gone, the same
        // press goes through.
        p.press(category, update);
        QCOMPARE(p.services.messages.size(), 1);
        QCOMPARE(p.reread(category, typed[0]), (QStringList{typed[0], typed[1], typed[2], notAvailable(), notAvailable()}));
        QCOMPARE(tableRows(p.dir.catalogue(), "auteurs").size(), update ? 2u : 3u);
    }
};

QTEST_MAIN(TestFailedWrite)
#include "tst_failedwrite.moc"
