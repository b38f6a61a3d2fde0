#include "ProgramFolders.h"

#include "CurrentFile.h"
#include "SettingsFile.h"

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

// $XDG_..._HOME, else the usual folder under $HOME.
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
    folders.settingsFile = (fs::path(folders.programFolder) / SettingsFileName).string();
    folders.dataFolder = (fs::path(folders.programFolder) / DataFolderName).string();
    return folders;
}

ProgramFolders LocateProgramFolders(const std::string &programFolder,
                                    const EnvironmentLookup &environment)
{
    ProgramFolders folders = ProgramFolders::besideProgram(programFolder);
    const fs::path settings(folders.settingsFile);
    const bool settingsWritable =
        pathExists(settings) ? writable(settings) : writable(fs::path(programFolder));
    if (!settingsWritable)
        folders.settingsFile = (userFolder(environment, "XDG_CONFIG_HOME", ".config") /
                                ApplicationFolder / SettingsFileName)
                                   .string();
    const fs::path data(folders.dataFolder);
    if (!isDirectory(data) || !writable(data))
        folders.dataFolder = (userFolder(environment, "XDG_DATA_HOME", ".local/share") /
                              ApplicationFolder / DataFolderName)
                                 .string();
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
