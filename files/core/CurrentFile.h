#pragma once

#include <QLatin1StringView>
#include <QString>

namespace quorvel {

inline constexpr QLatin1StringView UntitledFile("Untitled");
inline constexpr QLatin1StringView DataFolderName("lqrfiles");

// The short upper-case name of a race file for the window caption: the path
// below the data folder when the file lies in it (sub-folders included),
// otherwise the file's own name. "Untitled" gives UNTITLED.
[[nodiscard]] QString ComputeDisplayName(const QString &currentFile, const QString &dataFolder);

// The race file the sheet belongs to, if any, and the captions naming it.
class CurrentFile
{
public:
    // The folder the file dialogs start in and display names are taken
    // below.
    explicit CurrentFile(const QString &dataFolder);

    // The path, or "Untitled".
    [[nodiscard]] const QString &path() const { return path_; }
    [[nodiscard]] bool isUntitled() const { return path_ == UntitledFile; }
    [[nodiscard]] const QString &displayName() const { return displayName_; }
    [[nodiscard]] const QString &dataFolder() const { return dataFolder_; }
    // The part after the last '/', in its own letter case: the file
    // dialogs' initial name.
    [[nodiscard]] QString fileName() const { return path_.section('/', -1); }

    void tieTo(const QString &path);
    void makeUntitled() { tieTo(UntitledFile); }
    // Works the display name out again from the path.
    void refreshDisplayName() { displayName_ = ComputeDisplayName(path_, dataFolder_); }

    // After New and at every activation of the main window.
    [[nodiscard]] QString activationCaption() const;
    // After a race file was read or written.
    [[nodiscard]] QString fileCaption() const;

private:
    QString dataFolder_;
    QString path_{UntitledFile};
    QString displayName_;
};

} // namespace quorvel
