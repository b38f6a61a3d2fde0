#include "CurrentFile.h"

#include <QDir>

namespace quorvel {

QString ComputeDisplayName(const QString &currentFile, const QString &dataFolder)
{
    // Both raised, so the folder is found in the name whatever its case.
    const QString file = currentFile.toUpper(), folder = dataFolder.toUpper() + '/';
    // In the data folder only when the folder is followed by a separator:
    // the folder itself, or a folder whose name merely begins the same, is
    // not inside it.
    // Shown with the system's separators: "2003\RACE1.DAT" on Windows.
    const qsizetype at = file.indexOf(folder);
    if (!dataFolder.isEmpty() && at >= 0)
        return QDir::toNativeSeparators(file.mid(at + folder.size()));
    return file.section('/', -1);
}

CurrentFile::CurrentFile(const QString &dataFolder) : dataFolder_(dataFolder)
{
    while (dataFolder_.size() > 1 && dataFolder_.endsWith('/'))
        dataFolder_.chop(1);
    refreshDisplayName();
}

void CurrentFile::tieTo(const QString &path)
{
    path_ = path;
    refreshDisplayName();
}

QString CurrentFile::activationCaption() const
{
    return QStringLiteral("Quorvel - Dunmere   [ %1 ]").arg(displayName_);
}

QString CurrentFile::fileCaption() const
{
    return QStringLiteral("Quorvel  [ %1 ]").arg(displayName_);
}

} // namespace quorvel
