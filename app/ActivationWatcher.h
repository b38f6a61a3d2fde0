#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QWindow>

class QWidget;

namespace quorvel {

// Tells the main window when the crew comes back to it from another window
// of the program (Comments, About). Coming back from a message box or a
// dialog, or from another application to the window the crew left, does not
// count: the main window would otherwise recalculate, warn, and be activated
// again in a loop.
class ActivationWatcher : public QObject
{
    Q_OBJECT

public:
    explicit ActivationWatcher(QWidget *mainWindow);

    void addOwnWindow(QWidget *window);

signals:
    void returnedFromOwnWindow();

private:
    void focusWindowChanged(QWindow *window);
    [[nodiscard]] bool isOwnWindow(const QWindow *window) const;

    QWidget *mainWindow_;
    QList<QPointer<QWidget>> ownWindows_;
    QPointer<QWindow> previous_;
};

} // namespace quorvel
