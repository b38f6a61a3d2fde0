#include "WindowPrinter.h"

#include "PdfOnlySetup.h"
#include "ProgramVersion.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinterInfo>
#include <QPromise>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <QComboBox>
#include <QLineEdit>

#include <algorithm>
#include <memory>
#include <thread>

namespace quorvel {

namespace {

QString noPrinter()
{
    return QObject::tr("No printer can be reached.");
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

bool DrawPage(QWidget *widget, QPaintDevice &device)
{
    QPainter painter;
    if (!painter.begin(&device))
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

bool DrawPdfPage(QWidget *widget, const QString &file, const QPageLayout &layout)
{
    QPdfWriter pdf(file);
    pdf.setPageLayout(layout);
    pdf.setResolution(1200);
    pdf.setCreator(ProgramName());
    return DrawPage(widget, pdf);
}

namespace {

using PrintSystemAnswer = WindowPrinter::PrintSystemAnswer;

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

} // namespace

WindowPrinter::PrintSystemAnswer
WindowPrinter::askPrintSystem(std::shared_ptr<const PrintSystem> system)
{
    // A scheduler that has stopped answering (stopped, or its machine gone)
    // keeps a question for minutes: it is asked on a thread of its own,
    // left to end when it may. A question still unanswered is waited for
    // again rather than asked anew.
    if (!question_.isValid() || question_.isFinished()) {
        QPromise<PrintSystemAnswer> reply;
        question_ = reply.future();
        reply.start();
        std::thread([system = std::move(system), reply = std::move(reply)]() mutable {
            reply.addResult(system->askDefaultPrinter());
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
    const std::shared_ptr<const PrintSystem> system = PrintSystem::Load();
    if (system && askPrintSystem(system).kind == PrintSystemAnswer::Silent) {
        if (const std::optional<QString> file = ChoosePdfOnly(parent, pdfFile_))
            choosePdfFile(*file);
        return;
    }
    QPrinter &printer = this->printer();
    // The dialog changes the printer as the crew goes through it, Cancel or
    // not: what was confirmed before is put back unless OK confirms anew.
    const QString printerName = printer.printerName();
    const QPageLayout layout = printer.pageLayout();
    const QVariant options = system ? system->ownSettings(printer) : QVariant();

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
        if (system)
            system->restoreOwnSettings(printer, options);
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
    if (!DrawPdfPage(widget, file, pdfLayout()))
        return {false, QObject::tr("The PDF file %1 could not be written.").arg(file), {}};
    return {true, {}, file};
}

Desktop::PrintResult WindowPrinter::printOnPrinter(QWidget *widget)
{
    const std::shared_ptr<const PrintSystem> system = PrintSystem::Load();
    if (!system)
        return {false, noPrinter(), {}};
    const PrintSystemAnswer answer = askPrintSystem(system);
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
    const QString title = widget->window()->windowTitle();
    if (const QString refused =
            system->printPage(printer, name, widget, title.isEmpty() ? ProgramName() : title);
        !refused.isEmpty())
        return {false, refused, {}};
    return {true, {}, {}};
}

} // namespace quorvel
