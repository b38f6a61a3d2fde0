#include "ActivationWatcher.h"

#include <QGuiApplication>
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
}

bool ActivationWatcher::isOwnWindow(const QWindow *window) const
{
    if (!window)
        return false;
    for (const QPointer<QWidget> &own : ownWindows_) {
        if (own && own->windowHandle() == window)
            return true;
    }
    return false;
}

void ActivationWatcher::focusWindowChanged(QWindow *window)
{
    // Time spent in another application in between does not count: what
    // matters is which of the program's windows the crew was in last.
    if (!window)
        return;
    const bool fromOwnWindow = isOwnWindow(previous_);
    previous_ = window;
    if (window == mainWindow_->windowHandle() && fromOwnWindow)
        emit returnedFromOwnWindow();
}

} // namespace quorvel
