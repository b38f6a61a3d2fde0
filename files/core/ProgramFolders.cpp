#include "ProgramFolders.h"

#include "CurrentFile.h"
#include "SettingsFile.h"
#include "SystemFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace quorvel {
namespace {

// The file itself where it exists, else its folder, which would hold it.
bool mayWrite(const QString &file)
{
    const QFileInfo info(file);
    return info.exists() ? info.isFile() && info.isWritable() : QFileInfo(info.path()).isWritable();
}

} // namespace

ProgramFolders ProgramFolders::besideProgram(const QString &programFolder)
{
    ProgramFolders folders;
    folders.programFolder = programFolder;
    folders.settingsToRead = programFolder + '/' + SettingsFileName;
    folders.settingsToWrite = folders.settingsToRead;
    folders.dataFolder = programFolder + '/' + DataFolderName;
    folders.recoveryFolder = OwnUserFolders().state;
    return folders;
}

ProgramFolders LocateProgramFolders(const QString &programFolder)
{
    ProgramFolders folders = ProgramFolders::besideProgram(programFolder);
    // Decided by what the build lays down, not by whether the folder
    // happens to be writable: root may write anywhere.
    const bool buildTree = QFileInfo::exists(programFolder + '/' + BuildTreeMarker);

    const UserFolders user = OwnUserFolders();
    const QString beside = folders.settingsToWrite;
    const QString own = user.settings + '/' + SettingsFileName;
    const bool keepBeside = buildTree && mayWrite(beside);
    if (!keepBeside)
        folders.settingsToWrite = own;
    folders.settingsToRead =
        keepBeside || QFileInfo::exists(own) ? folders.settingsToWrite : beside;

    const QFileInfo data(folders.dataFolder);
    if (!buildTree || !data.isDir() || !data.isWritable())
        folders.dataFolder = user.races + '/' + DataFolderName;
    return folders;
}

void PrepareDataFolder(const ProgramFolders &folders)
{
    const QDir samples(folders.programFolder + '/' + DataFolderName);
    if (QFileInfo(folders.dataFolder).isDir() || !QDir().mkpath(folders.dataFolder) ||
        !samples.exists() || samples == QDir(folders.dataFolder))
        return;
    QDirIterator files(samples.path(), QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString name = files.next(),
                      copy = folders.dataFolder + '/' + samples.relativeFilePath(name);
        QDir().mkpath(QFileInfo(copy).path());
        QFile::copy(name, copy);
    }
}

} // namespace quorvel
