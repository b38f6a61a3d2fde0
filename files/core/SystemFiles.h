#pragma once

#include <QFile>
#include <QString>

#include <cstdint>
#include <optional>

namespace quorvel {

// The few things about files that Qt does not say the same way on every
// system. Each system has its own source file; nothing else in the program
// calls the system directly.

// What a save must know of the file it replaces.
struct FileLook
{
    bool exists = false;
    QString problem; // why the file must not be replaced; empty: it may
    unsigned owner = 0;
    unsigned group = 0;
};
// A look that fails gives a problem: the file's kind, rights and owner are
// then unknown. A file the crew's own rights would not let them write is a
// problem too, though root could write it or the rename would be allowed.
[[nodiscard]] FileLook LookAt(const QString &path);

// Gives the open file the owner and group the look found, where the system
// allows; false when it could not.
[[nodiscard]] bool KeepOwner(QFileDevice &file, const FileLook &look);

// Writes what the file holds to the disk; the system's word when that
// failed, else empty.
[[nodiscard]] QString SyncToDisk(QFileDevice &file);
// Makes a rename in the folder itself durable.
void SyncFolder(const QString &folder);

// Whether two paths lead to one file, hard links included.
[[nodiscard]] bool SameFile(const QString &one, const QString &other);

// The user's own folders for this program, each ending in its own
// folder's name: where an installed program, which may not write beside
// itself, keeps what it writes.
struct UserFolders
{
    QString settings;
    QString races; // the crew's documents
    QString state; // kept between runs but no document: recovery copies, locks
};
[[nodiscard]] UserFolders OwnUserFolders();

// What tells one version of a file from the next without reading it: the
// file the name leads to (a save that renames a new file over the name makes
// another one), its size and the time it was last written. A change of any
// of them means the file was written since.
struct FileStamp
{
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;

    friend bool operator==(const FileStamp &, const FileStamp &) = default;
};

// The stamp of the file path leads to, links followed; nullopt when there is
// none there, or it cannot be looked at.
[[nodiscard]] std::optional<FileStamp> StampOf(const QString &path);

} // namespace quorvel
