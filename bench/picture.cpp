// The picture window: a click on an entry whose image link is a 4000 × 3000
// JPEG served from loopback, until the shrunk picture is painted.
#include "pictureserver.h"
#include "scenario.h"

#include "app/mainwindow.h"
#include "image/imagewindow.h"
#include "pictures/kept.h"
#include "store/sqlite.h"
#include "ui/mainform.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

#include <sqlite3.h>

namespace tabrix::bench {

std::vector<Measure> measurePicture(const Setup &setup, MainWindow &window)
{
    MainForm &form = window.form();
    const Category &melvi = categories().at(1);
    CategoryTab &tab = form.tab(melvi);
    const QByteArray jpeg = photograph(4000, 3000);
    PictureServer server(jpeg);

    constexpr int row = 500;
    {
        sql::Statement link(window.catalogue().handle(), QStringLiteral("UPDATE melvi SET url = ?1 WHERE ref = '500'"));
        link.bind(1, server.url());
        link.next();
        if (link.code() != SQLITE_DONE)
            fail(QStringLiteral("lien de l'entrée 500 : %1").arg(sql::describe(link.code())));
    }
    form.onglet->setCurrentIndex(melvi.tabIndex);
    tab.showCheck->setChecked(true);
    tab.windowOption->setChecked(true);

    auto closePicture = [&] {
        if (image::ImageWindow *shown = image::existingImageWindow(form.window))
            shown->close();
        QDir(pictures::KeptPictures::folderFor(window.catalogue().path())).removeRecursively(); // a first view each time
        settle();
    };
    const int warmUps = 1;
    const int runs = 7;
    Measure picture{QStringLiteral("image 4000×3000 affichée (%1 Mo)").arg(double(jpeg.size()) / 1e6, 0, 'f', 1),
                    timeRuns(runs, closePicture,
                             [&] {
                                 emit tab.grid->cellClicked(row, 1);
                                 if (image::ImageWindow *shown = image::existingImageWindow(form.window)) {
                                     while (shown->isBusy()) // the display goes on in the event loop
                                         QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
                                     shown->repaint();
                                 }
                             },
                             warmUps),
                    0, 1500};

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
    closePicture();
    tab.showCheck->setChecked(false);
    return {picture};
}

} // namespace tabrix::bench
