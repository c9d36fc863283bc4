// The picture window's display from end to end: a click on an entry, a real
// download from a loopback server, a real ImageMagick shrink, what the window
// then paints and what it leaves on disk.
#include "pictures.h"

#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

using namespace tabrix;
using namespace tabrix::test;

namespace {

// The picture window opened on a link the loopback server answers with
// this body (none: a 404), with `convert` first on the path (a script;
// "none" for no ImageMagick at all; empty for the real one): either the
// picture shown at this size or the notice in its place.
struct Showing {
    QString path;
    QByteArray body, convert;
    QSize shown;
    QString notice;
};

void shows(const char *tag, const QString &path, const QByteArray &body, QSize shown)
{
    QTest::newRow(tag) << Showing{path, body, {}, shown, {}};
}

void fails(const char *tag, const QString &path, const QByteArray &body, const QString &notice, const QByteArray &convert = {})
{
    QTest::newRow(tag) << Showing{path, body, convert, {}, notice};
}

// A script that stands for ImageMagick in a temporary folder put first on the path.
struct FakeConvert {
    explicit FakeConvert(const QByteArray &script) : path(qgetenv("PATH"))
    {
        QFile tool(QDir(tools.path()).filePath("convert"));
        if (script.isEmpty() || (script != "none" && !(tool.open(QIODevice::WriteOnly) && tool.write(script) > 0)))
            return;
        tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        qputenv("PATH", QFile::encodeName(tools.path()) + (script == "none" ? QByteArray() : ':' + path));
    }
    ~FakeConvert() { qputenv("PATH", path); }
    QTemporaryDir tools;
    QByteArray path;
};

} // namespace

Q_DECLARE_METATYPE(Showing)

class TestImageDisplay : public QObject {
    Q_OBJECT
private slots:
    void init() { server = std::make_unique<PictureServer>(); }
    void cleanup() { server.reset(); }

    void display_data()
    {
        QTest::addColumn<Showing>("c");

        const QByteArray picture = encodedPicture(900, 500, "JPG");
        shows("large jpeg", "/zarpo/z007.jpg", encodedPicture(1600, 1200, "JPG"), {533, 400});
        shows("wide png", "/melvi/m012.PNG", encodedPicture(2000, 500, "PNG"), {800, 200});
        shows("small jpeg kept small", "/titres/v9.jpeg", encodedPicture(64, 64, "JPG"), {64, 64});
        shows("blanks and accents", "/mon dossier/mon image été.jpg", picture, {720, 400});
        shows("gif behind a jpg name", "/z1.jpg", magickPicture({"-size", "300x200", "xc:navy", "out.gif"}), {300, 200});
        shows("webp", "/w.png", magickPicture({"-size", "300x200", "xc:navy", "out.webp"}), {300, 200});
        // The first frame or page, navy; the second is white.
        shows("animated gif", "/a.jpg", magickPicture({"-size", "300x200", "xc:navy", "xc:white", "out.gif"}), {300, 200});
        shows("two-page tiff", "/deux.tif", magickPicture({"-size", "300x200", "xc:navy", "xc:white", "out.tif"}), {300, 200});

        const QString notPicture = QStringLiteral("Le lien ne mène pas à une image JPEG, PNG, GIF, WebP, BMP ou TIFF.");
        fails("not found", "/absente.jpg", {}, "Image non téléchargée : le serveur a répondu 404.");
        fails("web page", "/page.jpg", "<!DOCTYPE html><html><body>Bonjour</body></html>", notPicture);
        fails("over the size bound", "/enorme.jpg", QByteArray::fromHex("ffd8ffe0") + QByteArray(1536 * 1024, '\0'),
              "Image non téléchargée : l'image dépasse 1 Mo.");
        fails("broken jpeg", "/cassee.jpg", QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(4000, 'x'),
              "ImageMagick n'a pas pu réduire l'image.");
        fails("no ImageMagick", "/z1.jpg", picture, "ImageMagick est introuvable : l'image ne peut pas être réduite.", "none");
        fails("hanging ImageMagick", "/z1.jpg", picture, "La réduction de l'image a pris plus de 1 s.",
              "#!/bin/sh\nexec sleep 120\n");
    }

    void display()
    {
        QFETCH(Showing, c);
        if (!c.body.isEmpty())
            server->serve(c.path, c.body);
        PictureProgram program({listed(zarpo(), server->url(c.path))});
        QVERIFY(program.ok);
        program.imageWindow()->setDownloadLimits({30'000, 1024 * 1024});
        program.imageWindow()->setShrinkTimeout(1000);
        FakeConvert convert(c.convert);
        // The tool must work in the program's directory whatever the current one.
        QTemporaryDir elsewhere;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        image::ImageWindow *window = program.open(zarpo());
        QTRY_VERIFY_WITH_TIMEOUT(!window->isBusy(), 30'000);
        QDir::setCurrent(previous);

        QCOMPARE(server->requests, QStringList{c.path});
        QVERIFY2(program.services.messages.isEmpty(), qPrintable(program.services.lastText()));
        QCOMPARE(window->picture->text(), c.notice);
        QCOMPARE(hasPicture(window->picture) ? window->picture->pixmap().size() : QSize(), c.shown);
        if (c.shown.isValid()) {
            QVERIFY(paints(window->picture, QColor(0, 0, 128)));
            // A larger window gives the picture more room; it stays in the middle.
            const int width = window->picture->width();
            window->resize(window->width() + 300, window->height() + 200);
            QTRY_VERIFY(window->picture->width() == width + 300);
            QVERIFY(paints(window->picture, QColor(0, 0, 128)));
        }
        QVERIFY(program.scratchFilesGone() && QDir(elsewhere.path()).isEmpty());
        QVERIFY(window->isVisible() && !program.window->isVisible());
    }

    // Escape while the picture is on its way or being shrunk: the window
    // goes at once, the main window comes back, the work is stopped.
    void closingCancels_data()
    {
        QTest::addColumn<QByteArray>("convert");
        QTest::newRow("download") << QByteArray();
        QTest::newRow("shrink") << QByteArray("#!/bin/sh\necho $$ > convert.pid\nexec sleep 120\n");
    }

    void closingCancels()
    {
        QFETCH(QByteArray, convert);
        const bool downloading = convert.isEmpty();
        downloading ? server->hold("/z1.jpg") : server->serve("/z1.jpg", encodedPicture(900, 500, "JPG"));
        PictureProgram program({listed(zarpo(), server->url("/z1.jpg"))});
        QVERIFY(program.ok);
        program.imageWindow()->setDownloadLimits({5'000, 1024 * 1024});
        program.imageWindow()->setShrinkTimeout(5'000);
        FakeConvert fake(convert);
        const QString pidFile = program.dir.file("convert.pid");

        image::ImageWindow *window = program.open(zarpo());
        QVERIFY(window->isBusy());
        QTRY_VERIFY(downloading ? !server->requests.isEmpty() : QFile(pidFile).size() > 0);
        QTest::keyClick(window, Qt::Key_Escape);

        QVERIFY(!window->isVisible() && !window->isBusy() && program.window->isVisible() && program.scratchFilesGone());
        QFile pid(pidFile); // the shrink's process has ended
        QVERIFY(downloading || (pid.open(QIODevice::ReadOnly) && ::kill(pid.readAll().trimmed().toInt(), 0) == -1));
    }

    // A picture shown is kept: shown again at once with the server gone,
    // fetched anew when its link changes, replaced by "Actualiser" only when
    // a new one comes.
    void keptPictures()
    {
        const quint16 port = server->port();
        const auto plain = [](const char *colour) { return magickPicture({"-size", "300x200", colour, "out.jpg"}); };
        server->serve("/z.jpg", plain("xc:navy"));
        PictureProgram program({listed(zarpo(), server->url("/z.jpg"))});
        QVERIFY(program.ok);
        image::ImageWindow *window = program.open(zarpo());
        const auto shows = [&](QColor colour) {
            return QTest::qWaitFor([&] { return !window->isBusy(); }) && paints(window->picture, colour);
        };
        QVERIFY(shows(Qt::darkBlue) && QFile::exists(program.dir.file("images/zarpo-007.jpg")));
        QTest::keyClick(window, Qt::Key_Escape);

        server.reset();
        program.open(zarpo());
        QVERIFY(!window->isBusy() && paints(window->picture, Qt::darkBlue));
        const QString date = QDateTime::currentDateTime().toString("dd/MM/yyyy");
        QVERIFY2(window->keptNote->text().startsWith("Image gardée le " + date), qPrintable(window->keptNote->text()));

        QTest::mouseClick(window->refreshButton, Qt::LeftButton);
        QVERIFY(shows(Qt::darkBlue));
        QVERIFY2(window->keptNote->text().endsWith("Image non téléchargée : connexion refusée."),
                 qPrintable(window->keptNote->text()));

        server = std::make_unique<PictureServer>(port);
        server->serve("/z.jpg", plain("xc:red"));
        QTest::mouseClick(window->refreshButton, Qt::LeftButton);
        QVERIFY(shows(Qt::red) && window->keptNote->text().isEmpty());
        QTest::keyClick(window, Qt::Key_Escape);

        // Another program gives the entry a new link.
        server->serve("/autre.jpg", plain("xc:white"));
        execute(program.dir.catalogue(), "UPDATE zarpo SET url = '" + server->url("/autre.jpg") + "'");
        program.open(zarpo());
        QVERIFY(shows(Qt::white) && program.scratchFilesGone());
        QCOMPARE(server->requests, QStringList({"/z.jpg", "/autre.jpg"}));
    }

private:
    std::unique_ptr<PictureServer> server;
};

QTEST_MAIN(TestImageDisplay)
#include "tst_imagedisplay.moc"
