// Loaded into tabrix-admin by the tools tests (LD_PRELOAD) to act at one
// precise step of a real run:
// - TABRIX_TAKE_NAME: another program creates the final name just before
//   the tool gives it;
// - TABRIX_INTERRUPT_AT=N: the tool gets the signal TABRIX_INTERRUPT_SIGNAL
//   (which must be set too) just before its Nth step, a step being a sync to
//   the disk or the giving of a final name.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

int steps = 0;

// Counts a step, interrupted if it is the one asked for, then gives the
// next library's `name`.
template <typename Function> Function step(const char *name)
{
    const char *at = getenv("TABRIX_INTERRUPT_AT");
    if (at && ++steps == atoi(at))
        raise(atoi(getenv("TABRIX_INTERRUPT_SIGNAL")));
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

const char *take(const char *path)
{
    const int fd = getenv("TABRIX_TAKE_NAME") ? open(path, O_WRONLY | O_CREAT | O_EXCL, 0644) : -1;
    if (fd >= 0 && write(fd, "autre programme\n", 16) == 16)
        close(fd);
    return path;
}

} // namespace

extern "C" int fsync(int fd) { return step<int (*)(int)>("fsync")(fd); }

extern "C" int fdatasync(int fd) { return step<int (*)(int)>("fdatasync")(fd); }

extern "C" int renameat2(int fromDir, const char *from, int toDir, const char *to, unsigned flags) noexcept
{
    // The step first, then the name taken.
    return step<int (*)(int, const char *, int, const char *, unsigned)>("renameat2")(fromDir, from, toDir, take(to), flags);
}

extern "C" int link(const char *from, const char *to) noexcept
{
    return step<int (*)(const char *, const char *)>("link")(from, take(to));
}
