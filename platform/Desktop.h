#pragma once

#include <QString>

class QWidget;

namespace quorvel {

// What the program asks of the desktop that a test cannot drive headlessly:
// modal boxes and the application-wide pointer. The real implementation
// talks to Qt; tests install a scripted one that records what was asked.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // A modal message box with only an OK button.
    virtual void showMessage(QWidget *parent, const QString &text, const QString &title) = 0;

    // The hourglass over every window of the program, or the normal pointer.
    virtual void setBusyPointer(bool busy) = 0;
};

} // namespace quorvel
