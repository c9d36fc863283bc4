// A catalogue that cannot be written: the add and the update leave the
// grid, the tables and the typed fields as they were, and say so.
//
// The tests run as root, who writes through a write-protected file, so the
// blocks are ones SQLite enforces whoever the user is, on the program's own
// connection: a connection that may only read, and a full disk (the file may
// not grow, and the long typed name needs new pages). Another program
// holding the file is the reliability tests' business.

#include "listfixture.h"

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

} // namespace

class FailedWriteTest : public QObject {
    Q_OBJECT
private slots:
    void write_data()
    {
        QTest::addColumn<bool>("update");
        QTest::addColumn<QByteArray>("block"); // SQL that puts the block on, then SQL that lifts it
        QTest::addColumn<QByteArray>("lift");
        QTest::addColumn<QString>("cause"); // what the message gives as the reason
        for (const bool update : {false, true}) {
            const QByteArray button = update ? "MAJ, " : "Ajouter, ";
            QTest::newRow(button + "read-only") << update << QByteArray("PRAGMA query_only = ON")
                                                << QByteArray("PRAGMA query_only = OFF") << "en lecture seule";
            // No lower than the pages the file has.
            QTest::newRow(button + "disk full") << update << QByteArray("PRAGMA max_page_count = 1")
                                                << QByteArray("PRAGMA max_page_count = 1073741823") << "le disque est plein";
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
        const Snapshot before = f.snapshot();

        run(f.catalogue->handle(), block);
        QCOMPARE(update ? f.update() : f.add(), Outcome::Failed);

        const QString message = f.onlyMessage(MessageIcon::Critical);
        QVERIFY2(message.contains(update ? QStringLiteral("L'entrée n° 005 n'a pas été modifiée")
                                         : QStringLiteral("L'entrée n° 013 n'a pas été enregistrée")),
                 qPrintable(message));
        QVERIFY2(message.contains(cause), qPrintable(message));
        QCOMPARE(f.fields(), typed); // the link boxes too
        QCOMPARE(f.tab->grid->row(), 5);
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
