#pragma once

#include <functional>
#include <string>

namespace quorvel {

// Where the program keeps its files. Beside the program wherever that can be
// written (a build folder, a folder of the crew's own); an installed program
// folder is not writable by the crew, so the settings and the races then go
// to the user's own folders (the XDG config and data homes).
struct ProgramFolders
{
    std::string programFolder; // holds the executable, kvtext/ and help/
    std::string settingsFile;  // KVCNFG.DNX
    std::string dataFolder;    // where the file dialogs start

    // Everything beside the program, as in the build folder.
    static ProgramFolders besideProgram(std::string programFolder);
};

// Reads an environment variable; nullptr when it is not set.
using EnvironmentLookup = std::function<const char *(const char *)>;

// Chooses the folders for this run. Makes nothing on disk.
[[nodiscard]] ProgramFolders LocateProgramFolders(const std::string &programFolder,
                                                  const EnvironmentLookup &environment);

// The user's own data folder made on first use, with the sample races from
// beside the program copied in; a data folder beside the program is left
// alone. Failing to make it is not an error: the dialogs then open
// wherever the desktop chooses.
void PrepareDataFolder(const ProgramFolders &folders);

} // namespace quorvel
