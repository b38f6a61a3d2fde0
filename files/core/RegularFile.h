#pragma once

#include <array>
#include <streambuf>
#include <string>

namespace quorvel {

// Reads a file through a buffer, if it is a regular file. Anything else (a
// FIFO, a device, a socket, a folder) is refused at once, without blocking:
// opening a FIFO waits for a writer, and a device such as /dev/zero never
// ends.
class RegularFileSource final : public std::streambuf
{
public:
    explicit RegularFileSource(const std::string &path);
    RegularFileSource(const RegularFileSource &) = delete;
    RegularFileSource &operator=(const RegularFileSource &) = delete;
    ~RegularFileSource() override;

    // Why the file could not be opened or read to its end; empty while all
    // is well.
    [[nodiscard]] const std::string &problem() const { return problem_; }

protected:
    int_type underflow() override;

private:
    int fd_ = -1;
    std::string problem_;
    std::array<char, 64 * 1024> buffer_{};
};

} // namespace quorvel
