// tabrix-admin backup: the copy is a whole, valid catalogue holding every
// committed entry, even while another connection writes to the original.

#include "support/testsupport.h"
#include "tools/admincommand.h"

#include "store/schema.h"

#include <QFileInfo>
#include <QTest>

#include <sqlite3.h>

#include <atomic>
#include <thread>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// A second connection to the catalogue, as the program keeps one open.
class Writer {
public:
    explicit Writer(const QString &path)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(m_db, 30000);
    }
    ~Writer() { sqlite3_close_v2(m_db); }

    bool run(const char *sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

    // Entry `number` in zarpo and in melvi, without a transaction of its own.
    bool insert(int number)
    {
        const QByteArray ref = QStringLiteral("%1").arg(number, 3, 10, QLatin1Char('0')).toUtf8();
        for (const char *table : {"zarpo", "melvi"}) {
            const QByteArray sql = QByteArray("INSERT INTO ") + table + " VALUES ('" + ref + "', 'Énigme " + ref
                                   + "', 'Zoé', 'Non disponible', 'Non disponible')";
            if (!run(sql.constData()))
                return false;
        }
        return true;
    }

private:
    sqlite3 *m_db = nullptr;
};

int entries(const QString &path, const Category &category)
{
    return int(tableRows(path, category.table).size());
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private slots:
    void copyIsTheWholeCatalogue();
    void copyHoldsWhatIsCommittedOnly();
    void copyIsConsistentWhileAnotherConnectionWrites();
    void refuses_data();
    void refuses();
};

void TestBackup::copyIsTheWholeCatalogue()
{
    ProgramDir dir;
    QVERIFY(createSampleCatalogue(dir.catalogue()));
    const QString copy = dir.file("copie.mdb");
    const ToolRun run = runAdmin({"backup", dir.catalogue(), copy});
    QVERIFY2(run.status == 0, qPrintable(run.err));

    QVERIFY(openCatalogue(copy));
    for (const QString table : {"zarpo", "melvi", "trunda", "titres", "auteurs"})
        QVERIFY2(tableRows(copy, table) == tableRows(dir.catalogue(), table), qPrintable(table));
    // Only the catalogue and its copy: no temporary file left behind.
    QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    QCOMPARE(files, QStringList({"Tabrix.mdb", "copie.mdb"}));
}

void TestBackup::copyHoldsWhatIsCommittedOnly()
{
    ProgramDir dir;
    createEmptyCatalogue(dir.catalogue());
    insertEntries(dir.catalogue(), zarpo(), numberedEntries(10));
    Writer writer(dir.catalogue());
    QVERIFY(writer.insert(11)); // committed at once

    // The other connection is in the middle of a transaction.
    QVERIFY(writer.run("BEGIN IMMEDIATE"));
    for (int number = 12; number <= 20; ++number)
        QVERIFY(writer.insert(number));
    const QString copy = dir.file("pendant.mdb");
    const ToolRun run = runAdmin({"backup", dir.catalogue(), copy});
    QVERIFY(writer.run("COMMIT"));
    QVERIFY2(run.status == 0, qPrintable(run.err));

    QVERIFY(openCatalogue(copy));
    QCOMPARE(entries(copy, zarpo()), 11);
    QCOMPARE(entries(copy, melvi()), 1);
    const std::vector<QStringList> original = tableRows(dir.catalogue(), "zarpo");
    QCOMPARE(original.size(), std::size_t(20));
    QVERIFY(tableRows(copy, "zarpo") == std::vector<QStringList>(original.begin(), original.begin() + 11));

    const QString later = dir.file("après.mdb");
    QCOMPARE(runAdmin({"backup", dir.catalogue(), later}).status, 0);
    QCOMPARE(entries(later, zarpo()), 20);
}

void TestBackup::copyIsConsistentWhileAnotherConnectionWrites()
{
    ProgramDir dir;
    createEmptyCatalogue(dir.catalogue());
    std::atomic<int> committed{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> failed{false};
    std::thread writing([&] {
        Writer writer(dir.catalogue());
        for (int number = 1; number <= 999 && !stop; ++number) {
            // One transaction adds the same number to both lists.
            if (!writer.run("BEGIN IMMEDIATE") || !writer.insert(number) || !writer.run("COMMIT")) {
                failed = true;
                return;
            }
            committed = number;
            // A short pause between transactions, as between two adds in
            // the program: a reader needs a moment without a write lock.
            sqlite3_sleep(2);
        }
    });
    QVERIFY(QTest::qWaitFor([&] { return committed > 0 || failed; }, 60000));

    struct Copy {
        QString path;
        int committedBefore;
    };
    std::vector<Copy> copies;
    for (int i = 0; i < 3; ++i) {
        Copy copy{dir.file(QStringLiteral("copie-%1.mdb").arg(i)), committed};
        const ToolRun run = runAdmin({"backup", dir.catalogue(), copy.path});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        copies.push_back(copy);
    }
    stop = true;
    writing.join();
    QVERIFY(!failed);

    const std::vector<QStringList> original = tableRows(dir.catalogue(), "zarpo");
    for (const Copy &copy : copies) {
        // A valid catalogue without defects: numbers follow without gaps.
        const ToolRun check = runAdmin({"check", copy.path});
        QVERIFY2(check.status == 0, qPrintable(check.out));
        const int count = entries(copy.path, zarpo());
        QCOMPARE(entries(copy.path, melvi()), count); // never half a transaction
        QVERIFY2(count >= copy.committedBefore,
                 qPrintable(QStringLiteral("%1 < %2").arg(count).arg(copy.committedBefore)));
        QVERIFY(tableRows(copy.path, "zarpo")
                == std::vector<QStringList>(original.begin(), original.begin() + count));
    }
}

void TestBackup::refuses_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("copy exists") << "exists" << "existe déjà";
    QTest::newRow("copy onto the catalogue") << "same" << "existe déjà";
    QTest::newRow("missing catalogue") << "missing" << "introuvable";
    QTest::newRow("old Access file") << "access" << "base Access";
    QTest::newRow("missing folder") << "no folder" << "n'existe pas";
}

void TestBackup::refuses()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    ProgramDir dir;
    QString source = dir.catalogue();
    QString copy = dir.file("copie.mdb");
    if (kind != QLatin1String("missing"))
        QVERIFY(createSampleCatalogue(dir.catalogue()));
    if (kind == QLatin1String("exists")) {
        QFile file(copy);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("copie précédente");
    } else if (kind == QLatin1String("same")) {
        copy = source;
    } else if (kind == QLatin1String("access")) {
        source = QStringLiteral(TABRIX_FIXTURES_DIR "/legacy-jet4.mdb");
    } else if (kind == QLatin1String("no folder")) {
        copy = dir.file("absent/copie.mdb");
    }
    const auto before = folderContent(dir.path());

    const ToolRun run = runAdmin({"backup", source, copy});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(folderContent(dir.path()) == before);
    QVERIFY(!QFileInfo::exists(dir.file("absent")));
}

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
