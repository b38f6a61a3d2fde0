#pragma once

#include "RaceDocument.h"
#include "RowHelp.h"
#include "RunningPrograms.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QLabel;
class QGroupBox;
class QPushButton;
class QScrollArea;

namespace quorvel {

class AboutWindow;
class CellEdit;
class CommentsWindow;
class Desktop;
class FileCommands;
class Navigator;
class RecoveryKeeper;
class SheetView;

// The one main window: the race sheet with its captions, the projections,
// the Help box and the menu bar. It owns the race document and wires the
// commands; where the focus goes and when the sheet is recalculated is the
// Navigator's.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(const QString &programFolder, Desktop &desktop, QWidget *parent = nullptr);
    ~MainWindow() override;

    // The splash has gone: the normal pointer back, this window in front.
    void takeOverFromSplash();

signals:
    // Exit has been answered and the settings written: the program ends.
    void endRequested();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    // Caption, help texts from the file, then the recalculation: what the
    // window does each time it becomes the program's active window.
    void runActivationSteps();
    void buildMenu();
    void connectCommands();
    void exitProgram();
    void openComments();
    void openAbout();
    void print();
    void showProgramHelp();
    void showReplacedSheet(const RecalculationOutcome &outcome);
    void buildWindow(double dotsPerInch);
    void fitClientOnScreen(double dotsPerInch);
    // Where a window that would stand at frame goes.
    [[nodiscard]] QPoint cascaded(const QRect &frame, const QRect &screenRoom, int step) const;

    Desktop &desktop_;
    ProgramFolders folders_;
    RunningPrograms runningPrograms_;
    RaceDocument document_;
    QWidget *client_ = nullptr;
    QScrollArea *scrollArea_ = nullptr;
    QGroupBox *projections_ = nullptr;
    QGroupBox *helpFrame_ = nullptr;
    QGroupBox *testConditions_ = nullptr;
    QLabel *helpBox_ = nullptr;
    QPushButton *recalculateButton_ = nullptr;
    QPushButton *focusButton_ = nullptr;
    SheetView *sheetView_ = nullptr;
    Navigator *navigator_ = nullptr;
    std::unique_ptr<RowHelp> rowHelp_;
    FileCommands *fileCommands_ = nullptr;
    RecoveryKeeper *recovery_ = nullptr;
    QPointer<CommentsWindow> comments_;
    QPointer<AboutWindow> about_;
    QString programFolder_;
    bool ending_ = false;
};

} // namespace quorvel
