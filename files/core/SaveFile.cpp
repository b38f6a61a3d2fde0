#include "SaveFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QRegularExpression>
#include <QSaveFile>
#include <QUuid>

#include "SystemFiles.h"

namespace quorvel {
namespace {

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
    // Its program is gone, or it is so old that no save is still writing:
    // a failing disk may even have left it without its program's name.
    auto lock = std::make_unique<QLockFile>(kept + QStringLiteral(".lock"));
    lock->setStaleLockTime(StrayAfterSeconds * 1000);
    return lock;
}

// What went wrong: the file's own word, or else the system's last.
QString problemOf(const QFileDevice &file)
{
    return file.error() == QFileDevice::NoError ? qt_error_string() : file.errorString();
}

// Writes all of bytes from where the file stands, synced; the reason when
// that failed.
QString writeSynced(QFileDevice &file, QByteArrayView bytes)
{
    if (file.write(bytes.data(), bytes.size()) != bytes.size())
        return problemOf(file);
    return SyncToDisk(file);
}

// The file holds exactly bytes, synced; the reason when it may not.
QString overwrite(QFile &file, QByteArrayView bytes)
{
    if (!file.seek(0) || file.write(bytes.data(), bytes.size()) != bytes.size() ||
        !file.resize(bytes.size()))
        return problemOf(file);
    return SyncToDisk(file);
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

    // The old bytes kept first, synced, under a lock while this program
    // writes.
    if (keepFolder.isEmpty() || !QDir().mkpath(keepFolder))
        return failure(QStringLiteral("No folder to keep the old file in while it is written"));
    const QString kept = keepFolder + '/' + KeptPrefix + QUuid::createUuid().toString(QUuid::Id128);
    const std::unique_ptr<QLockFile> lock = lockFor(kept);
    QSaveFile keep(kept);
    if (!lock->tryLock(0) || !keep.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(problemOf(keep));
    QString problem = writeSynced(keep, target.toUtf8() + '\n' + hashOf(bytes) + '\n' + before);
    if (!problem.isEmpty() || !keep.commit())
        return failure(problem.isEmpty() ? problemOf(keep) : problem);
    SyncFolder(keepFolder);

    problem = overwrite(file, bytes);
    if (!problem.isEmpty()) {
        file.unsetError();
        if (!overwrite(file, before).isEmpty())
            return failure(problem, kept); // put back at the next start
    }
    QFile::remove(kept);
    return {problem.isEmpty(), problem, {}};
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
    const FileLook look = LookAt(path);
    if (!look.problem.isEmpty())
        return failure(look.problem);
    const QFileInfo target(look.exists ? QFileInfo(path).canonicalFilePath() : path);
    ClearStrayTemporaryFiles(target.absolutePath());

    QSaveFile file(path);
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    if (look.exists &&
        (opened ? !KeepOwner(file, look) : !QFileInfo(target.absolutePath()).isWritable())) {
        file.cancelWriting();
        return writeInPlace(target.filePath(), bytes, keepFolder);
    }
    if (!opened)
        return failure(file.errorString());
    const QString problem = writeSynced(file, bytes);
    if (!problem.isEmpty()) {
        file.cancelWriting();
        return failure(problem);
    }
    if (!file.commit())
        return failure(file.errorString());
    SyncFolder(target.absolutePath());
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
        if (!lock->tryLock(0))
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
            if (!settled && overwrite(file, before).isEmpty()) {
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
            startsLikeOurs(file, match.captured(1)))
            QFile::remove(file.absoluteFilePath());
    }
}

} // namespace quorvel
