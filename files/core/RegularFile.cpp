#include "RegularFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

std::string notRegular(mode_t mode)
{
    return S_ISDIR(mode) ? std::strerror(EISDIR) : "Not a regular file";
}

} // namespace

RegularFileSource::RegularFileSource(const std::string &path)
{
    // Looked at before it is opened, since opening some devices already does
    // something; looked at again once open, in case it was swapped meanwhile.
    struct stat info
    {};
    if (::stat(path.c_str(), &info) != 0) {
        problem_ = std::strerror(errno);
        return;
    }
    if (!S_ISREG(info.st_mode)) {
        problem_ = notRegular(info.st_mode);
        return;
    }
    fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd_ < 0) {
        problem_ = std::strerror(errno);
        return;
    }
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode))
        problem_ = notRegular(info.st_mode);
}

RegularFileSource::~RegularFileSource()
{
    if (fd_ >= 0)
        ::close(fd_);
}

RegularFileSource::int_type RegularFileSource::underflow()
{
    if (!problem_.empty())
        return traits_type::eof();
    ssize_t got = 0;
    do
        got = ::read(fd_, buffer_.data(), buffer_.size());
    while (got < 0 && errno == EINTR);
    if (got < 0)
        problem_ = std::strerror(errno);
    if (got <= 0)
        return traits_type::eof();
    setg(buffer_.data(), buffer_.data(), buffer_.data() + got);
    return traits_type::to_int_type(*gptr());
}

} // namespace quorvel
