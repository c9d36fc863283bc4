#pragma once

#include "pictures/fetch.h"
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
    QLineEdit *ref;          // lbl_ref
    QLineEdit *name;         // lbl_nom
    QLineEdit *link;         // txt_lien
    QLineEdit *forumLink;    // txt_lien_nrv

    // Back to a freshly opened window: initial texts and no picture.
    void reset();

    // Checks the link (a refused link gets its message box and leaves the
    // picture as it was), then starts downloading it into the program's
    // directory and returns. The picture is shown once ImageMagick has
    // shrunk it, or the failure told in its place; both scratch files are
    // then deleted, and displayFinished() sent. Closing the window meanwhile
    // stops the work.
    void display(const QString &imageLink, Services &services, const QString &programDir);

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
    void shown(const Status &fetched);
    void showNotice(const QString &text);
    void showPicture(const QImage &image);

    QPointer<QWidget> m_mainWindow;
    QNetworkAccessManager *m_network;
    pictures::PictureFetch *m_fetch;
    pictures::DownloadLimits m_limits;
    QString m_programDir;
};

// The picture window of this main window, made on first use and destroyed
// with the main window.
ImageWindow *imageWindowFor(QWidget *mainWindow);
// The same, or nullptr when it has not been made yet.
ImageWindow *existingImageWindow(QWidget *mainWindow);

} // namespace tabrix::image
