// tabrix-admin export: the CSV files read back as a spreadsheet reads them
// give every field of every table exactly as stored.
#include "tools/admincommand.h"

#include <QRegularExpression>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// Reads a file strictly as a spreadsheet does: a byte-order mark, ";"
// between fields, CRLF after every line, "" for a quote in a quoted field;
// anything else leaves a `problem`. Rows come as tableRows gives them: an
// empty cell without quotes is a field with no value, "<NULL>".
std::vector<QStringList> parseCsv(const QByteArray &bytes, QString &problem)
{
    static const QRegularExpression field(QStringLiteral("(?:\"((?:[^\"]|\"\")*)\"|([^;\"\\r\\n]*))(;|\\r\\n)"));
    if (!bytes.startsWith("\xEF\xBB\xBF"))
        problem = QStringLiteral("no byte-order mark");
    const QString text = QString::fromUtf8(bytes.mid(3));
    std::vector<QStringList> records(1);
    for (qsizetype at = 0; at < text.size() && problem.isEmpty();) {
        const auto match = field.match(text, at, QRegularExpression::NormalMatch, QRegularExpression::AnchorAtOffsetMatchOption);
        if (!match.hasMatch())
            problem = QStringLiteral("unexpected text at %1: %2").arg(at).arg(text.mid(at, 20));
        const QString plain = match.captured(2), quoted = match.captured(1).replace("\"\"", "\"");
        records.back() << (match.capturedStart(1) >= 0 ? quoted : plain.isEmpty() ? "<NULL>" : plain);
        if ((at = match.capturedEnd()) < text.size() && match.captured(3) == "\r\n")
            records.emplace_back();
    }
    return records;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT

private slots:
    // Into a folder that does not exist yet, with a blank and an accent.
    void initTestCase()
    {
        const QString path = m_dir.catalogue();
        createEmptyCatalogue(path);
        insertEntries(path, zarpo(), {entry("001", "Le \"grand\" phare; Étretat", "Zoé", std::nullopt, QString()),
                                      entry("002", "ligne 1\nligne 2", "Hélène", "https://img.norvane.fr/a;b.jpg"),
                                      entry("003", "  blancs autour\t", "Sœur Anne", "=SOMME(1;2)", "retour\r\nà la ligne"),
                                      entry("004", "", "O'Brien", "\"", "\"\""),
                                      entry("005", "Puzzle 🧩 ‘guillemets’ « français », virgule", "Lætitia", "a,b", "x")});
        insertEntries(path, melvi(), {entry("001", "Île de Ré", "Maëlle", std::nullopt, std::nullopt),
                                      entry("002", "Cœur;de;Lyon", "Zoé")});
        // trunda stays empty: its file holds the header line only.
        execute(path, "INSERT INTO titres VALUES (NULL, NULL, NULL, NULL, NULL); INSERT INTO auteurs VALUES (NULL)");
        insertEntries(path, titres(), {entry("007", "Noël", "Zoé")});
        insertAuthors(path, {"Zoé", "O'Brien", "", "a;b", "\"cité\""});
        m_exported = m_dir.file("sauvegardes/catalogue été");
        const ToolRun run = runAdmin({"export", path, m_exported});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(QDir(m_exported).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 QStringList({"auteurs.csv", "melvi.csv", "titres.csv", "trunda.csv", "zarpo.csv"}));
    }

    void everyFieldReadsBackAsStored_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("header");
        for (const Category &category : categories())
            QTest::newRow(qPrintable(category.table)) << category.table << QStringList{"ref", category.nameField, "auteur", "url", "lien"};
        QTest::newRow("auteurs") << "auteurs" << QStringList{"nom"};
    }

    void everyFieldReadsBackAsStored()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, header);
        QString problem;
        const auto read = parseCsv(fileBytes(QDir(m_exported).filePath(table + ".csv")), problem);
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        QCOMPARE(read.front(), header);
        verifyRows({read.begin() + 1, read.end()}, tableRows(m_dir.catalogue(), table));
    }

private:
    ProgramDir m_dir;
    QString m_exported;
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
