#include "SaveFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUuid>

#include <cerrno>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quorvel {
namespace {

// ---- What the system says about a file: the POSIX part, kept in one place.

QString systemWord(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

struct Look
{
    bool exists = false;
    QString problem; // why the file must not be replaced; empty: it may
    uid_t owner = 0;
    gid_t group = 0;
};

// A failing look refuses the save: without it the file's kind, rights and
// owner are unknown.
Look lookAt(const QString &path)
{
    Look look;
    struct stat info
    {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &info) != 0) {
        if (errno != ENOENT)
            look.problem = systemWord(errno);
        return look;
    }
    look.exists = true;
    look.owner = info.st_uid;
    look.group = info.st_gid;
    if (S_ISDIR(info.st_mode))
        look.problem = systemWord(EISDIR);
    else if (!S_ISREG(info.st_mode))
        look.problem = QStringLiteral("Not a regular file");
    // The rename needs only the folder's permission: ask about the file.
    else if (::faccessat(AT_FDCWD, name.constData(), W_OK, AT_EACCESS) != 0)
        look.problem = systemWord(errno);
    return look;
}

// QSaveFile makes the new file the crew's; it takes the old one's owner and
// group where the system allows.
bool keepOwner(int handle, const Look &look)
{
    struct stat made
    {};
    if (::fstat(handle, &made) != 0)
        return false;
    return (made.st_uid == look.owner && made.st_gid == look.group) ||
           ::fchown(handle, look.owner, look.group) == 0;
}

// QSaveFile syncs before its rename but does not say when the sync failed.
bool sync(int handle)
{
    return ::fsync(handle) == 0;
}

// Makes a rename itself durable.
void syncFolder(const QString &folder)
{
    const int handle =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
}

// Whether another program has the file open: a write lease is granted only
// to the one program holding it. Where leases are not to be had (another
// file system, another owner) nobody is known to hold it.
bool heldOpen(const QString &path)
{
    const int handle =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (handle < 0)
        return true;
    const bool leased = ::fcntl(handle, F_SETLEASE, F_WRLCK) == 0;
    const bool busy = !leased && (errno == EAGAIN || errno == EBUSY);
    if (leased)
        ::fcntl(handle, F_SETLEASE, F_UNLCK);
    ::close(handle);
    return busy;
}

// ---- Writing in place, with the old bytes kept first.

const QString KeptPrefix = QStringLiteral("kept-");
// A temporary file or lock unchanged for this long is no save in progress.
constexpr qint64 StrayAfterSeconds = 10;

// A kept copy: the file's path, the hash of the bytes being written, a line
// each, then the old bytes.
QByteArray hashOf(QByteArrayView bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

std::unique_ptr<QLockFile> lockFor(const QString &kept)
{
    auto lock = std::make_unique<QLockFile>(kept + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

// A short write is followed by another, which says why it stopped.
bool writeAll(QFileDevice &file, QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written <= 0)
            return false;
        bytes = bytes.sliced(written);
    }
    return file.flush();
}

// What went wrong, in the system's words.
QString problemOf(const QFileDevice &file)
{
    return file.error() == QFileDevice::NoError ? systemWord(errno) : file.errorString();
}

// The file holds exactly bytes, synced.
bool overwrite(QFile &file, QByteArrayView bytes)
{
    return file.seek(0) && writeAll(file, bytes) && file.resize(bytes.size()) &&
           sync(file.handle());
}

// A lock a failing disk left without the name of its program is taken
// over once it is old.
bool takeOverUnsignedLock(QLockFile &lock, const QString &kept)
{
    qint64 program = 0;
    QString host, name;
    const QFileInfo file(kept + QStringLiteral(".lock"));
    return !lock.getLockInfo(&program, &host, &name) &&
           file.lastModified() < QDateTime::currentDateTime().addSecs(-StrayAfterSeconds) &&
           lock.removeStaleLockFile() && lock.tryLock(0);
}

FileWriteResult failure(const QString &reason, const QString &keptIn = {})
{
    return {false, reason, keptIn};
}

FileWriteResult writeInPlace(const QString &target, QByteArrayView bytes, const QString &keepFolder)
{
    QFile file(target);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Unbuffered))
        return failure(file.errorString());
    const QByteArray before = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return failure(file.errorString());

    if (keepFolder.isEmpty() || !QDir().mkpath(keepFolder))
        return failure(QStringLiteral("No folder to keep the old file in while it is written"));
    const QString kept =
        QStringLiteral("%1/kept-%2").arg(keepFolder, QUuid::createUuid().toString(QUuid::Id128));
    const std::unique_ptr<QLockFile> lock = lockFor(kept);
    QSaveFile keep(kept);
    if (!lock->tryLock(0) || !keep.open(QIODevice::WriteOnly) ||
        !writeAll(keep, target.toUtf8() + '\n' + hashOf(bytes) + '\n' + before) ||
        !sync(keep.handle()) || !keep.commit())
        return failure(problemOf(keep));
    syncFolder(keepFolder);

    if (!overwrite(file, bytes)) {
        const QString reason = problemOf(file);
        file.unsetError();
        if (!overwrite(file, before))
            return failure(reason, kept); // put back at the next start
        QFile::remove(kept);
        return failure(reason);
    }
    QFile::remove(kept);
    return {true, {}, {}};
}

// The file's name with QSaveFile's six letters after it.
const QRegularExpression TemporaryName(QStringLiteral("^(.+)\\.[A-Za-z]{6}$"));

// What the program writes begins with the race magic, or is the settings
// file or a kept copy.
bool startsLikeOurs(const QFileInfo &file, const QString &base)
{
    if (base == QStringLiteral("KVCNFG.DNX") || base.startsWith(KeptPrefix))
        return true;
    QFile stray(file.absoluteFilePath());
    if (!stray.open(QIODevice::ReadOnly))
        return false;
    const QByteArray magic("DNX-LQR*1.20");
    const QByteArray start = stray.read(magic.size());
    // An empty one is ours only beside the file it was to replace.
    if (start.isEmpty())
        return file.dir().exists(base);
    return magic.startsWith(start);
}

} // namespace

FileWriteResult SaveFile(const QString &path, QByteArrayView bytes, const QString &keepFolder)
{
    const Look look = lookAt(path);
    if (!look.problem.isEmpty())
        return failure(look.problem);
    const QFileInfo target(look.exists ? QFileInfo(path).canonicalFilePath() : path);
    ClearStrayTemporaryFiles(target.absolutePath());

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        if (look.exists && !QFileInfo(target.absolutePath()).isWritable())
            return writeInPlace(target.filePath(), bytes, keepFolder);
        return failure(file.errorString());
    }
    if (look.exists && !keepOwner(file.handle(), look)) {
        file.cancelWriting();
        return writeInPlace(target.filePath(), bytes, keepFolder);
    }
    if (!writeAll(file, bytes) || !sync(file.handle())) {
        const QString reason = problemOf(file);
        file.cancelWriting();
        return failure(reason);
    }
    if (!file.commit())
        return failure(file.errorString());
    syncFolder(target.absolutePath());
    return {true, {}, {}};
}

QStringList RestoreInterruptedSaves(const QString &keepFolder)
{
    QStringList restored;
    const QDir folder(keepFolder);
    QStringList names = folder.entryList({KeptPrefix + QStringLiteral("*")}, QDir::Files);
    // A lock without its copy goes once taken over, as a lock does.
    names.replaceInStrings(QRegularExpression(QStringLiteral("\\.lock$")), QString());
    names.removeDuplicates();
    for (const QString &name : std::as_const(names)) {
        const QString kept = folder.filePath(name);
        if (name.contains('.'))
            continue; // a kept copy never finished: a stray temporary file
        const std::unique_ptr<QLockFile> lock = lockFor(kept);
        if (!lock->tryLock(0) && !takeOverUnsignedLock(*lock, kept))
            continue; // its program is still writing
        QFile copy(kept);
        if (!copy.open(QIODevice::ReadOnly))
            continue;
        const QString target = QString::fromUtf8(copy.readLine()).chopped(1);
        const QByteArray newHash = copy.readLine().chopped(1);
        const QByteArray before = copy.readAll();
        if (copy.error() != QFileDevice::NoError)
            continue;
        QFile file(target);
        bool settled = !file.exists(); // gone: nothing to put back
        if (!settled && file.open(QIODevice::ReadWrite)) {
            const QByteArray now = file.readAll();
            settled = now == before || hashOf(now) == newHash;
            if (!settled && overwrite(file, before)) {
                restored << target;
                settled = true;
            }
        }
        if (settled)
            copy.remove();
    }
    return restored;
}

void ClearStrayTemporaryFiles(const QString &folder)
{
    const QDateTime staleBefore = QDateTime::currentDateTime().addSecs(-StrayAfterSeconds);
    const QFileInfoList files = QDir(folder).entryInfoList(
        {QStringLiteral("*.??????")}, QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QFileInfo &file : files) {
        const QRegularExpressionMatch match = TemporaryName.match(file.fileName());
        if (match.hasMatch() && file.lastModified() < staleBefore &&
            startsLikeOurs(file, match.captured(1)) && !heldOpen(file.absoluteFilePath()))
            QFile::remove(file.absoluteFilePath());
    }
}

} // namespace quorvel
