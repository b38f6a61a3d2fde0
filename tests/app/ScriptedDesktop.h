#pragma once

#include "Desktop.h"

#include <QList>
#include <QString>

#include <optional>

namespace quorvel {

// The desktop as a test sees it: every box and dialog the program puts up is
// recorded instead of shown and answered from a queue the test fills, so
// nothing blocks on a modal dialog.
class ScriptedDesktop final : public Desktop
{
public:
    struct Message
    {
        QString text;
        QString title;
    };
    struct Dialog
    {
        bool save = false;
        FileDialog shown;
    };

    void showMessage(QWidget *, const QString &text, const QString &title) override
    {
        messages.append({text, title});
    }

    Answer askYesNoCancel(QWidget *, const QString &text, const QString &title) override
    {
        questions.append({text, title});
        // An unexpected question is answered the safe way.
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }

    std::optional<QString> chooseFileToOpen(QWidget *, const FileDialog &dialog) override
    {
        dialogs.append({false, dialog});
        return fileChoices.isEmpty() ? std::nullopt : fileChoices.takeFirst();
    }

    std::optional<QString> chooseFileToSave(QWidget *, const FileDialog &dialog) override
    {
        dialogs.append({true, dialog});
        return fileChoices.isEmpty() ? std::nullopt : fileChoices.takeFirst();
    }

    void setBusyPointer(bool busy) override { this->busy = busy; }

    // What the program showed and asked.
    QList<Message> messages;
    QList<Message> questions;
    QList<Dialog> dialogs;
    bool busy = false;

    // How the crew answers, in order; nullopt cancels a file dialog.
    QList<Answer> answers;
    QList<std::optional<QString>> fileChoices;
};

} // namespace quorvel
