// The picture window: a click on an entry whose image link is a 4000 × 3000
// JPEG served from loopback, until the shrunk picture is painted.
#include "pictureserver.h"
#include "scenario.h"

#include "app/mainwindow.h"
#include "image/imagewindow.h"
#include "pictures/shrink.h"
#include "pictures/kept.h"
#include "store/sqlite.h"
#include "ui/mainform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPixmap>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRadioButton>
#include <QTemporaryDir>

#include <sqlite3.h>

namespace tabrix::bench {

namespace {

constexpr int row = 500; // the entry whose picture is shown
constexpr int warmUps = 1;
constexpr int runs = 7;

// Points entry 500 of melvi at the local server.
void linkEntry(MainWindow &window, const QString &url)
{
    sql::Statement link(window.catalogue().handle(), QStringLiteral("UPDATE melvi SET url = ?1 WHERE ref = '500'"));
    link.bind(1, url);
    link.next();
    if (link.code() != SQLITE_DONE)
        fail(QStringLiteral("lien de l'entrée 500 : %1").arg(sql::describe(link.code())));
}

// The click on the entry, until its picture is painted.
void showPicture(MainForm &form, CategoryTab &tab)
{
    emit tab.grid->cellClicked(row, 1);
    if (image::ImageWindow *shown = image::existingImageWindow(form.window)) {
        while (shown->isBusy()) // the display goes on in the event loop
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        shown->repaint();
    }
}

// The first view, downloaded and shrunk, beside ImageMagick alone on the
// same file with the program's own command.
Measure measureFirstView(MainWindow &window, CategoryTab &tab, const QByteArray &jpeg)
{
    MainForm &form = window.form();
    QTemporaryDir alone;
    {
        QFile file(QDir(alone.path()).filePath(pictures::downloadedFileName()));
        if (!file.open(QIODevice::WriteOnly) || file.write(jpeg) != jpeg.size())
            fail(QStringLiteral("copie de la photo impossible"));
    }
    const std::optional<pictures::ShrinkCommand> command =
        pictures::findShrinkCommand(true, pictures::downloadedFileName(), pictures::shrunkFileName());
    if (!command)
        fail(QStringLiteral("ImageMagick est introuvable"));
    const Work shrink{settle, [&] {
                          QProcess process;
                          process.setWorkingDirectory(alone.path());
                          process.start(command->program, command->arguments);
                          if (!process.waitForFinished(60000) || process.exitCode() != 0)
                              fail(QStringLiteral("%1 : %2").arg(command->program,
                                                                 QString::fromUtf8(process.readAllStandardError())));
                      }};
    const auto closePicture = [&] {
        if (image::ImageWindow *shown = image::existingImageWindow(form.window))
            shown->close();
        QDir(pictures::KeptPictures::folderFor(window.catalogue().path())).removeRecursively(); // a first view each time
        settle();
    };
    return timeBeside(QStringLiteral("image 4000×3000 affichée (%1 Mo)").arg(double(jpeg.size()) / 1e6, 0, 'f', 1), runs,
                      {closePicture, [&] { showPicture(form, tab); }},
                      QStringLiteral("%1 seul, même commande").arg(QFileInfo(command->program).fileName()), shrink,
                      1.15, warmUps);
}

// Once kept, the same click shows the kept file: its floor reads that file
// into an image and paints it once in a label.
Measure measureKeptView(MainWindow &window, CategoryTab &tab)
{
    MainForm &form = window.form();
    showPicture(form, tab); // kept from here on
    const QString keptFile = QDir(pictures::KeptPictures::folderFor(window.catalogue().path()))
                                 .filePath(pictures::KeptPictures::fileName(categories().at(1), QStringLiteral("500")));
    if (!QFileInfo(keptFile).isFile())
        fail(QStringLiteral("l'image gardée « %1 » manque").arg(keptFile));
    QLabel label;
    return timeBeside(QStringLiteral("image gardée affichée"), runs * 3,
                      {[&] {
                           if (image::ImageWindow *shown = image::existingImageWindow(form.window))
                               shown->close();
                           settle();
                       },
                       [&] { showPicture(form, tab); }},
                      QStringLiteral("QImageReader et un QLabel peint"),
                      {settle,
                       [&] {
                           QImageReader reader(keptFile);
                           const QImage image = reader.read();
                           if (image.isNull())
                               fail(QStringLiteral("image gardée illisible"));
                           label.setPixmap(QPixmap::fromImage(image));
                           label.resize(image.size());
                           label.repaint();
                       }},
                      2.0, warmUps);
}

// The picture window shows the picture shrunk to fit 800 × 400, downloaded
// once for each first view.
void verifyShown(const Setup &setup, MainForm &form, const PictureServer &server)
{
    image::ImageWindow *shown = image::existingImageWindow(form.window);
    if (!setup.services->messages.isEmpty())
        fail(QStringLiteral("fenêtre image : « %1 »").arg(setup.services->lastText()));
    if (!shown || !shown->isVisible() || shown->picture->pixmap().isNull())
        fail(QStringLiteral("la fenêtre image ne montre pas l'image : %1").arg(shown ? shown->picture->text() : QString()));
    const QSize size = shown->picture->pixmap().size();
    if (size.width() > 800 || size.height() > 400 || (size.width() != 800 && size.height() != 400))
        fail(QStringLiteral("image réduite à %1 × %2").arg(size.width()).arg(size.height()));
    if (server.requests() != warmUps + runs)
        fail(QStringLiteral("%1 téléchargements pour %2 affichages").arg(server.requests()).arg(warmUps + runs));
}

} // namespace

std::vector<Measure> measurePicture(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    const Category &melvi = categories().at(1);
    CategoryTab &tab = form.tab(melvi);
    const QByteArray jpeg = photograph(4000, 3000);
    PictureServer server(jpeg);
    linkEntry(window, server.url());
    form.onglet->setCurrentIndex(melvi.tabIndex);
    tab.showCheck->setChecked(true);
    tab.windowOption->setChecked(true);

    const Measure picture = measureFirstView(window, tab, jpeg);
    const Measure kept = measureKeptView(window, tab);
    verifyShown(setup, form, server);

    if (image::ImageWindow *shown = image::existingImageWindow(form.window))
        shown->close();
    QDir(pictures::KeptPictures::folderFor(window.catalogue().path())).removeRecursively();
    settle();
    tab.showCheck->setChecked(false);
    return {picture, kept};
}

} // namespace tabrix::bench
