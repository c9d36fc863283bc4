#include "image/imagewindow.h"

#include "pictures/kept.h"
#include "pictures/linkcheck.h"
#include "pictures/shrink.h"
#include "ui/grid.h"
#include "ui/named.h"
#include "ui/services.h"
#include "ui/windowplace.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QNetworkAccessManager>
#include <QPixmap>
#include <QWindow>
#include <QPushButton>
#include <QVBoxLayout>

namespace tabrix::image {

namespace {

using pictures::LinkVerdict;

MessageIcon verdictIcon(LinkVerdict verdict)
{
    switch (verdict) {
    case LinkVerdict::Missing: return MessageIcon::Exclamation;
    case LinkVerdict::Gif: return MessageIcon::Critical;
    case LinkVerdict::Accepted:
    case LinkVerdict::NotWeb:
    case LinkVerdict::BadExtension: return MessageIcon::None;
    }
    return MessageIcon::None;
}

// The window's first size, in twips.
constexpr int windowWidth = 12735;
constexpr int windowHeight = 9030;

QHBoxLayout *row(std::initializer_list<std::pair<QWidget *, int>> controls)
{
    auto *line = new QHBoxLayout;
    for (const auto &[control, stretch] : controls)
        line->addWidget(control, stretch);
    return line;
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
      m_fetch(new pictures::PictureFetch(*m_network, this))
{
    setObjectName(QStringLiteral("Form_img"));
    setWindowTitle(QStringLiteral("VRM - Image"));
    resize(pixels(windowWidth), pixels(windowHeight));
    setMinimumSize(pixels(windowWidth) / 2, pixels(windowHeight) / 2);
    // Closing this window hands back to the main window, never ends the program.
    setAttribute(Qt::WA_QuitOnClose, false);

    // The picture takes what the window gives it and stays in its middle.
    picture = named(new QLabel(QString(), this), QStringLiteral("Picture1"));
    picture->setAlignment(Qt::AlignCenter);
    picture->setWordWrap(true);
    picture->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);

    showButton = new QPushButton(QStringLiteral("Afficher"), this);
    showButton->setObjectName(QStringLiteral("bt_lien"));
    showButton->hide();
    refreshButton = new QPushButton(QStringLiteral("Actualiser"), this);
    refreshButton->setObjectName(QStringLiteral("bt_actualiser"));
    connect(refreshButton, &QPushButton::clicked, this, &ImageWindow::refresh);
    keptNote = named(new QLabel(QString(), this), QStringLiteral("lbl_garde"));

    ref = named(new QLineEdit(this), QStringLiteral("lbl_ref"));
    ref->setMaximumWidth(pixels(675));
    name = named(new QLineEdit(this), QStringLiteral("lbl_nom"));
    link = named(new QLineEdit(this), QStringLiteral("txt_lien"));
    forumLink = named(new QLineEdit(this), QStringLiteral("txt_lien_nrv"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(pixels(120), pixels(180), pixels(120), pixels(120));
    layout->addWidget(picture, 1);
    layout->addLayout(row({{showButton, 0}, {refreshButton, 0}, {keptNote, 1}}));
    layout->addLayout(row({{named(new QLabel(QStringLiteral("Ref : "), this), QStringLiteral("Label1")), 0}, {ref, 0},
                           {named(new QLabel(QStringLiteral("Nom :"), this), QStringLiteral("Label2")), 0}, {name, 3}, {link, 5}}));
    auto *forum = row({{named(new QLabel(QStringLiteral("Lien Norvane"), this), QStringLiteral("Label3")), 0}, {forumLink, 1}});
    forum->addStretch(1);
    layout->addLayout(forum);
    rememberPlace(this, QStringLiteral("image"));

    reset();
}

ImageWindow::~ImageWindow() = default;

std::optional<pictures::KeptPicture> ImageWindow::keptPicture() const
{
    if (!m_kept || !m_keeping.category)
        return std::nullopt;
    std::optional<pictures::KeptPicture> kept = m_kept->find(*m_keeping.category, m_keeping.ref);
    if (kept && kept->link != m_link)
        return std::nullopt; // the link changed since: that picture is another one
    return kept;
}

void ImageWindow::reset()
{
    ref->setText(QStringLiteral("Text1"));
    name->setText(QStringLiteral("Text1"));
    link->clear();
    forumLink->clear();
    picture->clear();
    keptNote->clear();
    refreshButton->setEnabled(false);
    m_link.clear();
}

void ImageWindow::display(const QString &imageLink, Services &services, const QString &programDir,
                          const Keeping &keeping)
{
    if (isBusy())
        return;
    const LinkVerdict verdict = pictures::checkLink(imageLink);
    if (verdict != LinkVerdict::Accepted) {
        services.message(this, pictures::verdictMessage(verdict), verdictIcon(verdict));
        emit displayFinished();
        return;
    }

    m_programDir = programDir;
    m_link = imageLink;
    m_keeping = keeping;
    if (!keeping.cataloguePath.isEmpty()
        && (!m_kept || m_kept->folder() != pictures::KeptPictures::folderFor(keeping.cataloguePath)))
        m_kept = std::make_unique<pictures::KeptPictures>(keeping.cataloguePath);
    refreshButton->setEnabled(true);
    if (const std::optional<pictures::KeptPicture> kept = keptPicture(); kept && showKept(*kept)) {
        emit displayFinished();
        return;
    }
    showNotice(QStringLiteral("Chargement de l'image…"));
    fetch();
}

void ImageWindow::refresh()
{
    if (isBusy() || m_link.isEmpty())
        return;
    keptNote->setText(QStringLiteral("Chargement de l'image…"));
    fetch();
}

void ImageWindow::fetch()
{
    setCursor(Qt::BusyCursor);
    refreshButton->setEnabled(false);
    const QDir dir(m_programDir);
    m_fetch->start(m_link, dir.filePath(pictures::downloadedFileName()), dir.filePath(pictures::shrunkFileName()),
                   m_limits, [this](const Status &fetched) { shown(fetched); });
}

void ImageWindow::shown(const Status &fetched)
{
    const QString shrunk = QDir(m_programDir).filePath(pictures::shrunkFileName());
    QImage image;
    if (fetched) {
        QImageReader reader(shrunk);
        image = reader.read();
    }
    if (!image.isNull() && m_kept && m_keeping.category)
        m_kept->keep(*m_keeping.category, m_keeping.ref, m_link, shrunk); // shown even when it cannot be kept
    pictures::removeScratchFiles(m_programDir);
    unsetCursor();
    refreshButton->setEnabled(true);

    const QString failure = !fetched ? fetched.error()
                            : image.isNull() ? QStringLiteral("L'image réduite est illisible.")
                                             : QString();
    const std::optional<pictures::KeptPicture> kept = failure.isEmpty() ? std::nullopt : keptPicture();
    if (failure.isEmpty()) {
        keptNote->clear();
        showPicture(image);
    } else if (!kept || !showKept(*kept, failure)) {
        keptNote->clear();
        showNotice(failure);
    }
    if (isVisible()) {
        raise();
        activateWindow();
    }
    emit displayFinished();
}

bool ImageWindow::showKept(const pictures::KeptPicture &kept, const QString &failure)
{
    QImageReader reader(kept.file);
    const QImage image = reader.read();
    if (image.isNull())
        return false;
    showPicture(image);
    const QString date = pictures::keptDate(kept.fetched);
    keptNote->setText(failure.isEmpty() ? QStringLiteral("Image gardée le %1.").arg(date)
                                        : QStringLiteral("Image gardée le %1. %2").arg(date, failure));
    return true;
}

void ImageWindow::showNotice(const QString &text)
{
    picture->clear();
    picture->setText(text);
}

void ImageWindow::showPicture(const QImage &shrunk)
{
    const QImage image = shrunk.width() > pictures::shrunkMaxWidth || shrunk.height() > pictures::shrunkMaxHeight
                             ? shrunk.scaled(pictures::shrunkMaxWidth, pictures::shrunkMaxHeight, Qt::KeepAspectRatio,
                                             Qt::SmoothTransformation)
                             : shrunk;
    picture->clear();
    picture->setPixmap(QPixmap::fromImage(image));
}

void ImageWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void ImageWindow::closeEvent(QCloseEvent *event)
{
    if (isBusy()) {
        m_fetch->cancel();
        pictures::removeScratchFiles(m_programDir);
        unsetCursor();
    }
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
