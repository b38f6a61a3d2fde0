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
    // The system's printer setup on this printer; cancelling changes nothing.
    void chooseInDialog(QWidget *parent);
    // The widget's image scaled to fit the page, its proportions kept.
    Desktop::PrintResult print(QWidget *widget);

private:
    [[nodiscard]] bool reachable() const;

    QPrinter printer_;
};

} // namespace quorvel
