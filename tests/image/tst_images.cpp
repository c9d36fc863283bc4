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
        auto at = [&](const QString &file) { return server->url("/" + file); };
        insertEntries(dir->catalogue(), zarpo(),
                      {entry("001", "a", "Zoé", at("zarpo-001.jpg")), entry("002", "b", "Zoé", at("zarpo-002.jpg")),
                       entry("003", "c", "Zoé", at("zarpo-003.jpg")), entry("004", "d", "Zoé", at("zarpo-004.jpg")),
                       entry("005", "e", "Zoé", at("mort.jpg")), entry("006", "f", "Zoé", at("page.jpg")),
                       entry("007", "g", "Zoé", notAvailable())});
        insertEntries(dir->catalogue(), melvi(),
                      {entry("001", "h", "Zoé", at("melvi-001.jpg")), entry("002", "i", "Zoé", "ftp://x.fr/i.jpg")});
        for (const char *name : {"zarpo-001.jpg", "zarpo-002.jpg", "zarpo-003.jpg", "zarpo-004.jpg", "melvi-001.jpg"})
            server->serve(QString("/") + name, picture);
        server->serve("/page.jpg", "<html>Bonjour</html>");
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
