#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>

#include <vector>

namespace tabrix::bench {

// A loopback HTTP server that answers with JPEG pictures: /photos/N.jpg
// with the Nth, any other path with the first.
class PictureServer {
public:
    explicit PictureServer(QByteArray jpeg);
    explicit PictureServer(const std::vector<QByteArray> &jpegs);

    // The first picture's address; it ends in .jpg as the picture window wants.
    QString url() const;
    QString url(int index) const;
    int requests() const { return m_requests; }

private:
    void accept();

    QTcpServer m_server;
    std::vector<QByteArray> m_answers;
    int m_requests = 0;
};

// A 4000 × 3000 photograph-like picture (gradients, shapes and grain),
// encoded as a JPEG the size a camera gives.
QByteArray photograph(int width, int height);

// `count` photographs of the same scene, each with its own number painted
// on it, so that every file differs.
std::vector<QByteArray> numberedPhotographs(int count, int width, int height);

} // namespace tabrix::bench
