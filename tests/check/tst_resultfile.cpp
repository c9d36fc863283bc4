// Reading the finder's result file; the check window's test covers the usual
// files, this one the odd ones.
#include "check/resultfile.h"

#include <QTest>

#include <map>

using namespace tabrix::check;

namespace {

// A file of these lines, each ended by `end`. "Z=", "T=", "M=" and "V="
// open the value lines of the four rows, padded so that the numbers start
// at the columns 20, 22, 20 and 24.
QByteArray file(const QList<QByteArray> &lines, const QByteArray &end = "\r\n")
{
    static const std::map<QByteArray, QByteArray> keys = {{"Z=", "dernier_zarpo     ="}, {"T=", "dernier_trunda      ="},
                                                          {"M=", "dernier_melvi     ="}, {"V=", "dernier_vasquo        ="}};
    QByteArray bytes;
    for (const QByteArray &line : lines) {
        const auto key = keys.find(line.left(2));
        bytes += (key == keys.end() ? line : key->second + line.mid(2)) + end;
    }
    return bytes;
}

QByteArray usual(const QByteArray &header = "[dernier_numero]", const QByteArray &end = "\r\n")
{
    return file({"[recherche]", "forum=https://www.norvane.fr", header, "Z=104", "T=101", "M=99", "V=88"}, end);
}

} // namespace

class TestResultFile : public QObject {
    Q_OBJECT
private slots:
    void read_data()

    {

        QTest::addColumn<QByteArray>("bytes");

        QTest::addColumn<QString>("rows");    // Zarpo, Trunda, Melvi, Vasquo: a number, or "fault@line"

        QTest::addColumn<QString>("mention"); // what the problems name; empty when all rows read

        const QString usualRows = "104 101 99 88", noSection = "section@0 section@0 section@0 section@0";

        QTest::newRow("LF") << usual("[dernier_numero]", "\n") << usualRows << "";

        QTest::newRow("no end on the last line") << usual().chopped(2) << usualRows << "";

        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + usual() << usualRows << "";

        QTest::newRow("header first, lines after the fourth unread")

            << file({"[dernier_numero]", "Z=1", "T=2", "M=3", "V=4", "garbage", "[dernier_numero]", "Z=9"}) << "1 2 3 4" << "";

        QTest::newRow("zero, leading zeros, blanks, largest")

            << file({"[dernier_numero]", "Z=0", "T=007", "M= 42 ", "V=32767"}) << "0 7 42 32767" << "";

        QTest::newRow("accented key in UTF-8 counts characters")

            << file({"[dernier_numero]", "numéro_zarpo      =12", "T=2", "M=3", "V=4"}) << "12 2 3 4" << "";

        QTest::newRow("CR line ends, cut after melvi") << file({"[dernier_numero]", "Z=12", "T=8", "M=7"}, "\r")

                                                       << "12 8 7 missing@5" << "ligne 5";

        QTest::newRow("empty file") << QByteArray() << noSection << "vide";

        QTest::newRow("header in capitals") << usual("[DERNIER_NUMERO]") << noSection << "[dernier_numero]";

        QTest::newRow("prefix much shorter: nothing at the column")

            << file({"[dernier_numero]", "zarpo=104", "T=101", "M=99", "V=88"}) << "number@2 101 99 88" << "colonne 20";

        QTest::newRow("not numbers, Arabic digits among them")

            << file({"[dernier_numero]", "Z=abc", "T=12a", "M=-5", "V=\xD9\xA1\xD9\xA2"})

            << "number@2 number@3 number@4 number@5" << "« 12a »";

        QTest::newRow("above 32767")

            << file({"[dernier_numero]", "Z=32768", "T=99999999999999999999", "M=0000032767", "V=65536"})

            << "large@2 large@3 32767 large@5" << "32768 » dépasse 32767";

    }

    void read()

    {

        QFETCH(QByteArray, bytes);

        QFETCH(QString, rows);

        QFETCH(QString, mention);

        const Findings findings = readFindings(bytes);

        QStringList read;

        for (const RowReading &row : findings.rows) {

            static const std::map<Fault, QString> faults = {{Fault::NoSection, "section"}, {Fault::MissingLine, "missing"},

                                                            {Fault::NotNumber, "number"}, {Fault::CutNumber, "cut"},

                                                            {Fault::TooLarge, "large"}
};
            read << (row.ok() ? QString::number(*row.value) : faults.at(row.fault) + '@' + QString::number(row.line));
        }
        QCOMPARE(read.join(' '), rows);

        // One sentence per failing row, or a single one when the header is missing.
        const QString problems = findings.problems.join('\n');
        QVERIFY2(findings.complete() == mention.isEmpty() && problems.contains(mention), qPrintable(problems));
        QCOMPARE(findings.problems.size(), rows.startsWith("section") ? 1 : rows.count('@'));
    }
};

QTEST_APPLESS_MAIN(TestResultFile)
#include "tst_resultfile.moc"
