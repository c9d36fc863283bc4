// The picture window's display from end to end: a click on an entry, a real
// download from a loopback server, a real ImageMagick shrink, what the window
// then paints and what it leaves on disk. The window itself: what an opening
// fills in, the refused links, and the hand-over with the main window.
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

#include <QTemporaryDir>
#include <QtTest>

#include <signal.h>

using namespace tabrix;
using namespace tabrix::test;
using namespace tabrix::pictures;

namespace {

// The picture window opened on a link the loopback server answers with
// this body (none: a 404), with `convert` first on the path (a script;
// "none" for no ImageMagick at all; empty for the real one): either the
// picture shown at this size or the notice in its place. With `escape`,
// Escape is pressed while the picture is on its way (a held path) or being
// shrunk: the window goes at once, the main window comes back, the work is
// stopped.
struct Showing {
    QString path;
    QByteArray body, convert;
    QSize shown;
    QString notice;
    bool escape = false;
};

void row(const char *tag, const QString &path, const QByteArray &body, QSize shown, const QString &notice = {},
         const QByteArray &convert = {}, bool escape = false)
{
    QTest::newRow(tag) << Showing{path, body, convert, shown, notice, escape};
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

// Counts the requests to end the program that reach the application.
struct QuitWatcher : QObject {
    QuitWatcher() { qApp->installEventFilter(this); }
    ~QuitWatcher() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override { return o == qApp && e->type() == QEvent::Quit && ++quits; }
    int quits = 0;
};

// An opening of the window on a link of a list: the box shown while the
// window is open, if any, and what the window shows in place of the picture.
struct Opening {
    int list;
    std::optional<QString> link;
    QString message;
    MessageIcon icon;
    QString notice;
};

} // namespace

Q_DECLARE_METATYPE(Showing)
Q_DECLARE_METATYPE(Opening)

class TestImageDisplay : public QObject {
    Q_OBJECT
private slots:
    void init() { server = std::make_unique<PictureServer>(); } // the last test's server goes here

    void display_data()
    {
        QTest::addColumn<Showing>("c");

        const QByteArray picture = encodedPicture(900, 500, "JPG");
        row("large jpeg", "/zarpo/z007.jpg", encodedPicture(1600, 1200, "JPG"), {533, 400});
        row("wide png", "/melvi/m012.PNG", encodedPicture(2000, 500, "PNG"), {800, 200});
        row("small jpeg kept small", "/titres/v9.jpeg", encodedPicture(64, 64, "JPG"), {64, 64});
        row("blanks and accents", "/mon dossier/mon image été.jpg", picture, {720, 400});
        row("gif behind a jpg name", "/z1.jpg", magickPicture({"-size", "300x200", "xc:navy", "out.gif"}), {300, 200});
        row("webp", "/w.png", magickPicture({"-size", "300x200", "xc:navy", "out.webp"}), {300, 200});
        // The first frame or page, navy; the second is white.
        row("animated gif", "/a.jpg", magickPicture({"-size", "300x200", "xc:navy", "xc:white", "out.gif"}), {300, 200});
        row("two-page tiff", "/deux.tif", magickPicture({"-size", "300x200", "xc:navy", "xc:white", "out.tif"}), {300, 200});

        const QString notPicture = QStringLiteral("Le lien ne mène pas à une image JPEG, PNG, GIF, WebP, BMP ou TIFF.");
        row("not found", "/absente.jpg", {}, {}, "Image non téléchargée : le serveur a répondu 404.");
        row("web page", "/page.jpg", "<!DOCTYPE html><html><body>Bonjour</body></html>", {}, notPicture);
        row("over the size bound", "/enorme.jpg", QByteArray::fromHex("ffd8ffe0") + QByteArray(1536 * 1024, '\0'), {},
            "Image non téléchargée : l'image dépasse 1 Mo.");
        row("broken jpeg", "/cassee.jpg", QByteArray::fromHex("ffd8ffe000104a464946") + QByteArray(4000, 'x'), {},
            "ImageMagick n'a pas pu réduire l'image.");
        row("no ImageMagick", "/z1.jpg", picture, {}, "ImageMagick est introuvable : l'image ne peut pas être réduite.", "none");
        row("hanging ImageMagick", "/z1.jpg", picture, {}, "La réduction de l'image a pris plus de 1 s.",
            "#!/bin/sh\nexec sleep 120\n");
        row("escape while downloading", "/z1.jpg", {}, {}, {}, {}, true);
        row("escape while shrinking", "/z1.jpg", picture, {}, {}, "#!/bin/sh\necho $$ > convert.pid\nexec sleep 120\n", true);
    }

    void display()
    {
        QFETCH(Showing, c);
        c.body.isEmpty() ? (c.escape ? server->hold(c.path) : void()) : server->serve(c.path, c.body);
        PictureProgram program({listed(zarpo(), server->url(c.path))});
        QVERIFY(program.ok);
        program.imageWindow()->setDownloadLimits({30'000, 1024 * 1024});
        program.imageWindow()->setShrinkTimeout(c.escape ? 5'000 : 1000);
        FakeConvert convert(c.convert);
        QFile pid(program.dir.file("convert.pid")); // written by the shrink's process
        // The tool must work in the program's directory whatever the current one.
        QTemporaryDir elsewhere;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(elsewhere.path()));
        image::ImageWindow *window = program.open(zarpo());
        if (c.escape) { // once the download or the shrink has begun
            QVERIFY(window->isBusy());
            QTRY_VERIFY(c.body.isEmpty() ? !server->requests.isEmpty() : pid.size() > 0);
            QTest::keyClick(window, Qt::Key_Escape);
            QVERIFY(!window->isBusy());
        }
        QTRY_VERIFY_WITH_TIMEOUT(!window->isBusy(), 30'000);
        QDir::setCurrent(previous);

        QCOMPARE(server->requests, QStringList{c.path});
        QVERIFY2(program.services.messages.isEmpty(), qPrintable(program.services.lastText()));
        QVERIFY2(c.escape || window->picture->text() == c.notice, qPrintable(window->picture->text()));
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
        QVERIFY(window->isVisible() != c.escape && program.window->isVisible() == c.escape);
        // The shrink's process has ended.
        QVERIFY(!pid.exists() || (pid.open(QIODevice::ReadOnly) && ::kill(pid.readAll().trimmed().toInt(), 0) == -1));
    }

    // A picture shown is kept: shown again at once with the server gone,
    // fetched anew when its link changes, replaced by "Actualiser" only when
    // a new one comes; gone when a refused link is opened next. Each time
    // Escape gives back the main window and the same window comes back.
    void keptPictures()
    {
        const quint16 port = server->port();
        const auto plain = [](const char *colour) { return magickPicture({"-size", "300x200", colour, "out.jpg"}); };
        server->serve("/z.jpg", plain("xc:navy"));
        PictureProgram program({listed(zarpo(), server->url("/z.jpg")),
                                {&trunda(), entry("011", "Pont", "Zoé", "http://127.0.0.1:1/t.gif", QString())}});
        QVERIFY(program.ok);
        image::ImageWindow *const window = program.open(zarpo());
        const auto shows = [&](QColor colour) {
            return QTest::qWaitFor([&] { return !window->isBusy(); }) && paints(window->picture, colour);
        };
        // Escape under the program's own event loop, as for the user: closing
        // the last visible window would end it.
        const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
        QGuiApplication::setQuitOnLastWindowClosed(true);
        const auto escape = [&] {
            QuitWatcher watcher;
            QTimer::singleShot(0, window, [window] {
                QTest::keyClick(window, Qt::Key_Escape);
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            });
            QCoreApplication::exec();
            return watcher.quits == 0 && !window->isVisible() && program.window->isVisible();
        };
        QVERIFY(shows(Qt::darkBlue) && QFile::exists(program.dir.file("images/zarpo-007.jpg")) && escape());

        server.reset();
        QCOMPARE(program.open(zarpo()), window); // the same window comes back
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
        QVERIFY(shows(Qt::red) && window->keptNote->text().isEmpty() && escape());

        // Another program gives the entry a new link.
        server->serve("/autre.jpg", plain("xc:white"));
        execute(program.dir.catalogue(), "UPDATE zarpo SET url = '" + server->url("/autre.jpg") + "'");
        QCOMPARE(program.open(zarpo()), window);
        QVERIFY(shows(Qt::white) && program.scratchFilesGone());
        QCOMPARE(server->requests, QStringList({"/z.jpg", "/autre.jpg"}));
        QVERIFY(escape());

        // A refused link: the picture of the previous opening is gone.
        QCOMPARE(program.open(trunda()), window);
        QVERIFY(!hasPicture(window->picture));
        QCOMPARE((QStringList{window->ref->text(), window->name->text(), window->forumLink->text()}),
                 (QStringList{"011", "Pont", ""}));
        QVERIFY(escape());
        QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);
    }

    void opening_data()
    {
        QTest::addColumn<Opening>("c");

        using I = MessageIcon;
        QTest::newRow("zarpo, no link") << Opening{0, std::nullopt, "URL non spécifiée.", I::Exclamation};
        QTest::newRow("melvi, ftp") << Opening{1, "ftp://exemple.fr/z.jpg", "URL invalide.", I::None};
        QTest::newRow("trunda, gif") << Opening{2, "http://127.0.0.1:1/z.gif", "Format GIF non supporté. ", I::Critical};
        QTest::newRow("titres, svg") << Opening{3, "http://127.0.0.1:1/z.svg", "Extension invalide.", I::None};
        // Nothing listens on the link's port: the window opens all the same.
        QTest::newRow("zarpo, closed port")
            << Opening{0, "http://127.0.0.1:1/z.jpg", "", I::None, "Image non téléchargée : connexion refusée."};
    }

    void opening()
    {
        QFETCH(Opening, c);
        const Category &category = categories()[std::size_t(c.list)];
        const QString forum = "https://www.norvane.fr/t" + category.table;
        PictureProgram program({listed(category, c.link, forum)});
        QVERIFY(program.ok);

        for (const char *name : {"image_url.jpg", "image2_url.jpg", "image2_url-1.jpg"}) // left by an earlier run
            QVERIFY(QFile(program.dir.file(name)).open(QIODevice::WriteOnly));
        QStringList said; // each message with its icon, and whether the window is open meanwhile
        program.services.onMessage = [&](const RecordingServices::Message &m) {
            said << QStringLiteral("%1 %2 %3").arg(m.text).arg(int(m.icon)).arg(program.imageWindow()->isVisible());
        };
        image::ImageWindow *window = program.open(category);
        QTRY_VERIFY(!window->isBusy());

        QCOMPARE(said, c.message.isEmpty() ? QStringList() : QStringList{QStringLiteral("%1 %2 1").arg(c.message).arg(int(c.icon))});
        // The window stays open, without a picture, its boxes filled.
        QVERIFY(window->isVisible() && !program.window->isVisible() && !hasPicture(window->picture) && program.scratchFilesGone());
        QCOMPARE((QStringList{window->picture->text(), window->ref->text(), window->name->text(), window->link->text(),
                              window->forumLink->text()}),
                 (QStringList{c.notice, "007", "Tour penchée", c.link.value_or(QString()), forum}));
    }

    // tabrix-admin images: killed, then run again; --refresh; a backup.
    void adminRunResumesRefreshesAndBacksUp()
    {
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
            server->serve(QString("/") + name, jpeg);
        server->serve("/zarpo-006.jpg", "<html>Bonjour</html>");
        QCOMPARE(runAdmin({"images", dir->file("absent.mdb")}).status, 1);
        server->hold("/melvi-001.jpg"); // the last picture: the first run is killed there
        QCOMPARE(run({}, true).first, -1);
        // Kept: recorded beside its file. One in hand at the kill may be fetched again.
        QStringList keptBefore;
        for (const QStringList &row : tableRows(dir->file("images/images.db"), "kept"))
            keptBefore << row[4];
        QVERIFY(!keptBefore.isEmpty());

        server->serve("/melvi-001.jpg", jpeg);
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

        // --refresh fetches every link again.
        QCOMPARE(run({"--refresh"}).first, 0);
        QCOMPARE(server->requests.size(), 7);
        QVERIFY(QDir(dir->file("images")).entryList(QDir::Files | QDir::Hidden).filter(".fetch").isEmpty());
        // A backup takes them along, beside the copy.
        QVERIFY(QDir(dir->path()).mkdir("copie"));
        QCOMPARE(runAdmin({"backup", dir->catalogue(), dir->file("copie/Tabrix.mdb")}).status, 0);
        QCOMPARE(QDir(dir->file("copie/images")).entryList({"*.jpg"}, QDir::Files), keptFiles());
    }

    // Each link with its message, none when the link is fetched.
    void verdicts()
    {
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
        for (const auto &[link, message] : rows) { // "«link» message", "+" when accepted
            const LinkVerdict verdict = checkLink(link);
            QCOMPARE("«" + link + "» " + verdictMessage(verdict) + (verdict == LinkVerdict::Accepted ? "+" : ""),
                     "«" + link + "» " + message + (message.isEmpty() ? "+" : ""));
        }
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

    const QByteArray jpeg = encodedPicture(900, 500, "JPG");
    std::unique_ptr<ProgramDir> dir;
    std::unique_ptr<PictureServer> server;
};

QTEST_MAIN(TestImageDisplay)
#include "tst_imagedisplay.moc"
