#include "PrintCommand.h"

#include "ProgramVersion.h"

#include <QEventLoop>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <chrono>
#include <optional>

namespace quorvel {

namespace {

// Long enough for a window manager to take a closed box away, short enough
// to go unnoticed before a page.
constexpr std::chrono::milliseconds SettleAfterBox(100);

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
        helpBox_->setText(wrappable(line));
    }
    CommentInHelpBox(const CommentInHelpBox &) = delete;
    CommentInHelpBox &operator=(const CommentInHelpBox &) = delete;
    ~CommentInHelpBox() { helpBox_->setText(former_); }

private:
    // The box wraps at blanks only, and would cut a word wider than itself
    // at its edge: such a word may break anywhere, at an invisible
    // zero-width space after each of its characters.
    QString wrappable(const QString &line) const
    {
        const QFontMetrics metrics = helpBox_->fontMetrics();
        QStringList words = line.split(QLatin1Char(' '));
        for (QString &word : words) {
            if (metrics.horizontalAdvance(word) <= helpBox_->contentsRect().width())
                continue;
            QString broken;
            for (const QChar c : std::as_const(word)) {
                broken += c;
                broken += QChar(0x200B);
            }
            word = broken;
        }
        return words.join(QLatin1Char(' '));
    }

    QLabel *helpBox_;
    QString former_;
};

// "Comment: " and the comment without the blanks around it; empty when
// nothing is left.
QString commentLine(const QString &typed)
{
    qsizetype first = 0;
    qsizetype last = typed.size();
    while (first < last && typed.at(first) == QLatin1Char(' '))
        ++first;
    while (last > first && typed.at(last - 1) == QLatin1Char(' '))
        --last;
    return first == last ? QString() : QStringLiteral("Comment: ") + typed.mid(first, last - first);
}

} // namespace

PrintCommand::PrintCommand(Desktop &desktop, QWidget *window, QWidget *page, QLabel *helpBox)
    : desktop_(desktop), window_(window), page_(page), helpBox_(helpBox)
{}

void PrintCommand::run()
{
    Desktop::PrintResult printed;
    {
        const BusyWindow busy(window_);
        // The box starts with one blank, so Enter alone prints no comment.
        const std::optional<QString> typed = desktop_.askText(
            window_,
            QStringLiteral("Enter a comment which will be printed with this report.\n\nJust "
                           "press <Enter> or click on OK to enter no comment.  Click on Cancel "
                           "to cancel printing."),
            QStringLiteral("Printed Comment"), QStringLiteral(" "));
        if (!typed)
            return;
        // The box that has just closed leaves the window uncovered and the
        // focus back in its cell, which shows the cell's help: let that
        // happen first, the crew's input held back, so that nothing of it
        // overwrites the comment line or stays on screen while printing.
        QEventLoop settling;
        QTimer::singleShot(SettleAfterBox, &settling, &QEventLoop::quit);
        settling.exec(QEventLoop::ExcludeUserInputEvents);
        const QString line = commentLine(*typed);
        std::optional<CommentInHelpBox> shown;
        if (!line.isEmpty())
            shown.emplace(helpBox_, line);
        // The crew sees on screen what goes on the page.
        window_->repaint();
        printed = desktop_.printImage(page_);
    }
    ReportPrinted(desktop_, window_, printed);
}

void ReportPrinted(Desktop &desktop, QWidget *parent, const Desktop::PrintResult &printed)
{
    if (!printed.ok)
        desktop.showMessage(parent,
                            QStringLiteral("Nothing was printed: %1\n\nChoose a printer, or "
                                           "printing to a PDF file, with File > Print Setup.")
                                .arg(printed.reason),
                            ProgramName());
    else if (!printed.savedTo.isEmpty())
        desktop.showMessage(
            parent, QStringLiteral("The page was saved to the PDF file\n%1").arg(printed.savedTo),
            ProgramName());
}

} // namespace quorvel
