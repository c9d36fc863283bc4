#include "pictures/fetch.h"

#include "pictures/linkcheck.h"
#include "pictures/shrink.h"

#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QProcess>

namespace tabrix::pictures {

namespace {

QString networkReason(const QNetworkReply &reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && status.toInt() >= 400)
        return QStringLiteral("le serveur a répondu %1").arg(status.toInt());
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError: return QStringLiteral("connexion refusée");
    case QNetworkReply::RemoteHostClosedError: return QStringLiteral("le serveur a coupé la connexion");
    case QNetworkReply::HostNotFoundError: return QStringLiteral("serveur introuvable");
    case QNetworkReply::TimeoutError:
    case QNetworkReply::OperationCanceledError: return QStringLiteral("le serveur ne répond plus");
    case QNetworkReply::SslHandshakeFailedError: return QStringLiteral("connexion sécurisée impossible");
    case QNetworkReply::TooManyRedirectsError: return QStringLiteral("trop de redirections");
    case QNetworkReply::InsecureRedirectError: return QStringLiteral("redirection vers une adresse non sécurisée");
    case QNetworkReply::ProtocolUnknownError: return QStringLiteral("adresse non prise en charge");
    default: return QStringLiteral("erreur réseau");
    }
}

QString failureText(const QString &reason)
{
    return QStringLiteral("Image non téléchargée : %1.").arg(reason);
}

bool httpFailed(const QNetworkReply &reply)
{
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    return status.isValid() && status.toInt() >= 400;
}

} // namespace

PictureFetch::PictureFetch(QNetworkAccessManager &network, QObject *parent) : QObject(parent), m_network(network)
{
    m_deadline.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &PictureFetch::onDeadline);
}

PictureFetch::~PictureFetch()
{
    cancel();
}

void PictureFetch::start(const QString &link, const QString &downloadedPath, const QString &shrunkPath,
                         const DownloadLimits &limits, Done done)
{
    cancel();
    m_done = std::move(done);
    m_limits = limits;
    m_stop = Stop::None;
    m_head.clear();
    m_received = 0;
    m_start.clear();
    m_streamDecided = false;
    m_shrinkEnded = false;
    m_shrinkProblem.clear();
    m_shrunkPath = shrunkPath;
    m_file.setFileName(downloadedPath);

    // Told after the caller's own work, as every other outcome is.
    const quint64 run = ++m_run;
    auto failLater = [this, run](const QString &text) {
        QMetaObject::invokeMethod(
            this, [this, run, text] { if (run == m_run && isRunning()) finish(Failure{text}); }, Qt::QueuedConnection);
    };
    if (!isWebLink(link))
        return failLater(failureText(QStringLiteral("seules les adresses http et https sont téléchargées")));
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return failLater(failureText(QStringLiteral("le fichier « %1 » ne peut pas être écrit")
                                         .arg(QFileInfo(downloadedPath).fileName())));

    QNetworkRequest request{webUrl(link)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(limits.timeoutMs);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, [this] {
        const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
        if (!httpFailed(*m_reply) && length.isValid() && length.toLongLong() > m_limits.maxBytes)
            halt(Stop::TooLarge);
    });
    connect(m_reply, &QNetworkReply::readyRead, this, &PictureFetch::onReadyRead);
    connect(m_reply, &QNetworkReply::finished, this, &PictureFetch::onDownloaded);
    m_deadline.start(limits.timeoutMs);
}

void PictureFetch::halt(Stop why)
{
    if (m_stop == Stop::None)
        m_stop = why;
    if (m_reply)
        m_reply->abort(); // ends in onDownloaded()
}

void PictureFetch::onReadyRead()
{
    if (m_stop != Stop::None || !m_reply)
        return;
    const QByteArray data = m_reply->readAll();
    if (httpFailed(*m_reply))
        return; // an error page: the status says it all
    m_received += data.size();
    if (m_received > m_limits.maxBytes)
        return halt(Stop::TooLarge);
    if (m_head.size() < pictureHeadSize) {
        m_head += data.left(pictureHeadSize - m_head.size());
        if (m_head.size() >= pictureHeadSize && !looksLikePicture(m_head))
            return halt(Stop::NotPicture);
    }
    if (m_file.write(data) != data.size())
        return halt(Stop::WriteFailed);
    if (m_process)
        m_process->write(data);
    else if (!m_streamDecided && m_head.size() >= pictureHeadSize)
        streamToShrink(data);
}

void PictureFetch::streamToShrink(const QByteArray &data)
{
    constexpr qsizetype enough = 256 * 1024; // the frame header comes before that
    m_start += data;
    if (!m_start.startsWith("\xFF\xD8\xFF")) {
        m_streamDecided = true; // other kinds are read from the file
        m_start.clear();
        return;
    }
    const std::optional<bool> large = largeJpeg(m_start);
    if (!large && m_start.size() < enough)
        return;
    m_streamDecided = true;
    if (launchShrink(large.value_or(false), jpegInput()))
        m_process->write(m_start);
    m_start.clear();
}

void PictureFetch::onDownloaded()
{
    QNetworkReply *reply = m_reply;
    if (!reply)
        return;
    m_deadline.stop();
    const bool written = m_file.flush() && m_stop != Stop::WriteFailed;
    m_file.close();

    const QString notWritten =
        failureText(QStringLiteral("le fichier « %1 » ne peut pas être écrit").arg(QFileInfo(m_file).fileName()));
    QString problem;
    switch (m_stop) {
    case Stop::TimedOut:
        problem = failureText(QStringLiteral("aucune réponse complète en %1 s").arg(m_limits.timeoutMs / 1000));
        break;
    case Stop::TooLarge:
        problem = failureText(QStringLiteral("l'image dépasse %1 Mo").arg(m_limits.maxBytes / (1024 * 1024)));
        break;
    case Stop::NotPicture: problem = notPictureMessage(); break;
    case Stop::WriteFailed: problem = notWritten; break;
    case Stop::None:
        if (reply->error() != QNetworkReply::NoError || httpFailed(*reply))
            problem = failureText(networkReason(*reply));
        else if (!written)
            problem = notWritten;
        else if (!looksLikePicture(m_head))
            problem = notPictureMessage();
        break;
    }
    dropReply();
    if (!problem.isEmpty()) {
        dropProcess();
        m_file.remove();
        return finish(Failure{problem});
    }
    startShrink();
}

void PictureFetch::startShrink()
{
    if (m_shrinkEnded) // streamed, and done already
        return finish(m_shrinkProblem.isEmpty() ? success() : Status(Failure{m_shrinkProblem}));
    if (m_process) {
        m_process->closeWriteChannel();
        m_deadline.start(m_limits.shrinkTimeoutMs);
        return;
    }
    if (!launchShrink(isLargeJpeg(m_file.fileName()), QFileInfo(m_file).fileName()))
        return finish(Failure{QStringLiteral("ImageMagick est introuvable : l'image ne peut pas être réduite.")});
    m_deadline.start(m_limits.shrinkTimeoutMs);
}

bool PictureFetch::launchShrink(bool largeJpeg, const QString &input)
{
    const std::optional<ShrinkCommand> command =
        findShrinkCommand(largeJpeg, input, QFileInfo(m_shrunkPath).fileName());
    if (!command)
        return false;
    QFile::remove(m_shrunkPath);

    m_process = new QProcess(this);
    m_process->setProgram(command->program);
    m_process->setArguments(command->arguments);
    m_process->setWorkingDirectory(QFileInfo(m_shrunkPath).absolutePath());
    if (input != jpegInput())
        m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->setStandardErrorFile(QProcess::nullDevice());
    connect(m_process, &QProcess::finished, this, &PictureFetch::onShrunk);
    connect(m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            shrinkEnded(QStringLiteral("ImageMagick n'a pas pu être lancé : l'image ne peut pas être réduite."));
    });
    m_process->start();
    return true;
}

void PictureFetch::onShrunk()
{
    const bool ran = m_process->exitStatus() == QProcess::NormalExit && m_process->exitCode() == 0;
    shrinkEnded(!ran                                 ? QStringLiteral("ImageMagick n'a pas pu réduire l'image.")
                : !QFileInfo(m_shrunkPath).isFile() ? QStringLiteral("ImageMagick n'a pas produit l'image réduite.")
                                                     : QString());
}

void PictureFetch::shrinkEnded(const QString &problem)
{
    dropProcess();
    if (m_reply) { // still downloading: told at the end of the download
        m_shrinkEnded = true;
        m_shrinkProblem = problem;
        return;
    }
    m_deadline.stop();
    finish(problem.isEmpty() ? success() : Status(Failure{problem}));
}

void PictureFetch::onDeadline()
{
    if (m_reply)
        return halt(Stop::TimedOut);
    if (m_process) {
        dropProcess();
        QFile::remove(m_shrunkPath);
        finish(Failure{
            QStringLiteral("La réduction de l'image a pris plus de %1 s.").arg(m_limits.shrinkTimeoutMs / 1000)});
    }
}

void PictureFetch::finish(const Status &status)
{
    if (!status)
        QFile::remove(m_file.fileName());
    Done done = std::move(m_done);
    m_done = nullptr;
    if (done)
        done(status);
}

void PictureFetch::dropReply()
{
    if (!m_reply)
        return;
    QNetworkReply *reply = m_reply;
    m_reply = nullptr;
    reply->disconnect(this);
    reply->abort();
    reply->deleteLater();
}

void PictureFetch::dropProcess()
{
    if (!m_process)
        return;
    QProcess *process = std::exchange(m_process, nullptr);
    process->disconnect(this);
    if (process->state() != QProcess::NotRunning) {
        process->kill();
        process->waitForFinished(2000); // reaped at once once killed
    }
    process->deleteLater();
}

void PictureFetch::cancel()
{
    m_deadline.stop();
    const bool running = isRunning();
    m_done = nullptr;
    dropReply();
    dropProcess();
    if (m_file.isOpen())
        m_file.close();
    if (running) {
        m_file.remove();
        QFile::remove(m_shrunkPath);
    }
}

} // namespace tabrix::pictures
