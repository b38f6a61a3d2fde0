#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quorvel {

// Marks the program folder of a build tree. The build puts it there and the
// install step never copies it.
inline constexpr std::string_view BuildTreeMarker = "quorvel-build-tree";

// Where the program keeps its files. A build tree keeps them beside the
// program. An installed program never writes into its own folders, whoever
// runs it (root included), so that removing it leaves nothing behind: the
// settings and the races go to the user's own folders (the XDG config and
// data homes).
struct ProgramFolders
{
    std::string programFolder;   // holds the executable, kvtext/ and help/
    std::string settingsToRead;  // KVCNFG.DNX as start-up reads it
    std::string settingsToWrite; // and as Exit writes it
    std::string dataFolder;      // where the file dialogs start
    // Where the running program keeps its recovery copy, and a file written
    // in place its old bytes: the user's state folder, also for a build tree.
    std::string recoveryFolder;

    // Everything beside the program, as in the build folder; the state
    // folder as the environment says.
    static ProgramFolders besideProgram(std::string programFolder);
};

// Reads an environment variable; nullptr when it is not set.
using EnvironmentLookup = std::function<const char *(const char *)>;

// Chooses the folders for this run. Makes nothing on disk. The settings are
// written beside the program only in a build tree whose settings file can be
// written, and otherwise to the user's own file; they are read from where
// they are written, except that until the user's own file exists the program
// folder's is read, even when it cannot be written.
[[nodiscard]] ProgramFolders LocateProgramFolders(const std::string &programFolder,
                                                  const EnvironmentLookup &environment);

// The user's own data folder made on first use, with the sample races from
// beside the program copied in; a data folder beside the program is left
// alone. Failing to make it is not an error: the dialogs then open
// wherever the desktop chooses.
void PrepareDataFolder(const ProgramFolders &folders);

} // namespace quorvel
