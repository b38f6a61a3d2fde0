#pragma once

#include "Desktop.h"

class QLabel;
class QWidget;

namespace quorvel {

// File > Print: the main window's picture as one page, with an optional
// comment line shown in the Help box while it is printed. Whatever happens,
// the Help box and the pointer are as they were afterwards.
class PrintCommand
{
public:
    // window: where the pointer turns busy; page: what is printed.
    PrintCommand(Desktop &desktop, QWidget *window, QWidget *page, QLabel *helpBox);

    void run();

private:
    Desktop &desktop_;
    QWidget *window_;
    QWidget *page_;
    QLabel *helpBox_;
};

// Tells the crew where a page went when it went to a PDF file, or that
// nothing was printed, and what to do about it.
void ReportPrinted(Desktop &desktop, QWidget *parent, const Desktop::PrintResult &printed);

} // namespace quorvel
