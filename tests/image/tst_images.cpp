// tabrix-admin images on a catalogue whose links a loopback server answers:
// good, dead and non-picture links; a run killed and started again fetches
// no kept picture twice; --refresh fetches them all again; a backup takes
// them along. The link checks, the record of kept pictures and the shrink
// command, row by row; the icons of the refusals are checked through the
// window itself.
#include "pictures.h"
#include "pictures/kept.h"
#include "pictures/linkcheck.h"
#include "pictures/shrink.h"
#include "tools/admincommand.h"

#include <QtTest>

using namespace tabrix;
using namespace tabrix::test;
using namespace tabrix::pictures;

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

    void verdicts_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("message"); // empty when the link is fetched
        const QString gif = "Format GIF non supporté. ", extension = "Extension invalide.", invalid = "URL invalide.";
        // The last three characters decide, in any letter case: "jpeg" reads as "peg", "tiff" as "iff". A
        // browser's link is taken as it stands; only http and https are fetched; the forum's own links skip
        // the extension check, its prefix matched exactly.
        const std::pair<QString, QString> rows[] = {
            {"http://exemple.fr/images/z001.JPG", {}}, {"http://exemple.fr/z001.jpeg", {}}, {"http://exemple.fr/z001.jpe", {}},
            {"http://exemple.fr/z001.bmp", {}}, {"http://exemple.fr/z001.tiff", {}}, {"http://exemple.fr/photojpg", {}},
            {"HtTpS://EXEMPLE.fr/Z001.Png", {}}, {"http://forêt.fr/été/énigme n°2.png", {}},
            {"http://exemple.fr/a|b{c}^`\"<>%.jpg", {}}, {"https://exemple.fr/Z001.GIF", gif},
            {"http://exemple.fr/z001.webp", extension}, {"https://exemple.fr/z001.jpg?taille=2", extension},
            {"https://exemple.fr/z001.jpg ", extension}, {"", "URL non spécifiée."}, {"ftp://exemple.fr/z001.jpg", invalid},
            {"   ", invalid}, {notAvailable(), invalid}, {"/home/zoe/z001.jpg", invalid}, {"httpx://exemple.fr/z001.jpg", invalid},
            {"http:///z001.jpg", invalid}, {"http://exemple fr/z001.jpg", invalid}, {" http://exemple.fr/z001.jpg", invalid},
            {forumPrefix() + "fr/files/z001.gif", {}}, {forumPrefix() + "fr/viewtopic.php?t=1234", {}},
            {"HTTPS://WWW.NORVANE.fr/z001.gif", gif}, {"http://www.norvane.fr/z001.webp", extension}};
        for (const auto &[link, message] : rows)
            QTest::newRow(qPrintable("«" + link + "»")) << link << message;
    }

    void verdicts()
    {
        QFETCH(QString, link);
        QFETCH(QString, message);
        const LinkVerdict verdict = checkLink(link);
        QCOMPARE(verdict == LinkVerdict::Accepted, message.isEmpty());
        QCOMPARE(verdictMessage(verdict), message);
    }

    // Any number and any link are recorded as they stand, and the picture's
    // file stays inside the folder.
    void keptRecordTakesAnyText()
    {
        QTemporaryDir dir;
        const QString picture = dir.filePath("image2_url.jpg");
        writeBytes(picture, "jpeg");
        KeptPictures kept(dir.filePath("Tabrix.mdb"));
        const QStringList texts = {"007", "../../Tabrix", "a'b\"; DROP TABLE kept; --", QString(QChar(0xD800)), "",
                                   QString(3000, QChar(0x00E9)), "x\n/\\y", "NUL\0"};
        for (const QString &text : texts)
            QVERIFY2(kept.keep(categories()[1], text, "https://i.fr/" + text, picture), qPrintable(text));
        for (const QString &text : texts) {
            const std::optional<KeptPicture> found = kept.find(categories()[1], text);
            // (A lone surrogate, which UTF-8 cannot hold, reads back as U+FFFD.)
            QVERIFY2(found && found->link == QString::fromUtf8(("https://i.fr/" + text).toUtf8()), qPrintable(text));
            QCOMPARE(QFileInfo(found->file).absolutePath(), QFileInfo(dir.filePath("images/x")).absolutePath());
        }
        QCOMPARE(QDir(dir.filePath("images")).entryList(QDir::Files).size(), texts.size() + 1);
    }

    // ImageMagick 7's magick where it exists, else ImageMagick 6's convert.
    void shrinkCommand()
    {
        // (The shrink's own arguments are proven by the pictures shown.)
        const ShrinkCommand seven = shrinkCommandFor("/usr/bin/magick", "/usr/bin/convert"),
                            six = shrinkCommandFor("", "/usr/bin/convert");
        QCOMPARE(QStringList{seven.program} + seven.arguments, QStringList({"/usr/bin/magick", "convert"}) + six.arguments);
        QCOMPARE(six.program + shrinkCommandFor("", "").program, QStringLiteral("/usr/bin/convert"));
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
