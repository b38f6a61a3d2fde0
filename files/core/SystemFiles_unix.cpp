#include "SystemFiles.h"

#include <QDir>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

// Qt 6.4 takes a relative $XDG_..._HOME as it stands; the XDG rules ignore
// it.
QString xdgFolder(QStandardPaths::StandardLocation location, const char *underHome)
{
    const QString folder = QStandardPaths::writableLocation(location);
    return QDir::isAbsolutePath(folder) ? folder : QDir::homePath() + '/' + underHome;
}

QString systemWord(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString notRegular(mode_t mode)
{
    return S_ISDIR(mode) ? systemWord(EISDIR) : QStringLiteral("Not a regular file");
}

std::optional<struct stat> lookAt(const QString &path)
{
    struct stat info
    {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? std::optional(info)
                                                                   : std::nullopt;
}

} // namespace

FileLook LookAt(const QString &path)
{
    FileLook look;
    const std::optional<struct stat> info = lookAt(path);
    if (!info) {
        if (errno != ENOENT)
            look.problem = systemWord(errno);
        return look;
    }
    look = {true, {}, info->st_uid, info->st_gid};
    if (!S_ISREG(info->st_mode))
        look.problem = notRegular(info->st_mode);
    // With the crew's own rights, not root's.
    else if (::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) != 0)
        look.problem = systemWord(errno);
    return look;
}

bool KeepOwner(QFileDevice &file, const FileLook &look)
{
    struct stat made
    {};
    if (::fstat(file.handle(), &made) != 0)
        return false;
    return (made.st_uid == look.owner && made.st_gid == look.group) ||
           ::fchown(file.handle(), look.owner, look.group) == 0;
}

QString SyncToDisk(QFileDevice &file)
{
    return ::fsync(file.handle()) == 0 ? QString() : systemWord(errno);
}

void SyncFolder(const QString &folder)
{
    const int handle =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
}

bool SameFile(const QString &one, const QString &other)
{
    const std::optional<struct stat> a = lookAt(one), b = lookAt(other);
    return a && b && a->st_dev == b->st_dev && a->st_ino == b->st_ino;
}

UserFolders OwnUserFolders()
{
    // Qt 6.4 has no location for the state home.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QLatin1StringView program("/quorvel");
    return {xdgFolder(QStandardPaths::GenericConfigLocation, ".config") + program,
            xdgFolder(QStandardPaths::GenericDataLocation, ".local/share") + program,
            (state.startsWith('/') ? state : QDir::homePath() + "/.local/state") + program};
}

std::optional<FileStamp> StampOf(const QString &path)
{
    const std::optional<struct stat> info = lookAt(path);
    if (!info)
        return std::nullopt;
    return FileStamp{
        static_cast<std::uint64_t>(info->st_dev), static_cast<std::uint64_t>(info->st_ino),
        static_cast<std::int64_t>(info->st_size), static_cast<std::int64_t>(info->st_mtim.tv_sec),
        static_cast<std::int64_t>(info->st_mtim.tv_nsec)};
}

} // namespace quorvel
