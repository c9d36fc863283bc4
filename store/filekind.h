#pragma once

#include <QString>

#include <optional>

namespace tabrix {

// What a path holds, judged from its first bytes: the checks every reader of
// a catalogue or of an old Access file makes before opening it. A path that
// is not a plain file (a named pipe, a device) is never opened, since
// reading it could wait for ever: it is Other.
enum class FileKind { Missing, Directory, Unreadable, Access, Sqlite, Other };

FileKind inspectFile(const QString &path);

// What the path is, in words ("un tube nommé (FIFO)", "un périphérique"),
// when it exists and is neither a plain file nor a folder; nullopt otherwise.
std::optional<QString> specialFileKind(const QString &path);

} // namespace tabrix
