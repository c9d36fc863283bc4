#pragma once

// A loopback HTTP/1.1 server for the picture window's tests: each path gets
// a fixed status and body, anything else a 404; a held path is never
// answered. (The window judges a body by its bytes, never by its declared type.)

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QUrl>
#include <QFile>
#include <QTcpSocket>

#include <functional>
#include <utility>

namespace tabrix::test {

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

    bool isListening() const { return m_server.isListening(); }
    quint16 port() const { return m_server.serverPort(); }
    void serve(const QString &path, const QByteArray &body, int status = 200) { m_responses.insert(path, {status, body}); }
    void hold(const QString &path) { m_responses.insert(path, {0, {}}); }
    QString url(const QString &path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path); }
    // Paths asked for so far, decoded, in order.
    QStringList requests;
    // Runs when a request has arrived, before it is answered.
    std::function<void()> onRequest;

    // A port on which nothing listens.
    static quint16 closedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        return probe.serverPort(); // closed when the probe goes
    }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        if (!pending.contains("\r\n\r\n"))
            return;
        const QString path = QUrl::fromPercentEncoding(pending.left(pending.indexOf("\r\n")).split(' ').value(1));
        m_pending.remove(socket);
        requests.append(path);
        QPointer<QTcpSocket> guard(socket);
        if (onRequest)
            onRequest();
        if (!guard || guard->state() != QAbstractSocket::ConnectedState)
            return;

        const auto [status, body] = m_responses.value(path, {404, "<html>Introuvable</html>"});
        if (status == 0)
            return;
        socket->write("HTTP/1.1 " + QByteArray::number(status) + " OK\r\nContent-Length: "
                      + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, std::pair<int, QByteArray>> m_responses;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

// A picture of this size with some content to compress, encoded in `format`.
inline QByteArray encodedPicture(int width, int height, const char *format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(0, 0, width / 2, height / 2, Qt::darkBlue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// A file ImageMagick makes from these arguments (the output is "out.EXT").
inline QByteArray magickPicture(const QStringList &arguments)
{
    QTemporaryDir dir;
    QProcess::execute("convert", arguments.mid(0, arguments.size() - 1) << dir.filePath(arguments.last()));
    QFile file(dir.filePath(arguments.last()));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace tabrix::test
