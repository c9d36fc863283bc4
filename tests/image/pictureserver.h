#pragma once

// A loopback HTTP/1.1 server for the picture window's tests: each path gets
// a fixed answer, anything else a 404.

#include <QBuffer>
#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QImage>
#include <QList>
#include <QPainter>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>

namespace tabrix::test {

class PictureServer {
public:
    struct Response {
        int status = 200;
        QByteArray contentType = "image/jpeg";
        QByteArray body;
    };

    PictureServer()
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
    }

    bool isListening() const { return m_server.isListening(); }
    void serve(const QString &path, Response response) { m_responses.insert(path, std::move(response)); }
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }
    // Paths asked for so far, in order.
    QStringList requests;
    // Runs when a request has arrived, before it is answered.
    std::function<void(const QString &path)> onRequest;

    // A port on which nothing listens.
    static quint16 closedPort()
    {
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const quint16 port = probe.serverPort();
        probe.close();
        return port;
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket *socket)
    {
        QByteArray &pending = m_pending[socket];
        pending += socket->readAll();
        const qsizetype end = pending.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> requestLine = pending.left(pending.indexOf("\r\n")).split(' ');
        m_pending.remove(socket);
        const QString path = requestLine.size() >= 2 ? QString::fromLatin1(requestLine.at(1)) : QString();
        requests.append(path);
        QPointer<QTcpSocket> guard(socket);
        if (onRequest)
            onRequest(path);
        if (!guard || guard->state() != QAbstractSocket::ConnectedState)
            return;

        const Response response = m_responses.value(path, Response{404, "text/html", "<html>Introuvable</html>"});
        const QByteArray reason = response.status == 200 ? "OK" : response.status == 404 ? "Not Found" : "Error";
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(response.status) + ' ' + reason + "\r\n";
        answer += "Content-Type: " + response.contentType + "\r\n";
        answer += "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n";
        answer += "Connection: close\r\n\r\n";
        answer += response.body;
        socket->write(answer);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    QHash<QString, Response> m_responses;
    QHash<QTcpSocket *, QByteArray> m_pending;
};

// A picture of this size with some content to compress, encoded in `format`.
inline QByteArray encodedPicture(int width, int height, const char *format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, Qt::darkBlue);
    painter.fillRect(width / 2, height / 2, width / 2, height / 2, Qt::darkRed);
    painter.drawEllipse(QRect(width / 4, height / 4, width / 2, height / 2));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace tabrix::test
