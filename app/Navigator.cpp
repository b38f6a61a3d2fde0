#include "Navigator.h"

#include "CellEdit.h"
#include "SheetView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScopedValueRollback>
#include <QWidget>
#include <QWindow>

namespace quorvel {
namespace {

// The panel of "Total Gallons Added": its H Hour cell is typed into only in
// gallons mode, so a click on it takes the crew nowhere.
constexpr int GallonsCaption = static_cast<int>(Row::GallonsAdded);

bool isFocusMoveBetweenCells(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason &&
           reason != Qt::MenuBarFocusReason;
}

} // namespace

Navigator::Navigator(QWidget *mainWindow, const Controls &controls, Recalculation recalculation)
    : QObject(mainWindow), mainWindow_(mainWindow), controls_(controls),
      recalculation_(std::move(recalculation))
{
    std::vector<QWidget *> order;
    for (CellEdit *cell : controls_.sheet->cellsInFocusOrder())
        order.push_back(cell);
    order.push_back(controls_.focusButton);
    order.push_back(controls_.recalculateButton);
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i]->installEventFilter(this);
        if (i + 1 < order.size())
            QWidget::setTabOrder(order[i], order[i + 1]);
    }
    controls_.testConditions->installEventFilter(this);
    for (int column = 0; column < ColumnCount; ++column)
        controls_.sheet->columnHeading(column)->installEventFilter(this);
    mainWindow_->installEventFilter(this);

    connect(controls_.sheet, &SheetView::cellLeft, this,
            [this](int, Qt::FocusReason reason) { cellLeft(reason); });
    connect(controls_.sheet, &SheetView::captionClicked, this, &Navigator::captionClicked);
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this, &Navigator::focusWindowChanged);
    controls_.sheet->cellEdit(SideCell::TankCapacity)->setFocus(Qt::OtherFocusReason);
}

void Navigator::addOwnWindow(QWidget *window, OnLeaving onLeaving)
{
    ownWindows_.removeIf([](const OwnWindow &own) { return !own.window; });
    ownWindows_.append({window, onLeaving});
    window->installEventFilter(this);
}

void Navigator::recalculate()
{
    // One recalculation at a time: the focus moves of showing one are no
    // reason for another.
    if (step_ == Step::ShowingSheet)
        return;
    showSheet(recalculation_());
}

void Navigator::showSheet(const RecalculationOutcome &outcome)
{
    {
        const QScopedValueRollback showing(step_, Step::ShowingSheet);
        controls_.sheet->showSheet();
    }
    if (outcome.cautionUsageOutOfRange)
        warnWhenDone();
    emit sheetShown();
}

void Navigator::takeOver()
{
    emit activated();
}

void Navigator::warnWhenDone()
{
    if (warningDue_)
        return;
    warningDue_ = true;
    // Events other than keys (a click, an activation) are done once the
    // event loop comes round; a key shows it itself, sooner.
    QMetaObject::invokeMethod(this, &Navigator::showDueWarning, Qt::QueuedConnection);
}

void Navigator::showDueWarning()
{
    if (!warningDue_)
        return;
    warningDue_ = false;
    emit cautionUsageWarningDue();
}

void Navigator::cellLeft(Qt::FocusReason reason)
{
    if (step_ == Step::Typing && isFocusMoveBetweenCells(reason))
        recalculate();
}

QWidget *Navigator::nextStop(QWidget *from, bool forward) const
{
    // The focus chain of the main window, passing over what cannot take
    // the focus now: hidden rows, greyed gallons, the hidden field.
    for (QWidget *widget = from;;) {
        widget = forward ? widget->nextInFocusChain() : widget->previousInFocusChain();
        if (widget == from)
            return nullptr;
        if (widget->window() == mainWindow_ && (widget->focusPolicy() & Qt::TabFocus) &&
            widget->isVisible() && widget->isEnabled())
            return widget;
    }
}

void Navigator::moveFocus(bool forward)
{
    // The main window's own focus, not the application's: while the splash
    // is up the main window takes keys without being the active window.
    QWidget *from = mainWindow_->focusWidget();
    if (!from)
        return;
    // Recalculate before choosing where to go: the recalculation opens and
    // closes the cells the move passes over.
    const bool fromCell = qobject_cast<CellEdit *>(from) != nullptr;
    if (fromCell)
        recalculate();
    QWidget *to = nextStop(mainWindow_->focusWidget(), forward);
    if (!to)
        return;
    const QScopedValueRollback moving(step_, fromCell ? Step::MovingOn : step_);
    to->setFocus(forward ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

bool Navigator::handleKey(QObject *watched, const QKeyEvent &key)
{
    const bool inCell = qobject_cast<CellEdit *>(watched) != nullptr;
    if (key.matches(QKeySequence::Copy)) {
        recalculate();
        if (auto *edit = qobject_cast<QLineEdit *>(watched))
            edit->copy();
        return true;
    }
    switch (key.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        moveFocus(true);
        return true;
    case Qt::Key_Tab:
        if (key.modifiers() & (Qt::ControlModifier | Qt::AltModifier))
            return false;
        moveFocus(!(key.modifiers() & Qt::ShiftModifier));
        return true;
    case Qt::Key_Backtab:
        moveFocus(false);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        // Only a cell moves on; a button would otherwise move the focus itself.
        if (inCell)
            moveFocus(key.key() == Qt::Key_Down);
        return true;
    default:
        return false;
    }
}

bool Navigator::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        // Only keys typed on a stop of the sheet's focus order: the program's
        // other windows handle their own keys, and none of them reaches the
        // sheet (Enter on About's OK closes About, never moves a cell).
        if (isStop(watched) && handleKey(watched, *static_cast<QKeyEvent *>(event))) {
            showDueWarning();
            return true;
        }
        break;
    case QEvent::MouseButtonPress:
        if (watched == controls_.testConditions || isColumnHeading(watched))
            controls_.focusButton->setFocus(Qt::OtherFocusReason);
        break;
    case QEvent::Show:
        if (watched == mainWindow_ && lastWindow_ == LastWindow::None) {
            lastWindow_ = LastWindow::Main;
            emit activated();
        }
        break;
    case QEvent::Close:
        // Without a window manager nothing else would.
        if (watched != mainWindow_ && QApplication::activeWindow() == watched)
            mainWindow_->activateWindow();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

const Navigator::OwnWindow *Navigator::ownWindow(const QWindow *window) const
{
    for (const OwnWindow &own : ownWindows_) {
        if (own.window && own.window->windowHandle() == window)
            return &own;
    }
    return nullptr;
}

void Navigator::focusWindowChanged(QWindow *window)
{
    // No window: another application has the keyboard, which does not
    // count. Only the program's windows do, and only once the crew has seen
    // the main window.
    if (!window || lastWindow_ == LastWindow::None)
        return;
    // Decided while the crew was there: a window closed with OK has gone
    // by the time the focus comes back.
    const bool fromOwnWindow = lastWindow_ == LastWindow::Own;
    const OwnWindow left = lastOwnWindow_;
    const OwnWindow *entered = ownWindow(window);
    lastWindow_ = entered ? LastWindow::Own : LastWindow::Main;
    lastOwnWindow_ = entered ? *entered : OwnWindow{};
    if (!fromOwnWindow || (entered && entered->window == left.window))
        return;
    if (left.window && left.onLeaving == OnLeaving::Close)
        left.window->close();
    if (window == mainWindow_->windowHandle())
        emit activated();
}

bool Navigator::isColumnHeading(const QObject *object) const
{
    for (int column = 0; column < ColumnCount; ++column) {
        if (object == controls_.sheet->columnHeading(column))
            return true;
    }
    return false;
}

bool Navigator::isStop(const QObject *object) const
{
    return qobject_cast<const CellEdit *>(object) || object == controls_.focusButton ||
           object == controls_.recalculateButton;
}

bool Navigator::canTakeFocus(const QWidget *widget) const
{
    return widget && widget->isVisibleTo(mainWindow_) && widget->isEnabled();
}

void Navigator::captionClicked(int panel)
{
    if (panel == GallonsCaption)
        return;
    QWidget *target = controls_.sheet->cellEdit(panel);
    if (!canTakeFocus(target))
        target = controls_.sheet->cellEdit(panel + RowsPerColumn);
    if (canTakeFocus(target))
        target->setFocus(Qt::OtherFocusReason);
}

} // namespace quorvel
