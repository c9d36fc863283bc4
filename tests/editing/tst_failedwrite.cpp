// A catalogue that cannot be written: the add and the update leave the
// grid, the tables and the typed fields as they were, and say so.
//
// The tests run as root, and root writes through a write-protected file, so
// a read-only file cannot be had with chmod. Each case blocks the write in a
// way SQLite itself enforces whoever the user is:
//  - another program holding a write lock (a second connection in
//    BEGIN IMMEDIATE): the entry can be read, not written;
//  - another program holding the whole file (BEGIN EXCLUSIVE): not even read;
//  - a connection that may only read (PRAGMA query_only), as with a
//    write-protected file;
//  - a full disk: the file may not grow (PRAGMA max_page_count) and the
//    typed name needs new pages.

#include "listfixture.h"

#include <QFile>
#include <QTest>

#include <sqlite3.h>

using namespace tabrix;
using namespace tabrix::test;
using editing::Outcome;

namespace {

enum class Block { WriteLock, ExclusiveLock, ReadOnly, DiskFull };

void run(sqlite3 *db, const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const QByteArray text = error ? QByteArray(error) : QByteArray("?");
        sqlite3_free(error);
        qFatal("%s: %s", sql, text.constData());
    }
}

// Puts one of the blocks on the catalogue, and lifts it again.
class Blocker {
public:
    Blocker(Block block, Catalogue &catalogue) : m_block(block), m_catalogue(catalogue)
    {
        // The store waits a while for another program's lock to go before it
        // gives up; here the lock never goes, so give up at once.
        sqlite3_busy_timeout(catalogue.handle(), 0);
        switch (block) {
        case Block::WriteLock:
        case Block::ExclusiveLock:
            if (sqlite3_open_v2(QFile::encodeName(catalogue.path()).constData(), &m_other, SQLITE_OPEN_READWRITE,
                                nullptr) != SQLITE_OK)
                qFatal("cannot open a second connection");
            run(m_other, block == Block::WriteLock ? "BEGIN IMMEDIATE" : "BEGIN EXCLUSIVE");
            break;
        case Block::ReadOnly:
            run(catalogue.handle(), "PRAGMA query_only = ON");
            break;
        case Block::DiskFull:
            // Cannot go below the current size: the file keeps the pages it has.
            run(catalogue.handle(), "PRAGMA max_page_count = 1");
            break;
        }
    }

    void lift()
    {
        if (m_other) {
            run(m_other, "ROLLBACK");
            sqlite3_close_v2(m_other);
            m_other = nullptr;
        }
        if (m_block == Block::ReadOnly)
            run(m_catalogue.handle(), "PRAGMA query_only = OFF");
        if (m_block == Block::DiskFull)
            run(m_catalogue.handle(), "PRAGMA max_page_count = 1073741823");
    }

    ~Blocker() { lift(); }

private:
    Block m_block;
    Catalogue &m_catalogue;
    sqlite3 *m_other = nullptr;
};

} // namespace

Q_DECLARE_METATYPE(Block)

class FailedWriteTest : public QObject {
    Q_OBJECT
private slots:
    void add_data() { blocks(); }
    void add();
    void update_data() { blocks(); }
    void update();

private:
    void blocks();
};

void FailedWriteTest::blocks()
{
    QTest::addColumn<Block>("block");
    QTest::addColumn<QString>("cause"); // what the message gives as the reason

    QTest::newRow("write lock") << Block::WriteLock << QStringLiteral("verrouillé par un autre programme");
    QTest::newRow("exclusive lock") << Block::ExclusiveLock << QStringLiteral("verrouillé par un autre programme");
    QTest::newRow("read-only") << Block::ReadOnly << QStringLiteral("en lecture seule");
    QTest::newRow("disk full") << Block::DiskFull << QStringLiteral("le disque est plein");
}

void FailedWriteTest::add()
{
    QFETCH(Block, block);
    QFETCH(QString, cause);

    ListFixture f(zarpo(), numberedEntries(12), {"Zoé"});
    f.tab->grid->setCurrentCell(4, 0);
    const QString name = block == Block::DiskFull ? QString(20000, QLatin1Char('x')) : QStringLiteral("Nom");
    const Fields typed{"013", name, "Nouvelle", "", ""};
    f.type(typed);
    const std::vector<QStringList> tableBefore = f.table();
    const std::vector<QStringList> gridBefore = f.gridRows();

    Blocker blocker(block, *f.catalogue);
    QCOMPARE(f.add(), Outcome::Failed);

    QCOMPARE(f.services.messages.size(), 1);
    const QString message = f.services.messages[0].text;
    QVERIFY2(message.contains(QStringLiteral("L'entrée n° 013 n'a pas été enregistrée")), qPrintable(message));
    QVERIFY2(message.contains(cause), qPrintable(message));
    QCOMPARE(f.services.messages[0].icon, MessageIcon::Critical);
    QCOMPARE(f.fields(), typed); // the link boxes too: nothing was kept
    QCOMPARE(f.tab->grid->rows(), 13);
    QCOMPARE(f.tab->grid->row(), 4);
    QVERIFY(f.gridRows() == gridBefore);

    // Nothing half-done stays behind: once the block is gone, the same add
    // goes through, with its new author recorded once.
    blocker.lift();
    QVERIFY(f.table() == tableBefore);
    QCOMPARE(f.authors(), QStringList{"Zoé"});
    QCOMPARE(f.add(), Outcome::Saved);
    QCOMPARE(f.table().size(), std::size_t(13));
    QCOMPARE(f.authors(), (QStringList{"Zoé", "Nouvelle"}));
    QCOMPARE(f.tab->grid->rows(), 14);
}

void FailedWriteTest::update()
{
    QFETCH(Block, block);
    QFETCH(QString, cause);

    ListFixture f(titres(), numberedEntries(12));
    f.tab->grid->setCurrentCell(5, 0);
    const QString name = block == Block::DiskFull ? QString(20000, QLatin1Char('x')) : QStringLiteral("Corrigé");
    const Fields typed{"005", name, "Adèle", "", ""};
    f.type(typed);
    const std::vector<QStringList> tableBefore = f.table();
    const std::vector<QStringList> gridBefore = f.gridRows();

    Blocker blocker(block, *f.catalogue);
    QCOMPARE(f.update(), Outcome::Failed);

    QCOMPARE(f.services.messages.size(), 1);
    const QString message = f.services.messages[0].text;
    QVERIFY2(message.contains(QStringLiteral("L'entrée n° 005 n'a pas été modifiée")), qPrintable(message));
    QVERIFY2(message.contains(cause), qPrintable(message));
    QCOMPARE(f.services.messages[0].icon, MessageIcon::Critical);
    QCOMPARE(f.fields(), typed);
    QVERIFY(f.gridRows() == gridBefore);

    blocker.lift();
    QVERIFY(f.table() == tableBefore);
    QCOMPARE(f.update(), Outcome::Saved);
    QCOMPARE(f.table()[4].value(1), name);
    QCOMPARE(f.tab->grid->text(5, 1), name);
}

QTEST_MAIN(FailedWriteTest)
#include "tst_failedwrite.moc"
