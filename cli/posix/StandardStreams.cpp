#include "StandardStreams.h"

#include <cerrno>
#include <initializer_list>

#include <fcntl.h>

// A standard stream the caller closed (">&-") is held open on /dev/null for
// reading, so that no file opened later takes its number: writing to it then
// fails as writing to a closed stream does, instead of reaching that file.
void PrepareStandardStreams()
{
    for (const int stream : {0, 1, 2}) {
        if (::fcntl(stream, F_GETFD) == -1 && errno == EBADF)
            (void)::open("/dev/null", O_RDONLY); // takes the lowest free number
    }
}
