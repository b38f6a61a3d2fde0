#include "StandardStreams.h"

#include <cstdio>

#include <fcntl.h>
#include <io.h>

// Windows' C runtime writes "\n" as "\r\n" to a stream in text mode: the
// output is written in binary mode, so that it is byte for byte what it is on
// any other system. A stream the caller closed has no number here, and
// writing to it already fails.
void PrepareStandardStreams()
{
    if (const int output = _fileno(stdout); output >= 0)
        _setmode(output, _O_BINARY);
}
