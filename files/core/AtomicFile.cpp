#include "AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

// Owns a file descriptor.
class FileDescriptor
{
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    ~FileDescriptor() { close(); }

    [[nodiscard]] int get() const { return fd_; }
    [[nodiscard]] bool valid() const { return fd_ >= 0; }
    // Closing can report a failed delayed write, so it is checked.
    bool close()
    {
        if (fd_ < 0)
            return true;
        const int result = ::close(fd_);
        fd_ = -1;
        return result == 0;
    }

private:
    int fd_;
};

FileWriteResult failure()
{
    return {false, std::strerror(errno)};
}

FileWriteResult failure(const std::error_code &error)
{
    return {false, error.message()};
}

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

std::string temporaryNameBeside(const std::filesystem::path &target)
{
    std::random_device random;
    const auto tag = std::uniform_int_distribution<unsigned long>(0, 0xFFFFFFFFUL)(random);
    return (target.parent_path() /
            ("." + target.filename().string() + ".saving-" + std::to_string(tag)))
        .string();
}

} // namespace

FileWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path target(path);
    if (fs::is_symlink(target, error)) {
        target = fs::weakly_canonical(target, error);
        if (error)
            return failure(error);
    }
    if (fs::is_directory(target, error))
        return {false, std::strerror(EISDIR)};

    struct stat existing
    {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;

    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 8 && fd < 0; ++attempt) {
        temporary = temporaryNameBeside(target);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return failure();
    }
    FileDescriptor file(fd);
    if (!file.valid())
        return failure();

    const auto abandon = [&](FileWriteResult result) {
        file.close();
        ::unlink(temporary.c_str());
        return result;
    };
    if (replacing && ::fchmod(file.get(), existing.st_mode & 07777) != 0)
        return abandon(failure());
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0)
        return abandon(failure());
    if (!file.close())
        return abandon(failure());
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon(failure());

    // Make the rename itself durable; the file is already safe if this fails.
    FileDescriptor folder(::open(target.parent_path().empty() ? "." : target.parent_path().c_str(),
                                 O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.valid())
        ::fsync(folder.get());
    return {true, {}};
}

} // namespace quorvel
