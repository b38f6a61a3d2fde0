#pragma once

#include <QLatin1StringView>
#include <QString>

namespace quorvel {

// Marks the program folder of a build tree. The build puts it there and the
// install step never copies it.
inline constexpr QLatin1StringView BuildTreeMarker("quorvel-build-tree");

// Where the program keeps its files. A build tree keeps them beside the
// program. An installed program never writes into its own folders, whoever
// runs it (root included), so that removing it leaves nothing behind: the
// settings and the races go to the user's own folders (on Linux the XDG
// config and data homes; on Windows %APPDATA% and Documents).
struct ProgramFolders
{
    QString programFolder;   // holds the executable, kvtext/ and help/
    QString settingsToRead;  // KVCNFG.DNX as start-up reads it
    QString settingsToWrite; // and as Exit writes it
    QString dataFolder;      // where the file dialogs start
    // Where the running program keeps its recovery copy, and a file written
    // in place its old bytes: the user's state folder, also for a build tree.
    QString recoveryFolder;

    // Everything beside the program, as in the build folder; the state
    // folder as the environment says.
    static ProgramFolders besideProgram(const QString &programFolder);
};

// Chooses the folders for this run from the environment. Makes nothing on
// disk. The settings are written beside the program only in a build tree
// whose settings file can be written, and otherwise to the user's own file;
// they are read from where they are written, except that until the user's
// own file exists the program folder's is read, even when it cannot be
// written.
[[nodiscard]] ProgramFolders LocateProgramFolders(const QString &programFolder);

// The user's own data folder made on first use, with the sample races from
// beside the program copied in; a data folder beside the program is left
// alone. Failing to make it is not an error: the dialogs then open
// wherever the desktop chooses.
void PrepareDataFolder(const ProgramFolders &folders);

} // namespace quorvel
