#pragma once

#include "CurrentFile.h"
#include "ProgramFolders.h"
#include "RaceFile.h"
#include "RaceSheet.h"
#include "RecalculateSheet.h"
#include "SaveFile.h"
#include "SettingsFile.h"
#include "SystemFiles.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

struct RecoveryCopy;

// Everything the program keeps about the race on the pit wall: the sheet,
// the comment, the carried settings and the file it belongs to. One lives as
// long as the main window; the window and quorvel-calc drive it.
class RaceDocument
{
public:
    explicit RaceDocument(const ProgramFolders &folders);
    // Everything beside the program.
    explicit RaceDocument(const QString &programFolder);

    [[nodiscard]] RaceSheet &sheet() { return sheet_; }
    [[nodiscard]] const RaceSheet &sheet() const { return sheet_; }

    // Line breaks are CR LF.
    [[nodiscard]] const std::string &comment() const { return comment_; }
    void setComment(std::string_view comment) { comment_ = NormaliseLineBreaks(comment); }

    [[nodiscard]] std::int16_t inputMode() const { return inputMode_; }
    [[nodiscard]] const CarriedSettings &settings() const { return settings_; }
    [[nodiscard]] CurrentFile &currentFile() { return currentFile_; }
    [[nodiscard]] const CurrentFile &currentFile() const { return currentFile_; }

    RecalculationOutcome recalculate() { return RecalculateSheet(sheet_); }

    // Takes back the race a run that did not end cleanly left in its
    // recovery copy: cells, comment, carried values and the file the sheet
    // belonged to (not the copy itself), and the file it was opened cut
    // from, then recalculates.
    RecalculationOutcome restore(const RecoveryCopy &copy);

    // New: every cell and the comment emptied, untitled, recalculated.
    RecalculationOutcome startNew();

    struct ReadOutcome
    {
        RaceFileReadStatus status = RaceFileReadStatus::NotARaceFile;
        QString reason;
        RecalculationOutcome recalculation;
        // Texts in the file were longer than the program keeps: the sheet
        // holds their beginnings.
        bool cut = false;
    };
    // Takes the race from the file, ties the sheet to it and recalculates.
    // A file that is not a race file, or cannot be opened, changes nothing.
    ReadOutcome readRaceFile(const QString &path);

    struct WriteOutcome
    {
        FileWriteResult result;
        RecalculationOutcome recalculation;
    };
    // Saves the race to the file, ties the sheet to it and recalculates. A
    // failed save changes nothing here, and the file on disk is as it was.
    WriteOutcome writeRaceFile(const QString &path);

    [[nodiscard]] RaceFileContents fileContents() const;

    // Whether the crew typed anything into the race (a cell, the comment)
    // since it was last read, written, restored or made new; typing an entry
    // back as it was counts as nothing typed.
    [[nodiscard]] bool holdsTypedWork() const;
    // Whether the file the sheet belongs to was written by someone else since
    // this program last read or wrote it. A file that is gone holds nothing
    // to lose, and a restored race has no reading to compare with: neither
    // counts.
    [[nodiscard]] bool fileChangedSince() const;

    // Whether writing to path would replace the file the race was opened
    // cut from (until New or another Open) with the shortened race.
    [[nodiscard]] bool wouldReplaceCutFile(const QString &path) const;
    [[nodiscard]] const std::optional<QString> &openedCutFrom() const { return cutFile_; }

    // Where the folders say: see LocateProgramFolders.
    void readSettings();
    FileWriteResult writeSettings() const;

private:
    // The cells, the comment and the carried values a race file holds; what
    // the file did not reach keeps its value.
    void takeContents(const RaceFileContents &contents);
    // The race with every result worked out afresh, so that two sheets
    // holding the same entries compare equal whatever was last recalculated.
    [[nodiscard]] std::string workedOut() const;
    // The sheet now holds what the crew last kept or started from.
    void markKept(std::optional<FileStamp> stamp);

    RaceSheet sheet_;
    std::string comment_;
    std::int16_t inputMode_ = 0;
    CarriedSettings settings_;
    CurrentFile currentFile_;
    std::optional<QString> cutFile_;
    QString settingsToRead_;
    QString settingsToWrite_;
    std::string kept_;
    std::optional<FileStamp> fileStamp_;
    // Where a file written in place keeps its old bytes meanwhile.
    QString keepFolder_;
};

} // namespace quorvel
