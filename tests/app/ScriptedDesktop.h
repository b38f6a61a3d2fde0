#pragma once

#include "Desktop.h"

#include <QList>
#include <QString>

namespace quorvel {

// The desktop as a test sees it: every box the program puts up is recorded
// instead of shown, so nothing blocks on a modal dialog.
class ScriptedDesktop final : public Desktop
{
public:
    struct Message
    {
        QString text;
        QString title;
    };

    void showMessage(QWidget *, const QString &text, const QString &title) override
    {
        messages.append({text, title});
    }

    void setBusyPointer(bool busy) override { this->busy = busy; }

    QList<Message> messages;
    bool busy = false;
};

} // namespace quorvel
