#pragma once

#include <QString>

namespace tabrix {

// What a path holds, judged from its first bytes: the checks every reader of
// a catalogue or of an old Access file makes before opening it.
enum class FileKind { Missing, Directory, Unreadable, Access, Sqlite, Other };

FileKind inspectFile(const QString &path);

} // namespace tabrix
