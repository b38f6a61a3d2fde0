#include "PrintCommand.h"

#include "Desktop.h"

#include <QLabel>
#include <QWidget>

namespace quorvel {

const QString PrintCommand::Title = QStringLiteral("Printed Comment");
// Two line breaks between the sentences, as the box shows them.
const QString PrintCommand::Prompt =
    QStringLiteral("Enter a comment which will be printed with this report.\n\nJust press "
                   "<Enter> or click on OK to enter no comment.  Click on Cancel to cancel "
                   "printing.");
const QString PrintCommand::InitialText = QStringLiteral(" ");

namespace {

// The busy pointer over the main window for as long as the command runs.
class BusyWindow
{
public:
    explicit BusyWindow(QWidget *window) : window_(window) { window_->setCursor(Qt::WaitCursor); }
    BusyWindow(const BusyWindow &) = delete;
    BusyWindow &operator=(const BusyWindow &) = delete;
    ~BusyWindow() { window_->unsetCursor(); }

private:
    QWidget *window_;
};

// The comment line in the Help box while the page is printed; the help text
// it replaced comes back however printing ends.
class CommentInHelpBox
{
public:
    CommentInHelpBox(QLabel *helpBox, const QString &line)
        : helpBox_(helpBox), former_(helpBox->text())
    {
        helpBox_->setVisible(true);
        helpBox_->setText(line);
    }
    CommentInHelpBox(const CommentInHelpBox &) = delete;
    CommentInHelpBox &operator=(const CommentInHelpBox &) = delete;
    ~CommentInHelpBox() { helpBox_->setText(former_); }

private:
    QLabel *helpBox_;
    QString former_;
};

QString withoutBlanksAround(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && text.at(last - 1) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first);
}

} // namespace

PrintCommand::PrintCommand(Desktop &desktop, QWidget *window, QWidget *page, QLabel *helpBox)
    : desktop_(desktop), window_(window), page_(page), helpBox_(helpBox)
{}

QString PrintCommand::CommentLine(const QString &typed)
{
    const QString comment = withoutBlanksAround(typed);
    return comment.isEmpty() ? QString() : QStringLiteral("Comment: ") + comment;
}

void PrintCommand::run()
{
    Desktop::PrintResult printed;
    {
        const BusyWindow busy(window_);
        const std::optional<QString> typed = desktop_.askText(window_, Prompt, Title, InitialText);
        if (!typed)
            return;
        const QString line = CommentLine(*typed);
        if (line.isEmpty()) {
            printed = desktop_.printImage(page_);
        } else {
            const CommentInHelpBox shown(helpBox_, line);
            printed = desktop_.printImage(page_);
        }
    }
    if (!printed.ok)
        ReportPrintFailure(desktop_, window_, printed.reason);
}

void ReportPrintFailure(Desktop &desktop, QWidget *parent, const QString &reason)
{
    desktop.showMessage(parent,
                        QStringLiteral("Nothing was printed: %1\n\nChoose a printer, or printing "
                                       "to a PDF file, with File > Print Setup.")
                            .arg(reason),
                        QStringLiteral("Quorvel"));
}

} // namespace quorvel
