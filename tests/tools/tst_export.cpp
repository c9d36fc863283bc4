// tabrix-admin export: the CSV files read back as a spreadsheet reads them
// give every field of every table exactly as stored.

#include "support/testsupport.h"
#include "tools/admincommand.h"

#include <QFileInfo>
#include <QTest>

using namespace tabrix;
using namespace tabrix::test;

namespace {

struct Cell {
    QString text;
    bool quoted = false;
};
using Record = std::vector<Cell>;

// Reads a whole file the way a spreadsheet does: a byte-order mark first,
// ";" between fields, CRLF after each line, quoted fields holding anything
// with "" for a quote. Anything else (a bare line feed, a stray quote, a
// missing last line end) is reported in `problem`.
std::vector<Record> parseCsv(QByteArray bytes, QString &problem)
{
    std::vector<Record> records;
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        problem = QStringLiteral("no byte-order mark");
        return records;
    }
    bytes.remove(0, 3);
    if (!bytes.endsWith("\r\n")) {
        problem = QStringLiteral("the last line does not end with CRLF");
        return records;
    }
    Record record;
    qsizetype i = 0;
    while (i < bytes.size()) {
        Cell cell;
        QByteArray field;
        if (bytes[i] == '"') {
            cell.quoted = true;
            for (++i;; ++i) {
                if (i >= bytes.size()) {
                    problem = QStringLiteral("unterminated quoted field");
                    return records;
                }
                if (bytes[i] == '"') {
                    if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += bytes[i];
            }
        } else {
            while (i < bytes.size() && bytes[i] != ';' && bytes[i] != '\r' && bytes[i] != '\n') {
                if (bytes[i] == '"') {
                    problem = QStringLiteral("quote inside an unquoted field");
                    return records;
                }
                field += bytes[i++];
            }
        }
        cell.text = QString::fromUtf8(field);
        record.push_back(cell);
        if (bytes.mid(i, 1) == ";") {
            ++i;
        } else if (bytes.mid(i, 2) == "\r\n") {
            i += 2;
            records.push_back(record);
            record.clear();
        } else {
            problem = QStringLiteral("unexpected byte %1 at %2").arg(int(bytes[i])).arg(i);
            return records;
        }
    }
    return records;
}

QStringList columns(const QString &table)
{
    if (table == QLatin1String("auteurs"))
        return {"nom"};
    return {"ref", categoryByTable(table)->nameField, "auteur", "url", "lien"};
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void everyFieldReadsBackAsStored_data();
    void everyFieldReadsBackAsStored();
    void refusesToReplaceAnyFile_data();
    void refusesToReplaceAnyFile();
    void createsTheFolder();
    void writesNothingFromABadCatalogue_data();
    void writesNothingFromABadCatalogue();

private:
    ProgramDir m_dir;
    QString m_exported;
};

void TestExport::initTestCase()
{
    const QString path = m_dir.catalogue();
    createEmptyCatalogue(path);
    insertEntries(path, zarpo(),
                  {entry("001", "Le \"grand\" phare; Étretat", "Zoé", std::nullopt, QString()),
                   entry("002", "ligne 1\nligne 2", "Hélène", "https://img.norvane.fr/a;b.jpg", notAvailable()),
                   entry("003", "  blancs autour\t", "Sœur Anne", "=SOMME(1;2)", "retour\r\nà la ligne"),
                   entry("004", "", "O'Brien", "\"", "\"\""),
                   entry("005", "Puzzle 🧩 ‘guillemets’ « français », virgule", "Lætitia", "a,b", "x")});
    insertEntries(path, melvi(),
                  {entry("001", "Île de Ré", "Maëlle", std::nullopt, std::nullopt),
                   entry("002", "Cœur;de;Lyon", "Zoé")});
    // trunda stays empty: its file holds the header line only.
    execute(path, "INSERT INTO titres (ref, nom, auteur, url, lien) VALUES (NULL, NULL, NULL, NULL, NULL)");
    insertEntries(path, titres(), {entry("007", "Noël", "Zoé")});
    insertAuthors(path, {"Zoé", "O'Brien", "", "a;b", "\"cité\""});
    execute(path, "INSERT INTO auteurs (nom) VALUES (NULL)");

    m_exported = m_dir.file("export");
    const ToolRun run = runAdmin({"export", path, m_exported});
    QVERIFY2(run.status == 0, qPrintable(run.err));
}

void TestExport::everyFieldReadsBackAsStored_data()
{
    QTest::addColumn<QString>("table");
    for (const QString table : {"zarpo", "melvi", "trunda", "titres", "auteurs"})
        QTest::newRow(qPrintable(table)) << table;
}

void TestExport::everyFieldReadsBackAsStored()
{
    QFETCH(QString, table);
    QString problem;
    const std::vector<Record> records =
        parseCsv(fileBytes(QDir(m_exported).filePath(table + ".csv")), problem);
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QVERIFY(!records.empty());

    QStringList header;
    for (const Cell &cell : records.front())
        header << cell.text;
    QCOMPARE(header, columns(table));

    const std::vector<QStringList> stored = tableRows(m_dir.catalogue(), table);
    QCOMPARE(records.size(), stored.size() + 1);
    for (std::size_t r = 0; r < stored.size(); ++r) {
        const Record &record = records[r + 1];
        QCOMPARE(record.size(), std::size_t(stored[r].size()));
        for (int c = 0; c < stored[r].size(); ++c) {
            const QString &value = stored[r][c];
            const QString where = QStringLiteral("line %1, column %2").arg(r + 2).arg(c + 1);
            if (value == QLatin1String("<NULL>")) {
                // No value at all: an empty cell, without quotes.
                QVERIFY2(record[c].text.isEmpty() && !record[c].quoted, qPrintable(where));
            } else {
                QVERIFY2(record[c].text == value, qPrintable(where + ": " + record[c].text + " != " + value));
                // An empty text is told from no value by its quotes.
                if (value.isEmpty())
                    QVERIFY2(record[c].quoted, qPrintable(where));
            }
        }
    }
}

void TestExport::refusesToReplaceAnyFile_data()
{
    QTest::addColumn<QStringList>("present");
    QTest::newRow("every file") << QStringList{"zarpo.csv", "melvi.csv", "trunda.csv", "titres.csv", "auteurs.csv"};
    QTest::newRow("the last one only") << QStringList{"auteurs.csv"};
    QTest::newRow("the first one only") << QStringList{"zarpo.csv"};
}

void TestExport::refusesToReplaceAnyFile()
{
    QFETCH(QStringList, present);
    QTemporaryDir target;
    for (const QString &name : present) {
        QFile file(QDir(target.path()).filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("travail de l'utilisateur\n");
    }
    const auto before = folderContent(target.path());

    const ToolRun run = runAdmin({"export", m_dir.catalogue(), target.path()});
    QCOMPARE(run.status, 1);
    for (const QString &name : present)
        QVERIFY2(run.err.contains(name), qPrintable(run.err));
    QVERIFY(folderContent(target.path()) == before);
}

void TestExport::createsTheFolder()
{
    QTemporaryDir target;
    const QString folder = QDir(target.path()).filePath("sauvegardes/catalogue été");
    const ToolRun run = runAdmin({"export", m_dir.catalogue(), folder});
    QVERIFY2(run.status == 0, qPrintable(run.err));
    QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name),
             QStringList({"auteurs.csv", "melvi.csv", "titres.csv", "trunda.csv", "zarpo.csv"}));
    QCOMPARE(fileBytes(QDir(folder).filePath("zarpo.csv")), fileBytes(QDir(m_exported).filePath("zarpo.csv")));
}

void TestExport::writesNothingFromABadCatalogue_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("message");
    QTest::newRow("missing file") << "missing" << "introuvable";
    QTest::newRow("old Access file") << "access" << "base Access";
    QTest::newRow("not a catalogue") << "text" << "n'est pas un catalogue";
    QTest::newRow("missing table") << "no trunda" << "« trunda »";
}

void TestExport::writesNothingFromABadCatalogue()
{
    QFETCH(QString, kind);
    QFETCH(QString, message);
    ProgramDir dir;
    QString source = dir.catalogue();
    if (kind == QLatin1String("access")) {
        source = QStringLiteral(TABRIX_FIXTURES_DIR "/legacy-jet4.mdb");
    } else if (kind == QLatin1String("text")) {
        QFile file(source);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("ref;nom\n001;x\n");
    } else if (kind == QLatin1String("no trunda")) {
        createEmptyCatalogue(source);
        execute(source, "DROP TABLE trunda");
    }
    const QString target = dir.file("export");
    const ToolRun run = runAdmin({"export", source, target});
    QCOMPARE(run.status, 1);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QVERIFY(!QFileInfo::exists(target));
}

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
