#include "FileCommands.h"

#include "Desktop.h"

#include <QFileInfo>
#include <QWidget>

namespace quorvel {

namespace {

const QString SaveInputsTitle = QStringLiteral("Save Inputs");
const QString NewQuestion = QStringLiteral(
    "Save these specs to a file before blanking out these inputs?  (If you say No, you must "
    "re-enter these specs by hand to recreate them.)");
const QString ExitQuestion = QStringLiteral(
    "Save these specs to a file.  (If you say No, you must re-enter them by hand to recreate "
    "them?");
// Close to New's question: the crew meets the same choice.
const QString OpenQuestion = QStringLiteral(
    "Save these specs to a file before opening another race?  (If you say No, you must "
    "re-enter these specs by hand to recreate them.)");
const QString BadFileTitle = QStringLiteral("Bad File");
const QString BadFileMessage = QStringLiteral("This is not a Quorvel file and can not be used.");
// Race files are written without an extension, so the one filter must show
// every file: "*.*" would hide names without a dot here.
const QString AllFilesFilter = QStringLiteral("All Files (*)");
const QString OpenTitle = QStringLiteral("Open a File");
const QString SaveTitle = QStringLiteral("Save a File");
const QString FileUnchanged =
    QStringLiteral("The file that was there is unchanged, and the sheet is still open: choose "
                   "Save As to save it somewhere else.");
// Said only when the file may no longer hold the race that was there.
const QString OldRaceKept = QStringLiteral(
    "The file may be damaged: the race that was there is kept in\n%1\nand Quorvel puts it back "
    "at its next start. The sheet is still open: choose Save As to save it somewhere else.");
const QString NoFileMade =
    QStringLiteral("The sheet is still open: choose Save As to save it somewhere else.");
const QString CutOnOpening = QStringLiteral(
    "Some texts in\n%1\nare longer than Quorvel keeps (a cell keeps 4,096 bytes of text, "
    "the comment 1 MiB): only their beginnings were opened.\n\nSaving over this file would lose "
    "the rest, so Save asks first.");
const QString CutOnSaving = QStringLiteral(
    "This race was opened shortened from\n%1\nwhose longer texts Quorvel could not keep.\n\n"
    "Replace the file with the shortened race? The parts that were cut are then lost.");
const QString ChangedOnDisk = QStringLiteral(
    "%1\nhas changed since Quorvel last opened or saved it: another program, or another "
    "Quorvel, has written it.\n\nReplace it with these specs?  (If you say No, the file stays "
    "as it is: choose Save As to save these specs under another name.)");

} // namespace

FileCommands::FileCommands(RaceDocument &document, Desktop &desktop, QWidget *window)
    : QObject(window), document_(document), desktop_(desktop), window_(window)
{}

QString FileCommands::dataFolder() const
{
    return document_.currentFile().dataFolder();
}

QString FileCommands::initialFileName() const
{
    return document_.currentFile().fileName();
}

bool FileCommands::mayLeaveSheet(const QString &question)
{
    switch (desktop_.askYesNoCancel(window_, question, SaveInputsTitle)) {
    case Desktop::Answer::Cancel:
        return false;
    case Desktop::Answer::Yes:
        return saveAs();
    case Desktop::Answer::No:
        break;
    }
    return true;
}

void FileCommands::newRace()
{
    if (!mayLeaveSheet(NewQuestion))
        return;
    const RecalculationOutcome outcome = document_.startNew();
    emit captionChanged(document_.currentFile().activationCaption());
    emit sheetReplaced(outcome);
}

void FileCommands::open()
{
    // Asked before the dialog, as New asks: the sheet, and the recovery copy
    // that follows it, hold the typed race until the crew has answered.
    if (document_.holdsTypedWork() && !mayLeaveSheet(OpenQuestion))
        return;
    const std::optional<QString> path = desktop_.chooseFileToOpen(
        window_, {OpenTitle, dataFolder(), initialFileName(), AllFilesFilter});
    if (!path || path->isEmpty())
        return;
    const RaceDocument::ReadOutcome read = document_.readRaceFile(*path);
    if (read.status != RaceFileReadStatus::Read) {
        // A file that cannot be read is as unusable as one that is not a race.
        desktop_.showMessage(window_, BadFileMessage, BadFileTitle);
        return;
    }
    emit captionChanged(document_.currentFile().fileCaption());
    emit sheetReplaced(read.recalculation);
    if (read.cut)
        desktop_.showMessage(window_, CutOnOpening.arg(*path), OpenTitle);
}

bool FileCommands::saveAs()
{
    const std::optional<QString> path = desktop_.chooseFileToSave(
        window_, {SaveTitle, dataFolder(), initialFileName(), AllFilesFilter});
    if (!path || path->isEmpty())
        return false;
    return write(*path);
}

bool FileCommands::save()
{
    if (document_.currentFile().isUntitled())
        return saveAs();
    const QString &path = document_.currentFile().path();
    // Two programs on one race: the last Save would otherwise win unseen.
    if (document_.fileChangedSince() &&
        !desktop_.askYesNo(window_, ChangedOnDisk.arg(path), SaveTitle, Desktop::Answer::No))
        return false;
    return write(path);
}

bool FileCommands::write(const QString &path)
{
    if (document_.wouldReplaceCutFile(path) &&
        !desktop_.askYesNo(window_, CutOnSaving.arg(path), SaveTitle, Desktop::Answer::No))
        return false;
    const bool fileThere = QFileInfo(path).isFile();
    const RaceDocument::WriteOutcome written = document_.writeRaceFile(path);
    if (!written.result) {
        desktop_.showMessage(window_,
                             QStringLiteral("The race could not be saved to\n%1\n\n%2.\n\n%3")
                                 .arg(path, written.result.reason,
                                      !written.result.oldBytesKeptIn.isEmpty()
                                          ? OldRaceKept.arg(written.result.oldBytesKeptIn)
                                      : fileThere ? FileUnchanged
                                                  : NoFileMade),
                             SaveTitle);
        return false;
    }
    emit captionChanged(document_.currentFile().fileCaption());
    emit sheetReplaced(written.recalculation);
    return true;
}

FileCommands::ExitDecision FileCommands::exit()
{
    if (!mayLeaveSheet(ExitQuestion))
        return ExitDecision::KeepRunning;
    // The program ends whether or not the settings could be kept.
    (void)document_.writeSettings();
    return ExitDecision::End;
}

} // namespace quorvel
