#include "SystemFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorvel {

// Windows has no FIFOs or devices among a crew's files, no other owner to
// keep, and QFileInfo says all there is to say of a file.

FileLook LookAt(const QString &path)
{
    const QFileInfo info(path);
    FileLook look{info.exists(), {}, 0, 0};
    if (look.exists && (!info.isFile() || !info.isWritable()))
        look.problem = info.isFile() ? QStringLiteral("Permission denied")
                                     : QStringLiteral("Not a regular file");
    return look;
}

bool KeepOwner(QFileDevice &, const FileLook &)
{
    return true;
}

QString SyncToDisk(QFileDevice &file)
{
    return file.flush() ? QString() : file.errorString();
}

void SyncFolder(const QString &) {}

bool SameFile(const QString &one, const QString &other)
{
    const QString canonical = QFileInfo(one).canonicalFilePath();
    return !canonical.isEmpty() && canonical == QFileInfo(other).canonicalFilePath();
}

UserFolders OwnUserFolders()
{
    // The settings roam with the crew's account (%APPDATA%, for which Qt
    // has no location without the program's name), the races are documents,
    // and the recovery copy belongs to this machine (%LOCALAPPDATA%).
    const QString roaming = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    const QString local = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QLatin1StringView program("/Quorvel");
    return {(roaming.isEmpty() ? local : roaming) + program,
            QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + program,
            local + program};
}

std::optional<FileStamp> StampOf(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return std::nullopt;
    const qint64 modified = info.lastModified().toMSecsSinceEpoch();
    return FileStamp{0, 0, info.size(), modified / 1000, modified % 1000 * 1000000};
}

} // namespace quorvel
