#include "app/qtfrench.h"
#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    tabrix::installQtFrench(application);
    tabrix::DesktopServices services;
    return tabrix::runProgram(QCoreApplication::applicationDirPath(), services);
}
