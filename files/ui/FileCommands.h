#pragma once

#include "RaceDocument.h"

#include <QObject>
#include <QString>

class QWidget;

namespace quorvel {

class Desktop;

// New, Open, Save, Save As and Exit: the commands that tie the race sheet to
// race files. They ask the crew through the desktop, move the race through
// the document, and tell the window what to show; no sheet is ever lost,
// since a save that fails is reported and changes nothing. Paths go to and
// from the file system in its own encoding, exactly as chosen.
class FileCommands : public QObject
{
    Q_OBJECT

public:
    FileCommands(RaceDocument &document, Desktop &desktop, QWidget *window);

    void newRace();
    // Asks first where the crew typed anything since the race was last read,
    // written, restored or made new.
    void open();
    // True when the race was written. Save asks before it replaces a file
    // that another program wrote meanwhile.
    bool save();
    bool saveAs();

    enum class ExitDecision { KeepRunning, End };
    // Asks whether to save, saves, and writes the settings. The program goes
    // on running after Cancel, and also when the crew wanted the race saved
    // but it was not (the dialog cancelled or the write failed).
    ExitDecision exit();

signals:
    // The sheet was recalculated after New, a read or a write.
    void sheetReplaced(const quorvel::RecalculationOutcome &outcome);
    void captionChanged(const QString &caption);

private:
    // Asks whether to save the sheet before it goes: true when the command
    // may go on (No, or Yes and the race was saved).
    bool mayLeaveSheet(const QString &question);
    bool write(const QString &path);
    [[nodiscard]] QString dataFolder() const;
    [[nodiscard]] QString initialFileName() const;

    RaceDocument &document_;
    Desktop &desktop_;
    QWidget *window_;
};

} // namespace quorvel
