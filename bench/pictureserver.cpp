#include "pictureserver.h"

#include "scenario.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTcpSocket>

namespace tabrix::bench {

PictureServer::PictureServer(QByteArray jpeg) : PictureServer(std::vector<QByteArray>{std::move(jpeg)}) {}

PictureServer::PictureServer(const std::vector<QByteArray> &jpegs)
{
    for (const QByteArray &jpeg : jpegs)
        m_answers.push_back("HTTP/1.1 200 OK\r\nContent-Type: image/jpeg\r\nContent-Length: " +
                            QByteArray::number(jpeg.size()) + "\r\nConnection: close\r\n\r\n" + jpeg);
    if (!m_server.listen(QHostAddress::LocalHost, 0))
        fail(QStringLiteral("serveur d'images local impossible : %1").arg(m_server.errorString()));
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] { accept(); });
}

QString PictureServer::url() const
{
    return QStringLiteral("http://127.0.0.1:%1/photos/melvi-500.jpg").arg(m_server.serverPort());
}

QString PictureServer::url(int index) const
{
    return QStringLiteral("http://127.0.0.1:%1/photos/%2.jpg").arg(m_server.serverPort()).arg(index);
}

void PictureServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        auto *request = new QByteArray;
        QObject::connect(socket, &QObject::destroyed, [request] { delete request; });
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, request] {
            *request += socket->readAll();
            if (!request->contains("\r\n\r\n"))
                return;
            // "GET /photos/N.jpg HTTP/1.1"
            const QByteArray path = request->left(request->indexOf("\r\n")).split(' ').value(1);
            request->clear();
            bool numbered = false;
            const qsizetype slash = path.lastIndexOf('/');
            const int index = path.startsWith("/photos/") && path.endsWith(".jpg")
                                  ? path.mid(slash + 1, path.size() - slash - 5).toInt(&numbered)
                                  : 0;
            ++m_requests;
            socket->write(m_answers.at(numbered && index >= 0 && std::size_t(index) < m_answers.size() ? index : 0));
            socket->disconnectFromHost();
        });
    }
}

namespace {

QImage scene(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0, QColor(70, 120, 200));
    sky.setColorAt(0.55, QColor(200, 220, 240));
    sky.setColorAt(0.56, QColor(60, 110, 60));
    sky.setColorAt(1, QColor(120, 90, 50));
    QPainter painter(&image);
    painter.fillRect(image.rect(), sky);
    QRandomGenerator random(7);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromHsv(int(random.bounded(360)), 80 + int(random.bounded(120)),
                                         80 + int(random.bounded(150)), 200));
        const int w = 20 + int(random.bounded(400));
        painter.drawEllipse(int(random.bounded(width)), int(random.bounded(height)), w, w / 2 + int(random.bounded(w)));
    }
    painter.end();
    // Sensor grain, as in a real photograph.
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(random.bounded(17)) - 8;
            const QRgb p = line[x];
            line[x] = qRgb(std::clamp(qRed(p) + grain, 0, 255), std::clamp(qGreen(p) + grain, 0, 255),
                           std::clamp(qBlue(p) + grain, 0, 255));
        }
    }
    return image;
}

QByteArray encoded(const QImage &image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPEG", 90))
        fail(QStringLiteral("photo de test impossible à encoder"));
    return bytes;
}

} // namespace

QByteArray photograph(int width, int height)
{
    return encoded(scene(width, height));
}

std::vector<QByteArray> numberedPhotographs(int count, int width, int height)
{
    const QImage base = scene(width, height);
    std::vector<QByteArray> photos;
    for (int i = 0; i < count; ++i) {
        QImage image = base;
        QPainter painter(&image);
        painter.setPen(Qt::white);
        QFont font = painter.font();
        font.setPixelSize(height / 6);
        painter.setFont(font);
        painter.drawText(image.rect(), Qt::AlignCenter, QString::number(i));
        painter.end();
        photos.push_back(encoded(image));
    }
    return photos;
}

} // namespace tabrix::bench
