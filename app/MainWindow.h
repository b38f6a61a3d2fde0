#pragma once

#include "RaceDocument.h"
#include "RowHelp.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QLabel;
class QGroupBox;
class QPushButton;
class QScrollArea;

namespace quorvel {

class AboutWindow;
class ActivationWatcher;
class CellEdit;
class CommentsWindow;
class Desktop;
class FileCommands;
class RecoveryKeeper;
class SheetView;

// The one main window: the race sheet with its captions, the projections,
// the Help box and the menu bar. It owns the race document, recalculates
// when the crew leaves a cell, moves the focus the way a crew types (Enter
// goes on to the next cell) and shows each cell's help.
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
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Caption, help texts from the file, then the recalculation: what the
    // window does each time it becomes the program's active window.
    void runActivationSteps();
    // Windows of the program whose closing hands the activation back here.
    void addOwnWindow(QWidget *window);
    // Recalculates, shows the results, and warns about the caution usage
    // once the current event is done.
    void recalculate();
    void buildMenu();
    void connectCommands();
    void exitProgram();
    void openComments();
    void openAbout();
    void print();
    void showProgramHelp();
    void showReplacedSheet(const RecalculationOutcome &outcome);
    void warnIfDue(const RecalculationOutcome &outcome);
    void buildWindow(double dotsPerInch);
    void fitClientOnScreen();
    void chainFocusOrder();
    void moveFocus(bool forward);
    void queueFocusMove(bool forward);
    void cellLeft(int cell, Qt::FocusReason reason);
    void captionClicked(int panel);
    void warnAboutCautionUsage();
    [[nodiscard]] bool canTakeFocus(const QWidget *widget) const;
    [[nodiscard]] bool isColumnHeading(const QObject *object) const;

    Desktop &desktop_;
    ProgramFolders folders_;
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
    ActivationWatcher *activationWatcher_ = nullptr;
    std::unique_ptr<RowHelp> rowHelp_;
    FileCommands *fileCommands_ = nullptr;
    RecoveryKeeper *recovery_ = nullptr;
    QPointer<CommentsWindow> comments_;
    QPointer<AboutWindow> about_;
    QString programFolder_;
    bool ending_ = false;
    // The cell already recalculated for by the focus move that is leaving it.
    int committedCell_ = -1;
    bool warningQueued_ = false;
    bool showingSheet_ = false;
    bool shownBefore_ = false;
};

} // namespace quorvel
