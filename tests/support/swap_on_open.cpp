// Loaded into a program with LD_PRELOAD: just before the program opens the
// file that QUORVEL_SWAP_ON_OPEN names (the end of the path), a FIFO takes its
// place, as if another program swapped them between the program's look at
// the file and its opening of it. No test could time such a swap on disk.

#include <cstdarg>
#include <cstdlib>
#include <string_view>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int swapThenOpen(const char *symbol, const char *path, int flags, va_list arguments)
{
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, mode_t) : 0;
    const char *swapped = std::getenv("QUORVEL_SWAP_ON_OPEN");
    if (swapped && *swapped && std::string_view(path).ends_with(swapped)) {
        ::unlink(path);
        ::mkfifo(path, 0600);
    }
    using Open = int (*)(const char *, int, ...);
    return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, symbol))(path, flags, mode);
}

} // namespace

extern "C" int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = swapThenOpen("open", path, flags, arguments);
    va_end(arguments);
    return fd;
}

extern "C" int open64(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const int fd = swapThenOpen("open64", path, flags, arguments);
    va_end(arguments);
    return fd;
}
