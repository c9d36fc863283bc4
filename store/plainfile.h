#pragma once

#include "store/result.h"

#include <QString>

namespace tabrix {

// Why `path` cannot be read as a file: missing, a folder, a FIFO, a device
// or another special file, unreadable; or success. Never blocks. `what`
// names it in the message: "catalogue", "fichier".
Status checkRegularFile(const QString &path, const QString &what);

} // namespace tabrix
