#pragma once

#include "RecalculateSheet.h"

#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>

class QKeyEvent;
class QWindow;
class QWidget;

namespace quorvel {

class SheetView;

// Where the focus goes on the main window, when the sheet is recalculated,
// and when the window runs its activation steps. The rules, all of them:
//
//  1. Enter (from any control), Tab, and Up and Down (from a cell) move the
//     focus while their key is handled, never later: the sheet is
//     recalculated first and the move goes where the new sheet leads (-99 and
//     Enter in a can number lands on the gallons just opened), so the next
//     key, however soon it was typed, lands in the cell moved to. Enter is
//     used up; Up and Down would do nothing in a one-line cell, and on a
//     button they do nothing at all. Shift does not change Up and Down.
//  2. Leaving a cell recalculates, once. A move of rule 1 has already done
//     so; the sheet's own moves while it is shown (a focused cell it hides or
//     greys hands the focus on) are not the crew's; losing the focus to
//     another window, a menu or a popup is not leaving a cell.
//  3. Ctrl+C recalculates, and the cell still copies its selection.
//  4. A click on the grid's background or on a column heading commits the
//     cell being typed in: the out-of-sight focus button takes the focus.
//  5. A click on a caption goes to its row's H Hour cell, or to the 1st Pit
//     cell where that one cannot take the focus; "Total Gallons Added" goes
//     nowhere.
//  6. The caution-usage warning comes once per event that raised it, when
//     that event is done. Raised by a key, it comes before the next key is
//     handled, so keys typed ahead meet the box as they would typed slowly.
//  7. The activation steps run at the first show, when the splash hands over
//     (takeOver), and when the crew comes back to the main window from
//     another of the program's own windows (Comments, About), whether that
//     window was closed or the crew clicked the main window. Never on the
//     return from a message box, a dialog or another application: the
//     warning would otherwise come back for ever.
//  8. A window added with OnLeaving::Close (Comments) closes when the crew
//     goes to another window of the program; switching to another
//     application keeps it. Closing the window the crew is in hands the
//     focus back to the main window, as a window manager would.
class Navigator : public QObject
{
    Q_OBJECT

public:
    struct Controls
    {
        SheetView *sheet;
        QWidget *focusButton;
        QWidget *recalculateButton;
        QWidget *testConditions;
    };
    using Recalculation = std::function<RecalculationOutcome()>;

    Navigator(QWidget *mainWindow, const Controls &controls, Recalculation recalculation);

    enum class OnLeaving { Stay, Close };
    void addOwnWindow(QWidget *window, OnLeaving onLeaving);

    // Recalculates and shows the result.
    void recalculate();
    // Shows a sheet that has just been recalculated (Open, New, a restore).
    void showSheet(const RecalculationOutcome &outcome);
    // The splash has gone: the main window is the crew's again.
    void takeOver();

signals:
    void activated();
    // The widgets show a sheet that may have changed.
    void sheetShown();
    void cautionUsageWarningDue();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // What the focus changes going on now mean.
    enum class Step {
        Typing,       // the crew's own: leaving a cell recalculates
        MovingOn,     // a move of rule 1, which has recalculated already
        ShowingSheet, // the sheet being shown hands the focus on
    };
    // Which of the program's windows the crew was in last.
    enum class LastWindow {
        None, // the main window has not been shown yet
        Main, // the main window, or a box or dialog of the program
        Own,  // lastOwnWindow_
    };
    struct OwnWindow
    {
        QPointer<QWidget> window;
        OnLeaving onLeaving = OnLeaving::Stay;
    };

    // Whether the key was one of the navigation keys; it is used up then.
    bool handleKey(QObject *watched, const QKeyEvent &key);
    void moveFocus(bool forward);
    [[nodiscard]] QWidget *nextStop(QWidget *from, bool forward) const;
    void cellLeft(Qt::FocusReason reason);
    void captionClicked(int panel);
    void warnWhenDone();
    void showDueWarning();
    void focusWindowChanged(QWindow *window);
    [[nodiscard]] const OwnWindow *ownWindow(const QWindow *window) const;
    [[nodiscard]] bool canTakeFocus(const QWidget *widget) const;
    [[nodiscard]] bool isColumnHeading(const QObject *object) const;
    [[nodiscard]] bool isStop(const QObject *object) const;

    QWidget *mainWindow_;
    Controls controls_;
    Recalculation recalculation_;
    QList<OwnWindow> ownWindows_;
    Step step_ = Step::Typing;
    LastWindow lastWindow_ = LastWindow::None;
    OwnWindow lastOwnWindow_;
    bool warningDue_ = false;
};

} // namespace quorvel
