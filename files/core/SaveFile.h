#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace quorvel {

struct FileWriteResult
{
    bool ok = false;
    QString reason; // the system's word for what went wrong
    // After a failure: where the file's old bytes are kept, when the file
    // itself may no longer hold them. Empty: the file is as it was.
    QString oldBytesKeptIn;
    explicit operator bool() const { return ok; }
};

// Replaces the file at path with bytes, or leaves it as it was.
//
// QSaveFile writes a new file beside it, synced, and renames it over the old
// one: symbolic links are followed, the mode kept, and a file with other hard
// links gets a file of its own. What QSaveFile lacks is added: a file whose
// look fails is refused, not guessed at; so is a file the crew's own rights
// would not let them write (root's read-only file in the crew's folder),
// though the rename would be allowed; the owner and group are kept.
//
// Only where the folder cannot be written but the file can (or the owner
// could not be kept) is the file written where it is. Its old bytes are then
// first kept, synced, in keepFolder, put back when the write fails, and put
// back at the next start by RestoreInterruptedSaves after a crash.
FileWriteResult SaveFile(const QString &path, QByteArrayView bytes, const QString &keepFolder);

// Puts back the old bytes of files whose in-place save was cut short by a
// crash (the file is neither the old nor the new one) and forgets the kept
// copies of finished ones. Copies kept by a program still running are left
// alone. Returns the files put back.
QStringList RestoreInterruptedSaves(const QString &keepFolder);

// Removes the temporary files a crash left in folder: QSaveFile's
// "name.XXXXXX" beside a race, a recovery copy or the settings, holding the
// start of such a file and unchanged for a while. A save still writes its
// file at once; one stalled that long only fails, and says so.
void ClearStrayTemporaryFiles(const QString &folder);

} // namespace quorvel
