#include "ActivationWatcher.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace quorvel {

ActivationWatcher::ActivationWatcher(QWidget *mainWindow)
    : QObject(mainWindow), mainWindow_(mainWindow)
{
    connect(qGuiApp, &QGuiApplication::focusWindowChanged, this,
            &ActivationWatcher::focusWindowChanged);
}

void ActivationWatcher::addOwnWindow(QWidget *window)
{
    ownWindows_.removeAll(nullptr);
    ownWindows_.append(window);
    window->installEventFilter(this);
}

bool ActivationWatcher::isOwnWindow(const QWindow *window) const
{
    for (const QPointer<QWidget> &own : ownWindows_) {
        if (own && own->windowHandle() == window)
            return true;
    }
    return false;
}

bool ActivationWatcher::eventFilter(QObject *watched, QEvent *event)
{
    // Closing the window the crew is in hands the focus back to the main
    // window, as a window manager would; without one nothing else does.
    if (event->type() == QEvent::Close && QApplication::activeWindow() == watched)
        mainWindow_->activateWindow();
    return QObject::eventFilter(watched, event);
}

void ActivationWatcher::focusWindowChanged(QWindow *window)
{
    // Time spent in another application in between does not count: what
    // matters is which of the program's windows the crew was in last.
    if (!window)
        return;
    const bool fromOwnWindow = inOwnWindow_;
    inOwnWindow_ = isOwnWindow(window);
    if (window == mainWindow_->windowHandle() && fromOwnWindow)
        emit returnedFromOwnWindow();
}

} // namespace quorvel
