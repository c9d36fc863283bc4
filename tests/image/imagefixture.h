#pragma once

// The real program in a throw-away directory, shown, on a catalogue holding
// the given entries, and what the user does to see an entry's picture: its
// list's tab, "Afficher" ticked, "Img fenêtre" chosen, a click on its row.

#include "browse/browsetest.h"
#include "image/imagewindow.h"
#include "ui/tabcontrol.h"

#include <QSettings>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>

#include <memory>

namespace tabrix::test {

struct Listed {
    const Category *category;
    Entry entry;
};

// Entry 007 "Tour penchée" of a list with these links.
inline Listed listed(const Category &category, std::optional<QString> url,
                     std::optional<QString> link = QStringLiteral("https://www.norvane.fr/t007"))
{
    return {&category, entry("007", "Tour penchée", "Zoé", std::move(url), std::move(link))};
}

struct PictureProgram {
    explicit PictureProgram(const std::vector<Listed> &entries = {})
    {
        // The window opens at its first size, whatever an earlier run left.
        QSettings(QStringLiteral("Tabrix"), QStringLiteral("Tabrix")).remove(QStringLiteral("fenetres/image"));
        createEmptyCatalogue(dir.catalogue());
        for (const Listed &l : entries)
            insertEntries(dir.catalogue(), *l.category, {l.entry});
        window = startProgram(dir, services);
        if (window) {
            window->show();
            ok = QTest::qWaitForWindowExposed(window.get());
        }
    }

    image::ImageWindow *imageWindow() { return image::imageWindowFor(window.get()); }

    // Clicks the list's tab, ticks "Afficher" and "Img fenêtre" when they
    // are not, then clicks the entry's row; the window it opened.
    image::ImageWindow *open(const Category &category, int row = 1)
    {
        MainForm &form = window->form();
        QToolButton *tabButton = form.onglet->tabButton(category.tabIndex);
        QTest::mouseClick(tabButton, Qt::LeftButton, {}, tabButton->rect().center());
        CategoryTab &tab = form.tab(category);
        for (QAbstractButton *box : {static_cast<QAbstractButton *>(tab.showCheck), static_cast<QAbstractButton *>(tab.windowOption)})
            if (!box->isChecked())
                QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
        clickCell(*tab.grid, row, 1);
        return image::existingImageWindow(window.get());
    }

    bool scratchFilesGone() const
    {
        const QStringList left = QDir(dir.path()).entryList({"image_url*", "image2_url*"}, QDir::Files);
        return left.isEmpty();
    }

    ProgramDir dir;
    RecordingServices services;
    std::unique_ptr<MainWindow> window;
    bool ok = false;
};

inline bool hasPicture(const QLabel *label) { return !label->pixmap().isNull(); }

// Whether the picture paints this colour (give or take the JPEG's losses)
// at this point, as a fraction of its size; the picture is in the middle of
// its box.
inline bool paints(QLabel *picture, QColor colour, double x = 0.25, double y = 0.25)
{
    const QImage shown = picture->grab().toImage();
    const QSize size = picture->pixmap().size();
    const QPoint corner((shown.width() - size.width()) / 2, (shown.height() - size.height()) / 2);
    const QColor at = shown.pixelColor(corner + QPoint(int(x * size.width()), int(y * size.height())));
    return qAbs(at.red() - colour.red()) < 40 && qAbs(at.green() - colour.green()) < 40
           && qAbs(at.blue() - colour.blue()) < 40;
}

} // namespace tabrix::test
