// The latest-number check as the user runs it, with a stand-in finder and
// with the demonstration finder shipped with the sources.
#include "check/checkwindow.h"
#include "check/resultfile.h"
#include "store/schema.h"
#include "support/testsupport.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <QThread>
#include <QMessageBox>
#include <QTimer>
#include <QApplication>

#include <sys/stat.h>

using namespace tabrix;
using namespace tabrix::check;
using namespace tabrix::test;

namespace {

const QString waitText = QStringLiteral("Attente de la fin des recherches.");
constexpr QFileDevice::Permissions executable = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

void writeFile(const QString &path, const QByteArray &bytes, QFileDevice::Permissions permissions = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QVERIFY(!permissions || file.setPermissions(permissions));
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

// Messages recorded, but with `realWait` the wait message is the real box.
struct WaitServices : RecordingServices {
    bool realWait = false;
    void waitMessage(QWidget *parent, const QString &text, const std::function<bool()> &ended) override
    {
        realWait ? DesktopServices().waitMessage(parent, text, ended) : RecordingServices::waitMessage(parent, text, ended);
    }
};

// The program started on a catalogue of 12 Zarpo, 9 Trunda, 7 Melvi and no
// Vasquo entries. While the wait message is "open", the user waits for the
// finder to be done, then closes it.
struct Program {
    ProgramDir dir;
    WaitServices services;
    std::unique_ptr<MainWindow> window;
    bool finderLate = false;
    bool resultWindowDuringWait = false;

    explicit Program(bool withFinder = true)
    {
        createEmptyCatalogue(dir.catalogue());
        insertEntries(dir.catalogue(), zarpo(), numberedEntries(12));
        insertEntries(dir.catalogue(), trunda(), numberedEntries(9));
        insertEntries(dir.catalogue(), melvi(), numberedEntries(7));
        if (withFinder)
            writeFile(dir.file(finderFileName()), standInFinder, executable);
        services.onMessage = [this](const RecordingServices::Message &message) {
            if (message.text != waitText)
                return;
            resultWindowDuringWait = resultWindow() && resultWindow()->isVisible();
            finderLate = !waitForFile(dir.file("finder-done")) || !QFile::remove(dir.file("finder-done"));
        };
        window = startProgram(dir, services);
    }

    void finderWillWrite(const QByteArray &bytes) { writeFile(dir.file("finder-output.ini"), bytes); }
    void clickCheck() { window->form().btLast->click(); }
    CheckWindow *resultWindow() const { return window ? window->findChild<CheckWindow *>("frm_err") : nullptr; }
    int finderRuns() const { return int(readFile(dir.file("finder-runs.txt")).count('\n')); }
};

// Checks the eight boxes fnd_1 … vrm_4, their texts, boldness and colours,
// as set and as drawn: `boxes` holds "found/counted" per row, `looks` a
// letter per row: Y agreeing, R differing, N unknown.
void verifyBoxes(CheckWindow *window, const QString &boxes, const QString &looks)
{
    QVERIFY(window && window->isVisible());
    const QColor yellow(255, 255, 0), red(255, 0, 0), black(0, 0, 0);
    for (int row = 1; row <= 4; ++row) {
        const QStringList pair = boxes.section(' ', row - 1, row - 1).split('/');
        for (int column = 0; column < 2; ++column) {
            auto *box = window->findChild<QLineEdit *>(QStringLiteral("%1_%2").arg(column ? "vrm" : "fnd").arg(row));
            QVERIFY(box);
            const QByteArray name = box->objectName().toLatin1();
            QVERIFY2(box->text() == pair.at(column) && box->font().bold(), name + ": " + box->text().toUtf8());
            const QColor background = box->palette().color(QPalette::Base), text = box->palette().color(QPalette::Text);
            const QChar look = looks.at(row - 1);
            QVERIFY2(look == 'Y' ? background == yellow && text == black
                     : look == 'R' ? background == red && text == yellow
                                   : background != yellow && background != red && background != Qt::white && text == black,
                     name);
            const QImage drawn = box->grab().toImage();
            QVERIFY2(drawn.pixelColor(4, drawn.height() / 2) == background, name);
        }
    }
}

// Copies the shipped finder into a program folder.
void installShippedFinder(const ProgramDir &dir)
{
    // This file is named either absolutely or from the build folder.
    QFileInfo self(QStringLiteral(__FILE__));
    if (self.isRelative())
        self = QFileInfo(QDir(QFileInfo(QStringLiteral(TABRIX_PROGRAM_PATH)).path()).filePath(self.filePath()));
    QVERIFY(QFile::copy(QDir(self.path()).filePath("../../tools/fendrel/Fendrel.exe"), dir.file(finderFileName())));
    QVERIFY(QFile::setPermissions(dir.file(finderFileName()), executable));
}

} // namespace

class TestCheckWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true); // settings of its own, left by no earlier run
        QSettings(QStringLiteral("Tabrix"), QStringLiteral("Tabrix")).clear();
    }

    // Made larger by the user, the window's boxes and label grow, and the
    // next check opens it at that size.
    void grownWindowIsKept()
    {
        QSize grown;
        {
            auto *window = new CheckWindow;
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window));
            const int box = window->finderBox(1)->width();
            const int label = window->findChild<QLabel *>("lbl_manquants")->height();
            window->resize(window->width() + 200, window->height() + 150);
            QTRY_VERIFY(window->finderBox(1)->width() > box + 50);
            QVERIFY(window->findChild<QLabel *>("lbl_manquants")->height() > label + 100);
            grown = window->size();
            QVERIFY(window->close());
        }
        auto *again = new CheckWindow;
        again->show();
        QVERIFY(QTest::qWaitForWindowExposed(again));
        QCOMPARE(again->size(), grown);
        again->close();
    }

    void windowControls()
    {
        CheckWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Erreur"));
        QVERIFY(window.findChildren<QPushButton *>().isEmpty());
        QStringList captions;
        for (const QString name : {"Label1", "Label2", "Label3", "Label4", "Label7", "Label5", "Label6"})
            captions << (window.findChild<QLabel *>(name) ? window.findChild<QLabel *>(name)->text() : name + "?");
        QCOMPARE(captions, QStringList({"Résultats entre FND et VRM", "FND", "VRM", "Zarpo", "Trunda", "Melvi", "Vasquo"}));
    }

    void results_data()
    {
        QTest::addColumn<QString>("before");     // "stale": a result file left from an earlier search
        QTest::addColumn<QByteArray>("file");    // what the finder writes; null: nothing
        QTest::addColumn<QString>("boxes");
        QTest::addColumn<QString>("looks");
        QTest::addColumn<QStringList>("mentions"); // what the one message after the check names; empty: no message
        QTest::addColumn<QString>("missing");      // lbl_manquants
        const QByteArray equal = resultFile(12, 9, 7, 0);
        QTest::newRow("all equal") << "" << equal << "12/12 9/9 7/7 0/0" << "YYYY" << QStringList() << "À jour.";
        QTest::newRow("melvi two ahead") << "" << resultFile(12, 9, 9, 0) << "12/12 9/9 9/7 0/0" << "YYRY" << QStringList()
                                         << "Melvi : 008, 009";
        QTest::newRow("zarpo one, melvi many ahead") << "" << resultFile(13, 9, 40, 0) << "13/12 9/9 40/7 0/0" << "RYRY"
                                                     << QStringList() << "Zarpo : 013\nMelvi : 008 à 040";
        QTest::newRow("missing file") << "" << QByteArray() << "?/12 ?/9 ?/7 ?/0" << "NNNN"
                                      << QStringList{"paramsfendrel.ini", "introuvable"} << "";
        QTest::newRow("header in capitals")
            << "" << QByteArray(equal).replace("[dernier_numero]", "[DERNIER_NUMERO]") << "?/12 ?/9 ?/7 ?/0" << "NNNN"
            << QStringList{"paramsfendrel.ini", "[dernier_numero]"} << "";
        QTest::newRow("header with a trailing blank")
            << "" << QByteArray(equal).replace("[dernier_numero]", "[dernier_numero] ") << "?/12 ?/9 ?/7 ?/0" << "NNNN"
            << QStringList{"paramsfendrel.ini", "[dernier_numero]"} << "";
        QTest::newRow("prefixes one longer, one shorter")
            << "" << QByteArray(equal).replace("trunda      =9", "trunda       =9").replace("melvi     =7", "melvi    =17")
            << "12/12 ?/9 ?/7 0/0" << "YNNY" << QStringList{"paramsfendrel.ini", "ligne 5 (Trunda)", "ligne 6 (Melvi)"}
            << "";
        QTest::newRow("CR line ends, cut after melvi")
            << "" << QByteArray("[dernier_numero]\rdernier_zarpo     =12\rdernier_trunda      =8\rdernier_melvi     =7\r")
            << "12/12 8/9 7/7 ?/0" << "YRYN" << QStringList{"paramsfendrel.ini", "ligne 5"} << "";
        QTest::newRow("named pipe") << "fifo" << QByteArray() << "?/12 ?/9 ?/7 ?/0" << "NNNN"
                                    << QStringList{"paramsfendrel.ini", "tube nommé (FIFO), pas un fichier ordinaire"}
                                    << "";
        QTest::newRow("old file, finder wrote none") << "stale" << QByteArray() << "12/12 9/9 9/7 0/0" << "YYRY"
                                                     << QStringList{"recherche précédente"} << "Melvi : 008, 009";
    }

    void results()
    {
        QFETCH(QString, before);
        QFETCH(QByteArray, file);
        QFETCH(QString, boxes);
        QFETCH(QString, looks);
        QFETCH(QStringList, mentions);
        QFETCH(QString, missing);
        Program program;
        QVERIFY(program.window);
        if (!file.isNull())
            program.finderWillWrite(file);
        if (before == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(program.dir.file(resultFileName())).constData(), 0600) == 0);
        if (before == "stale")
            writeFile(program.dir.file(resultFileName()), resultFile(12, 9, 9, 0));
        program.clickCheck();

        // The finder ran in the program's folder with "," and "6", while the wait message was open.
        QVERIFY(!program.finderLate);
        const QStringList call = QString::fromLocal8Bit(readFile(program.dir.file("finder-call.txt"))).split('\n');
        QCOMPARE(QFileInfo(call.value(0)).canonicalFilePath(), QFileInfo(program.dir.path()).canonicalFilePath());
        QCOMPARE(call.mid(1), QStringList({"2", "[,]", "[6]", ""}));
        QCOMPARE(program.services.messages.first().text, waitText);
        QCOMPARE(program.services.messages.first().icon, MessageIcon::None);
        QVERIFY(!program.resultWindowDuringWait);

        verifyBoxes(program.resultWindow(), boxes, looks);
        QCOMPARE(program.resultWindow()->findChild<QLabel *>("lbl_manquants")->text(), missing);
        QCOMPARE(program.services.messages.size(), mentions.isEmpty() ? 1 : 2);
        for (const QString &mention : mentions)
            QVERIFY2(program.services.lastText().contains(mention), qPrintable(program.services.lastText()));
    }

    void clickWhileOpenChecksAgainInFront()
    {
        Program program;
        program.window->show();
        program.finderWillWrite(resultFile(12, 9, 7, 0));
        program.clickCheck();
        QPointer<CheckWindow> first = program.resultWindow();
        QVERIFY(first && first->isVisible());

        // Sent behind the main window, then asked for again: the same window
        // comes to the front with the new findings.
        program.window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(program.window.get()));
        program.finderWillWrite(resultFile(13, 9, 7, 0));
        program.clickCheck();
        QCOMPARE(program.finderRuns(), 2);
        QCOMPARE(program.services.messages.size(), 2);
        QCOMPARE(program.window->findChildren<CheckWindow *>().size(), 1);
        QCOMPARE(program.resultWindow(), first.data());
        verifyBoxes(first, "13/12 9/9 7/7 0/0", "RYYY");
        QVERIFY(QTest::qWaitForWindowActive(first));

        // Closed by Escape, the next click opens it again.
        QTest::mouseClick(first->finderBox(1), Qt::LeftButton);
        QTest::keyClick(first->finderBox(1), Qt::Key_Escape);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!first);
        program.clickCheck();
        QCOMPARE(program.finderRuns(), 3);
        verifyBoxes(program.resultWindow(), "13/12 9/9 7/7 0/0", "RYYY");
    }

    void waitEndsWithTheFinder()
    {
        // A finder at work for a second; the real wait box, which the
        // user leaves alone.
        Program program(false);
        program.services.realWait = true;
        writeFile(program.dir.file(finderFileName()), "#!/bin/sh\nsleep 1\ncp finder-output.ini paramsfendrel.ini\n",
                  executable);
        program.finderWillWrite(resultFile(12, 9, 7, 0));
        bool shown = false, closedByTest = false;
        QTimer look, giveUp;
        connect(&look, &QTimer::timeout, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            shown = shown || (box && box->text() == waitText);
        });
        connect(&giveUp, &QTimer::timeout, [&] {
            if (QWidget *box = QApplication::activeModalWidget())
                closedByTest = box->close();
        });
        look.start(20);
        giveUp.start(60000);
        program.clickCheck();
        QVERIFY(shown && !closedByTest);
        verifyBoxes(program.resultWindow(), "12/12 9/9 7/7 0/0", "YYYY");
    }

    void finderNotStarted_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("mention");
        QTest::newRow("missing") << "missing" << "introuvable";
        QTest::newRow("not executable") << "plain file" << "démarré";
    }

    void finderNotStarted()
    {
        QFETCH(QString, kind);
        QFETCH(QString, mention);
        Program program(false);
        QVERIFY(program.window);
        const QString finder = program.dir.file(finderFileName());
        if (kind == "plain file")
            writeFile(finder, standInFinder, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        for (int click = 1; click <= 2; ++click) {
            program.clickCheck();
            QCOMPARE(program.services.messages.size(), click);
            const QString text = program.services.lastText();
            QVERIFY2((text.contains("« Fendrel.exe »") || text.contains(finder)) && text.contains(mention), qPrintable(text));
            QCOMPARE(program.services.messages.last().icon, MessageIcon::Exclamation);
            QVERIFY(!program.resultWindow());
        }
        QVERIFY(!QFile::exists(program.dir.file(resultFileName())));
    }

    void shippedFinderShowsMelviTwoAhead()
    {
        if (QStandardPaths::findExecutable("sqlite3").isEmpty())
            QSKIP("the sqlite3 command is not installed");
        ProgramDir dir;
        const SampleShape shape;
        QVERIFY(createSampleCatalogue(dir.catalogue(), shape));
        installShippedFinder(dir);
        RecordingServices services;
        bool written = false;
        services.onMessage = [&](const RecordingServices::Message &) { written = waitForFile(dir.file(resultFileName())); };
        std::unique_ptr<MainWindow> window = startProgram(dir, services);
        QVERIFY(window);
        window->form().btLast->click();
        QVERIFY(written);
        QCOMPARE(services.messages.size(), 1); // the wait message only: the file read whole
        const auto &n = shape.entries; // in categories() order: Zarpo, Melvi, Trunda, Vasquo
        verifyBoxes(window->findChild<CheckWindow *>("frm_err"),
                    QStringLiteral("%1/%1 %2/%2 %3/%4 %5/%5").arg(n[0]).arg(n[2]).arg(n[1] + 2).arg(n[1]).arg(n[3]), "YYRY");
    }
};

QTEST_MAIN(TestCheckWindow)
#include "tst_checkwindow.moc"
