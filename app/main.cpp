#include "app/qtfrench.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tabrix")); // its data folder: ~/.local/share/Tabrix
    // Ties the window to its menu entry tabrix.desktop (icon, task bar).
    QGuiApplication::setDesktopFileName(QStringLiteral("tabrix"));
    tabrix::installQtFrench(application);
    tabrix::DesktopServices services;
    return tabrix::runProgram(QCoreApplication::applicationDirPath(), services);
}
