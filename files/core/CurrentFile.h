#pragma once

#include <string>
#include <string_view>

namespace quorvel {

inline constexpr std::string_view UntitledFile = "Untitled";
inline constexpr std::string_view DataFolderName = "lqrfiles";

// The short upper-case name of a race file for the window caption: the path
// below the data folder when the file lies in it (sub-folders included),
// otherwise the file's own name. "Untitled" gives UNTITLED.
[[nodiscard]] std::string ComputeDisplayName(std::string_view currentFile,
                                             std::string_view dataFolder);

// The race file the sheet belongs to, if any, and the captions naming it.
class CurrentFile
{
public:
    // The folder the file dialogs start in and display names are taken
    // below.
    explicit CurrentFile(std::string dataFolder);

    // The path, or "Untitled".
    [[nodiscard]] const std::string &path() const { return path_; }
    [[nodiscard]] bool isUntitled() const { return path_ == UntitledFile; }
    [[nodiscard]] const std::string &displayName() const { return displayName_; }
    [[nodiscard]] const std::string &dataFolder() const { return dataFolder_; }
    // The part after the last '/', in its own letter case: the file
    // dialogs' initial name.
    [[nodiscard]] std::string fileName() const;

    void tieTo(std::string path);
    void makeUntitled();
    // Works the display name out again from the path.
    void refreshDisplayName();

    // After New and at every activation of the main window.
    [[nodiscard]] std::string activationCaption() const;
    // After a race file was read or written.
    [[nodiscard]] std::string fileCaption() const;

private:
    std::string dataFolder_;
    std::string path_{UntitledFile};
    std::string displayName_;
};

} // namespace quorvel
