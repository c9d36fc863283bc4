#pragma once

#include "store/result.h"

#include <QFile>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;
class QProcess;

namespace tabrix::pictures {

struct DownloadLimits {
    int timeoutMs = 30'000;                 // the whole transfer, redirects included
    qint64 maxBytes = 50LL * 1024 * 1024;   // the picture's size
    int shrinkTimeoutMs = 20'000;           // ImageMagick's work
};

// One picture fetched and shrunk, without waiting: an http or https link
// downloaded into a file, its first bytes checked to be a picture's, then
// shrunk by ImageMagick into another file of the same folder. A JPEG is
// handed to ImageMagick while it arrives, so the shrink ends soon after the
// download. The event loop
// keeps running meanwhile; `done` is called once at the end, with the French
// reason of a failure (the downloaded file is then removed), unless the work
// is cancelled first.
class PictureFetch : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(const Status &)>;

    explicit PictureFetch(QNetworkAccessManager &network, QObject *parent = nullptr);
    ~PictureFetch() override;

    void start(const QString &link, const QString &downloadedPath, const QString &shrunkPath,
               const DownloadLimits &limits, Done done);
    // Stops at once: the transfer is aborted, ImageMagick killed, both files
    // removed; `done` is not called.
    void cancel();
    bool isRunning() const { return bool(m_done); }

private:
    enum class Stop { None, TimedOut, TooLarge, NotPicture, WriteFailed };

    void onReadyRead();
    void streamToShrink(const QByteArray &data);
    void onDownloaded();
    void startShrink();
    bool launchShrink(bool largeJpeg, const QString &input);
    void onShrunk();
    void shrinkEnded(const QString &problem);
    void onDeadline();
    void halt(Stop why);
    void finish(const Status &status);
    void dropReply();
    void dropProcess();

    QNetworkAccessManager &m_network;
    QPointer<QNetworkReply> m_reply;
    QProcess *m_process = nullptr;
    QFile m_file;
    QString m_shrunkPath;
    QTimer m_deadline;
    DownloadLimits m_limits;
    Stop m_stop = Stop::None;
    QByteArray m_head;
    qint64 m_received = 0;
    QByteArray m_start;         // a JPEG's first bytes, until its size is known
    bool m_streamDecided = false;
    bool m_shrinkEnded = false; // ImageMagick ended before the download did
    QString m_shrinkProblem;
    quint64 m_run = 0; // which start() a queued failure belongs to
    Done m_done;
};

} // namespace tabrix::pictures
