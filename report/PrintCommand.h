#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace quorvel {

class Desktop;

// File > Print: the main window's picture as one page, with an optional
// comment line shown in the Help box while it is printed. Whatever happens,
// the Help box and the pointer are as they were afterwards.
class PrintCommand
{
public:
    // window: where the pointer turns busy; page: what is printed.
    PrintCommand(Desktop &desktop, QWidget *window, QWidget *page, QLabel *helpBox);

    void run();

    static const QString Title;
    static const QString Prompt;
    // The box starts with one blank, so Enter alone prints no comment.
    static const QString InitialText;

    // "Comment: " and the comment without the blanks around it; empty when
    // nothing is left.
    [[nodiscard]] static QString CommentLine(const QString &typed);

private:
    Desktop &desktop_;
    QWidget *window_;
    QWidget *page_;
    QLabel *helpBox_;
};

// Tells the crew a page could not be printed, and what to do about it.
void ReportPrintFailure(Desktop &desktop, QWidget *parent, const QString &reason);

} // namespace quorvel
