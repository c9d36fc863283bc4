// The picture window's display from end to end: a real download from a
// loopback server, a real ImageMagick shrink, what the window then shows and
// what it leaves on disk.
#include "imagefixture.h"
#include "pictureserver.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace tabrix;
using namespace tabrix::test;

class ImageDisplayTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void showsShrunkPicture_data();
    void showsShrunkPicture();
    void failureShownInPlace_data();
    void failureShownInPlace();
    void missingImageMagick();
    void hangingImageMagick();
    void closingWhileDownloading();
    void secondOpeningWhileBusy();

private:
    std::unique_ptr<PictureProgram> program;
    std::unique_ptr<PictureServer> server;
};

void ImageDisplayTest::init()
{
    program = std::make_unique<PictureProgram>();
    QVERIFY(program->window);
    server = std::make_unique<PictureServer>();
    QVERIFY(server->isListening());
}

void ImageDisplayTest::cleanup()
{
    server.reset();
    program.reset();
}

void ImageDisplayTest::showsShrunkPicture_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("shown");

    QTest::newRow("large jpeg") << encodedPicture(1600, 1200, "JPG") << "/zarpo/z007.jpg" << QSize(533, 400);
    QTest::newRow("wide png") << encodedPicture(2000, 500, "PNG") << "/melvi/m012.PNG" << QSize(800, 200);
    QTest::newRow("tall bmp") << encodedPicture(300, 900, "BMP") << "/trunda/t3.bmp" << QSize(133, 400);
    // The command brings a small picture up to the bound as well.
    QTest::newRow("small jpeg") << encodedPicture(200, 50, "JPG") << "/titres/v9.jpeg" << QSize(800, 200);
}

void ImageDisplayTest::showsShrunkPicture()
{
    QFETCH(QByteArray, body);
    QFETCH(QString, path);
    QFETCH(QSize, shown);

    server->serve(path, {200, "image/jpeg", body});
    // The tool must work in the program's directory whatever the current one.
    QTemporaryDir elsewhere;
    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(elsewhere.path()));
    image::ImageWindow *window = program->open(zarpo(), server->url(path));
    QDir::setCurrent(previous);

    QCOMPARE(server->requests, QStringList{path});
    QVERIFY2(program->services.messages.isEmpty(), qPrintable(program->services.lastText()));
    QVERIFY2(hasPicture(window->picture), qPrintable(window->picture->text()));
    QCOMPARE(window->picture->pixmap().size(), shown);
    QVERIFY(shown.width() <= 800 && shown.height() <= 400);
    QCOMPARE(window->picture->geometry(), QRect(QPoint(8, 12), shown));
    QVERIFY(window->picture->text().isEmpty());
    QVERIFY(program->scratchFilesGone());
    QVERIFY(QDir(elsewhere.path()).isEmpty());
    QVERIFY(window->isVisible());
    QVERIFY(!program->window->isVisible());
    QVERIFY(!window->isBusy());
}

void ImageDisplayTest::failureShownInPlace_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QString>("notice");

    const QString notPicture = QStringLiteral("Le lien ne mène pas à une image JPEG, PNG, BMP ou TIFF.");
    QByteArray brokenJpeg = QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(4000, 'x');
    QByteArray large = QByteArray::fromHex("ffd8ffe0") + QByteArray(1536 * 1024, '\0');

    QTest::newRow("not found") << "/absente.jpg" << 404 << QByteArray("<html>404</html>")
                               << "Image non téléchargée : le serveur a répondu 404.";
    QTest::newRow("server error") << "/panne.jpg" << 500 << QByteArray()
                                  << "Image non téléchargée : le serveur a répondu 500.";
    QTest::newRow("web page") << "/page.jpg" << 200 << QByteArray("<!DOCTYPE html><html><body>Bonjour</body></html>")
                              << notPicture;
    QTest::newRow("gif behind a jpg name") << "/z1.jpg" << 200 << encodedPicture(20, 20, "GIF") << notPicture;
    QTest::newRow("empty body") << "/vide.jpg" << 200 << QByteArray() << notPicture;
    QTest::newRow("svg") << "/dessin.png" << 200 << QByteArray("<svg xmlns=\"http://www.w3.org/2000/svg\"/>")
                         << notPicture;
    QTest::newRow("over the size bound") << "/enorme.jpg" << 200 << large
                                         << "Image non téléchargée : l'image dépasse 1 Mo.";
    QTest::newRow("closed port") << "*" << 0 << QByteArray() << "Image non téléchargée : connexion refusée.";
    QTest::newRow("broken jpeg") << "/cassee.jpg" << 200 << brokenJpeg << "ImageMagick n'a pas pu réduire l'image.";
}

void ImageDisplayTest::failureShownInPlace()
{
    QFETCH(QString, path);
    QFETCH(int, status);
    QFETCH(QByteArray, body);
    QFETCH(QString, notice);

    server->serve(path, {status, status == 200 ? "image/jpeg" : "text/html", body});
    const QString url = path == "*" ? QStringLiteral("http://127.0.0.1:%1/z1.jpg").arg(PictureServer::closedPort())
                                    : server->url(path);
    program->imageWindow()->setDownloadLimits({30'000, 1024 * 1024});
    image::ImageWindow *window = program->open(trunda(), url);

    QCOMPARE(window->picture->text(), notice);
    QVERIFY(!hasPicture(window->picture));
    QVERIFY(program->services.messages.isEmpty());
    QVERIFY(program->scratchFilesGone());
    QVERIFY(window->isVisible());
    QVERIFY(!program->window->isVisible());

    // Closing still gives the main window back.
    window->close();
    QVERIFY(program->window->isVisible());
}

void ImageDisplayTest::missingImageMagick()
{
    server->serve("/z1.jpg", {200, "image/jpeg", encodedPicture(900, 500, "JPG")});
    QTemporaryDir emptyPath;
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(emptyPath.path()));
    image::ImageWindow *window = program->open(zarpo(), server->url("/z1.jpg"));
    qputenv("PATH", path);

    QCOMPARE(window->picture->text(),
             QStringLiteral("ImageMagick est introuvable : l'image ne peut pas être réduite."));
    QVERIFY(!hasPicture(window->picture));
    QVERIFY(program->scratchFilesGone());
}

void ImageDisplayTest::hangingImageMagick()
{
    // A `convert` that never ends stands first on the path.
    QTemporaryDir tools;
    QFile tool(QDir(tools.path()).filePath("convert"));
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\nexec sleep 120\n");
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    server->serve("/z1.jpg", {200, "image/jpeg", encodedPicture(900, 500, "JPG")});
    program->imageWindow()->setShrinkTimeout(1000);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(tools.path()) + ':' + path);
    image::ImageWindow *window = program->open(zarpo(), server->url("/z1.jpg"));
    qputenv("PATH", path);

    QCOMPARE(window->picture->text(), QStringLiteral("La réduction de l'image a pris plus de 1 s."));
    QVERIFY(!hasPicture(window->picture));
    QVERIFY(program->scratchFilesGone());
}

void ImageDisplayTest::closingWhileDownloading()
{
    image::ImageWindow *window = program->imageWindow();
    server->serve("/z1.jpg", {200, "image/jpeg", encodedPicture(900, 500, "JPG")});
    server->onRequest = [window](const QString &) { window->close(); };
    program->open(zarpo(), server->url("/z1.jpg"));

    QVERIFY(!window->isVisible());
    QVERIFY(!window->isBusy());
    QVERIFY(!hasPicture(window->picture));
    QVERIFY(program->window->isVisible());
    QVERIFY(program->scratchFilesGone());

    // The next opening works as usual.
    server->onRequest = nullptr;
    program->open(zarpo(), server->url("/z1.jpg"));
    QVERIFY2(hasPicture(window->picture), qPrintable(window->picture->text()));
    QCOMPARE(window->picture->pixmap().size(), QSize(720, 400));
}

void ImageDisplayTest::secondOpeningWhileBusy()
{
    server->serve("/z1.jpg", {200, "image/jpeg", encodedPicture(900, 500, "JPG")});
    server->serve("/m2.jpg", {200, "image/jpeg", encodedPicture(500, 900, "JPG")});
    bool reopened = false;
    server->onRequest = [&](const QString &) {
        if (reopened)
            return;
        reopened = true;
        // Another opening arrives while the first picture is on its way.
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

QTEST_MAIN(ImageDisplayTest)
#include "tst_imagedisplay.moc"
