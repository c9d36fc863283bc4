// The picture window's display from end to end: a real download from a
// loopback server, a real ImageMagick shrink, what the window then shows and
// what it leaves on disk.
#include "imagefixture.h"
#include "pictureserver.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// The picture window opened on a link the loopback server answers with this
// status and body, with `convert` first on the path (a script; "none" for
// no ImageMagick at all; empty for the real one): either the picture shown
// at this size or the notice in its place.
struct Showing {
    QString path;
    int status;
    QByteArray body, convert;
    QSize shown;
    QString notice;
};

void shows(const char *tag, const QString &path, const QByteArray &body, QSize shown)
{
    QTest::newRow(tag) << Showing{path, 200, body, {}, shown, {}};
}

void fails(const char *tag, const QString &path, int status, const QByteArray &body, const QString &notice,
           const QByteArray &convert = {})
{
    QTest::newRow(tag) << Showing{path, status, body, convert, {}, notice};
}

} // namespace

Q_DECLARE_METATYPE(Showing)

class ImageDisplayTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        program = std::make_unique<PictureProgram>();
        QVERIFY(program->window);
        server = std::make_unique<PictureServer>();
        QVERIFY(server->isListening());
    }
    void cleanup()
    {
        server.reset();
        program.reset();
    }

    void display_data()
    {
        QTest::addColumn<Showing>("c");

        const QByteArray picture = encodedPicture(900, 500, "JPG");
        shows("large jpeg", "/zarpo/z007.jpg", encodedPicture(1600, 1200, "JPG"), {533, 400});
        shows("wide png", "/melvi/m012.PNG", encodedPicture(2000, 500, "PNG"), {800, 200});
        // The command brings a small picture up to the bound as well.
        shows("small jpeg", "/titres/v9.jpeg", encodedPicture(200, 50, "JPG"), {800, 200});

        const QString notPicture = QStringLiteral("Le lien ne mène pas à une image JPEG, PNG, BMP ou TIFF.");
        fails("not found", "/absente.jpg", 404, "<html>404</html>", "Image non téléchargée : le serveur a répondu 404.");
        fails("web page", "/page.jpg", 200, "<!DOCTYPE html><html><body>Bonjour</body></html>", notPicture);
        fails("gif behind a jpg name", "/z1.jpg", 200, QByteArray("GIF89a\x14\x00\x14\x00", 10) + picture, notPicture);
        fails("over the size bound", "/enorme.jpg", 200, QByteArray::fromHex("ffd8ffe0") + QByteArray(1536 * 1024, '\0'),
              "Image non téléchargée : l'image dépasse 1 Mo.");
        fails("broken jpeg", "/cassee.jpg", 200, QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(4000, 'x'),
              "ImageMagick n'a pas pu réduire l'image.");
        fails("no ImageMagick", "/z1.jpg", 200, picture, "ImageMagick est introuvable : l'image ne peut pas être réduite.",
              "none");
        fails("hanging ImageMagick", "/z1.jpg", 200, picture, "La réduction de l'image a pris plus de 1 s.",
              "#!/bin/sh\nexec sleep 120\n");
    }

    void display()
    {
        QFETCH(Showing, c);
        server->serve(c.path, c.body, c.status);
        program->imageWindow()->setDownloadLimits({30'000, 1024 * 1024});
        QTemporaryDir tools;
        const QByteArray path = qgetenv("PATH");
        if (!c.convert.isEmpty()) {
            program->imageWindow()->setShrinkTimeout(1000);
            if (c.convert != "none") {
                QFile tool(QDir(tools.path()).filePath("convert"));
                QVERIFY(tool.open(QIODevice::WriteOnly) && tool.write(c.convert) == c.convert.size());
                tool.close();
                QVERIFY(tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner));
            }
            qputenv("PATH", QFile::encodeName(tools.path()) + (c.convert == "none" ? QByteArray() : ':' + path));
        }
        // The tool must work in the program's directory whatever the current one.
        QTemporaryDir elsewhere;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        image::ImageWindow *window = program->open(zarpo(), server->url(c.path));
        QDir::setCurrent(previous);
        qputenv("PATH", path);

        QCOMPARE(server->requests, QStringList{c.path});
        QVERIFY2(program->services.messages.isEmpty(), qPrintable(program->services.lastText()));
        QCOMPARE(window->picture->text(), c.notice);
        QCOMPARE(hasPicture(window->picture), c.notice.isEmpty());
        if (c.notice.isEmpty()) {
            QCOMPARE(window->picture->pixmap().size(), c.shown);
            QCOMPARE(window->picture->geometry(), QRect(QPoint(8, 12), c.shown));
        }
        QVERIFY(program->scratchFilesGone());
        QVERIFY(QDir(elsewhere.path()).isEmpty());
        QVERIFY(window->isVisible());
        QVERIFY(!program->window->isVisible());
        QVERIFY(!window->isBusy());

        // Closing gives the main window back.
        window->close();
        QVERIFY(program->window->isVisible());
    }

    void closingWhileDownloading()
    {
        image::ImageWindow *window = program->imageWindow();
        server->serve("/z1.jpg", encodedPicture(900, 500, "JPG"));
        server->onRequest = [window] { window->close(); };
        program->open(zarpo(), server->url("/z1.jpg"));

        QVERIFY(!window->isVisible());
        QVERIFY(!window->isBusy());
        QVERIFY(!hasPicture(window->picture));
        QVERIFY(program->window->isVisible());
        QVERIFY(program->scratchFilesGone());
    }

    void secondOpeningWhileBusy()
    {
        server->serve("/z1.jpg", encodedPicture(900, 500, "JPG"));
        server->serve("/m2.jpg", encodedPicture(500, 900, "JPG"));
        bool reopened = false;
        server->onRequest = [&] { // another opening arrives while the first picture is on its way
            if (!std::exchange(reopened, true))
                program->open(melvi(), server->url("/m2.jpg"), "https://www.norvane.fr/t2", "002", "Lac");
        };
        image::ImageWindow *window = program->open(zarpo(), server->url("/z1.jpg"));

        QVERIFY(reopened);
        QCOMPARE(server->requests, QStringList{"/z1.jpg"});
        QCOMPARE(window->ref->text(), QStringLiteral("007"));
        QVERIFY2(hasPicture(window->picture), qPrintable(window->picture->text()));
        QCOMPARE(window->picture->pixmap().size(), QSize(720, 400));
        QVERIFY(window->isVisible());
        QVERIFY(!program->window->isVisible());
        QVERIFY(program->scratchFilesGone());
    }

private:
    std::unique_ptr<PictureProgram> program;
    std::unique_ptr<PictureServer> server;
};

QTEST_MAIN(ImageDisplayTest)
#include "tst_imagedisplay.moc"
