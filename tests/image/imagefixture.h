#pragma once

// The real program on an empty catalogue in a throw-away directory, shown,
// with a helper that opens the picture window on an entry of a list.

#include "image/image.h"
#include "image/imagewindow.h"
#include "image/shrink.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include <memory>

namespace tabrix::test {

struct PictureProgram {
    PictureProgram()
    {
        createEmptyCatalogue(dir.catalogue());
        window = startProgram(dir, services);
        if (window)
            window->show();
    }

    image::ImageWindow *imageWindow() { return image::imageWindowFor(window.get()); }

    // Fills the list's fields as a click on an entry would, then opens the
    // picture window on it.
    image::ImageWindow *open(const Category &category, const QString &url, const QString &link = "https://www.norvane.fr/t007",
                             const QString &ref = "007", const QString &name = "Tour penchée")
    {
        CategoryTab &tab = window->form().tab(category);
        tab.number->setText(ref);
        tab.name->setText(name);
        tab.url->setText(url);
        tab.link->setText(link);
        image::openImageWindow(window->form(), window->context(), category);
        return image::existingImageWindow(window.get());
    }

    bool scratchFilesGone() const
    {
        return !QFile::exists(dir.file(image::downloadedFileName())) && !QFile::exists(dir.file(image::shrunkFileName()));
    }

    void writeScratchFiles() const
    {
        for (const QString &name : {image::downloadedFileName(), image::shrunkFileName()}) {
            QFile file(dir.file(name));
            if (file.open(QIODevice::WriteOnly))
                file.write("ancienne image");
        }
    }

    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;
};

inline bool hasPicture(const QLabel *label) { return !label->pixmap().isNull(); }

} // namespace tabrix::test
