// Start-up: whole processes of the same build, then the start inside this
// process.
#include "scenario.h"

#include "app/startup.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>

namespace tabrix::bench {

namespace {

void runProcess(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        fail(QStringLiteral("%1 %2 : %3").arg(program, arguments.join(QLatin1Char(' ')),
                                            QString::fromUtf8(process.readAllStandardError()).trimmed()));
}

} // namespace

std::vector<Measure> measureStartUp(const Setup &setup)
{
    std::unique_ptr<MainWindow> window;
    auto drop = [&] {
        window.reset();
        settle();
    };
    auto start = [&] {
        Result<std::unique_ptr<MainWindow>> started = tabrix::startUp(setup.programDir, *setup.services);
        if (!started)
            fail(started.error());
        window = std::move(*started);
    };
    // The first window of this process: fonts, styles and the catalogue's
    // pages are loaded then, as when the user starts the program.
    Measure first{QStringLiteral("  premier démarrage du processus"), timeRuns(1, {nullptr, start}, 0)};
    // The same, until the window is on screen and painted once.
    Measure shown{QStringLiteral("  démarrage, fenêtre montrée et peinte"), timeRuns(15, {drop, [&] {
                                                                                         start();
                                                                                         window->show();
                                                                                         window->repaint();
                                                                                     }})};
    const QSize size = window->size();
    drop();

    const QString program = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tabrix-bench-start"));
    Measure process = timeBeside(
        QStringLiteral("démarrage (fenêtre remplie)"), 15, {nullptr, [&] { runProcess(program, {setup.programDir}); }},
        QStringLiteral("QMainWindow vide de même taille"),
        {nullptr,
         [&] {
             runProcess(program, {QStringLiteral("--vide"), QString::number(size.width()), QString::number(size.height())});
         }},
        1.5);
    if (!setup.services->messages.isEmpty())
        fail(QStringLiteral("démarrage : message inattendu « %1 »").arg(setup.services->lastText()));
    return {process, first, shown};
}

} // namespace tabrix::bench
