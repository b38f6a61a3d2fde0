#pragma once

#include "Desktop.h"
#include "PrintSystem.h"

#include <QFuture>
#include <QPrinter>

#include <chrono>
#include <memory>

class QWidget;

namespace quorvel {

// Prints a window's image as one page. What the crew confirmed in the
// printer setup, printing to a PDF file included, holds for every later
// page; until then the page goes to the print system's default printer, on
// that printer's own paper. The print system is asked afresh at every page,
// and never waited for longer than a few seconds.
class WindowPrinter
{
public:
    // How long a page waits for the print system to answer.
    static constexpr std::chrono::milliseconds Patience{4000};

    // Made on first use: it asks the print system for its printers.
    [[nodiscard]] QPrinter &printer();
    // The printer setup: which printer, or a PDF file, and its paper; no
    // copies or page ranges, since a print is always the one page.
    // Cancelling changes nothing. While the print system does not answer,
    // only a PDF file can be chosen.
    void chooseInDialog(QWidget *parent);
    // What the setup's OK does, for one printer or a PDF file.
    void choosePrinter(const QString &name);
    void choosePdfFile(const QString &file);
    // The widget's image across the page, from its top. A PDF file never
    // replaces an earlier one: the page goes to the next free name.
    Desktop::PrintResult print(QWidget *widget);

    using PrintSystemAnswer = PrintSystem::Answer;

private:
    PrintSystemAnswer askPrintSystem(std::shared_ptr<const PrintSystem> system);
    // The PDF file's paper: the printer's, else the one of the crew's country.
    [[nodiscard]] QPageLayout pdfLayout() const;
    Desktop::PrintResult printToPdf(QWidget *widget);
    Desktop::PrintResult printOnPrinter(QWidget *widget);

    std::unique_ptr<QPrinter> printer_;
    // What the crew confirmed: a PDF file, or a printer; neither at first.
    QString pdfFile_;
    QString chosenPrinter_;
    QFuture<PrintSystemAnswer> question_;
};

} // namespace quorvel
