// A catalogue that cannot be written, or that is no longer the one the grid
// shows: the add and the update leave the grid, the file and the typed
// fields as they were, and say why.
//
// The tests run as root, who writes through a write-protected file, so the
// blocks are ones SQLite enforces whoever the user is, on the program's own
// connection: a connection that may only read, a full disk (the file may not
// grow, and the long typed name needs new pages), a rule of the file that
// refuses the values. Or the file changed under the program: another copy
// of the catalogue written over it, or put in its place. Another program
// holding the file is the reliability tests' business.

#include "listfixture.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace tabrix;
using namespace tabrix::test;
using editing::Outcome;

namespace {

void run(sqlite3 *db, const char *sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(db));
}

// Another catalogue whose lists hold 11 entries, written over `path` in
// place or put in its place.
void putOtherCatalogue(const QString &path, bool inPlace)
{
    ProgramDir other;
    createEmptyCatalogue(other.catalogue());
    for (const Category &c : categories())
        insertEntries(other.catalogue(), c, numberedEntries(11));
    if (inPlace) {
        QFile source(other.catalogue()), target(path);
        if (!source.open(QIODevice::ReadOnly) || !target.open(QIODevice::ReadWrite | QIODevice::Truncate))
            qFatal("cannot copy the catalogue");
        target.write(source.readAll());
    } else if (!QFile::remove(path) || !QFile::copy(other.catalogue(), path)) {
        qFatal("cannot replace the catalogue");
    }
}

} // namespace

class FailedWriteTest : public QObject {
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
            QTest::newRow(button + "read-only") << update << QByteArray("PRAGMA query_only = ON")
                                                << QByteArray("PRAGMA query_only = OFF") << "en lecture seule";
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

        ListFixture f(update ? titres() : zarpo(), numberedEntries(12), {"Zoé"});
        f.tab->grid->setCurrentCell(5, 0);
        const Fields typed{update ? "005" : "013", QString(20000, QLatin1Char('x')), "Nouvelle", "", ""};
        f.type(typed);
        Snapshot before = f.snapshot();

        if (block == "copy" || block == "replace") {
            putOtherCatalogue(f.dir.catalogue(), block == "copy");
            before.table = f.table();
            before.authors = f.authors();
        } else {
            run(f.catalogue->handle(), block);
        }
        QCOMPARE(update ? f.update() : f.add(), Outcome::Failed);

        const QString message = f.onlyMessage(MessageIcon::Critical);
        QVERIFY2(message.contains(update ? QStringLiteral("L'entrée n° 005 n'a pas été modifiée")
                                         : QStringLiteral("L'entrée n° 013 n'a pas été enregistrée")),
                 qPrintable(message));
        QVERIFY2(message.contains(cause), qPrintable(message));
        QCOMPARE(f.fields(), typed); // the link boxes too
        QCOMPARE(f.tab->grid->row(), 5);
        if (lift.isEmpty()) {
            QVERIFY(f.snapshot() == before);
            return;
        }
        run(f.catalogue->handle(), lift);
        QVERIFY(f.snapshot() == before);

        // Nothing half-done stays behind: once the block is gone, the same
        // press goes through.
        QCOMPARE(update ? f.update() : f.add(), Outcome::Saved);
        QCOMPARE(f.reread(typed.number), typed.stored());
        QCOMPARE(f.authors(), (update ? QStringList{"Zoé"} : QStringList{"Zoé", "Nouvelle"}));
    }
};

QTEST_MAIN(FailedWriteTest)
#include "tst_failedwrite.moc"
