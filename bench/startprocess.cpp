// The process the start-up is timed on, as a whole:
//   tabrix-bench-start DIR               starts as the program does on the
//                                        catalogue of DIR, shows the filled
//                                        main window, paints it once, exits;
//   tabrix-bench-start --vide W H        shows an empty QMainWindow of W × H
//                                        instead, paints it once, exits.
// Both are one build with the same flags, so the second is the floor of the
// first.
#include "app/qtfrench.h"
#include "app/startup.h"
#include "support/recordingservices.h"

#include <QApplication>
#include <QMainWindow>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = application.arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String("--vide")) {
        QMainWindow empty;
        empty.resize(arguments.at(2).toInt(), arguments.at(3).toInt());
        empty.show();
        empty.repaint();
        return 0;
    }
    if (arguments.size() != 2) {
        QTextStream(stderr) << "usage : tabrix-bench-start DOSSIER | --vide LARGEUR HAUTEUR\n";
        return 2;
    }
    QGuiApplication::setDesktopFileName(QStringLiteral("tabrix"));
    tabrix::installQtFrench(application);
    tabrix::RecordingServices services;
    tabrix::Result<std::unique_ptr<tabrix::MainWindow>> started = tabrix::startUp(arguments.at(1), services);
    if (!started) {
        QTextStream(stderr) << started.error() << '\n';
        return 1;
    }
    (*started)->show();
    (*started)->repaint();
    return 0;
}
