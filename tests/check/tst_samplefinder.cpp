#include "check/checkwindow.h"
#include "check/resultfile.h"
#include "store/schema.h"
#include "support/testsupport.h"
#include "checktest.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

using namespace tabrix;
using namespace tabrix::check;
using namespace tabrix::test;

namespace {

// The demonstration finder shipped with the sources.
QString shippedFinder()
{
    // The compiler names this file either absolutely or from the build
    // folder, where the program itself is built.
    QFileInfo self(QStringLiteral(__FILE__));
    if (self.isRelative())
        self = QFileInfo(QDir(QFileInfo(QStringLiteral(TABRIX_PROGRAM_PATH)).path()).filePath(self.filePath()));
    return QDir(self.path()).filePath(QStringLiteral("../../tools/fendrel/Fendrel.exe"));
}

void installFinder(const ProgramDir &dir)
{
    const QString target = dir.file(finderFileName());
    QVERIFY(QFile::copy(shippedFinder(), target));
    QVERIFY(QFile::setPermissions(target, executable));
}

} // namespace

class TestSampleFinder : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void shippedExecutable();
    void demoShowsMelviTwoAhead();
    void noCatalogueNoFile();
};

void TestSampleFinder::initTestCase()
{
    if (QStandardPaths::findExecutable(QStringLiteral("sqlite3")).isEmpty())
        QSKIP("the sqlite3 command is not installed");
}

void TestSampleFinder::shippedExecutable()
{
    const QFileInfo finder(shippedFinder());
    QVERIFY2(finder.isFile(), qPrintable(finder.filePath()));
    QVERIFY(finder.isExecutable());
}

void TestSampleFinder::demoShowsMelviTwoAhead()
{
    ProgramDir dir;
    const SampleShape shape;
    const Status created = createSampleCatalogue(dir.catalogue(), shape);
    QVERIFY2(created.ok(), created.ok() ? "" : qPrintable(created.error()));
    installFinder(dir);

    RecordingServices services;
    bool written = false;
    services.onMessage = [&](const RecordingServices::Message &) {
        written = waitForFile(dir.file(resultFileName()));
    };
    std::unique_ptr<MainWindow> window = startProgram(dir, services);
    QVERIFY(window);
    window->form().btLast->click();
    QVERIFY(written);
    QCOMPARE(services.messages.size(), 1); // the wait message only: the file read whole

    const QByteArray bytes = readFile(dir.file(resultFileName()));
    QVERIFY(bytes.contains("\r\n[dernier_numero]\r\n"));
    auto *result = window->findChild<CheckWindow *>(QStringLiteral("frm_err"));
    QVERIFY(result && result->isVisible());
    for (const Category &category : categories()) {
        const int counted = shape.entries[std::size_t(category.id)];
        const bool ahead = category.table == QLatin1String("melvi");
        const int found = counted + (ahead ? 2 : 0);
        const Look look = ahead ? Look::Differing : Look::Agreeing;
        verifyBox(result->finderBox(category.checkRow), QString::number(found), look);
        verifyBox(result->catalogueBox(category.checkRow), QString::number(counted), look);
    }
}

void TestSampleFinder::noCatalogueNoFile()
{
    ProgramDir dir;
    installFinder(dir);
    QProcess finder;
    finder.setWorkingDirectory(QDir::tempPath());
    finder.start(dir.file(finderFileName()), {QStringLiteral(","), QStringLiteral("6")});
    QVERIFY(finder.waitForFinished(30000));
    QVERIFY(finder.exitCode() != 0);
    QVERIFY(QString::fromUtf8(finder.readAllStandardError()).contains(catalogueFileName()));
    QVERIFY(QDir(dir.path()).entryList(QDir::Files) == QStringList{finderFileName()});
}

QTEST_MAIN(TestSampleFinder)
#include "tst_samplefinder.moc"
