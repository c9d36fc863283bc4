#include "check/resultfile.h"

#include <QTest>

using namespace tabrix;
using namespace tabrix::check;

namespace {

// Value lines with the key names padded so the numbers start at the columns
// 20, 22, 20 and 24.
QByteArray zarpoLine(const QByteArray &value) { return "dernier_zarpo     =" + value; }
QByteArray trundaLine(const QByteArray &value) { return "dernier_trunda      =" + value; }
QByteArray melviLine(const QByteArray &value) { return "dernier_melvi     =" + value; }
QByteArray vasquoLine(const QByteArray &value) { return "dernier_vasquo        =" + value; }

QByteArray file(const QList<QByteArray> &lines, const QByteArray &end = "\r\n")
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + end;
    return bytes;
}

// A usual file: two lines of the finder's own, the header, the four rows.
QByteArray usual(const QByteArray &header = "[dernier_numero]", const QByteArray &end = "\r\n")
{
    return file({"[recherche]", "forum=https://www.norvane.fr", header, zarpoLine("104"), trundaLine("101"),
                 melviLine("99"), vasquoLine("88")},
                end);
}

QString fault(Fault f)
{
    switch (f) {
    case Fault::NoSection: return "no-section";
    case Fault::MissingLine: return "missing";
    case Fault::NotNumber: return "not-number";
    case Fault::CutNumber: return "cut";
    case Fault::TooLarge: return "too-large";
    }
    return {};
}

// A row as "104", or "fault@line".
QString describeRow(const RowReading &row)
{
    return row.ok() ? QString::number(*row.value) : QStringLiteral("%1@%2").arg(fault(row.fault)).arg(row.line);
}

} // namespace

class TestResultFile : public QObject {
    Q_OBJECT
private slots:
    void rowsFollowTheCategories();
    void read_data();
    void read();
};

void TestResultFile::rowsFollowTheCategories()
{
    QStringList captions;
    QList<int> columns;
    for (const Category *category : rowCategories()) {
        captions << category->tabCaption;
        columns << category->checkValueColumn;
    }
    QCOMPARE(captions, QStringList({"Zarpo", "Trunda", "Melvi", "Vasquo"}));
    QCOMPARE(columns, QList<int>({20, 22, 20, 24}));
}

void TestResultFile::read_data()
{
    QTest::addColumn<QByteArray>("bytes");
    // Zarpo, Trunda, Melvi, Vasquo: a number, or "fault@line".
    QTest::addColumn<QStringList>("rows");
    // A text every problem sentence together must hold; empty when all rows read.
    QTest::addColumn<QString>("mention");

    const QStringList usualRows = {"104", "101", "99", "88"};
    const QStringList noSection = {"no-section@0", "no-section@0", "no-section@0", "no-section@0"};

    QTest::newRow("CR LF") << usual() << usualRows << "";
    QTest::newRow("LF") << usual("[dernier_numero]", "\n") << usualRows << "";
    QTest::newRow("CR alone") << usual("[dernier_numero]", "\r") << usualRows << "";
    QTest::newRow("no end on the last line") << usual().chopped(2) << usualRows << "";
    QTest::newRow("header first, lines after the fourth unread")
        << file({"[dernier_numero]", zarpoLine("1"), trundaLine("2"), melviLine("3"), vasquoLine("4"), "garbage",
                 "[dernier_numero]", zarpoLine("9")})
        << QStringList{"1", "2", "3", "4"} << "";
    QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + usual() << usualRows << "";
    QTest::newRow("zero, leading zeros, blanks, largest")
        << file({"[dernier_numero]", zarpoLine("0"), trundaLine("007"), melviLine(" 42 "), vasquoLine("32767")})
        << QStringList{"0", "7", "42", "32767"} << "";
    QTest::newRow("accented key in UTF-8 counts characters")
        << file({"[dernier_numero]", "numéro_zarpo      =12", trundaLine("2"), melviLine("3"), vasquoLine("4")})
        << QStringList{"12", "2", "3", "4"} << "";
    QTest::newRow("accented key in Latin-1")
        << file({"[dernier_numero]", "num\xE9ro_zarpo      =12", trundaLine("2"), melviLine("3"), vasquoLine("4")})
        << QStringList{"12", "2", "3", "4"} << "";

    QTest::newRow("header in capitals") << usual("[DERNIER_NUMERO]") << noSection << "[dernier_numero]";
    QTest::newRow("header with one capital") << usual("[Dernier_numero]") << noSection << "7 lignes";
    QTest::newRow("header with a trailing blank") << usual("[dernier_numero] ") << noSection << "[dernier_numero]";
    QTest::newRow("header with a leading blank") << usual(" [dernier_numero]") << noSection << "[dernier_numero]";
    QTest::newRow("header without brackets") << usual("dernier_numero") << noSection << "[dernier_numero]";
    QTest::newRow("empty file") << QByteArray() << noSection << "vide";
    QTest::newRow("binary garbage") << QByteArray("\x00\xFF\xFE\r\r\n\x01[dernier", 13) << noSection << "3 lignes";

    QTest::newRow("prefix one shorter: number would be cut")
        << file({"[dernier_numero]", zarpoLine("104"), trundaLine("101"), "dernier_melvi    =99", vasquoLine("88")})
        << QStringList{"104", "101", "cut@4", "88"} << "ligne 4 (Melvi)";
    QTest::newRow("prefix much shorter: nothing at the column")
        << file({"[dernier_numero]", "zarpo=104", trundaLine("101"), melviLine("99"), vasquoLine("88")})
        << QStringList{"not-number@2", "101", "99", "88"} << "colonne 20";
    QTest::newRow("prefix one longer")
        << file({"[dernier_numero]", zarpoLine("104"), "dernier_trunda       =101", melviLine("99"), vasquoLine("88")})
        << QStringList{"104", "not-number@3", "99", "88"} << "« =101 »";
    QTest::newRow("fewer than four lines")
        << file({"x", "[dernier_numero]", zarpoLine("104"), trundaLine("101")})
        << QStringList{"104", "101", "missing@5", "missing@6"} << "ligne 6 : absente";
    QTest::newRow("header on the last line") << file({"[dernier_numero]"})
                                              << QStringList{"missing@2", "missing@3", "missing@4", "missing@5"}
                                              << "numéro de Zarpo";
    QTest::newRow("empty value line")
        << file({"[dernier_numero]", zarpoLine("104"), "", melviLine("99"), vasquoLine("88")})
        << QStringList{"104", "not-number@3", "99", "88"} << "ligne 3 (Trunda)";
    QTest::newRow("not numbers")
        << file({"[dernier_numero]", zarpoLine("abc"), trundaLine("12a"), melviLine("-5"), vasquoLine("1 2")})
        << QStringList{"not-number@2", "not-number@3", "not-number@4", "not-number@5"} << "« 12a »";
    QTest::newRow("Arabic digits are not numbers")
        << file({"[dernier_numero]", zarpoLine("\xD9\xA1\xD9\xA2"), trundaLine("1"), melviLine("2"), vasquoLine("3")})
        << QStringList{"not-number@2", "1", "2", "3"} << "ligne 2 (Zarpo)";
    QTest::newRow("above 32767")
        << file({"[dernier_numero]", zarpoLine("32768"), trundaLine("99999999999999999999"), melviLine("0000032767"),
                 vasquoLine("65536")})
        << QStringList{"too-large@2", "too-large@3", "32767", "too-large@5"} << "32768 » dépasse 32767";
}

void TestResultFile::read()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, rows);
    QFETCH(QString, mention);

    const Findings findings = readFindings(bytes);
    QStringList read;
    for (const RowReading &row : findings.rows)
        read << describeRow(row);
    QCOMPARE(read, rows);

    const QString problems = findings.problems.join(QLatin1Char('\n'));
    QCOMPARE(findings.complete(), mention.isEmpty());
    if (!mention.isEmpty())
        QVERIFY2(problems.contains(mention), qPrintable(problems));
    // One sentence per failing row, or a single one when the header is missing.
    const qsizetype failing = std::count_if(findings.rows.begin(), findings.rows.end(),
                                            [](const RowReading &row) { return !row.ok(); });
    const bool noHeader = !findings.rows[0].ok() && findings.rows[0].fault == Fault::NoSection;
    QCOMPARE(findings.problems.size(), noHeader ? 1 : failing);
    for (const QString &sentence : findings.problems)
        QVERIFY2(noHeader || sentence.startsWith(QStringLiteral("ligne ")), qPrintable(sentence));
}

QTEST_APPLESS_MAIN(TestResultFile)
#include "tst_resultfile.moc"
