#pragma once

#include <string>
#include <string_view>

namespace quorvel {

struct FileWriteResult
{
    bool ok = false;
    std::string reason; // the system's word for what went wrong
    explicit operator bool() const { return ok; }
};

// Replaces the file at path with bytes, or leaves it exactly as it was.
//
// The bytes go to a new file beside it that has no name until it is complete
// (Linux's O_TMPFILE), so a crash part way leaves nothing behind; it then
// takes the old file's place by a rename. Where the file system cannot make
// such a file, a named one with a short hidden name is used instead.
//
// A file the crew's own rights would not let them write (read-only, another
// user's) is never replaced, though the folder would allow the rename. A
// replaced file keeps its mode, owner and group. Where no new file can be made
// beside it (a read-only folder) or the owner could not be kept, a file the
// crew may write is written where it is: not atomic, but the space is
// reserved first, so a full disk still leaves it as it was. So is a file with
// more than one hard link, so that every name of it sees the new bytes. A
// symbolic link stays a link: the file it points at is the one written, and
// made when it is not there yet.
FileWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes);

} // namespace quorvel
