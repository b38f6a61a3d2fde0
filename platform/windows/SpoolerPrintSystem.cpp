#include "PrintSystem.h"

#include <QObject>
#include <QPrinter>

#include <windows.h>
#include <winspool.h>

#include <vector>

namespace quorvel {

namespace {

// The Windows spooler. Qt's Windows printer draws through the printer's own
// driver and reports a job the spooler refused by failing to start or end
// the page, so the page is drawn on the printer itself.
class SpoolerPrintSystem final : public PrintSystem
{
public:
    Answer askDefaultPrinter() const override
    {
        DWORD size = 0;
        GetDefaultPrinterW(nullptr, &size);
        if (GetLastError() == ERROR_FILE_NOT_FOUND)
            return {Answer::NoDefault, {}};
        std::vector<wchar_t> name(size + 1);
        if (size == 0 || !GetDefaultPrinterW(name.data(), &size))
            return {Answer::Unreachable, {}};
        return {Answer::Default, QString::fromWCharArray(name.data())};
    }

    // The printer's own settings travel with the printer's name and paper.
    QVariant ownSettings(QPrinter &) const override { return {}; }
    void restoreOwnSettings(QPrinter &, const QVariant &) const override {}

    QString printPage(QPrinter &printer, const QString &name, QWidget *widget,
                      const QString &title) const override
    {
        printer.setDocName(title);
        if (!DrawPage(widget, printer))
            return QObject::tr("The printer %1 did not accept the page.").arg(name);
        return {};
    }
};

} // namespace

std::shared_ptr<const PrintSystem> PrintSystem::Load()
{
    return std::make_shared<const SpoolerPrintSystem>();
}

} // namespace quorvel
