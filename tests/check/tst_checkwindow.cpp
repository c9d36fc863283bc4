// The latest-number check as the user runs it, with a stand-in finder and
// with the demonstration finder shipped with the sources; and the reading of
// the finder's odd result files.
#include "check/checkwindow.h"
#include "check/resultfile.h"
#include "support/programfixture.h"
#include "tools/admincommand.h"

#include <QDeadlineTimer>
#include <QLabel>
#include <QMessageBox>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

#include <map>

#include <sys/stat.h>

using namespace tabrix;
using namespace tabrix::check;
using namespace tabrix::test;

namespace {

const QString waitText = QStringLiteral("Attente de la fin des recherches.");

void writeScript(const QString &path, const QByteArray &script,
                 QFileDevice::Permissions permissions = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner)
{
    writeBytes(path, script);
    QVERIFY(QFile::setPermissions(path, permissions));
}

// Waits, as a user in front of the wait message would, until a file the
// finder writes is there; false if it never came.
bool waitForFile(const QString &path)
{
    QDeadlineTimer deadline(30000);
    while (!QFile::exists(path) && !deadline.hasExpired())
        QThread::msleep(5);
    return QFile::exists(path);
}

// Records how it was started, hands over the result file the test prepared
// (if any) in one step, and says it is done.
const QByteArray standInFinder = R"(#!/bin/sh
{ pwd; echo "$#"; for a in "$@"; do echo "[$a]"; done; } > finder-call.txt
echo run >> finder-runs.txt
[ -f finder-output.ini ] && cp finder-output.ini paramsfendrel.ini.tmp && mv paramsfendrel.ini.tmp paramsfendrel.ini
: > finder-done
)";

QByteArray resultFile(int zarpo, int trunda, int melvi, int vasquo)
{
    return QStringLiteral("[recherche]\r\nforum=https://www.norvane.fr\r\n[dernier_numero]\r\ndernier_zarpo     =%1\r\n"
                          "dernier_trunda      =%2\r\ndernier_melvi     =%3\r\ndernier_vasquo        =%4\r\n")
        .arg(zarpo).arg(trunda).arg(melvi).arg(vasquo).toLatin1();
}

// The program on a catalogue of 12 Zarpo, 9 Trunda, 7 Melvi and no Vasquo
// entries. While the wait message is "open", the user waits for the finder
// to be done, then closes it.
struct Program : ProgramFixture {
    bool finderLate = false;
    bool resultWindowDuringWait = false;

    explicit Program(bool withFinder = true)
    {
        execute(dir.catalogue(), "DELETE FROM trunda WHERE ref > '009'; DELETE FROM melvi WHERE ref > '007'; "
                                 "DELETE FROM titres");
        if (withFinder)
            writeScript(dir.file(finderFileName()), standInFinder);
        services.onMessage = [this](const RecordingServices::Message &message) {
            if (message.text != waitText)
                return;
            resultWindowDuringWait = resultWindow() && resultWindow()->isVisible();
            finderLate = !waitForFile(dir.file("finder-done")) || !QFile::remove(dir.file("finder-done"));
        };
    }

    void finderWillWrite(const QByteArray &bytes) { writeBytes(dir.file("finder-output.ini"), bytes); }
    void clickCheck() { click(find<QPushButton>("bt_last")); }
    CheckWindow *resultWindow() const { return window ? window->findChild<CheckWindow *>() : nullptr; }
    int finderRuns() const { return int(fileBytes(dir.file("finder-runs.txt")).count('\n')); }
};

// The four rows as shown, "found/counted", each box in bold and drawn
// yellow when the numbers agree, red when they differ, in neither colour
// when the forum's number is unknown ("?").
void verifyBoxes(CheckWindow *window, const QString &boxes)
{
    QVERIFY(window && window->isVisible());
    QString shown, looks, expected;
    for (int row = 1; row <= CheckWindow::rowCount; ++row) {
        const QStringList pair = boxes.section(' ', row - 1, row - 1).split('/');
        shown += window->finderBox(row)->text() + '/' + window->catalogueBox(row)->text() + ' ';
        expected += QString(2, pair[0] == "?" ? 'N' : pair[0] == pair[1] ? 'Y' : 'R');
        for (QLineEdit *box : {window->finderBox(row), window->catalogueBox(row)}) {
            const QImage image = box->grab().toImage();
            const QColor colour = image.pixelColor(4, image.height() / 2);
            looks += !box->font().bold() ? '-' : colour == QColor(Qt::yellow) ? 'Y' : colour == QColor(Qt::red) ? 'R'
                                                  : colour == QColor(Qt::white) ? 'W' : 'N';
        }
    }
    QCOMPARE(shown.trimmed(), boxes);
    QCOMPARE(looks, expected);
}

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

struct Case {
    QString before; // "stale": a result file left from an earlier search; "fifo": a named pipe in its place
    QByteArray file; // what the finder writes; null: nothing
    QString boxes;
    QStringList mentions; // what the one message after the check names; empty: no message
    QString missing;      // the label under the boxes
};

} // namespace

Q_DECLARE_METATYPE(Case)

class TestCheckWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true); // settings of its own, left by no earlier run
        QSettings(QStringLiteral("Tabrix"), QStringLiteral("Tabrix")).clear();
    }

    // No button: Escape or the title bar close it. Made larger, its boxes
    // and label grow, and it opens again at that size.
    void windowGrowsWithItsBoxes()
    {
        QSize grown;
        for (const bool again : {false, true}) {
            CheckWindow window;
            window.setAttribute(Qt::WA_DeleteOnClose, false);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QVERIFY(window.findChildren<QAbstractButton *>().isEmpty());
            if (again)
                QCOMPARE(window.size(), grown);
            QLabel *missing = window.findChild<QLabel *>("lbl_manquants");
            const int box = window.finderBox(1)->width(), label = missing->height();
            window.resize(window.size() + QSize(200, 150));
            QTRY_VERIFY(window.finderBox(1)->width() > box + 50);
            QVERIFY(missing->height() > label + 100);
            grown = window.size();
            window.close();
        }
    }

    void results_data()
    {
        QTest::addColumn<Case>("c");
        const QByteArray equal = resultFile(12, 9, 7, 0);
        const QString unknown = "?/12 ?/9 ?/7 ?/0";
        QTest::newRow("all equal") << Case{"", equal, "12/12 9/9 7/7 0/0", {}, "À jour."};
        QTest::newRow("melvi two ahead") << Case{"", resultFile(12, 9, 9, 0), "12/12 9/9 9/7 0/0", {}, "Melvi : 008, 009"};
        QTest::newRow("zarpo one, melvi many ahead")
            << Case{"", resultFile(13, 9, 40, 0), "13/12 9/9 40/7 0/0", {}, "Zarpo : 013\nMelvi : 008 à 040"};
        QTest::newRow("missing file") << Case{"", {}, unknown, {"paramsfendrel.ini", "introuvable"}, ""};
        QTest::newRow("prefixes one longer, one shorter")
            << Case{"", QByteArray(equal).replace("trunda      =9", "trunda       =9").replace("melvi     =7", "melvi    =17"),
                    "12/12 ?/9 ?/7 0/0", {"paramsfendrel.ini", "ligne 5 (Trunda)", "ligne 6 (Melvi)"}, ""};
        QTest::newRow("named pipe") << Case{"fifo", {}, unknown, {"paramsfendrel.ini", "tube nommé (FIFO), pas un fichier ordinaire"}, ""};
        QTest::newRow("old file, finder wrote none")
            << Case{"stale", {}, "12/12 9/9 9/7 0/0", {"recherche précédente"}, "Melvi : 008, 009"};
    }

    void results()
    {
        QFETCH(Case, c);
        Program program;
        QVERIFY(program.start());
        if (!c.file.isNull())
            program.finderWillWrite(c.file);
        if (c.before == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(program.dir.file(resultFileName())).constData(), 0600) == 0);
        if (c.before == "stale")
            writeBytes(program.dir.file(resultFileName()), resultFile(12, 9, 9, 0));
        program.clickCheck();

        // The finder ran in the program's folder with "," and "6", while the wait message was open.
        QVERIFY(!program.finderLate && !program.resultWindowDuringWait);
        const QStringList call = QString::fromLocal8Bit(fileBytes(program.dir.file("finder-call.txt"))).split('\n');
        QCOMPARE(QFileInfo(call.value(0)).canonicalFilePath(), QFileInfo(program.dir.path()).canonicalFilePath());
        QCOMPARE(call.mid(1), QStringList({"2", "[,]", "[6]", ""}));
        QVERIFY(program.services.messages.first().text == waitText && program.services.messages.first().icon == MessageIcon::None);

        verifyBoxes(program.resultWindow(), c.boxes);
        QCOMPARE(program.resultWindow()->findChild<QLabel *>("lbl_manquants")->text(), c.missing);
        QCOMPARE(program.services.messages.size(), c.mentions.isEmpty() ? 1 : 2);
        for (const QString &mention : c.mentions)
            QVERIFY2(program.services.lastText().contains(mention), qPrintable(program.services.lastText()));
    }

    void clickWhileOpenChecksAgainInFront()
    {
        Program program;
        QVERIFY(program.start());
        program.finderWillWrite(resultFile(12, 9, 7, 0));
        program.clickCheck();
        QPointer<CheckWindow> first = program.resultWindow();
        QVERIFY(first && first->isVisible());

        // Sent behind the main window, then asked for again: the same window
        // comes to the front with the new findings.
        QVERIFY(program.activate());
        program.finderWillWrite(resultFile(13, 9, 7, 0));
        program.clickCheck();
        QCOMPARE(program.finderRuns(), 2);
        QCOMPARE(program.services.messages.size(), 2);
        QCOMPARE(program.window->findChildren<CheckWindow *>(), QList<CheckWindow *>{first.data()});
        verifyBoxes(first, "13/12 9/9 7/7 0/0");
        QVERIFY(QTest::qWaitForWindowActive(first));

        // Closed by Escape, the next click opens it again.
        QTest::mouseClick(first->finderBox(1), Qt::LeftButton);
        QTest::keyClick(first->finderBox(1), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        program.clickCheck();
        QCOMPARE(program.finderRuns(), 3);
        verifyBoxes(program.resultWindow(), "13/12 9/9 7/7 0/0");
    }

    // A finder at work for a second, and the real wait box, which the user
    // leaves alone: it closes by itself when the finder is done.
    void waitEndsWithTheFinder()
    {
        Program program(false);
        program.services.realWaitBox = true;
        writeScript(program.dir.file(finderFileName()), "#!/bin/sh\nsleep 1\ncp finder-output.ini paramsfendrel.ini\n");
        program.finderWillWrite(resultFile(12, 9, 7, 0));
        QVERIFY(program.start());
        bool shown = false, closedByTest = false;
        QTimer look;
        connect(&look, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            shown = shown || (box && box->text() == waitText);
        });
        look.start(20);
        QTimer::singleShot(60000, &look, [&] { // the user gives up after a minute
            if (QWidget *box = QApplication::activeModalWidget())
                closedByTest = box->close();
        });
        program.clickCheck();
        QVERIFY(shown && !closedByTest);
        verifyBoxes(program.resultWindow(), "12/12 9/9 7/7 0/0");
    }

    // Missing, then there but not executable: each click says so, and no
    // result window opens.
    void finderNotStarted()
    {
        Program program(false);
        QVERIFY(program.start());
        const QString finder = program.dir.file(finderFileName());
        for (const QString mention : {"introuvable", "introuvable", "démarré", "démarré"}) {
            if (mention == "démarré")
                writeScript(finder, standInFinder, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            program.services.clear();
            program.clickCheck();
            QCOMPARE(program.services.messages.size(), 1);
            const QString text = program.services.lastText();
            QVERIFY2((text.contains("« Fendrel.exe »") || text.contains(finder)) && text.contains(mention)
                         && program.services.messages.last().icon == MessageIcon::Exclamation, qPrintable(text));
            QVERIFY(!program.resultWindow() && !QFile::exists(program.dir.file(resultFileName())));
        }
    }

    // The finder shipped in tools/fendrel counts the catalogue's entries and
    // pretends the forum is two Melvi ahead.
    void shippedFinderShowsMelviTwoAhead()
    {
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 command is not installed");
        Program program(false);
        const QString sources = QFileInfo(QStringLiteral(__FILE__)).isRelative() // named from the build folder
                                    ? QFileInfo(QStringLiteral(TABRIX_PROGRAM_PATH)).path() + "/" : QString();
        writeScript(program.dir.file(finderFileName()),
                    fileBytes(sources + QFileInfo(QStringLiteral(__FILE__)).path() + "/../../tools/fendrel/Fendrel.exe"));
        bool written = false;
        program.services.onMessage = [&](const RecordingServices::Message &) {
            written = waitForFile(program.dir.file(resultFileName()));
        };
        QVERIFY(program.start());
        program.clickCheck();
        QVERIFY(written);
        QCOMPARE(program.services.messages.size(), 1); // the wait message only: the file read whole
        verifyBoxes(program.resultWindow(), "12/12 9/9 9/7 0/0");
    }

    void oddResultFiles_data()

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

    void oddResultFiles()

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

QTEST_MAIN(TestCheckWindow)
#include "tst_checkwindow.moc"
