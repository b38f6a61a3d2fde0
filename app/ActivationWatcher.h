#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWindow>

class QWidget;

namespace quorvel {

// Tells the main window when the crew comes back to it from another window
// of the program (Comments, About), whether that window was closed with its
// own button or the crew clicked the main window. Coming back from a message
// box or a dialog, or from another application to the window the crew left,
// does not count: the main window would otherwise recalculate, warn, and be
// activated again in a loop.
class ActivationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit ActivationWatcher(QWidget *mainWindow);

    void addOwnWindow(QWidget *window);

signals:
    void returnedFromOwnWindow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void focusWindowChanged(QWindow *window);
    [[nodiscard]] bool isOwnWindow(const QWindow *window) const;

    QWidget *mainWindow_;
    QList<QPointer<QWidget>> ownWindows_;
    // Whether the crew's last window of the program was one of its own
    // windows. Decided while that window had the focus: by the time the
    // focus comes back, a window closed with OK has already gone.
    bool inOwnWindow_ = false;
};

} // namespace quorvel
