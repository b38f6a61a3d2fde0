#include "AtomicFile.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <random>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;

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

FileWriteResult failure(int error)
{
    return {false, std::strerror(error)};
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

// Short, so that it fits beside a name of any legal length; hidden.
std::string temporaryNameIn(const fs::path &folder)
{
    std::random_device random;
    std::array<char, 16> tag{};
    std::snprintf(tag.data(), tag.size(), "%08x", static_cast<unsigned>(random()));
    return (folder / (".quorvel-" + std::string(tag.data()))).string();
}

// What became of one way of replacing the file.
enum class Step { Done, Failed, NoUnnamedFile, NoNewFile };
struct Attempt
{
    Step step;
    int error = 0;
};

int openNewFile(const fs::path &folder, bool unnamed, std::string &name)
{
    if (unnamed)
        return ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    for (int attempt = 0; attempt < 8; ++attempt) {
        name = temporaryNameIn(folder);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// A complete file without a name gets one, so that a rename can put it in
// place (a link cannot replace a file).
bool nameUnnamedFile(int fd, const fs::path &folder, std::string &name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    for (int attempt = 0; attempt < 8; ++attempt) {
        name = temporaryNameIn(folder);
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
            return true;
        if (errno != EEXIST)
            break;
    }
    name.clear();
    return false;
}

// A named new file is removed on every way out but success.
class RemoveUnlessKept
{
public:
    explicit RemoveUnlessKept(std::string &name) : name_(name) {}
    RemoveUnlessKept(const RemoveUnlessKept &) = delete;
    RemoveUnlessKept &operator=(const RemoveUnlessKept &) = delete;
    ~RemoveUnlessKept()
    {
        if (!name_.empty())
            ::unlink(name_.c_str());
    }

private:
    std::string &name_;
};

Attempt replaceThroughNewFile(const fs::path &target, const std::optional<struct stat> &existing,
                              std::string_view bytes, bool unnamed)
{
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::string name;
    const RemoveUnlessKept cleanup(name);
    FileDescriptor file(openNewFile(folder, unnamed, name));
    if (!file.valid())
        return {unnamed ? Step::NoUnnamedFile : Step::NoNewFile, errno};
    if (existing) {
        struct stat made
        {};
        if (::fstat(file.get(), &made) != 0)
            return {Step::Failed, errno};
        const bool sameOwner = made.st_uid == existing->st_uid && made.st_gid == existing->st_gid;
        if (!sameOwner && ::fchown(file.get(), existing->st_uid, existing->st_gid) != 0)
            return {Step::NoNewFile, errno};
        if (::fchmod(file.get(), existing->st_mode & 07777) != 0)
            return {Step::Failed, errno};
    }
    if (!writeAll(file.get(), bytes) || ::fsync(file.get()) != 0)
        return {Step::Failed, errno};
    if (unnamed && !nameUnnamedFile(file.get(), folder, name))
        return {Step::NoUnnamedFile, errno};
    if (!file.close())
        return {Step::Failed, errno};
    if (::rename(name.c_str(), target.c_str()) != 0)
        return {Step::Failed, errno};
    name.clear();

    // Make the rename itself durable; the file is already safe if this fails.
    FileDescriptor folderHandle(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderHandle.valid())
        ::fsync(folderHandle.get());
    return {Step::Done};
}

// The bytes of an open file, from its start.
bool readAll(int fd, std::string &bytes)
{
    std::array<char, 64 * 1024> buffer{};
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(fd, buffer.data(), buffer.size(), at);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
        at += got;
    }
}

// Makes the file hold exactly bytes, through the same file.
bool overwrite(int fd, std::string_view bytes)
{
    return ::lseek(fd, 0, SEEK_SET) == 0 && writeAll(fd, bytes) &&
           ::ftruncate(fd, static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd) == 0;
}

// Writes into the file itself, so every hard link to it sees the new race.
// The space is reserved first, so a full disk leaves it as it was; should a
// write still fail part way, the race that was there is put back.
FileWriteResult writeInPlace(const fs::path &target, std::string_view bytes)
{
    FileDescriptor file(::open(target.c_str(), O_RDWR | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!file.valid())
        return failure(errno);
    std::string before;
    if (!readAll(file.get(), before))
        return failure(errno);
    const int reserved =
        bytes.empty() ? 0 : ::posix_fallocate(file.get(), 0, static_cast<off_t>(bytes.size()));
    if (reserved != 0) {
        // Reserving may have lengthened the file; its bytes are untouched,
        // and a length that cannot be put back changes no byte of the race.
        [[maybe_unused]] const int shortened =
            ::ftruncate(file.get(), static_cast<off_t>(before.size()));
        return failure(reserved);
    }
    if (!overwrite(file.get(), bytes)) {
        const int error = errno;
        (void)overwrite(file.get(), before);
        return failure(error);
    }
    if (!file.close())
        return failure(errno);
    return {true, {}};
}

// Where a chain of symbolic links ends: the name that is written, whether or
// not a file is there yet (a dangling link gets its target made).
std::optional<fs::path> followLinks(fs::path path, int &error)
{
    // The kernel's own limit on links followed in one lookup.
    constexpr int MostLinks = 40;
    for (int hop = 0; hop < MostLinks; ++hop) {
        struct stat info
        {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        std::error_code failed;
        const fs::path next = fs::read_symlink(path, failed);
        if (failed) {
            error = failed.value();
            return std::nullopt;
        }
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    error = ELOOP;
    return std::nullopt;
}

} // namespace

FileWriteResult WriteFileAtomically(const std::string &path, std::string_view bytes)
{
    int linkError = 0;
    const std::optional<fs::path> followed = followLinks(fs::path(path), linkError);
    if (!followed)
        return failure(linkError);
    const fs::path &target = *followed;

    std::optional<struct stat> existing;
    if (struct stat info{}; ::stat(target.c_str(), &info) == 0)
        existing = info;
    if (existing && S_ISDIR(existing->st_mode))
        return failure(EISDIR);
    if (existing && !S_ISREG(existing->st_mode))
        return {false, "Not a regular file"};
    // The rename needs only the folder's permission: ask about the file.
    if (existing && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
        return failure(errno);

    // A new file would leave the file's other names with the old race.
    if (existing && existing->st_nlink > 1)
        return writeInPlace(target, bytes);

    Attempt attempt = replaceThroughNewFile(target, existing, bytes, true);
    if (attempt.step == Step::NoUnnamedFile)
        attempt = replaceThroughNewFile(target, existing, bytes, false);
    if (attempt.step == Step::NoNewFile && existing)
        return writeInPlace(target, bytes);
    if (attempt.step != Step::Done)
        return failure(attempt.error);
    return {true, {}};
}

} // namespace quorvel
