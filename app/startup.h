#pragma once

#include "app/mainwindow.h"
#include "store/result.h"

#include <QString>

#include <memory>

namespace tabrix {

// Opens the catalogue of the program's directory and builds the filled main
// window; a French message saying what is wrong when that cannot be done.
Result<std::unique_ptr<MainWindow>> startUp(const QString &programDir, Services &services);

// The whole program: start-up, the window's life, shutdown. Returns the
// process's exit status.
int runProgram(const QString &programDir, Services &services);

} // namespace tabrix
