#include "PrintSystem.h"

#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QObject>
#include <QPrintEngine>
#include <QPrinter>
#include <QTemporaryFile>

#include <cups/cups.h>

#include <optional>

namespace quorvel {

namespace {

// Where Qt's CUPS printer keeps the job options chosen in the printer's
// properties (pages per sheet, the printer's own settings), as name and
// value pairs.
const auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

// The print system's library, loaded for the first page that goes to a
// printer: linked, it would bring its encryption, Kerberos and network
// discovery libraries into every start of the program.
struct CupsLibrary
{
    decltype(&cupsAddOption) addOption = nullptr;
    decltype(&cupsPrintFile2) printFile = nullptr;
    decltype(&cupsFreeOptions) freeOptions = nullptr;
    decltype(&cupsLastErrorString) lastError = nullptr;
    decltype(&cupsLastError) lastStatus = nullptr;
    decltype(&cupsGetNamedDest) getNamedDest = nullptr;
    decltype(&cupsFreeDests) freeDests = nullptr;
    decltype(&cupsServer) server = nullptr;
    decltype(&ippPort) port = nullptr;
    decltype(&httpConnect2) connect = nullptr;
    decltype(&httpClose) close = nullptr;
};

std::optional<CupsLibrary> loadCups()
{
    QLibrary library(QStringLiteral("cups"), 2);
    const auto resolve = [&library]<class Function>(Function &function, const char *name) {
        function = reinterpret_cast<Function>(library.resolve(name));
        return function != nullptr;
    };
    CupsLibrary cups;
    if (!resolve(cups.addOption, "cupsAddOption") || !resolve(cups.printFile, "cupsPrintFile2") ||
        !resolve(cups.freeOptions, "cupsFreeOptions") ||
        !resolve(cups.lastError, "cupsLastErrorString") ||
        !resolve(cups.lastStatus, "cupsLastError") ||
        !resolve(cups.getNamedDest, "cupsGetNamedDest") ||
        !resolve(cups.freeDests, "cupsFreeDests") || !resolve(cups.server, "cupsServer") ||
        !resolve(cups.port, "ippPort") || !resolve(cups.connect, "httpConnect2") ||
        !resolve(cups.close, "httpClose"))
        return std::nullopt;
    return cups;
}

class CupsPrintSystem final : public PrintSystem
{
public:
    explicit CupsPrintSystem(const CupsLibrary &cups) : cups_(cups) {}

    // As the thread asking sees it.
    Answer askDefaultPrinter() const override
    {
        if (cups_dest_t *dest = cups_.getNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr)) {
            Answer said{Answer::Default, QString::fromUtf8(dest->name)};
            cups_.freeDests(1, dest);
            return said;
        }
        if (cups_.lastStatus() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
            return {Answer::Unreachable, {}};
        // Without any scheduler to ask, the library says there is no default
        // printer, which is not the truth a crew needs.
        constexpr int ConnectWithin = 5000; // ms
        http_t *scheduler = cups_.connect(cups_.server(), cups_.port(), nullptr, AF_UNSPEC,
                                          HTTP_ENCRYPTION_IF_REQUESTED, 1, ConnectWithin, nullptr);
        if (!scheduler)
            return {Answer::Unreachable, {}};
        cups_.close(scheduler);
        return {Answer::NoDefault, {}};
    }

    QVariant ownSettings(QPrinter &printer) const override
    {
        return printer.printEngine()->property(CupsOptions);
    }

    void restoreOwnSettings(QPrinter &printer, const QVariant &settings) const override
    {
        printer.printEngine()->setProperty(CupsOptions, settings);
    }

    // Qt's own CUPS printing drops the answer of the print system, so the
    // page is drawn into a PDF file here and handed over by hand: a refused
    // job is then known, with the reason.
    QString printPage(QPrinter &printer, const QString &name, QWidget *widget,
                      const QString &title) const override
    {
        QTemporaryFile page(QDir::tempPath() + QStringLiteral("/quorvel-XXXXXX.pdf"));
        if (!page.open() || !DrawPdfPage(widget, page.fileName(), printer.pageLayout()))
            return QObject::tr("The page could not be prepared for the printer.");
        QStringList choices{QStringLiteral("media"), printer.pageLayout().pageSize().key()};
        choices += printer.printEngine()->property(CupsOptions).toStringList();
        if (submit(name, page.fileName(), title, choices) == 0)
            return QObject::tr("The printer %1 did not accept the page: %2")
                .arg(name, QString::fromUtf8(cups_.lastError()));
        return {};
    }

private:
    // Hands the file to the print system; the job number, or 0 when it was
    // refused (the library's last error then says why).
    int submit(const QString &printer, const QString &file, const QString &title,
               const QStringList &choices) const
    {
        cups_option_t *options = nullptr;
        int count = 0;
        for (qsizetype i = 0; i + 1 < choices.size(); i += 2)
            count = cups_.addOption(choices.at(i).toUtf8().constData(),
                                    choices.at(i + 1).toUtf8().constData(), count, &options);
        const int job = cups_.printFile(CUPS_HTTP_DEFAULT, printer.toLocal8Bit().constData(),
                                        QFile::encodeName(file).constData(),
                                        title.toUtf8().constData(), count, options);
        cups_.freeOptions(count, options);
        return job;
    }

    const CupsLibrary cups_;
};

} // namespace

std::shared_ptr<const PrintSystem> PrintSystem::Load()
{
    const std::optional<CupsLibrary> cups = loadCups();
    if (!cups)
        return nullptr;
    return std::make_shared<const CupsPrintSystem>(*cups);
}

} // namespace quorvel
