// A catalogue that cannot be written: the add and the update leave the
// grid, the tables and the typed fields as they were, and say so.
//
// The tests run as root, who writes through a write-protected file, so each
// block is one SQLite enforces whoever the user is: another program holding
// a write lock or the whole file, a connection that may only read, a full
// disk (the file may not grow and the typed name needs new pages).

#include "listfixture.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

#include <utility>

using namespace tabrix;
using namespace tabrix::test;
using editing::Outcome;

namespace {

enum class Block { WriteLock, ExclusiveLock, ReadOnly, DiskFull };

void run(sqlite3 *db, const char *sql)
{
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(db));
}

// Puts one of the blocks on the catalogue, and lifts it again.
class Blocker {
public:
    Blocker(Block block, Catalogue &catalogue) : m_block(block), m_db(catalogue.handle())
    {
        sqlite3_busy_timeout(m_db, 0); // the other program's lock never goes: give up at once
        if (block == Block::ReadOnly)
            run(m_db, "PRAGMA query_only = ON");
        else if (block == Block::DiskFull)
            run(m_db, "PRAGMA max_page_count = 1"); // no lower than the pages the file has
        else if (sqlite3_open(QFile::encodeName(catalogue.path()).constData(), &m_other) == SQLITE_OK)
            run(m_other, block == Block::WriteLock ? "BEGIN IMMEDIATE" : "BEGIN EXCLUSIVE");
        else
            qFatal("cannot open a second connection");
    }
    ~Blocker() { lift(); }

    void lift()
    {
        if (std::exchange(m_lifted, true))
            return;
        if (m_other)
            sqlite3_close_v2(m_other); // rolls its transaction back
        if (m_block == Block::ReadOnly)
            run(m_db, "PRAGMA query_only = OFF");
        if (m_block == Block::DiskFull)
            run(m_db, "PRAGMA max_page_count = 1073741823");
    }

private:
    Block m_block;
    sqlite3 *m_db;
    sqlite3 *m_other = nullptr;
    bool m_lifted = false;
};

} // namespace

Q_DECLARE_METATYPE(Block)

class FailedWriteTest : public QObject {
    Q_OBJECT
private slots:
    void write_data();
    void write();
};

void FailedWriteTest::write_data()
{
    QTest::addColumn<bool>("update");
    QTest::addColumn<Block>("block");
    QTest::addColumn<QString>("cause"); // what the message gives as the reason

    const QString locked = QStringLiteral("verrouillé par un autre programme");
    for (const bool update : {false, true}) {
        const QByteArray button = update ? "MAJ, " : "Ajouter, ";
        QTest::newRow(button + "write lock") << update << Block::WriteLock << locked;
        QTest::newRow(button + "exclusive lock") << update << Block::ExclusiveLock << locked;
        QTest::newRow(button + "read-only") << update << Block::ReadOnly << QStringLiteral("en lecture seule");
        QTest::newRow(button + "disk full") << update << Block::DiskFull << QStringLiteral("le disque est plein");
    }
}

void FailedWriteTest::write()
{
    QFETCH(bool, update);
    QFETCH(Block, block);
    QFETCH(QString, cause);

    ListFixture f(update ? titres() : zarpo(), numberedEntries(12), {"Zoé"});
    f.tab->grid->setCurrentCell(5, 0);
    const QString name = block == Block::DiskFull ? QString(20000, QLatin1Char('x')) : QStringLiteral("Nom");
    const Fields typed{update ? "005" : "013", name, "Nouvelle", "", ""};
    f.type(typed);
    const Snapshot before = f.snapshot();

    Blocker blocker(block, *f.catalogue);
    QCOMPARE(update ? f.update() : f.add(), Outcome::Failed);

    const QString message = f.onlyMessage(MessageIcon::Critical);
    QVERIFY2(message.contains(update ? QStringLiteral("L'entrée n° 005 n'a pas été modifiée")
                                     : QStringLiteral("L'entrée n° 013 n'a pas été enregistrée")),
             qPrintable(message));
    QVERIFY2(message.contains(cause), qPrintable(message));
    QCOMPARE(f.fields(), typed); // the link boxes too
    QCOMPARE(f.tab->grid->row(), 5);
    blocker.lift();
    QVERIFY(f.snapshot() == before);

    // Nothing half-done stays behind: once the block is gone, the same
    // press goes through.
    QCOMPARE(update ? f.update() : f.add(), Outcome::Saved);
    QCOMPARE(f.reread(typed.number), typed.stored());
    QCOMPARE(f.authors(), (update ? QStringList{"Zoé"} : QStringList{"Zoé", "Nouvelle"}));
}

QTEST_MAIN(FailedWriteTest)
#include "tst_failedwrite.moc"
