#include "RunningPrograms.h"

#include <QDir>
#include <QLockFile>

namespace quorvel {
namespace {

// More programs than a crew would ever start: the windows of the later ones
// go where the last one went.
constexpr int MostCounted = 16;

} // namespace

RunningPrograms::RunningPrograms(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return;
    for (int number = 0; number < MostCounted; ++number) {
        auto lock = std::make_unique<QLockFile>(
            QStringLiteral("%1/window-%2.lock").arg(folder).arg(number + 1));
        lock->setStaleLockTime(0);
        if (lock->tryLock(0)) {
            lock_ = std::move(lock);
            number_ = number;
            return;
        }
        if (lock->error() != QLockFile::LockFailedError)
            return; // no lock can be made here at all
    }
    number_ = MostCounted;
}

RunningPrograms::~RunningPrograms() = default;

} // namespace quorvel
