#include "check/checkwindow.h"
#include "check/resultfile.h"
#include "support/testsupport.h"
#include "checktest.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tabrix;
using namespace tabrix::check;
using namespace tabrix::test;

namespace {

const QString waitText = QStringLiteral("Attente de la fin des recherches.");

// Entries per list in the test catalogue: Zarpo 12, Trunda 9, Melvi 7, Vasquo none.
constexpr int zarpoCount = 12;
constexpr int trundaCount = 9;
constexpr int melviCount = 7;

// A stand-in for the finder: records how it was started, hands over the
// result file the test prepared (when there is one) in one step, and says
// it is done.
const QByteArray standInFinder = R"(#!/bin/sh
{ pwd; echo "$#"; for a in "$@"; do echo "[$a]"; done; } > finder-call.txt
echo run >> finder-runs.txt
if [ -f finder-output.ini ]; then
  cp finder-output.ini paramsfendrel.ini.tmp && mv paramsfendrel.ini.tmp paramsfendrel.ini
fi
: > finder-done
)";

QByteArray resultFile(int zarpo, int trunda, int melvi, int vasquo)
{
    return QStringLiteral("[recherche]\r\nforum=https://www.norvane.fr\r\n[dernier_numero]\r\n"
                          "dernier_zarpo     =%1\r\ndernier_trunda      =%2\r\n"
                          "dernier_melvi     =%3\r\ndernier_vasquo        =%4\r\n")
        .arg(zarpo)
        .arg(trunda)
        .arg(melvi)
        .arg(vasquo)
        .toLatin1();
}

// A program directory with a catalogue, the stand-in finder and the
// program started on it. While the wait message is "open", the user waits
// for the finder to be done, then closes it.
struct Program {
    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;
    bool finderLate = false;
    bool resultWindowDuringWait = false;

    explicit Program(bool withFinder = true)
    {
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), zarpo(), numberedEntries(zarpoCount));
        insertEntries(dir.catalogue(), trunda(), numberedEntries(trundaCount));
        insertEntries(dir.catalogue(), melvi(), numberedEntries(melviCount));
        if (withFinder)
            writeFile(dir.file(finderFileName()), standInFinder, executable);
        services.onMessage = [this](const RecordingServices::Message &message) {
            if (message.text != waitText)
                return;
            resultWindowDuringWait = resultWindow() && resultWindow()->isVisible();
            const QString done = dir.file(QStringLiteral("finder-done"));
            finderLate = !waitForFile(done) || !QFile::remove(done);
        };
        window = startProgram(dir, services);
    }

    void finderWillWrite(const QByteArray &bytes) { writeFile(dir.file(QStringLiteral("finder-output.ini")), bytes); }

    void clickCheck() { window->form().btLast->click(); }

    CheckWindow *resultWindow() const
    {
        return window ? window->findChild<CheckWindow *>(QStringLiteral("frm_err")) : nullptr;
    }

    int finderRuns() const { return int(readFile(dir.file(QStringLiteral("finder-runs.txt"))).count('\n')); }

    QStringList messagesAfterWait() const
    {
        QStringList texts;
        for (const auto &message : services.messages)
            if (message.text != waitText)
                texts << message.text;
        return texts;
    }
};

Look lookFor(QChar code) { return code == u'Y' ? Look::Agreeing : code == u'R' ? Look::Differing : Look::Unknown; }

} // namespace

class TestCheckWindow : public QObject {
    Q_OBJECT
private slots:
    void windowControls();
    void results_data();
    void results();
    void finderIsStartedInTheProgramDirectory();
    void secondClickWhileOpenDoesNothing();
    void finderNotStarted_data();
    void finderNotStarted();
    void unchangedFileIsReportedAsOld();
    void listThatCannotBeCounted();
};

void TestCheckWindow::windowControls()
{
    CheckWindow window;
    QCOMPARE(window.objectName(), QStringLiteral("frm_err"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Erreur"));
    QCOMPARE(window.size(), QSize(pixels(4950), pixels(3825)));
    QVERIFY(window.findChildren<QPushButton *>().isEmpty());

    const QList<std::tuple<QString, QString, Qt::Alignment>> labels = {
        {"Label1", "Résultats entre FND et VRM", Qt::AlignHCenter},
        {"Label2", "FND", {}},
        {"Label3", "VRM", {}},
        {"Label4", "Zarpo", Qt::AlignRight},
        {"Label7", "Trunda", Qt::AlignRight},
        {"Label5", "Melvi", Qt::AlignRight},
        {"Label6", "Vasquo", Qt::AlignRight},
    };
    int previousTop = -1;
    for (const auto &[name, caption, alignment] : labels) {
        auto *label = window.findChild<QLabel *>(name);
        QVERIFY2(label, qPrintable(name));
        QCOMPARE(label->text(), caption);
        if (alignment)
            QVERIFY2(label->alignment() & alignment, qPrintable(name));
        if (name >= QStringLiteral("Label4")) { // row captions, top to bottom in this order
            QVERIFY(label->y() > previousTop);
            previousTop = label->y();
        }
    }

    for (int row = 1; row <= 4; ++row) {
        auto *found = window.findChild<QLineEdit *>(QStringLiteral("fnd_%1").arg(row));
        auto *counted = window.findChild<QLineEdit *>(QStringLiteral("vrm_%1").arg(row));
        QVERIFY(found && counted);
        QCOMPARE(found, window.finderBox(row));
        QCOMPARE(counted, window.catalogueBox(row));
        for (QLineEdit *box : {found, counted}) {
            QCOMPARE(box->text(), QStringLiteral("0"));
            QCOMPARE(box->alignment(), Qt::AlignCenter);
        }
        QVERIFY(found->x() < counted->x());
        QCOMPARE(found->y(), counted->y());
        QVERIFY(window.rect().contains(counted->geometry()));
    }
}

void TestCheckWindow::results_data()
{
    QTest::addColumn<QByteArray>("file");        // what the finder writes; null: nothing
    QTest::addColumn<QStringList>("found");      // fnd_1 … fnd_4
    QTest::addColumn<QString>("looks");          // per row: Y agreeing, R differing, N unknown
    QTest::addColumn<QStringList>("mentions");   // what the one message after the check names; empty: no message

    const QStringList equal = {"12", "9", "7", "0"};
    QTest::newRow("all equal") << resultFile(12, 9, 7, 0) << equal << "YYYY" << QStringList();
    QTest::newRow("melvi two ahead") << resultFile(12, 9, 9, 0) << QStringList{"12", "9", "9", "0"} << "YYRY"
                                     << QStringList();
    QTest::newRow("every list differs") << resultFile(11, 10, 6, 3) << QStringList{"11", "10", "6", "3"} << "RRRR"
                                        << QStringList();
    QTest::newRow("missing file") << QByteArray() << QStringList{"?", "?", "?", "?"} << "NNNN"
                                  << QStringList{"paramsfendrel.ini", "introuvable"};
    QTest::newRow("header with a trailing blank")
        << resultFile(12, 9, 7, 0).replace("[dernier_numero]", "[dernier_numero] ")
        << QStringList{"?", "?", "?", "?"} << "NNNN" << QStringList{"paramsfendrel.ini", "[dernier_numero]"};
    QTest::newRow("trunda not a number, vasquo too large")
        << resultFile(12, 9, 7, 0).replace("=9\r", "=9x\r").replace("=0\r", "=40000\r")
        << QStringList{"12", "?", "7", "?"} << "YNYN"
        << QStringList{"paramsfendrel.ini", "ligne 5 (Trunda)", "ligne 7 (Vasquo)", "40000"};
    QTest::newRow("CR line ends, file cut after melvi")
        << QByteArray("[dernier_numero]\rdernier_zarpo     =12\rdernier_trunda      =8\rdernier_melvi     =7\r")
        << QStringList{"12", "8", "7", "?"} << "YRYN" << QStringList{"paramsfendrel.ini", "ligne 5"};
}

void TestCheckWindow::results()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, found);
    QFETCH(QString, looks);
    QFETCH(QStringList, mentions);

    Program program;
    QVERIFY(program.window);
    if (!file.isNull())
        program.finderWillWrite(file);
    program.clickCheck();

    QVERIFY(!program.finderLate);
    QVERIFY(!program.services.messages.isEmpty());
    QCOMPARE(program.services.messages.first().text, waitText);
    QCOMPARE(program.services.messages.first().icon, MessageIcon::None);
    QVERIFY(!program.resultWindowDuringWait);

    CheckWindow *window = program.resultWindow();
    QVERIFY(window);
    QVERIFY(window->isVisible());
    const QStringList counted = {QString::number(zarpoCount), QString::number(trundaCount),
                                 QString::number(melviCount), "0"};
    for (int row = 1; row <= 4; ++row) {
        const Look look = lookFor(looks.at(row - 1));
        verifyBox(window->finderBox(row), found.at(row - 1), look);
        verifyBox(window->catalogueBox(row), counted.at(row - 1), look);
    }

    const QStringList after = program.messagesAfterWait();
    if (mentions.isEmpty()) {
        QCOMPARE(after, QStringList());
    } else {
        QCOMPARE(after.size(), 1);
        for (const QString &mention : mentions)
            QVERIFY2(after.first().contains(mention), qPrintable(after.first()));
    }
}

void TestCheckWindow::finderIsStartedInTheProgramDirectory()
{
    Program program;
    program.finderWillWrite(resultFile(12, 9, 7, 0));
    program.clickCheck();
    QVERIFY(!program.finderLate);
    const QStringList call = QString::fromLocal8Bit(readFile(program.dir.file("finder-call.txt"))).split('\n');
    QCOMPARE(call.size(), 5);
    QCOMPARE(QFileInfo(call.at(0)).canonicalFilePath(), QFileInfo(program.dir.path()).canonicalFilePath());
    QCOMPARE(call.mid(1), QStringList({"2", "[,]", "[6]", ""}));
}

void TestCheckWindow::secondClickWhileOpenDoesNothing()
{
    Program program;
    program.finderWillWrite(resultFile(12, 9, 7, 0));
    program.clickCheck();
    QPointer<CheckWindow> first = program.resultWindow();
    QVERIFY(first && first->isVisible());
    QCOMPARE(program.services.messages.size(), 1);

    program.clickCheck();
    QCOMPARE(program.services.messages.size(), 1);
    QCOMPARE(program.window->findChildren<CheckWindow *>().size(), 1);
    QCOMPARE(program.finderRuns(), 1);
    QVERIFY(first->isVisible());

    // Closed, the next click runs the whole check again, with the new findings.
    closeWindow(first);
    QVERIFY(!first);
    program.finderWillWrite(resultFile(13, 9, 7, 0));
    program.clickCheck();
    QVERIFY(!program.finderLate);
    QCOMPARE(program.finderRuns(), 2);
    QCOMPARE(program.services.messages.size(), 2);
    QCOMPARE(program.services.messages.last().text, waitText);
    CheckWindow *second = program.resultWindow();
    QVERIFY(second && second->isVisible());
    verifyBox(second->finderBox(1), "13", Look::Differing);
    verifyBox(second->catalogueBox(1), "12", Look::Differing);
    verifyBox(second->finderBox(2), "9", Look::Agreeing);
}

void TestCheckWindow::finderNotStarted_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("mention");
    QTest::newRow("missing") << "missing" << "introuvable";
    QTest::newRow("not executable") << "plain file" << "démarré";
    QTest::newRow("a folder") << "folder" << "introuvable";
}

void TestCheckWindow::finderNotStarted()
{
    QFETCH(QString, kind);
    QFETCH(QString, mention);

    Program program(false);
    QVERIFY(program.window);
    const QString finder = program.dir.file(finderFileName());
    if (kind == QLatin1String("plain file"))
        writeFile(finder, standInFinder, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir(program.dir.path()).mkdir(finderFileName()));

    for (int click = 1; click <= 2; ++click) {
        program.clickCheck();
        QCOMPARE(program.services.messages.size(), click);
        const RecordingServices::Message &message = program.services.messages.last();
        QVERIFY2(message.text.contains(QStringLiteral("« Fendrel.exe »")) || message.text.contains(finder),
                 qPrintable(message.text));
        QVERIFY2(message.text.contains(mention), qPrintable(message.text));
        QCOMPARE(message.icon, MessageIcon::Exclamation);
        QVERIFY(!program.resultWindow());
    }
    QVERIFY(!QFile::exists(program.dir.file(resultFileName())));
}

void TestCheckWindow::unchangedFileIsReportedAsOld()
{
    // The finder writes nothing this time: the file is the one of an earlier run.
    Program program;
    writeFile(program.dir.file(resultFileName()), resultFile(12, 9, 9, 0));
    program.clickCheck();
    CheckWindow *window = program.resultWindow();
    QVERIFY(window);
    verifyBox(window->finderBox(3), "9", Look::Differing);
    const QStringList after = program.messagesAfterWait();
    QCOMPARE(after.size(), 1);
    QVERIFY2(after.first().contains("recherche précédente"), qPrintable(after.first()));
}

void TestCheckWindow::listThatCannotBeCounted()
{
    Program program;
    program.finderWillWrite(resultFile(12, 9, 7, 0));
    execute(program.dir.catalogue(), "DROP TABLE titres");
    program.clickCheck();
    CheckWindow *window = program.resultWindow();
    QVERIFY(window);
    verifyBox(window->finderBox(1), "12", Look::Agreeing);
    verifyBox(window->finderBox(4), "0", Look::Unknown);
    verifyBox(window->catalogueBox(4), "?", Look::Unknown);
    const QStringList after = program.messagesAfterWait();
    QCOMPARE(after.size(), 1);
    QVERIFY2(after.first().contains("titres"), qPrintable(after.first()));
}

QTEST_MAIN(TestCheckWindow)
#include "tst_checkwindow.moc"
