#include "WindowPrinter.h"

#include "ProgramVersion.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QLibrary>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTemporaryFile>
#include <QWidget>

#include <cups/cups.h>

#include <algorithm>
#include <optional>

namespace quorvel {

namespace {

// Where Qt's CUPS printer keeps the job options chosen in the printer's
// properties (pages per sheet, the printer's own settings), as name and
// value pairs.
const auto CupsOptions = QPrintEngine::PrintEnginePropertyKey(0xfe00);

QString noPrinter()
{
    return QObject::tr("No printer can be reached.");
}

// The widget draws itself at the page's resolution, so text and lines stay
// sharp however large the page: it fills the page's width from the top, or
// its height where the page is wider than the window. A PDF writer, not a
// printer, is painted on: Qt draws a widget onto a printer through a bitmap.
bool drawPage(QWidget *widget, const QString &file, const QPageLayout &layout)
{
    QPdfWriter pdf(file);
    pdf.setPageLayout(layout);
    pdf.setResolution(1200);
    pdf.setCreator(ProgramName());
    QPainter painter;
    if (!painter.begin(&pdf))
        return false;
    const QRect page = painter.viewport();
    const double scale =
        std::min(double(page.width()) / widget->width(), double(page.height()) / widget->height());
    painter.translate((page.width() - widget->width() * scale) / 2, 0);
    painter.scale(scale, scale);
    widget->render(&painter, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    return painter.end();
}

// The chosen name while no file has it, else the first free of race-2.pdf,
// race-3.pdf, ...: a crew printing at every stop keeps every page.
QString nextFreeName(const QString &chosen)
{
    if (!QFileInfo::exists(chosen))
        return chosen;
    const QString suffix = QFileInfo(chosen).suffix();
    const QString stem = suffix.isEmpty() ? chosen : chosen.chopped(suffix.size() + 1);
    const QString extension = suffix.isEmpty() ? QString() : QLatin1Char('.') + suffix;
    for (int number = 2;; ++number) {
        const QString name = QStringLiteral("%1-%2%3").arg(stem).arg(number).arg(extension);
        if (!QFileInfo::exists(name))
            return name;
    }
}

// The print system's library, loaded for the first page that goes to a
// printer: linked, it would bring its encryption, Kerberos and network
// discovery libraries into every start of the program.
struct CupsLibrary
{
    decltype(&cupsAddOption) addOption = nullptr;
    decltype(&cupsPrintFile2) printFile = nullptr;
    decltype(&cupsFreeOptions) freeOptions = nullptr;
    decltype(&cupsLastErrorString) lastError = nullptr;
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
        !resolve(cups.lastError, "cupsLastErrorString"))
        return std::nullopt;
    return cups;
}

// Hands the file to the print system; the job number, or 0 when it was
// refused (the library's last error then says why).
int submit(const CupsLibrary &cups, const QString &printer, const QString &file,
           const QString &title, const QStringList &choices)
{
    cups_option_t *options = nullptr;
    int count = 0;
    for (qsizetype i = 0; i + 1 < choices.size(); i += 2)
        count = cups.addOption(choices.at(i).toUtf8().constData(),
                               choices.at(i + 1).toUtf8().constData(), count, &options);
    const int job = cups.printFile(CUPS_HTTP_DEFAULT, printer.toLocal8Bit().constData(),
                                   QFile::encodeName(file).constData(), title.toUtf8().constData(),
                                   count, options);
    cups.freeOptions(count, options);
    return job;
}

} // namespace

WindowPrinter::WindowPrinter() : printer_(QPrinter::HighResolution) {}

void WindowPrinter::chooseInDialog(QWidget *parent)
{
    QPrintDialog dialog(&printer_, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setWindowTitle(QObject::tr("Print Setup"));
    // The setup variant of the system's dialog: its copies and page ranges
    // stay folded away, and confirming prints nothing.
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>()) {
        for (QAbstractButton *button : buttons->buttons()) {
            if (buttons->buttonRole(button) == QDialogButtonBox::ResetRole)
                button->hide();
        }
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok))
            ok->setText(QObject::tr("OK"));
    }
    dialog.exec();
}

Desktop::PrintResult WindowPrinter::print(QWidget *widget)
{
    return printer_.outputFormat() == QPrinter::PdfFormat ? printToPdf(widget)
                                                          : printOnPrinter(widget);
}

Desktop::PrintResult WindowPrinter::printToPdf(QWidget *widget)
{
    if (printer_.outputFileName().isEmpty())
        return {false, noPrinter(), {}};
    const QString file = QFileInfo(nextFreeName(printer_.outputFileName())).absoluteFilePath();
    if (!drawPage(widget, file, printer_.pageLayout()))
        return {false, QObject::tr("The PDF file %1 could not be written.").arg(file), {}};
    return {true, {}, file};
}

Desktop::PrintResult WindowPrinter::printOnPrinter(QWidget *widget)
{
    const QString name = printer_.printerName();
    const std::optional<CupsLibrary> cups = loadCups();
    if (name.isEmpty() || !cups || QPrinterInfo::printerInfo(name).isNull())
        return {false, noPrinter(), {}};
    // Qt's own CUPS printing drops the answer of the print system, so the
    // page is drawn into a PDF file here and handed over by hand: a refused
    // job is then known, with the reason.
    QTemporaryFile page(QDir::tempPath() + QStringLiteral("/quorvel-XXXXXX.pdf"));
    if (!page.open() || !drawPage(widget, page.fileName(), printer_.pageLayout()))
        return {false, QObject::tr("The page could not be prepared for the printer."), {}};
    QStringList choices{QStringLiteral("media"), printer_.pageLayout().pageSize().key()};
    choices += printer_.printEngine()->property(CupsOptions).toStringList();
    const QString title = widget->window()->windowTitle();
    if (submit(*cups, name, page.fileName(), title.isEmpty() ? ProgramName() : title, choices) == 0)
        return {false,
                QObject::tr("The printer %1 did not accept the page: %2")
                    .arg(name, QString::fromUtf8(cups->lastError())),
                {}};
    return {true, {}, {}};
}

} // namespace quorvel
