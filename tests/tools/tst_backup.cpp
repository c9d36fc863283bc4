// tabrix-admin backup: the copy is a whole, valid catalogue holding every
// committed entry and no part of an open transaction, while another
// connection writes to the original.
#include "tools/admincommand.h"

#include "store/schema.h"

#include <QScopeGuard>

#include <sqlite3.h>

#include <atomic>
#include <thread>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// A second connection to the catalogue, as the program keeps one open.
struct Writer {
    explicit Writer(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db, 30000);
    }
    ~Writer() { sqlite3_close_v2(db); }
    bool run(const QString &sql) { return sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK; }
    // Entry `number` in zarpo and in melvi, in one transaction unless one is open.
    bool insert(int number)
    {
        return run(QStringLiteral("INSERT INTO zarpo VALUES ('%1', 'Énigme', 'Zoé', NULL, NULL);"
                                  "INSERT INTO melvi VALUES ('%1', 'Île', 'Zoé', NULL, NULL)").arg(number, 3, 10, QLatin1Char('0')));
    }
    sqlite3 *db = nullptr;
};

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void copyIsConsistentWhileAnotherConnectionWrites()
    {
        ProgramDir dir;
        createEmptyCatalogue(dir.catalogue());
        insertAuthors(dir.catalogue(), {"Zoé"});
        std::atomic<int> committed{0};
        std::atomic<bool> stop{false}, failed{false};
        std::thread writing([&] {
            Writer writer(dir.catalogue());
            for (int number = 1; number <= 999 && !stop && !failed; ++number) {
                failed = !writer.run("BEGIN IMMEDIATE") || !writer.insert(number) || !writer.run("COMMIT");
                committed = number - failed;
                sqlite3_sleep(2); // as between two adds: a reader needs a moment without a write lock
            }
        });
        const auto stopWriting = qScopeGuard([&] { stop = true; writing.join(); });
        QVERIFY(QTest::qWaitFor([&] { return committed > 0 || failed; }, 60000));
        for (int i = 0; i < 3; ++i) {
            const int before = committed;
            const QString copy = dir.file(QStringLiteral("copie-%1.mdb").arg(i));
            const ToolRun run = runAdmin({"backup", dir.catalogue(), copy});
            QVERIFY2(run.status == 0, qPrintable(run.err));
            const ToolRun check = runAdmin({"check", copy}); // valid, numbers 001 … without gaps
            QVERIFY2(check.status == 0, qPrintable(check.out));
            const std::size_t entries = tableRows(copy, "zarpo").size();
            QCOMPARE(tableRows(copy, "melvi").size(), entries); // never half a transaction
            QVERIFY2(int(entries) >= before, qPrintable(QStringLiteral("%1 < %2").arg(entries).arg(before)));
        }
        QVERIFY(!failed);
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
