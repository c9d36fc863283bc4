#include "app/startup.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    tabrix::DesktopServices services;
    return tabrix::runProgram(QCoreApplication::applicationDirPath(), services);
}
