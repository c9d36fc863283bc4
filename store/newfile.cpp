#include "store/newfile.h"

#include "store/systemerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tabrix {

namespace {

// Paths an interruption removes, kept where a signal handler can read them.
constexpr int slotCount = 64;
std::atomic<char *> pending[slotCount];

int remember(const QString &path)
{
    char *copy = ::strdup(QFile::encodeName(path).constData());
    for (int i = 0; i < slotCount; ++i) {
        char *expected = nullptr;
        if (pending[i].compare_exchange_strong(expected, copy))
            return i;
    }
    std::free(copy);
    return -1;
}

void release(int &slot)
{
    if (slot >= 0)
        std::free(pending[slot].exchange(nullptr));
    slot = -1;
}

extern "C" void onInterrupt(int signal)
{
    // The latest first: files before the folders made for them.
    for (int i = slotCount - 1; i >= 0; --i)
        if (const char *path = pending[i].load())
            if (::unlink(path) != 0 && errno == EISDIR)
                ::rmdir(path);
    ::_exit(128 + signal);
}

// The permissions a file created now would get: read and write for all,
// less what the user's umask takes away.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

int renameWithoutReplacing(const QByteArray &from, const QByteArray &to)
{
    int result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (result != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
        // This file system cannot rename without replacing: a hard link
        // refuses a taken name just as well. Never a copy.
        result = ::link(from.constData(), to.constData());
        if (result == 0)
            ::unlink(from.constData());
    }
    return result == 0 ? 0 : errno;
}

QString alreadyThereText(const QString &path)
{
    return QStringLiteral("Le fichier « %1 » existe déjà : il n'est pas remplacé.").arg(shownPath(path));
}

Status checkFreeName(const QString &path)
{
    if (path.isEmpty())
        return Failure{QStringLiteral("Aucun fichier ne peut être créé : nom vide.")};
    struct stat info;
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0) {
        if (S_ISLNK(info.st_mode))
            return Failure{QStringLiteral("« %1 » est un lien symbolique : il n'est pas suivi, rien n'est écrit.")
                               .arg(shownPath(path))};
        if (S_ISDIR(info.st_mode))
            return Failure{QStringLiteral("« %1 » est un dossier : il n'est pas remplacé.").arg(shownPath(path))};
        return Failure{alreadyThereText(path)};
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir())
        return Failure{QStringLiteral("Le dossier « %1 » est introuvable.").arg(shownPath(folder))};
    return success();
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

void removeFilesOnInterrupt()
{
    struct sigaction action = {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&action.sa_mask, signal);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
}

NewFile::NewFile(QString path) : m_path(std::move(path)) {}

NewFile::~NewFile()
{
    if (!m_published && !m_temporary.isEmpty()) {
        QFile::remove(m_temporary);
        QFile::remove(m_temporary + QStringLiteral("-journal"));
    }
    forget();
}

void NewFile::forget()
{
    for (int &slot : m_slots)
        release(slot);
}

Status NewFile::reserve()
{
    if (Status free = checkFreeName(m_path); !free)
        return free;
    const QFileInfo target(m_path);
    QByteArray name = QFile::encodeName(target.dir().filePath(QStringLiteral(".%1.XXXXXX").arg(target.fileName())));
    // No interruption between its creation and the note that removes it.
    sigset_t interruptions, previous;
    sigemptyset(&interruptions);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&interruptions, signal);
    ::sigprocmask(SIG_BLOCK, &interruptions, &previous);
    const int fd = ::mkstemp(name.data()); // O_EXCL: never an existing file
    const int error = errno;
    if (fd >= 0) {
        m_temporary = QFile::decodeName(name);
        m_slots[0] = remember(m_temporary);
        m_slots[1] = remember(m_temporary + QStringLiteral("-journal"));
    }
    ::sigprocmask(SIG_SETMASK, &previous, nullptr);
    if (fd < 0)
        return Failure{QStringLiteral("Aucun fichier ne peut être créé dans le dossier « %1 » : %2.")
                           .arg(shownPath(target.absolutePath()), systemErrorText(error))};
    ::close(fd);
    return success();
}

Status NewFile::write(const QByteArray &bytes)
{
    const int fd = ::open(QFile::encodeName(m_temporary).constData(), O_WRONLY | O_APPEND | O_NOFOLLOW);
    if (fd < 0)
        return Failure{writeFailureText(m_path, errno)};
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int error = written < 0 ? errno : EIO;
            ::close(fd);
            return Failure{writeFailureText(m_path, error)};
        }
        done += written;
    }
    ::close(fd);
    return success();
}

Status NewFile::finish()
{
    const int fd = ::open(QFile::encodeName(m_temporary).constData(), O_RDWR | O_NOFOLLOW);
    if (fd < 0)
        return Failure{writeFailureText(m_path, errno)};
    const bool done = ::fsync(fd) == 0 && ::fchmod(fd, newFileMode()) == 0;
    const int error = errno;
    ::close(fd);
    if (!done)
        return Failure{writeFailureText(m_path, error)};
    return success();
}

Status NewFile::publish()
{
    const QByteArray from = QFile::encodeName(m_temporary);
    const QByteArray to = QFile::encodeName(m_path);
    // The final name is remembered first: an interruption between the two
    // steps removes whichever exists.
    m_slots[2] = remember(m_path);
    if (const int error = renameWithoutReplacing(from, to)) {
        release(m_slots[2]);
        if (error == EEXIST)
            return Failure{QStringLiteral("Le fichier « %1 » a été créé par un autre programme pendant l'écriture : "
                                          "il n'est pas remplacé.")
                               .arg(shownPath(m_path))};
        return Failure{writeFailureText(m_path, error)};
    }
    m_published = true;
    release(m_slots[0]);
    release(m_slots[1]);
    ::unlink((from + "-journal").constData());
    syncFolder(QFileInfo(m_path).absolutePath());
    return success();
}

NewFolder::~NewFolder()
{
    for (auto made = m_made.crbegin(); made != m_made.crend(); ++made)
        ::rmdir(QFile::encodeName(*made).constData());
    keep();
}

Status NewFolder::make()
{
    QStringList missing;
    for (QFileInfo level(QFileInfo(m_path).absoluteFilePath()); !level.exists() && !level.isSymLink();
         level = QFileInfo(level.absolutePath()))
        missing.prepend(level.absoluteFilePath());
    for (const QString &folder : missing) {
        m_slots.push_back(remember(folder));
        if (::mkdir(QFile::encodeName(folder).constData(), 0777) != 0) {
            const int error = errno;
            release(m_slots.back());
            m_slots.pop_back();
            return Failure{QStringLiteral("Le dossier « %1 » n'a pas pu être créé : %2.")
                               .arg(shownPath(folder), systemErrorText(error))};
        }
        m_made << folder;
    }
    if (!m_made.isEmpty())
        syncFolder(QFileInfo(m_made.first()).absolutePath());
    return success();
}

void NewFolder::keep()
{
    m_made.clear();
    for (int &slot : m_slots)
        release(slot);
    m_slots.clear();
}

void NewFile::withdraw()
{
    if (m_published)
        QFile::remove(m_path);
    m_published = false;
    forget();
}

} // namespace tabrix
