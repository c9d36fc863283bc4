// tabrix-admin images on a catalogue whose links a loopback server answers:
// good, dead and non-picture links; a run killed and started again fetches
// no kept picture twice; --refresh fetches them all again; a backup takes
// them along.
#include "pictures.h"
#include "tools/admincommand.h"

#include <QtTest>

using namespace tabrix;
using namespace tabrix::test;

class TestImages : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        server = std::make_unique<PictureServer>();
        dir = std::make_unique<ProgramDir>();
        createEmptyCatalogue(dir->catalogue());
        insertEntries(dir->catalogue(), zarpo(), numberedEntries(7));
        insertEntries(dir->catalogue(), melvi(), numberedEntries(2));
        // Pictures for zarpo 001 to 004 and melvi 001; zarpo 005 a dead link,
        // 006 a web page, 007 no link; melvi 002 not a web address.
        const QString at = server->url("/");
        execute(dir->catalogue(), "UPDATE zarpo SET url = CASE WHEN ref < '007' THEN '" + at + "zarpo-' || ref || '.jpg' END;"
                                  "UPDATE melvi SET url = CASE ref WHEN '001' THEN '" + at + "melvi-001.jpg' ELSE 'ftp://x.fr/i.jpg' END");
        for (const char *name : {"zarpo-001.jpg", "zarpo-002.jpg", "zarpo-003.jpg", "zarpo-004.jpg", "melvi-001.jpg"})
            server->serve(QString("/") + name, picture);
        server->serve("/zarpo-006.jpg", "<html>Bonjour</html>");
    }

    void killedRunResumesAndReports()
    {
        QCOMPARE(runAdmin({"images", dir->file("absent.mdb")}).status, 1);
        server->hold("/melvi-001.jpg"); // the last picture: the first run is killed there
        QCOMPARE(run({}, true).first, -1);
        const QStringList keptBefore = keptFiles();
        QVERIFY(!keptBefore.isEmpty());

        server->serve("/melvi-001.jpg", picture);
        const auto [status, out] = run({});
        QCOMPARE(status, 0);
        for (const QString &file : keptBefore)
            QVERIFY2(!server->requests.contains("/" + file), qPrintable(file));
        QCOMPARE(keptFiles(), QStringList({"melvi-001.jpg", "zarpo-001.jpg", "zarpo-002.jpg", "zarpo-003.jpg",
                                           "zarpo-004.jpg"}));
        QVERIFY2(out.contains("Liens morts de la liste melvi :\n  002 : URL invalide.\n"
                              "Liens morts de la liste zarpo :\n"
                              "  005 : Image non téléchargée : le serveur a répondu 404.\n"
                              "  006 : Le lien ne mène pas à une image JPEG, PNG, GIF, WebP, BMP ou TIFF.\n"),
                 qPrintable(out));
        QVERIFY2(out.contains(QString("%1/%1 (").arg(server->requests.size() + 1)), qPrintable(out));
    }

    void refreshAndBackup()
    {
        QCOMPARE(run({}).first, 0);
        QCOMPARE(run({"--refresh"}).first, 0);
        QCOMPARE(server->requests.size(), 7);
        QVERIFY(QDir(dir->file("images")).entryList(QDir::Files | QDir::Hidden).filter(".fetch").isEmpty());
        // A backup takes them along, beside the copy.
        QVERIFY(QDir(dir->path()).mkdir("copie"));
        QCOMPARE(runAdmin({"backup", dir->catalogue(), dir->file("copie/Tabrix.mdb")}).status, 0);
        QCOMPARE(QDir(dir->file("copie/images")).entryList({"*.jpg"}, QDir::Files), keptFiles());
    }

private:
    QStringList keptFiles() const { return QDir(dir->file("images")).entryList({"*.jpg"}, QDir::Files); }

    // Runs tabrix-admin images, killed when asked for the last picture if
    // `killAtLast`: its exit code (-1 when killed) and what it wrote.
    std::pair<int, QString> run(const QStringList &extra, bool killAtLast = false)
    {
        QProcess process;
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        server->onRequest = [&] {
            if (killAtLast && server->requests.last() == "/melvi-001.jpg")
                process.kill();
        };
        server->requests.clear();
        process.start(TABRIX_ADMIN_PATH, QStringList{"images", dir->catalogue()} + extra);
        loop.exec();
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput())};
    }

    const QByteArray picture = encodedPicture(900, 500, "JPG");
    std::unique_ptr<PictureServer> server;
    std::unique_ptr<ProgramDir> dir;
};

QTEST_MAIN(TestImages)
#include "tst_images.moc"
