// Loaded into a program with LD_PRELOAD, it makes the moments no test could
// time on disk happen on cue:
// The file calls are counted from the first one naming a path that holds
// QUORVEL_FAULT_PATH; then
//   QUORVEL_FAIL_CALL=N        call N fails with errno QUORVEL_FAIL_ERRNO (5, EIO),
//                              and every call after it with QUORVEL_FAIL_ALL=1
//   QUORVEL_KILL_CALL=N        the program is killed (SIGKILL) at call N
//   QUORVEL_CALL_LOG=file      each counted call appends its name to file

#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

long counted = 0;
bool armed = false;
thread_local bool inside = false;

long number(const char *variable)
{
    const char *value = std::getenv(variable);
    return value ? std::atol(value) : 0;
}

template <typename Function> Function real(const char *name)
{
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

void log(const char *name)
{
    const char *file = std::getenv("QUORVEL_CALL_LOG");
    if (!file)
        return;
    // Called inside a counted call: its own file calls are neither counted nor failed.
    if (std::FILE *out = std::fopen(file, "ae")) {
        std::fprintf(out, "%s\n", name);
        std::fclose(out);
    }
}

// Whether the call goes ahead: false with errno set where it is to fail.
bool proceed(const char *name, const char *path = nullptr)
{
    if (inside)
        return true;
    const char *watched = std::getenv("QUORVEL_FAULT_PATH");
    if (path && watched && *watched && std::strstr(path, watched))
        armed = true;
    if (!armed)
        return true;
    inside = true;
    ++counted;
    log(name);
    inside = false;
    if (counted == number("QUORVEL_KILL_CALL"))
        ::raise(SIGKILL);
    const long failing = number("QUORVEL_FAIL_CALL");
    if (failing > 0 && (counted == failing || (counted > failing && number("QUORVEL_FAIL_ALL")))) {
        const long error = number("QUORVEL_FAIL_ERRNO");
        errno = error ? int(error) : EIO;
        return false;
    }
    return true;
}

mode_t modeOf(int flags, va_list arguments)
{
    return (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, mode_t) : 0;
}

} // namespace

#define QUORVEL_OPEN(name)                                                                         \
    extern "C" int name(const char *path, int flags, ...)                                          \
    {                                                                                              \
        va_list arguments;                                                                         \
        va_start(arguments, flags);                                                                \
        const mode_t mode = modeOf(flags, arguments);                                              \
        va_end(arguments);                                                                         \
        if (!proceed(#name, path))                                                                 \
            return -1;                                                                             \
        return real<int (*)(const char *, int, ...)>(#name)(path, flags, mode);                    \
    }
QUORVEL_OPEN(open)
QUORVEL_OPEN(open64)

#define QUORVEL_OPENAT(name)                                                                       \
    extern "C" int name(int folder, const char *path, int flags, ...)                              \
    {                                                                                              \
        va_list arguments;                                                                         \
        va_start(arguments, flags);                                                                \
        const mode_t mode = modeOf(flags, arguments);                                              \
        va_end(arguments);                                                                         \
        if (!proceed(#name, path))                                                                 \
            return -1;                                                                             \
        return real<int (*)(int, const char *, int, ...)>(#name)(folder, path, flags, mode);       \
    }
QUORVEL_OPENAT(openat)
QUORVEL_OPENAT(openat64)

// Every other call: its name, the path it names if any, then passed on.
#define QUORVEL_CALL(result, name, path, parameters, arguments)                                    \
    extern "C" result name parameters                                                              \
    {                                                                                              \
        if (!proceed(#name, path))                                                                 \
            return -1;                                                                             \
        return real<result(*) parameters>(#name) arguments;                                        \
    }
QUORVEL_CALL(ssize_t, write, nullptr, (int fd, const void *bytes, size_t size), (fd, bytes, size))
QUORVEL_CALL(ssize_t, read, nullptr, (int fd, void *bytes, size_t size), (fd, bytes, size))
QUORVEL_CALL(int, fsync, nullptr, (int fd), (fd))
QUORVEL_CALL(int, fdatasync, nullptr, (int fd), (fd))
QUORVEL_CALL(int, ftruncate, nullptr, (int fd, off_t size), (fd, size))
QUORVEL_CALL(int, ftruncate64, nullptr, (int fd, off64_t size), (fd, size))
QUORVEL_CALL(int, fchown, nullptr, (int fd, uid_t owner, gid_t group), (fd, owner, group))
QUORVEL_CALL(int, fchmod, nullptr, (int fd, mode_t mode), (fd, mode))
QUORVEL_CALL(int, close, nullptr, (int fd), (fd))
QUORVEL_CALL(int, rename, from, (const char *from, const char *to), (from, to))
QUORVEL_CALL(int, linkat, to, (int a, const char *from, int b, const char *to, int flags),
             (a, from, b, to, flags))
QUORVEL_CALL(int, unlink, path, (const char *path), (path))
QUORVEL_CALL(int, stat, path, (const char *path, struct stat *info), (path, info))
QUORVEL_CALL(int, stat64, path, (const char *path, struct stat64 *info), (path, info))
