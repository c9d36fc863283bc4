// Form_img itself: its controls, what an opening fills in, the refused
// links, and the hand-over with the main window.
#include "imagefixture.h"
#include "pictureserver.h"

#include <QPushButton>
#include <QtTest>

using namespace tabrix;
using namespace tabrix::test;

Q_DECLARE_METATYPE(tabrix::MessageIcon)

namespace {

// Counts the requests to end the program that reach the application.
class QuitWatcher : public QObject {
public:
    QuitWatcher() { QCoreApplication::instance()->installEventFilter(this); }
    ~QuitWatcher() override { QCoreApplication::instance()->removeEventFilter(this); }
    int quits = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
            ++quits;
            return true;
        }
        return false;
    }
};

} // namespace

class ImageWindowTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void controls_data();
    void controls();
    void openingFillsTheWindow_data();
    void openingFillsTheWindow();
    void closingGivesBackTheMainWindow();
    void refusedLink_data();
    void refusedLink();
    void reopeningStartsAfresh();

private:
    std::unique_ptr<PictureProgram> program;
};

void ImageWindowTest::init()
{
    program = std::make_unique<PictureProgram>();
    QVERIFY(program->window);
}

void ImageWindowTest::cleanup()
{
    program.reset();
}

void ImageWindowTest::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QRect>("twips");

    QTest::newRow("Picture1") << "Picture1" << "QLabel" << "" << QRect(120, 180, 12435, 6915);
    QTest::newRow("bt_lien") << "bt_lien" << "QPushButton" << "Afficher" << QRect(360, 7320, 1095, 375);
    QTest::newRow("Label1") << "Label1" << "QLabel" << "Ref : " << QRect(180, 7920, 555, 240);
    QTest::newRow("lbl_ref") << "lbl_ref" << "QLineEdit" << "Text1" << QRect(840, 7860, 675, 345);
    QTest::newRow("Label2") << "Label2" << "QLabel" << "Nom :" << QRect(1860, 7920, 615, 240);
    QTest::newRow("lbl_nom") << "lbl_nom" << "QLineEdit" << "Text1" << QRect(2640, 7860, 3495, 405);
    QTest::newRow("txt_lien") << "txt_lien" << "QLineEdit" << "" << QRect(6480, 7860, 6015, 435);
    QTest::newRow("Label3") << "Label3" << "QLabel" << "Lien Norvane" << QRect(1020, 8520, 1335, 240);
    QTest::newRow("txt_lien_nrv") << "txt_lien_nrv" << "QLineEdit" << "" << QRect(2640, 8400, 6015, 435);
}

void ImageWindowTest::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, text);
    QFETCH(QRect, twips);

    QWidget *window = program->imageWindow();
    QCOMPARE(window->objectName(), QStringLiteral("Form_img"));
    QCOMPARE(window->windowTitle(), QStringLiteral("VRM - Image"));
    QCOMPARE(window->size(), QSize(pixels(12735), pixels(9030)));

    auto *control = window->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->metaObject()->className(), kind);
    QCOMPARE(control->property("text").toString(), text);
    QCOMPARE(control->geometry(),
             QRect(pixels(twips.x()), pixels(twips.y()), pixels(twips.width()), pixels(twips.height())));
    // The button is never shown, so the display runs once per opening.
    QCOMPARE(control->isHidden(), name == "bt_lien");
}

void ImageWindowTest::openingFillsTheWindow_data()
{
    QTest::addColumn<int>("category");
    for (const Category &category : categories())
        QTest::newRow(qPrintable(category.table)) << category.id;
}

void ImageWindowTest::openingFillsTheWindow()
{
    QFETCH(int, category);
    const Category &list = categories()[std::size_t(category)];
    program->writeScratchFiles();

    // Nothing listens on the link's port: the window opens all the same.
    const QString url = QStringLiteral("http://127.0.0.1:%1/%2.jpg").arg(PictureServer::closedPort()).arg(list.table);
    image::ImageWindow *window = program->open(list, url, "https://www.norvane.fr/t" + list.table, "042", "Clocher");

    QVERIFY(window);
    QVERIFY(window->isVisible());
    QVERIFY(!program->window->isVisible());
    QCOMPARE(window->ref->text(), QStringLiteral("042"));
    QCOMPARE(window->name->text(), QStringLiteral("Clocher"));
    QCOMPARE(window->link->text(), url);
    QCOMPARE(window->forumLink->text(), "https://www.norvane.fr/t" + list.table);
    QVERIFY(window->showButton->isHidden());
    QCOMPARE(window->picture->text(), QStringLiteral("Image non téléchargée : connexion refusée."));
    QVERIFY(program->scratchFilesGone());
    QVERIFY(program->services.messages.isEmpty());
}

void ImageWindowTest::closingGivesBackTheMainWindow()
{
    // The program's own event loop runs, as it does for the user: closing
    // the last visible window would end it.
    QuitWatcher watcher;
    bool lastWindowClosed = false;
    QObject::connect(qApp, &QGuiApplication::lastWindowClosed, &watcher, [&] { lastWindowClosed = true; });
    const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(true);

    image::ImageWindow *window = program->open(melvi(), QString());
    QVERIFY(window->isVisible());
    QVERIFY(!program->window->isVisible());
    auto closeInEventLoop = [window] {
        QTimer::singleShot(0, window, [window] {
            window->close();
            QTimer::singleShot(0, window, [] { QCoreApplication::exit(0); });
        });
        QCoreApplication::exec();
    };

    closeInEventLoop();
    QVERIFY(!window->isVisible());
    QVERIFY(program->window->isVisible());
    QCOMPARE(watcher.quits, 0);
    QVERIFY(!lastWindowClosed);

    // Opened and closed again, the same window comes back.
    QCOMPARE(program->open(titres(), QString()), window);
    QVERIFY(!program->window->isVisible());
    closeInEventLoop();
    QVERIFY(program->window->isVisible());
    QCOMPARE(watcher.quits, 0);
    QVERIFY(!lastWindowClosed);

    QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);
}

void ImageWindowTest::refusedLink_data()
{
    QTest::addColumn<QString>("link");
    QTest::addColumn<QString>("message");
    QTest::addColumn<MessageIcon>("icon");

    QTest::newRow("empty") << "" << "URL non spécifiée." << MessageIcon::Exclamation;
    QTest::newRow("not available") << notAvailable() << "URL invalide." << MessageIcon::None;
    QTest::newRow("gif") << "http://127.0.0.1:1/z.gif" << "Format GIF non supporté. " << MessageIcon::Critical;
    QTest::newRow("webp") << "http://127.0.0.1:1/z.webp" << "Extension invalide." << MessageIcon::None;
}

void ImageWindowTest::refusedLink()
{
    QFETCH(QString, link);
    QFETCH(QString, message);
    QFETCH(MessageIcon, icon);

    program->writeScratchFiles();
    bool windowOpenMeanwhile = false;
    program->services.onMessage = [&](const RecordingServices::Message &) {
        windowOpenMeanwhile = program->imageWindow()->isVisible();
    };
    image::ImageWindow *window = program->open(zarpo(), link);

    QCOMPARE(program->services.messages.size(), 1);
    QCOMPARE(program->services.messages.first().text, message);
    QCOMPARE(program->services.messages.first().icon, icon);
    QVERIFY(windowOpenMeanwhile);
    // The window stays open, without a picture, its boxes filled.
    QVERIFY(window->isVisible());
    QVERIFY(!program->window->isVisible());
    QVERIFY(!hasPicture(window->picture));
    QVERIFY(window->picture->text().isEmpty());
    QCOMPARE(window->link->text(), link);
    QCOMPARE(window->ref->text(), QStringLiteral("007"));
    QVERIFY(program->scratchFilesGone());
}

void ImageWindowTest::reopeningStartsAfresh()
{
    PictureServer server;
    server.serve("/z.jpg", {200, "image/jpeg", encodedPicture(900, 500, "JPG")});
    image::ImageWindow *window = program->open(zarpo(), server.url("/z.jpg"));
    QVERIFY2(hasPicture(window->picture), qPrintable(window->picture->text()));
    window->close();

    // A refused link: the picture of the previous opening is gone.
    program->open(trunda(), QStringLiteral("http://127.0.0.1:1/t.gif"), QString(), QStringLiteral("011"),
                  QStringLiteral("Pont"));
    QVERIFY(!hasPicture(window->picture));
    QCOMPARE(window->picture->geometry(), QRect(8, 12, pixels(12435), pixels(6915)));
    QCOMPARE(window->ref->text(), QStringLiteral("011"));
    QCOMPARE(window->name->text(), QStringLiteral("Pont"));
    QVERIFY(window->forumLink->text().isEmpty());
}

QTEST_MAIN(ImageWindowTest)
#include "tst_imagewindow.moc"
