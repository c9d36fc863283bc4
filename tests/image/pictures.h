#pragma once

// What the picture tests stand on: a loopback HTTP/1.1 server, pictures made
// here or by ImageMagick, and the program with what the user does to see an
// entry's picture.

#include "image/imagewindow.h"
#include "support/programfixture.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QRadioButton>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

namespace tabrix::test {

// Each path gets a fixed status and body, anything else a 404; a held path
// is never answered. (The window judges a body by its bytes, never by its
// declared type.)
class PictureServer {
public:
    explicit PictureServer(quint16 port = 0)
    {
        m_server.listen(QHostAddress::LocalHost, port);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            }
        });
    }

    quint16 port() const { return m_server.serverPort(); }
    void serve(const QString &path, const QByteArray &body, int status = 200) { m_responses.insert(path, {status, body}); }
    void hold(const QString &path) { m_responses.insert(path, {0, {}}); }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    // Paths asked for so far, decoded, in order.
    QStringList requests;
    // Runs when a request has arrived, before it is answered.
    std::function<void()> onRequest;

private:
    // Once the whole head of the request has come.
    void read(QTcpSocket *socket)
    {
        const QByteArray head = socket->peek(socket->bytesAvailable());
        if (!head.contains("\r\n\r\n"))
            return;
        const QString path = QUrl::fromPercentEncoding(head.left(head.indexOf("\r\n")).split(' ').value(1));
        socket->readAll();
        requests.append(path);
        QPointer<QTcpSocket> guard(socket);
        if (onRequest)
            onRequest();
        const auto [status, body] = m_responses.value(path, {404, "<html>Introuvable</html>"});
        if (!guard || guard->state() != QAbstractSocket::ConnectedState || status == 0)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " OK\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, std::pair<int, QByteArray>> m_responses;
};

// A file ImageMagick makes from these arguments (the output is "out.EXT").
inline QByteArray magickPicture(const QStringList &arguments)
{
    QTemporaryDir dir;
    QProcess::execute("convert", arguments.mid(0, arguments.size() - 1) << dir.filePath(arguments.last()));
    QFile file(dir.filePath(arguments.last()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A white picture of this size, its top left quarter navy, as an `extension` file.
inline QByteArray encodedPicture(int width, int height, const QString &extension)
{
    return magickPicture({"-size", QStringLiteral("%1x%2").arg(width).arg(height), "xc:white", "-fill", "navy", "-draw",
                          QStringLiteral("rectangle 0,0 %1,%2").arg(width / 2 - 1).arg(height / 2 - 1), "out." + extension});
}

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

// The program shown on a catalogue holding these entries; the picture
// window opens at its first size, whatever an earlier run left.
struct PictureProgram : ProgramFixture {
    explicit PictureProgram(const std::vector<Listed> &entries = {})
        : ProgramFixture([&](const QString &path) {
              QSettings(QStringLiteral("Tabrix"), QStringLiteral("Tabrix")).remove(QStringLiteral("fenetres/image"));
              for (const Listed &l : entries)
                  insertEntries(path, *l.category, {l.entry});
          })
    {
        start();
    }

    image::ImageWindow *imageWindow() { return image::imageWindowFor(window.get()); }

    // Clicks the list's tab, ticks "Afficher" when it is not and "Img
    // fenêtre", then clicks the entry's row; the window it opened.
    image::ImageWindow *open(const Category &category)
    {
        click(form().onglet->tabButton(category.tabIndex));
        CategoryTab &t = tab(category);
        if (!t.showCheck->isChecked())
            click(t.showCheck);
        click(t.windowOption);
        clickCell(*t.grid, 1, 1);
        return image::existingImageWindow(window.get());
    }

    bool scratchFilesGone() const { return QDir(dir.path()).entryList({"image_url*", "image2_url*"}, QDir::Files).isEmpty(); }
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
    return std::max({qAbs(at.red() - colour.red()), qAbs(at.green() - colour.green()), qAbs(at.blue() - colour.blue())}) < 40;
}

} // namespace tabrix::test
