#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>

namespace tabrix::bench {

// A loopback HTTP server that answers every request with one JPEG picture.
class PictureServer {
public:
    explicit PictureServer(QByteArray jpeg);

    // The picture's address; it ends in .jpg as the picture window wants.
    QString url() const;
    int requests() const { return m_requests; }

private:
    void accept();

    QTcpServer m_server;
    QByteArray m_answer;
    int m_requests = 0;
};

// A 4000 × 3000 photograph-like picture (gradients, shapes and grain),
// encoded as a JPEG the size a camera gives.
QByteArray photograph(int width, int height);

} // namespace tabrix::bench
