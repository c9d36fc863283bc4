#pragma once

#include "image/download.h"
#include "store/result.h"

#include <QPointer>
#include <QWidget>

class QImage;
class QLabel;
class QLineEdit;
class QNetworkAccessManager;
class QPushButton;

namespace tabrix {
class Services;
}

namespace tabrix::image {

class CancelToken;

// Form_img, the picture window: one entry's picture (downloaded, shrunk by
// ImageMagick within 800 × 400 and shown at its size), with its number,
// name, image link and forum link. While it is open the main window is
// hidden; closing it shows the main window again.
class ImageWindow : public QWidget {
    Q_OBJECT
public:
    explicit ImageWindow(QWidget *mainWindow);
    ~ImageWindow() override;

    QLabel *picture;         // Picture1: the picture, or why there is none
    QPushButton *showButton; // bt_lien "Afficher", never shown
    QLineEdit *ref;          // lbl_ref
    QLineEdit *name;         // lbl_nom
    QLineEdit *link;         // txt_lien
    QLineEdit *forumLink;    // txt_lien_nrv
    QByteArray mainGeometry; // the main window's place before it was hidden

    // Back to a freshly opened window: initial texts and no picture.
    void reset();

    // Checks the link (a refused link gets its message box and leaves the
    // picture as it was), then downloads it into the program's directory,
    // has ImageMagick shrink it, shows the result and deletes both scratch
    // files. Any failure after the checks is told in place of the picture.
    // Returns what went wrong, if anything.
    Status display(const QString &imageLink, Services &services, const QString &programDir);

    // A display is waiting for the network or for ImageMagick.
    bool isBusy() const { return m_busy; }

    void setDownloadLimits(const DownloadLimits &limits) { m_limits = limits; }
    void setShrinkTimeout(int milliseconds) { m_shrinkTimeoutMs = milliseconds; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    Status fetchAndShow(const QString &imageLink, const QString &programDir);
    void showNotice(const QString &text);
    void showPicture(const QImage &image);

    QPointer<QWidget> m_mainWindow;
    QNetworkAccessManager *m_network;
    CancelToken *m_cancel;
    DownloadLimits m_limits;
    int m_shrinkTimeoutMs = 20'000;
    bool m_busy = false;
};

// The picture window of this main window, made on first use and destroyed
// with the main window.
ImageWindow *imageWindowFor(QWidget *mainWindow);
// The same, or nullptr when it has not been made yet.
ImageWindow *existingImageWindow(QWidget *mainWindow);

} // namespace tabrix::image
