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

// Replaces the file at path with bytes, or leaves it exactly as it was: the
// bytes go to a new file beside it, which is flushed to disk and then renamed
// over the old one. A replaced file keeps its permissions; a symbolic link is
// followed, so the file it points at is the one replaced.
FileWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes);

} // namespace quorvel
