#pragma once

#include <QFuture>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace quorvel {

// What the program asks of the desktop that a test cannot drive headlessly:
// modal boxes, the file and printer dialogs, printing, starting another
// program and the application-wide pointer. The real implementation
// talks to Qt; tests install a scripted one that records what was asked.
class Desktop
{
public:
    virtual ~Desktop() = default;

    // A modal message box with only an OK button.
    virtual void showMessage(QWidget *parent, const QString &text, const QString &title) = 0;

    enum class Answer { Yes, No, Cancel };
    // A modal question with Yes, No and Cancel and the question icon.
    virtual Answer askYesNoCancel(QWidget *parent, const QString &text, const QString &title) = 0;
    // A modal question with only Yes and No and the question icon; true for
    // Yes. Enter gives the preferred answer: No where Yes would lose data.
    virtual bool askYesNo(QWidget *parent, const QString &text, const QString &title,
                          Answer preferred) = 0;

    // What a file dialog starts with.
    struct FileDialog
    {
        QString title;
        QString folder;
        QString fileName;
        QString filter;
    };
    // The chosen file, which must exist; nullopt when cancelled.
    virtual std::optional<QString> chooseFileToOpen(QWidget *parent, const FileDialog &dialog) = 0;
    // The chosen file, replacing one only when the user confirmed it; no
    // extension is added. nullopt when cancelled.
    virtual std::optional<QString> chooseFileToSave(QWidget *parent, const FileDialog &dialog) = 0;

    // A modal input box with OK and Cancel: the text as the user left it, or
    // nullopt when cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const QString &prompt,
                                           const QString &title, const QString &initialText) = 0;

    // The system's printer setup. What the user confirms there holds for
    // every later printing while the program runs.
    virtual void choosePrinter(QWidget *parent) = 0;

    struct PrintResult
    {
        bool ok = false;
        QString reason;  // why nothing was printed
        QString savedTo; // the PDF file the page went to; empty for a printer
    };
    // Prints the widget's image, as it shows now, as one page on the current
    // printer, or into a PDF file that replaces no earlier one.
    virtual PrintResult printImage(QWidget *widget) = 0;

    // Starts a program with the arguments, without a shell and without
    // waiting for it. The future says how it went once that is known,
    // however late: false when it could not be started or ended with a
    // failure, true when it ended well. It stays unfinished while the
    // program runs on.
    virtual QFuture<bool> startProgram(const QString &program, const QStringList &arguments) = 0;

    // The hourglass over every window of the program, or the normal pointer.
    virtual void setBusyPointer(bool busy) = 0;
};

} // namespace quorvel
