#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

// What tells one version of a file from the next without reading it: the
// file the name leads to (a save that renames a new file over the name makes
// another one), its size and the time it was last written. A change of any
// of them means the file was written since.
struct FileStamp
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The stamp of the file path leads to, links followed; nullopt when there is
// none there, or it cannot be looked at.
[[nodiscard]] std::optional<FileStamp> StampOf(const std::string &path);

} // namespace quorvel
