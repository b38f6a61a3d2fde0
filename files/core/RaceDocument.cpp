#include "RaceDocument.h"

#include "RecoveryCopy.h"
#include "TextFields.h"

#include <QDir>
#include <QFileInfo>

namespace quorvel {

RaceDocument::RaceDocument(const ProgramFolders &folders)
    : currentFile_(folders.dataFolder), settingsToRead_(folders.settingsToRead),
      settingsToWrite_(folders.settingsToWrite), kept_(workedOut()),
      keepFolder_(folders.recoveryFolder)
{}

RaceDocument::RaceDocument(const QString &programFolder)
    : RaceDocument(ProgramFolders::besideProgram(programFolder))
{}

RecalculationOutcome RaceDocument::startNew()
{
    sheet_.clearAllTexts();
    comment_.clear();
    currentFile_.makeUntitled();
    cutFile_.reset();
    markKept(std::nullopt);
    return recalculate();
}

RecalculationOutcome RaceDocument::restore(const RecoveryCopy &copy)
{
    takeContents(copy.race);
    settings_ = copy.settings;
    currentFile_.tieTo(copy.currentFile);
    cutFile_ = copy.openedCutFrom;
    markKept(std::nullopt);
    return recalculate();
}

RaceDocument::ReadOutcome RaceDocument::readRaceFile(const QString &path)
{
    // Looked at before reading: a write that comes between is then taken
    // for a change, never missed.
    const std::optional<FileStamp> stamp = StampOf(path);
    RaceFileReadResult read = ReadRaceFile(path);
    ReadOutcome outcome;
    outcome.status = read.status;
    outcome.reason = read.reason;
    outcome.cut = read.cut;
    if (read.status != RaceFileReadStatus::Read)
        return outcome;

    takeContents(read.contents);
    cutFile_ = read.cut ? std::optional(path) : std::nullopt;
    currentFile_.tieTo(path);
    markKept(stamp);
    outcome.recalculation = recalculate();
    return outcome;
}

void RaceDocument::takeContents(const RaceFileContents &contents)
{
    for (int i = 0; i < CellCount; ++i)
        sheet_.setText(i, contents.cells[static_cast<std::size_t>(i)]);
    comment_ = contents.comment;
    if (contents.inputMode)
        inputMode_ = *contents.inputMode;
    if (contents.unitSystem)
        settings_.unitSystem = *contents.unitSystem;
    if (contents.gasketInput)
        settings_.gasketInput = *contents.gasketInput;
}

RaceDocument::WriteOutcome RaceDocument::writeRaceFile(const QString &path)
{
    WriteOutcome outcome;
    outcome.result =
        SaveFile(path, QByteArray::fromStdString(SerializeRaceFile(fileContents())), keepFolder_);
    if (!outcome.result)
        return outcome;
    // The crew chose to keep the shortened race there.
    if (wouldReplaceCutFile(path))
        cutFile_.reset();
    currentFile_.tieTo(path);
    markKept(StampOf(path));
    outcome.recalculation = recalculate();
    return outcome;
}

RaceFileContents RaceDocument::fileContents() const
{
    RaceFileContents contents;
    for (int i = 0; i < CellCount; ++i)
        contents.cells[static_cast<std::size_t>(i)] = sheet_.text(i);
    contents.comment = comment_;
    contents.inputMode = inputMode_;
    contents.unitSystem = settings_.unitSystem;
    return contents;
}

std::string RaceDocument::workedOut() const
{
    RaceSheet worked = sheet_;
    RecalculateSheet(worked);
    std::string race = comment_;
    for (int i = 0; i < CellCount; ++i)
        race += std::string(LineEnd) + worked.text(i);
    return race;
}

void RaceDocument::markKept(std::optional<FileStamp> stamp)
{
    kept_ = workedOut();
    fileStamp_ = stamp;
}

bool RaceDocument::holdsTypedWork() const
{
    return workedOut() != kept_;
}

bool RaceDocument::fileChangedSince() const
{
    const std::optional<FileStamp> now = StampOf(currentFile_.path());
    return fileStamp_ && now && *now != *fileStamp_;
}

bool RaceDocument::wouldReplaceCutFile(const QString &path) const
{
    return cutFile_ && (path == *cutFile_ || SameFile(path, *cutFile_));
}

void RaceDocument::readSettings()
{
    settings_ = ReadSettingsFile(settingsToRead_);
}

FileWriteResult RaceDocument::writeSettings() const
{
    // The user's own settings folder may not be there yet.
    QDir().mkpath(QFileInfo(settingsToWrite_).path());
    return SaveFile(settingsToWrite_, QByteArray::fromStdString(SerializeSettings(settings_)),
                    keepFolder_);
}

} // namespace quorvel
