#pragma once

#include "store/result.h"

#include <QString>

namespace tabrix::admin {

// A whole, checked copy of the catalogue at `path`, written as `copyPath`
// (never over an existing file), even while the program has it open.
Status backUp(const QString &path, const QString &copyPath);

} // namespace tabrix::admin
