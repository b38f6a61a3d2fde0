#pragma once

#include <QString>
#include <QVariant>

#include <memory>

class QPageLayout;
class QPaintDevice;
class QPrinter;
class QWidget;

namespace quorvel {

// The machine's own print system, as far as printing a page differs by
// system: CUPS on Linux, the Windows spooler on Windows.
class PrintSystem
{
public:
    // The print system of this machine; none when there is none to talk to
    // (no CUPS library installed).
    [[nodiscard]] static std::shared_ptr<const PrintSystem> Load();

    virtual ~PrintSystem() = default;

    // What the print system said when asked for its default printer.
    struct Answer
    {
        enum Kind { Silent, Unreachable, NoDefault, Default } kind = Silent;
        QString defaultPrinter;
    };
    // May take minutes where a print server has stopped answering: it is
    // asked on a thread of its own, and never answers Silent.
    [[nodiscard]] virtual Answer askDefaultPrinter() const = 0;

    // What the printer dialog may change of the printer beyond its name and
    // paper (the printer's own job options), to put back on Cancel.
    [[nodiscard]] virtual QVariant ownSettings(QPrinter &printer) const = 0;
    virtual void restoreOwnSettings(QPrinter &printer, const QVariant &settings) const = 0;

    // Prints the widget's image as one page on the named printer, on the
    // printer's paper and settings, with the title as the job's name: empty
    // when the print system took the page, else why not.
    [[nodiscard]] virtual QString printPage(QPrinter &printer, const QString &name, QWidget *widget,
                                            const QString &title) const = 0;
};

// The widget drawn at the device's resolution, so text and lines stay sharp
// however large the page: it fills the page's width from the top, or its
// height where the page is wider than the window.
bool DrawPage(QWidget *widget, QPaintDevice &device);
// The same as a one-page PDF file, which draws the widget's own lines and
// text where a printer would draw it through a bitmap.
bool DrawPdfPage(QWidget *widget, const QString &file, const QPageLayout &layout);

} // namespace quorvel
