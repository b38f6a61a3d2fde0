#include "RecoveryKeeper.h"

#include "Desktop.h"
#include "ProgramVersion.h"
#include "RaceDocument.h"
#include "RecoveryCopy.h"
#include "SaveFile.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QWidget>

namespace quorvel {
namespace {

constexpr int WriteDelayMilliseconds = 1000;
const QString CopyPattern = QStringLiteral("race-*.lqr");
const QString InterruptedSave =
    QStringLiteral("Quorvel stopped while it was saving\n%1\nThe race that was there before "
                   "has been put back.");
const QString OfferQuestion =
    QStringLiteral("Quorvel did not close normally last time. Restore the race sheet it was "
                   "showing?");

// Held by a running program for as long as it runs. A lock left by a program
// that is gone is taken over; its age alone never makes it stale.
std::unique_ptr<QLockFile> lockFor(const QString &copy)
{
    auto lock = std::make_unique<QLockFile>(copy + QStringLiteral(".lock"));
    lock->setStaleLockTime(0);
    return lock;
}

} // namespace

RecoveryKeeper::RecoveryKeeper(RaceDocument &document, Desktop &desktop, QString folder,
                               QWidget *window)
    : QObject(window), document_(document), desktop_(desktop), window_(window),
      folder_(std::move(folder)), written_(SerializeRecoveryCopy(TakeRecoveryCopy(document)))
{
    timer_.setSingleShot(true);
    timer_.setInterval(WriteDelayMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &RecoveryKeeper::write);
    // The copy brings the caption back as the window showed it.
    if (window_)
        connect(window_, &QWidget::windowTitleChanged, this, &RecoveryKeeper::noteChange);
}

// Without discard() the program did not end cleanly: the copy stays.
RecoveryKeeper::~RecoveryKeeper() = default;

void RecoveryKeeper::noteChange()
{
    if (!ended_ && !timer_.isActive())
        timer_.start();
}

bool RecoveryKeeper::holdOwnCopy()
{
    if (ownLock_)
        return true;
    if (!QDir().mkpath(folder_))
        return false;
    // The first number no other copy uses, running or left behind.
    for (int number = 1;; ++number) {
        const QString copy = QStringLiteral("%1/race-%2.lqr").arg(folder_).arg(number);
        if (QFile::exists(copy))
            continue;
        std::unique_ptr<QLockFile> lock = lockFor(copy);
        if (lock->tryLock(0)) {
            ownCopy_ = copy;
            ownLock_ = std::move(lock);
            return true;
        }
        if (lock->error() != QLockFile::LockFailedError)
            return false; // no lock can be made here at all
    }
}

RecoveryCopy RecoveryKeeper::take() const
{
    RecoveryCopy copy = TakeRecoveryCopy(document_);
    const bool fileCaptionShown =
        window_ ? window_->windowTitle() == document_.currentFile().fileCaption()
                : !document_.currentFile().isUntitled();
    copy.caption =
        fileCaptionShown ? RecoveryCopy::Caption::File : RecoveryCopy::Caption::Activation;
    return copy;
}

void RecoveryKeeper::write()
{
    const RecoveryCopy copy = take();
    std::string bytes = SerializeRecoveryCopy(copy);
    if (bytes == written_)
        return;
    if (!HoldsRace(copy)) {
        // Nothing typed or opened since start or New: nothing to offer back.
        if (!ownLock_ || !QFile::exists(ownCopy_) || QFile::remove(ownCopy_))
            written_ = std::move(bytes);
        return;
    }
    if (!holdOwnCopy())
        return;
    // A failure (a full disk, a read-only home) is tried again at the next
    // change; the crew carries on either way.
    if (SaveFile(ownCopy_, QByteArray::fromStdString(bytes), {}))
        written_ = std::move(bytes);
}

void RecoveryKeeper::discard()
{
    ended_ = true;
    timer_.stop();
    if (ownLock_) {
        QFile::remove(ownCopy_);
        ownLock_.reset();
    }
}

void RecoveryKeeper::offerLeftCopy()
{
    // A race file whose save a crash cut short gets its old race back; the
    // race that was being saved is in the recovery copy offered below.
    for (const QString &file : RestoreInterruptedSaves(folder_))
        desktop_.showMessage(window_, InterruptedSave.arg(file), ProgramName());
    ClearStrayTemporaryFiles(folder_);
    ClearStrayTemporaryFiles(document_.currentFile().dataFolder());
    const QFileInfoList copies =
        QDir(folder_).entryInfoList({CopyPattern}, QDir::Files, QDir::Time);
    for (const QFileInfo &file : copies) {
        const QString path = file.absoluteFilePath();
        const std::unique_ptr<QLockFile> lock = lockFor(path);
        if (path == ownCopy_ || !lock->tryLock(0))
            continue; // a program that is still running keeps it
        const std::optional<RecoveryCopy> copy = ReadRecoveryCopy(path);
        const bool worthOffering = copy && HoldsRace(*copy);
        if (worthOffering &&
            desktop_.askYesNo(window_, OfferQuestion, ProgramName(), Desktop::Answer::Yes)) {
            const RecalculationOutcome outcome = document_.restore(*copy);
            const CurrentFile &file = document_.currentFile();
            emit captionChanged(copy->caption == RecoveryCopy::Caption::File
                                    ? file.fileCaption()
                                    : file.activationCaption());
            emit sheetReplaced(outcome);
            // Kept in this program's own copy before the old one goes.
            write();
        }
        // Restored, refused, or of no use to anyone: the old copy goes.
        QFile::remove(path);
        if (worthOffering)
            return;
    }
}

} // namespace quorvel
