// The picture window itself: what an opening fills in, the refused
// links, and the hand-over with the main window.
#include "pictures.h"

#include <QtTest>

using namespace tabrix;
using namespace tabrix::test;

namespace {

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

Q_DECLARE_METATYPE(Opening)

class TestImageWindow : public QObject {
    Q_OBJECT
private slots:
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

    void escapeGivesBackTheMainWindow()
    {
        PictureProgram program({listed(melvi(), std::nullopt), listed(titres(), std::nullopt)});
        QVERIFY(program.ok);
        // The program's own event loop runs, as it does for the user: closing
        // the last visible window would end it.
        QuitWatcher watcher;
        const bool quitOnLast = QGuiApplication::quitOnLastWindowClosed();
        QGuiApplication::setQuitOnLastWindowClosed(true);
        // Twice: opened and closed again, the same window comes back.
        image::ImageWindow *const window = program.imageWindow();
        for (const Category *category : {&melvi(), &titres()}) {
            QCOMPARE(program.open(*category), window);
            QVERIFY(window->isVisible() && !program.window->isVisible());
            QTimer::singleShot(0, window, [window] {
                QTest::keyClick(window, Qt::Key_Escape);
                QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            });
            QCoreApplication::exec();
            QVERIFY(!window->isVisible() && program.window->isVisible());
            QCOMPARE(watcher.quits, 0);
        }
        QGuiApplication::setQuitOnLastWindowClosed(quitOnLast);
    }

    void reopeningStartsAfresh()
    {
        PictureServer server;
        server.serve("/z.jpg", encodedPicture(900, 500, "JPG"));
        PictureProgram program({listed(zarpo(), server.url("/z.jpg")),
                                {&trunda(), entry("011", "Pont", "Zoé", "http://127.0.0.1:1/t.gif", QString())}});
        QVERIFY(program.ok);
        image::ImageWindow *window = program.open(zarpo());
        QTRY_VERIFY(!window->isBusy());
        QVERIFY2(hasPicture(window->picture), qPrintable(window->picture->text()));
        QTest::keyClick(window, Qt::Key_Escape);

        // A refused link: the picture of the previous opening is gone.
        program.open(trunda());
        QVERIFY(!hasPicture(window->picture));
        QCOMPARE((QStringList{window->ref->text(), window->name->text(), window->forumLink->text()}),
                 (QStringList{"011", "Pont", ""}));
    }
};

QTEST_MAIN(TestImageWindow)
#include "tst_imagewindow.moc"
