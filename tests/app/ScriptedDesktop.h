#pragma once

#include "Desktop.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
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
        std::optional<Answer> preferred; // of a Yes/No question: what Enter gives
    };
    struct TextBox
    {
        QString prompt;
        QString title;
        QString initialText;
    };
    struct Page
    {
        QWidget *widget = nullptr;
        QString seen; // what onPrint looked at while the page was printed
    };

    void showMessage(QWidget *parent, const QString &text, const QString &title) override
    {
        messages.append({text, title, {}});
        if (showWith)
            showWith(parent, text, title);
    }

    Answer askYesNoCancel(QWidget *, const QString &text, const QString &title) override
    {
        questions.append({text, title, {}});
        // An unexpected question is answered the safe way.
        return answers.isEmpty() ? Answer::Cancel : answers.takeFirst();
    }

    bool askYesNo(QWidget *parent, const QString &text, const QString &title,
                  Answer preferred) override
    {
        questions.append({text, title, preferred});
        return askWith ? askWith(parent, text, title, preferred)
                       : !answers.isEmpty() && answers.takeFirst() == Answer::Yes;
    }

    std::optional<QString> chooseFileToOpen(QWidget *, const FileDialog &dialog) override
    {
        dialogs.append(dialog);
        return fileChoices.isEmpty() ? std::nullopt : fileChoices.takeFirst();
    }

    // The dialogs are told apart by their titles.
    std::optional<QString> chooseFileToSave(QWidget *parent, const FileDialog &dialog) override
    {
        return chooseFileToOpen(parent, dialog);
    }

    std::optional<QString> askText(QWidget *, const QString &prompt, const QString &title,
                                   const QString &initialText) override
    {
        textBoxes.append({prompt, title, initialText});
        return typedTexts.isEmpty() ? std::nullopt : typedTexts.takeFirst();
    }

    void choosePrinter(QWidget *) override {}

    PrintResult printImage(QWidget *widget) override
    {
        printed.append({widget, onPrint ? onPrint() : QString()});
        return printWith ? printWith(widget) : PrintResult{true, {}, {}};
    }

    QFuture<bool> startProgram(const QString &program, const QStringList &arguments) override
    {
        if (startWith)
            return startWith(program, arguments);
        // Qt 6.6 renamed it and warns of the old name; Debian 12 has 6.4.
#if QT_VERSION >= QT_VERSION_CHECK(6, 6, 0)
        return QtFuture::makeReadyValueFuture(false);
#else
        return QtFuture::makeReadyFuture(false);
#endif
    }

    void setBusyPointer(bool) override {}

    // What the program showed and asked.
    QList<Message> messages;
    QList<Message> questions;
    QList<FileDialog> dialogs;
    QList<TextBox> textBoxes;
    QList<Page> printed;

    // How the crew answers, in order; nullopt cancels a file dialog.
    QList<Answer> answers;
    QList<std::optional<QString>> fileChoices;
    QList<std::optional<QString>> typedTexts;
    std::function<QString()> onPrint;
    // A real printer and a real program start, for the tests that look at
    // what came out; without them every page prints and no program starts.
    std::function<PrintResult(QWidget *)> printWith;
    std::function<void(QWidget *, const QString &, const QString &)> showWith;
    std::function<QFuture<bool>(const QString &, const QStringList &)> startWith;
    // A real question box, for the tests that press its keys.
    std::function<bool(QWidget *, const QString &, const QString &, Answer)> askWith;
};

} // namespace quorvel
