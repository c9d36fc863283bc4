#pragma once

#include "pictures/fetch.h"
#include "store/result.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class QImage;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QPushButton;

namespace tabrix {
class Services;
struct Category;
}

namespace tabrix::pictures {
class KeptPictures;
struct KeptPicture;
}

namespace tabrix::image {

// Form_img, the picture window: one entry's picture (downloaded, shrunk by
// ImageMagick within 800 × 400 and shown at its size), with its number,
// name, image link and forum link. While it is open the main window is
// hidden; closing it (Escape does) shows the main window again.
class ImageWindow : public QWidget {
    Q_OBJECT
public:
    explicit ImageWindow(QWidget *mainWindow);
    ~ImageWindow() override;

    QLabel *picture;         // Picture1: the picture, or why there is none
    QPushButton *showButton; // bt_lien "Afficher", never shown
    QPushButton *refreshButton; // bt_actualiser "Actualiser": fetch the picture again
    QLabel *keptNote;        // lbl_garde: the date of a kept picture shown
    QLineEdit *ref;          // lbl_ref
    QLineEdit *name;         // lbl_nom
    QLineEdit *link;         // txt_lien
    QLineEdit *forumLink;    // txt_lien_nrv
    QByteArray mainGeometry; // the main window's place before it was hidden

    // Back to a freshly opened window: initial texts and no picture.
    void reset();

    // Whose picture is shown, so that it is kept beside the catalogue.
    struct Keeping {
        const Category *category = nullptr;
        QString ref;
        QString cataloguePath;
    };

    // Checks the link (a refused link gets its message box and leaves the
    // picture as it was). The entry's picture kept from this very link is
    // shown at once. Otherwise the link is downloaded into the program's
    // directory in the background: the picture is shown and kept once
    // ImageMagick has shrunk it, or the failure told in its place; both
    // scratch files are then deleted, and displayFinished() sent. Closing
    // the window meanwhile stops the work.
    void display(const QString &imageLink, Services &services, const QString &programDir, const Keeping &keeping);
    // "Actualiser": downloads the link again; the new picture replaces the
    // kept one, and when it cannot be had the kept one stays, with its date.
    void refresh();

    // A display is waiting for the network or for ImageMagick.
    bool isBusy() const { return m_fetch->isRunning(); }

    void setDownloadLimits(const pictures::DownloadLimits &limits) { m_limits = limits; }
    void setShrinkTimeout(int milliseconds) { m_limits.shrinkTimeoutMs = milliseconds; }

signals:
    void displayFinished();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void fetch();
    void shown(const Status &fetched);
    std::optional<pictures::KeptPicture> keptPicture() const;
    bool showKept(const pictures::KeptPicture &kept, const QString &failure = {});
    void showNotice(const QString &text);
    void showPicture(const QImage &image);

    QPointer<QWidget> m_mainWindow;
    QNetworkAccessManager *m_network;
    pictures::PictureFetch *m_fetch;
    pictures::DownloadLimits m_limits;
    QString m_programDir;
    QString m_link;
    Keeping m_keeping;
    std::unique_ptr<pictures::KeptPictures> m_kept;
};

// The picture window of this main window, made on first use and destroyed
// with the main window.
ImageWindow *imageWindowFor(QWidget *mainWindow);
// The same, or nullptr when it has not been made yet.
ImageWindow *existingImageWindow(QWidget *mainWindow);

} // namespace tabrix::image
