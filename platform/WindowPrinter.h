#pragma once

#include "Desktop.h"

#include <QPrinter>

class QWidget;

namespace quorvel {

// Prints a window's image as one page. One printer lives for the whole run,
// so what the crew chose in the printer setup, printing to a PDF file
// included, holds for every later page.
class WindowPrinter
{
public:
    WindowPrinter();

    [[nodiscard]] QPrinter &printer() { return printer_; }
    // The printer setup: which printer, or a PDF file, and its paper; no
    // copies or page ranges, since a print is always the one page.
    // Cancelling changes nothing.
    void chooseInDialog(QWidget *parent);
    // The widget's image across the page, from its top. A PDF file never
    // replaces an earlier one: the page goes to the next free name.
    Desktop::PrintResult print(QWidget *widget);

private:
    Desktop::PrintResult printToPdf(QWidget *widget);
    Desktop::PrintResult printOnPrinter(QWidget *widget);

    QPrinter printer_;
};

} // namespace quorvel
