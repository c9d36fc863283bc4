#include "image/download.h"

#include "image/linkcheck.h"
#include "image/waiting.h"
#include "ui/services.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <memory>

namespace tabrix::image {

namespace {

// Why the transfer was stopped from this side.
enum class Stop { None, TimedOut, TooLarge, NotPicture, WriteFailed, Cancelled };

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

} // namespace

Status downloadPicture(QNetworkAccessManager &network, const QString &link, const QString &filePath,
                       const DownloadLimits &limits, CancelToken *cancel)
{
    if (!isWebLink(link))
        return Failure{failureText(QStringLiteral("seules les adresses http et https sont téléchargées"))};

    QFile file(filePath);
    const QString notWritten =
        failureText(QStringLiteral("le fichier « %1 » ne peut pas être écrit dans le dossier du programme")
                        .arg(QFileInfo(filePath).fileName()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return Failure{notWritten};

    QNetworkRequest request{QUrl(link.trimmed())};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(10);
    request.setTransferTimeout(limits.timeoutMs);

    std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(network.get(request), [](QNetworkReply *r) {
        r->disconnect();
        r->abort();
        r->deleteLater();
    });

    Stop stop = Stop::None;
    QByteArray head;
    qint64 received = 0;
    QNetworkReply *const r = reply.get();
    auto halt = [&stop, r](Stop why) {
        if (stop == Stop::None)
            stop = why;
        r->abort();
    };
    auto failed = [r] {
        const QVariant status = r->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        return status.isValid() && status.toInt() >= 400;
    };

    QObject::connect(r, &QNetworkReply::metaDataChanged, r, [&] {
        const QVariant length = r->header(QNetworkRequest::ContentLengthHeader);
        if (!failed() && length.isValid() && length.toLongLong() > limits.maxBytes)
            halt(Stop::TooLarge);
    });
    QObject::connect(r, &QNetworkReply::readyRead, r, [&] {
        if (stop != Stop::None)
            return;
        const QByteArray data = r->readAll();
        if (failed())
            return; // an error page: the status says it all
        received += data.size();
        if (received > limits.maxBytes)
            return halt(Stop::TooLarge);
        if (head.size() < pictureHeadSize) {
            head += data.left(pictureHeadSize - head.size());
            if (head.size() >= pictureHeadSize && !looksLikePicture(head))
                return halt(Stop::NotPicture);
        }
        if (file.write(data) != data.size())
            halt(Stop::WriteFailed);
    });

    QEventLoop loop;
    QObject::connect(r, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, r, [&] { halt(Stop::TimedOut); });
    QMetaObject::Connection cancelled;
    if (cancel) {
        if (cancel->isRequested())
            halt(Stop::Cancelled);
        cancelled = QObject::connect(cancel, &CancelToken::requested, r, [&] { halt(Stop::Cancelled); });
    }
    if (!r->isFinished()) {
        deadline.start(limits.timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();
    // The wait can also end because the program is quitting.
    if (!r->isFinished())
        halt(Stop::Cancelled);
    QObject::disconnect(cancelled);
    QObject::disconnect(r, nullptr, nullptr, nullptr);

    const bool written = file.flush() && stop != Stop::WriteFailed;
    file.close();

    QString problem;
    switch (stop) {
    case Stop::TimedOut:
        problem = failureText(QStringLiteral("aucune réponse complète en %1 s").arg(limits.timeoutMs / 1000));
        break;
    case Stop::TooLarge:
        problem = failureText(QStringLiteral("l'image dépasse %1 Mo").arg(limits.maxBytes / (1024 * 1024)));
        break;
    case Stop::NotPicture:
        problem = QStringLiteral("Le lien ne mène pas à une image JPEG, PNG, BMP ou TIFF.");
        break;
    case Stop::Cancelled: problem = QStringLiteral("Affichage interrompu."); break;
    case Stop::WriteFailed: problem = notWritten; break;
    case Stop::None:
        if (r->error() != QNetworkReply::NoError || failed())
            problem = failureText(networkReason(*r));
        else if (!written)
            problem = notWritten;
        else if (!looksLikePicture(head))
            problem = QStringLiteral("Le lien ne mène pas à une image JPEG, PNG, BMP ou TIFF.");
        break;
    }
    if (!problem.isEmpty()) {
        file.remove();
        return Failure{problem};
    }
    return success();
}

} // namespace tabrix::image
