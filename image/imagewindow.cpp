#include "image/imagewindow.h"

#include "image/linkcheck.h"
#include "image/shrink.h"
#include "image/waiting.h"
#include "ui/busycursor.h"
#include "ui/grid.h"
#include "ui/services.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPixmap>
#include <QWindow>
#include <QPushButton>

namespace tabrix::image {

namespace {

// Positions of the controls, in twips: left, top, width, height.
struct Place {
    int left, top, width, height;
};

constexpr int windowWidth = 12735;
constexpr int windowHeight = 9030;
constexpr Place picturePlace{120, 180, 12435, 6915};

QRect rectOf(const Place &place)
{
    return QRect(pixels(place.left), pixels(place.top), pixels(place.width), pixels(place.height));
}

template <typename Control>
Control *place(Control *control, const QString &name, const Place &where)
{
    control->setObjectName(name);
    control->setGeometry(rectOf(where));
    return control;
}

QLabel *label(const QString &name, const QString &caption, const Place &where, QWidget *parent)
{
    return place(new QLabel(caption, parent), name, where);
}

QLineEdit *textBox(const QString &name, const Place &where, QWidget *parent)
{
    return place(new QLineEdit(parent), name, where);
}

// Keeps the window of a main window and deletes it with the main window.
class ImageWindowOwner : public QObject {
public:
    explicit ImageWindowOwner(QObject *parent) : QObject(parent) { setObjectName(ownerName()); }
    ~ImageWindowOwner() override { delete window; }

    static QString ownerName() { return QStringLiteral("Form_img_owner"); }

    QPointer<ImageWindow> window;
};

ImageWindowOwner *ownerOf(QWidget *mainWindow, bool create)
{
    QObject *home = mainWindow ? static_cast<QObject *>(mainWindow) : QCoreApplication::instance();
    for (QObject *child : home->children())
        if (child->objectName() == ImageWindowOwner::ownerName())
            return static_cast<ImageWindowOwner *>(child);
    return create ? new ImageWindowOwner(home) : nullptr;
}

} // namespace

ImageWindow::ImageWindow(QWidget *mainWindow)
    : QWidget(nullptr),
      m_mainWindow(mainWindow),
      m_network(new QNetworkAccessManager(this)),
      m_cancel(new CancelToken(this))
{
    setObjectName(QStringLiteral("Form_img"));
    setWindowTitle(QStringLiteral("VRM - Image"));
    setFixedSize(pixels(windowWidth), pixels(windowHeight));
    // Closing this window hands back to the main window, never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    picture = place(new QLabel(this), QStringLiteral("Picture1"), picturePlace);
    picture->setAlignment(Qt::AlignCenter);
    picture->setWordWrap(true);

    showButton = place(new QPushButton(QStringLiteral("Afficher"), this), QStringLiteral("bt_lien"),
                       {360, 7320, 1095, 375});
    showButton->hide();

    label(QStringLiteral("Label1"), QStringLiteral("Ref : "), {180, 7920, 555, 240}, this);
    ref = textBox(QStringLiteral("lbl_ref"), {840, 7860, 675, 345}, this);
    label(QStringLiteral("Label2"), QStringLiteral("Nom :"), {1860, 7920, 615, 240}, this);
    name = textBox(QStringLiteral("lbl_nom"), {2640, 7860, 3495, 405}, this);
    link = textBox(QStringLiteral("txt_lien"), {6480, 7860, 6015, 435}, this);
    label(QStringLiteral("Label3"), QStringLiteral("Lien Norvane"), {1020, 8520, 1335, 240}, this);
    forumLink = textBox(QStringLiteral("txt_lien_nrv"), {2640, 8400, 6015, 435}, this);

    reset();
}

ImageWindow::~ImageWindow() = default;

void ImageWindow::reset()
{
    ref->setText(QStringLiteral("Text1"));
    name->setText(QStringLiteral("Text1"));
    link->clear();
    forumLink->clear();
    picture->clear();
    picture->setGeometry(rectOf(picturePlace));
}

Status ImageWindow::display(const QString &imageLink, Services &services, const QString &programDir)
{
    if (m_busy)
        return Failure{QStringLiteral("Une image est déjà en cours d'affichage.")};

    const LinkVerdict verdict = checkLink(imageLink);
    if (verdict != LinkVerdict::Accepted) {
        const QString text = verdictMessage(verdict);
        services.message(this, text, verdictIcon(verdict));
        return Failure{text};
    }

    m_busy = true;
    m_cancel->reset();
    const Status shown = fetchAndShow(imageLink, programDir);
    const QDir dir(programDir);
    QFile::remove(dir.filePath(shrunkFileName()));
    QFile::remove(dir.filePath(downloadedFileName()));
    m_busy = false;

    if (!shown)
        showNotice(shown.error());
    if (isVisible()) {
        raise();
        activateWindow();
    }
    return shown;
}

Status ImageWindow::fetchAndShow(const QString &imageLink, const QString &programDir)
{
    const BusyCursor busy;
    showNotice(QStringLiteral("Chargement de l'image…"));

    const QDir dir(programDir);
    if (Status fetched = downloadPicture(*m_network, imageLink, dir.filePath(downloadedFileName()), m_limits,
                                         m_cancel);
        !fetched)
        return fetched;
    if (Status shrunk = shrinkPicture(programDir, m_shrinkTimeoutMs, m_cancel); !shrunk)
        return shrunk;

    QImage image;
    {
        QImageReader reader(dir.filePath(shrunkFileName()));
        image = reader.read();
    }
    if (image.isNull())
        return Failure{QStringLiteral("L'image réduite est illisible.")};
    if (image.width() > shrunkMaxWidth || image.height() > shrunkMaxHeight)
        image = image.scaled(shrunkMaxWidth, shrunkMaxHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    showPicture(image);
    return success();
}

void ImageWindow::showNotice(const QString &text)
{
    picture->clear();
    picture->setGeometry(rectOf(picturePlace));
    picture->setText(text);
}

void ImageWindow::showPicture(const QImage &image)
{
    picture->clear();
    picture->setPixmap(QPixmap::fromImage(image));
    picture->setGeometry(pixels(picturePlace.left), pixels(picturePlace.top), image.width(), image.height());
}

void ImageWindow::closeEvent(QCloseEvent *event)
{
    if (m_busy)
        m_cancel->request();
    // Shown before this window goes, so the program never finds itself
    // without a visible window.
    if (m_mainWindow) {
        // Back where it stood, at its size. A place the user gave through
        // the window manager is one the window would let the manager choose
        // anew once shown again: it is given as the program's own.
        if (!mainGeometry.isEmpty())
            m_mainWindow->restoreGeometry(mainGeometry);
        if (QWindow *handle = m_mainWindow->windowHandle())
            handle->setPosition(handle->position());
        m_mainWindow->show();
    }
    event->accept();
}

ImageWindow *imageWindowFor(QWidget *mainWindow)
{
    ImageWindowOwner *owner = ownerOf(mainWindow, true);
    if (!owner->window)
        owner->window = new ImageWindow(mainWindow);
    return owner->window;
}

ImageWindow *existingImageWindow(QWidget *mainWindow)
{
    ImageWindowOwner *owner = ownerOf(mainWindow, false);
    return owner ? owner->window.data() : nullptr;
}

} // namespace tabrix::image
