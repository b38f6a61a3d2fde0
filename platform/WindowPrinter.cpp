#include "WindowPrinter.h"

#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QWidget>

namespace quorvel {

WindowPrinter::WindowPrinter() : printer_(QPrinter::HighResolution) {}

void WindowPrinter::chooseInDialog(QWidget *parent)
{
    QPrintDialog dialog(&printer_, parent);
    // The setup: which printer (or a PDF file) and its page, not copies or
    // page ranges, since a print is always the one page.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setWindowTitle(QObject::tr("Print Setup"));
    dialog.exec();
}

bool WindowPrinter::reachable() const
{
    if (printer_.outputFormat() == QPrinter::PdfFormat)
        return !printer_.outputFileName().isEmpty();
    return !printer_.printerName().isEmpty() &&
           !QPrinterInfo::printerInfo(printer_.printerName()).isNull();
}

Desktop::PrintResult WindowPrinter::print(QWidget *widget)
{
    if (!reachable())
        return {false, QObject::tr("No printer can be reached.")};
    const QPixmap image = widget->grab();
    QPainter painter;
    if (!painter.begin(&printer_))
        return {false,
                QObject::tr("The printer %1 could not be started.")
                    .arg(printer_.outputFormat() == QPrinter::PdfFormat ? printer_.outputFileName()
                                                                        : printer_.printerName())};
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect page = painter.viewport();
    const QSize size = image.size().scaled(page.size(), Qt::KeepAspectRatio);
    // Centred across the page, from its top, as a screen picture reads.
    const QRect target(page.left() + (page.width() - size.width()) / 2, page.top(), size.width(),
                       size.height());
    painter.drawPixmap(target, image);
    if (!painter.end())
        return {false, QObject::tr("The page could not be handed to the printer.")};
    return {true, {}};
}

} // namespace quorvel
