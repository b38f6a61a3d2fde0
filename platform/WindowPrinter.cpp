#include "WindowPrinter.h"

#include "PdfOnlySetup.h"
#include "ProgramVersion.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLibrary>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintEngine>
#include <QPrinterInfo>
#include <QPromise>
#include <QPushButton>
#include <QTemporaryFile>
#include <QTimer>
#include <QWidget>

#include <cups/cups.h>

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <memory>
#include <optional>
#include <thread>

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

} // namespace

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

namespace {

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

using PrintSystemAnswer = WindowPrinter::PrintSystemAnswer;

// Asks the print system for its default printer, as the thread asking it
// sees it.
PrintSystemAnswer askDefaultPrinter(const CupsLibrary &cups)
{
    if (cups_dest_t *dest = cups.getNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr)) {
        PrintSystemAnswer said{PrintSystemAnswer::Default, QString::fromUtf8(dest->name)};
        cups.freeDests(1, dest);
        return said;
    }
    if (cups.lastStatus() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE)
        return {PrintSystemAnswer::Unreachable, {}};
    // Without any scheduler to ask, the library says there is no default
    // printer, which is not the truth a crew needs.
    constexpr int ConnectWithin = 5000; // ms
    http_t *scheduler = cups.connect(cups.server(), cups.port(), nullptr, AF_UNSPEC,
                                     HTTP_ENCRYPTION_IF_REQUESTED, 1, ConnectWithin, nullptr);
    if (!scheduler)
        return {PrintSystemAnswer::Unreachable, {}};
    cups.close(scheduler);
    return {PrintSystemAnswer::NoDefault, {}};
}

// While the program waits for the print system, its windows repaint and
// show the busy pointer, and the crew's input waits: no key reaches the
// sheet and no second command starts. A window closed meanwhile stays
// open, since the command that waits still works on it.
class WaitingForPrintSystem : public QObject
{
public:
    WaitingForPrintSystem() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    WaitingForPrintSystem(const WaitingForPrintSystem &) = delete;
    WaitingForPrintSystem &operator=(const WaitingForPrintSystem &) = delete;
    ~WaitingForPrintSystem() override { QApplication::restoreOverrideCursor(); }

    // Until the answer comes or patience runs out: whether it came.
    bool wait(const QFuture<PrintSystemAnswer> &answer, std::chrono::milliseconds patience)
    {
        QEventLoop waiting;
        QFutureWatcher<PrintSystemAnswer> watcher;
        QObject::connect(&watcher, &QFutureWatcherBase::finished, &waiting, &QEventLoop::quit);
        watcher.setFuture(answer);
        QTimer::singleShot(patience, &waiting, &QEventLoop::quit);
        QCoreApplication::instance()->installEventFilter(this);
        if (!answer.isFinished())
            waiting.exec(QEventLoop::ExcludeUserInputEvents);
        QCoreApplication::instance()->removeEventFilter(this);
        return answer.isFinished();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Close || !watched->isWidgetType())
            return false;
        event->ignore();
        return true;
    }
};

// The printer dialog shows a printer even where a PDF file was chosen: it
// fills itself in from the printer as it is shown, then this shows the
// choice as it stands, last in the list of printers.
class PdfChoiceShown : public QObject
{
public:
    PdfChoiceShown(QComboBox *printers, QLineEdit *fileName, QString file)
        : printers_(printers), fileName_(fileName), file_(std::move(file))
    {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && printers_ && fileName_ && !file_.isEmpty()) {
            printers_->setCurrentIndex(printers_->count() - 1);
            fileName_->setText(file_);
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QComboBox *printers_;
    QLineEdit *fileName_;
    const QString file_;
};

QString silentPrintSystem()
{
    return QObject::tr("The print system does not answer. The next Print asks it again.");
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

WindowPrinter::PrintSystemAnswer WindowPrinter::askPrintSystem(const CupsLibrary &cups)
{
    // A scheduler that has stopped answering (stopped, or its machine gone)
    // keeps a question for minutes: it is asked on a thread of its own,
    // left to end when it may. A question still unanswered is waited for
    // again rather than asked anew.
    if (!question_.isValid() || question_.isFinished()) {
        QPromise<PrintSystemAnswer> reply;
        question_ = reply.future();
        reply.start();
        std::thread([cups, reply = std::move(reply)]() mutable {
            reply.addResult(askDefaultPrinter(cups));
            reply.finish();
        }).detach();
    }
    WaitingForPrintSystem waiting;
    if (!waiting.wait(question_, Patience))
        return {};
    return question_.result();
}

QPrinter &WindowPrinter::printer()
{
    // A printer asks the print system for its default printer as it is
    // made, so it is made only once the print system has answered.
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
        if (!pdfFile_.isEmpty())
            printer_->setOutputFileName(pdfFile_);
    }
    return *printer_;
}

void WindowPrinter::choosePrinter(const QString &name)
{
    printer().setPrinterName(name);
    chosenPrinter_ = name;
    pdfFile_.clear();
}

void WindowPrinter::choosePdfFile(const QString &file)
{
    if (printer_)
        printer_->setOutputFileName(file);
    pdfFile_ = file;
    chosenPrinter_.clear();
}

QPageLayout WindowPrinter::pdfLayout() const
{
    if (printer_)
        return printer_->pageLayout();
    const bool usPaper = QLocale().measurementSystem() == QLocale::ImperialUSSystem;
    return QPageLayout(QPageSize(usPaper ? QPageSize::Letter : QPageSize::A4),
                       QPageLayout::Portrait, QMarginsF());
}

void WindowPrinter::chooseInDialog(QWidget *parent)
{
    // The system's dialog lists the printers, so it waits for the print
    // system; one that does not answer still leaves a PDF file to choose.
    const std::optional<CupsLibrary> cups = loadCups();
    if (cups && askPrintSystem(*cups).kind == PrintSystemAnswer::Silent) {
        if (const std::optional<QString> file = ChoosePdfOnly(parent, pdfFile_))
            choosePdfFile(*file);
        return;
    }
    QPrinter &printer = this->printer();
    // The dialog changes the printer as the crew goes through it, Cancel or
    // not: what was confirmed before is put back unless OK confirms anew.
    const QString printerName = printer.printerName();
    const QPageLayout layout = printer.pageLayout();
    const QVariant options = printer.printEngine()->property(CupsOptions);

    QPrintDialog dialog(&printer, parent);
    dialog.setOptions(QAbstractPrintDialog::PrintToFile | QAbstractPrintDialog::PrintShowPageSize);
    dialog.setWindowTitle(QObject::tr("Print Setup"));
    // The setup variant of the system's dialog: its copies and page ranges
    // stay folded away, and confirming prints nothing.
    auto *buttons = dialog.findChild<QDialogButtonBox *>();
    for (QAbstractButton *button : buttons ? buttons->buttons() : QList<QAbstractButton *>()) {
        if (buttons->buttonRole(button) == QDialogButtonBox::ResetRole)
            button->hide();
    }
    QPushButton *ok = buttons ? buttons->button(QDialogButtonBox::Ok) : nullptr;
    if (ok)
        ok->setText(QObject::tr("OK"));
    auto *printers = dialog.findChild<QComboBox *>(QStringLiteral("printers"));
    auto *fileName = dialog.findChild<QLineEdit *>(QStringLiteral("filename"));
    PdfChoiceShown pdfChoice(printers, fileName, pdfFile_);
    dialog.installEventFilter(&pdfChoice);
    // Its question whether to overwrite an existing PDF file would change
    // nothing: the page goes to the next free name. While OK checks the
    // field, the field names a file that is not there.
    QString chosenFile;
    if (ok && fileName) {
        QObject::connect(ok, &QAbstractButton::pressed, &dialog, [&] {
            chosenFile = fileName->text();
            if (fileName->isEnabled() && QFileInfo::exists(chosenFile))
                fileName->setText(nextFreeName(chosenFile));
        });
        QObject::connect(ok, &QAbstractButton::clicked, &dialog,
                         [&] { fileName->setText(chosenFile); });
    }
    if (dialog.exec() != QDialog::Accepted) {
        if (pdfFile_.isEmpty())
            printer.setPrinterName(printerName);
        else
            printer.setOutputFileName(pdfFile_);
        printer.setPageLayout(layout);
        printer.printEngine()->setProperty(CupsOptions, options);
        return;
    }
    if (printer.outputFormat() == QPrinter::PdfFormat)
        choosePdfFile(chosenFile.isEmpty() ? printer.outputFileName() : chosenFile);
    else
        choosePrinter(printer.printerName());
}

Desktop::PrintResult WindowPrinter::print(QWidget *widget)
{
    return pdfFile_.isEmpty() ? printOnPrinter(widget) : printToPdf(widget);
}

Desktop::PrintResult WindowPrinter::printToPdf(QWidget *widget)
{
    const QString file = QFileInfo(nextFreeName(pdfFile_)).absoluteFilePath();
    if (!drawPage(widget, file, pdfLayout()))
        return {false, QObject::tr("The PDF file %1 could not be written.").arg(file), {}};
    return {true, {}, file};
}

Desktop::PrintResult WindowPrinter::printOnPrinter(QWidget *widget)
{
    const std::optional<CupsLibrary> cups = loadCups();
    if (!cups)
        return {false, noPrinter(), {}};
    const PrintSystemAnswer answer = askPrintSystem(*cups);
    switch (answer.kind) {
    case PrintSystemAnswer::Silent:
        return {false, silentPrintSystem(), {}};
    case PrintSystemAnswer::Unreachable:
        return {false, noPrinter(), {}};
    case PrintSystemAnswer::NoDefault:
        if (chosenPrinter_.isEmpty())
            return {false, QObject::tr("No printer is set as the default printer."), {}};
        break;
    case PrintSystemAnswer::Default:
        break;
    }
    const QString name = chosenPrinter_.isEmpty() ? answer.defaultPrinter : chosenPrinter_;
    const QPrinterInfo queue = QPrinterInfo::printerInfo(name);
    if (queue.isNull())
        return {false, noPrinter(), {}};
    QPrinter &printer = this->printer();
    // Until the crew chooses, the default printer's own paper.
    if (chosenPrinter_.isEmpty()) {
        printer.setPrinterName(name);
        printer.setPageSize(queue.defaultPageSize());
    }
    // Qt's own CUPS printing drops the answer of the print system, so the
    // page is drawn into a PDF file here and handed over by hand: a refused
    // job is then known, with the reason.
    QTemporaryFile page(QDir::tempPath() + QStringLiteral("/quorvel-XXXXXX.pdf"));
    if (!page.open() || !drawPage(widget, page.fileName(), printer.pageLayout()))
        return {false, QObject::tr("The page could not be prepared for the printer."), {}};
    QStringList choices{QStringLiteral("media"), printer.pageLayout().pageSize().key()};
    choices += printer.printEngine()->property(CupsOptions).toStringList();
    const QString title = widget->window()->windowTitle();
    if (submit(*cups, name, page.fileName(), title.isEmpty() ? ProgramName() : title, choices) == 0)
        return {false,
                QObject::tr("The printer %1 did not accept the page: %2")
                    .arg(name, QString::fromUtf8(cups->lastError())),
                {}};
    return {true, {}, {}};
}

} // namespace quorvel
