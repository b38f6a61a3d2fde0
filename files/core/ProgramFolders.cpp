#include "ProgramFolders.h"

#include "CurrentFile.h"
#include "SettingsFile.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <unistd.h>

namespace quorvel {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view ApplicationFolder = "quorvel";

bool writable(const fs::path &path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

// The file itself where it exists, else its folder, which would hold it.
bool mayWrite(const fs::path &file)
{
    std::error_code ignored;
    return fs::exists(file, ignored) ? fs::is_regular_file(file, ignored) && writable(file)
                                     : writable(file.parent_path());
}

// Without an error code these throw on an unreadable folder, and start-up
// must not end there.
bool pathExists(const fs::path &path)
{
    std::error_code ignored;
    return fs::exists(path, ignored);
}

bool isDirectory(const fs::path &path)
{
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

// $XDG_..._HOME, else the usual folder under $HOME. Qt 6.4's QStandardPaths
// would take a relative value as it stands.
fs::path userFolder(const EnvironmentLookup &environment, const char *variable,
                    const char *fallbackUnderHome)
{
    const char *set = environment(variable);
    // The XDG rules ignore a relative path.
    if (set && *set == '/')
        return fs::path(set);
    const char *home = environment("HOME");
    return fs::path(home && *home ? home : "/tmp") / fallbackUnderHome;
}

} // namespace

ProgramFolders ProgramFolders::besideProgram(std::string programFolder)
{
    ProgramFolders folders;
    folders.programFolder = std::move(programFolder);
    folders.settingsToRead = (fs::path(folders.programFolder) / SettingsFileName).string();
    folders.settingsToWrite = folders.settingsToRead;
    folders.dataFolder = (fs::path(folders.programFolder) / DataFolderName).string();
    folders.recoveryFolder =
        (userFolder(std::getenv, "XDG_STATE_HOME", ".local/state") / ApplicationFolder).string();
    return folders;
}

ProgramFolders LocateProgramFolders(const std::string &programFolder,
                                    const EnvironmentLookup &environment)
{
    ProgramFolders folders = ProgramFolders::besideProgram(programFolder);
    // Decided by what the build lays down, not by whether the folder
    // happens to be writable: root may write anywhere.
    const bool buildTree = pathExists(fs::path(programFolder) / BuildTreeMarker);

    const std::string beside = folders.settingsToWrite;
    const fs::path own = userFolder(environment, "XDG_CONFIG_HOME", ".config") / ApplicationFolder /
                         SettingsFileName;
    const bool keepBeside = buildTree && mayWrite(beside);
    if (!keepBeside)
        folders.settingsToWrite = own.string();
    folders.settingsToRead = keepBeside || pathExists(own) ? folders.settingsToWrite : beside;

    const fs::path data(folders.dataFolder);
    if (!buildTree || !isDirectory(data) || !writable(data))
        folders.dataFolder = (userFolder(environment, "XDG_DATA_HOME", ".local/share") /
                              ApplicationFolder / DataFolderName)
                                 .string();
    folders.recoveryFolder =
        (userFolder(environment, "XDG_STATE_HOME", ".local/state") / ApplicationFolder).string();
    return folders;
}

void PrepareDataFolder(const ProgramFolders &folders)
{
    const fs::path data(folders.dataFolder);
    if (isDirectory(data))
        return;
    std::error_code error;
    fs::create_directories(data, error);
    if (error)
        return;
    const fs::path samples = fs::path(folders.programFolder) / DataFolderName;
    if (samples != data && isDirectory(samples))
        fs::copy(samples, data, fs::copy_options::recursive | fs::copy_options::skip_existing,
                 error);
}

} // namespace quorvel
