#pragma once

#include "store/result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace tabrix {

// A new file that appears under its final name only when it is complete,
// and never in place of anything: written under a hidden temporary name in
// the target's folder, synced, then given its name by an operation that
// fails when the name is taken (no copy, no truncation). A target that is
// a symbolic link, dangling or not, is refused.
//
// Until the object is destroyed, its files are removed if the process is
// interrupted (see removeFilesOnInterrupt).
class NewFile {
public:
    explicit NewFile(QString path);
    ~NewFile(); // removes the temporary file unless published

    NewFile(const NewFile &) = delete;
    NewFile &operator=(const NewFile &) = delete;

    // Refuses a taken name, then creates the empty temporary file; its path,
    // for writers that open it themselves (SQLite: its journal is looked
    // after too).
    Status reserve();
    const QString &temporaryPath() const { return m_temporary; }
    const QString &path() const { return m_path; }

    Status write(const QByteArray &bytes);
    // Syncs it to the disk and gives it the permissions of a new file.
    Status finish();
    // Gives it its final name, then syncs the folder; refuses when the name
    // was taken meanwhile, and then removes the temporary file.
    Status publish();
    // Removes the published file again (when a later step of the same
    // command failed).
    void withdraw();

private:
    void forget();

    QString m_path;
    QString m_temporary;
    bool m_published = false;
    int m_slots[3] = {-1, -1, -1}; // what an interruption removes
};

// The folders of a path that do not exist yet, made for new files: removed
// again (when empty) at an interruption, or when the object goes without
// keep().
class NewFolder {
public:
    explicit NewFolder(QString path) : m_path(std::move(path)) {}
    ~NewFolder();
    NewFolder(const NewFolder &) = delete;
    NewFolder &operator=(const NewFolder &) = delete;

    Status make();
    void keep();

private:
    QString m_path;
    QStringList m_made; // the deepest last
    std::vector<int> m_slots;
};

// "Le fichier « … » existe déjà : il n'est pas remplacé."
QString alreadyThereText(const QString &path);

// Why `path` cannot be a new file's name (taken, a link, a folder, an empty
// name, a missing folder), or success.
Status checkFreeName(const QString &path);

// Renames `from` to `to` only when `to` is free (EEXIST otherwise); 0 or
// the error number. Nothing is copied or truncated.
int renameWithoutReplacing(const QByteArray &from, const QByteArray &to);

// Syncs a folder's entries to the disk.
void syncFolder(const QString &folder);

// SIGINT, SIGHUP and SIGTERM remove the files of every NewFile alive, then
// end the process with status 128 + the signal (130, 129, 143). SIGPIPE is
// ignored, so a closed output is a write error.
void removeFilesOnInterrupt();

} // namespace tabrix
