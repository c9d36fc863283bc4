#include "image/shrink.h"

#include "image/waiting.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

namespace tabrix::image {

ShrinkCommand shrinkCommandFor(const QString &magickPath, const QString &convertPath)
{
    const QStringList arguments = {downloadedFileName(), QStringLiteral("-resize"),
                                   QStringLiteral("%1x%2").arg(shrunkMaxWidth).arg(shrunkMaxHeight),
                                   shrunkFileName()};
    if (!magickPath.isEmpty())
        return {magickPath, QStringList{QStringLiteral("convert")} + arguments};
    if (!convertPath.isEmpty())
        return {convertPath, arguments};
    return {};
}

std::optional<ShrinkCommand> findShrinkCommand()
{
    ShrinkCommand command = shrinkCommandFor(QStandardPaths::findExecutable(QStringLiteral("magick")),
                                             QStandardPaths::findExecutable(QStringLiteral("convert")));
    if (command.program.isEmpty())
        return std::nullopt;
    return command;
}

Status shrinkPicture(const QString &programDir, int timeoutMs, CancelToken *cancel)
{
    const std::optional<ShrinkCommand> command = findShrinkCommand();
    if (!command)
        return Failure{QStringLiteral("ImageMagick est introuvable : l'image ne peut pas être réduite.")};
    if (cancel && cancel->isRequested())
        return Failure{QStringLiteral("Affichage interrompu.")};

    const QDir dir(programDir);
    QFile::remove(dir.filePath(shrunkFileName()));

    QProcess process;
    process.setProgram(command->program);
    process.setArguments(command->arguments);
    process.setWorkingDirectory(dir.absolutePath());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());

    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&loop](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    QMetaObject::Connection stopped;
    if (cancel)
        stopped = QObject::connect(cancel, &CancelToken::requested, &loop, &QEventLoop::quit);

    process.start();
    if (process.state() != QProcess::NotRunning || process.error() != QProcess::FailedToStart) {
        deadline.start(timeoutMs);
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    deadline.stop();
    QObject::disconnect(stopped);

    if (process.error() == QProcess::FailedToStart)
        return Failure{QStringLiteral("ImageMagick n'a pas pu être lancé : l'image ne peut pas être réduite.")};
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(5000);
        QFile::remove(dir.filePath(shrunkFileName()));
        if (!timedOut) // cancelled, or the program is quitting
            return Failure{QStringLiteral("Affichage interrompu.")};
        return Failure{QStringLiteral("La réduction de l'image a pris plus de %1 s.").arg(timeoutMs / 1000)};
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Failure{QStringLiteral("ImageMagick n'a pas pu réduire l'image.")};
    if (!QFileInfo(dir.filePath(shrunkFileName())).isFile())
        return Failure{QStringLiteral("ImageMagick n'a pas produit l'image réduite.")};
    return success();
}

} // namespace tabrix::image
