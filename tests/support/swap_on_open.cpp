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

extern "C" int open(const char *path, int flags, ...)
{
    va_list arguments;
    va_start(arguments, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(arguments, mode_t) : 0;
    va_end(arguments);
    const char *swapped = std::getenv("QUORVEL_SWAP_ON_OPEN");
    if (swapped && *swapped && std::string_view(path).ends_with(swapped)) {
        ::unlink(path);
        ::mkfifo(path, 0600);
    }
    using Open = int (*)(const char *, int, ...);
    return reinterpret_cast<Open>(::dlsym(RTLD_NEXT, "open"))(path, flags, mode);
}
