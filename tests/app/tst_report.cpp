// Printing, the program help viewer and the About window, through the real
// main window with the scripted desktop, and the real printer and program
// start where a test can look at what came out.

#include "AboutWindow.h"
#include "CellEdit.h"
#include "HelpViewer.h"
#include "MainWindow.h"
#include "PrintCommand.h"
#include "QtDesktop.h"
#include "ScriptedDesktop.h"
#include "SheetView.h"
#include "WindowPrinter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

const QString HelpText = QStringLiteral("the help of the focused cell");

// The page of a one-page PDF as a picture, and how many pages there were.
struct RenderedPdf
{
    QImage page;
    int pages = 0;
};

RenderedPdf render(const QString &pdf, const QString &folder)
{
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"),
                   {QStringLiteral("-png"), QStringLiteral("-r"), QStringLiteral("40"), pdf,
                    folder + QStringLiteral("/page")});
    pdftoppm.waitForFinished(30000);
    const QStringList pages =
        QDir(folder).entryList({QStringLiteral("page*.png")}, QDir::Files, QDir::Name);
    RenderedPdf rendered;
    rendered.pages = static_cast<int>(pages.size());
    if (!pages.isEmpty())
        rendered.page.load(folder + QLatin1Char('/') + pages.first());
    return rendered;
}

// The smallest rectangle holding every pixel that is not paper white.
QRect inkedArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).lightness() < 245)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area;
}

} // namespace

class TestReport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void printComment_data();
    void printComment();
    void printCancelledChangesNothing();
    void printerFailureRestoresAndTells();
    void printsTheWindowToAPdfPage();
    void helpViewerOrder_data();
    void helpViewerOrder();
    void viewerGetsThePathAsOneArgument();
    void aboutIsOneWindow();
    void aboutClosesOnOkAndBackground();
    void aboutPrintsItself();

private:
    QLabel *helpBox() const { return window_->findChild<QLabel *>(QStringLiteral("helpBox")); }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<MainWindow> window_;
};

void TestReport::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QDir(folder_->path()).mkpath(QStringLiteral("lqrfiles"));
    desktop_ = std::make_unique<ScriptedDesktop>();
    window_ = std::make_unique<MainWindow>(folder_->path(), *desktop_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    helpBox()->setText(HelpText);
    desktop_->onPrint = [this] {
        return helpBox()->text() + (window_->cursor().shape() == Qt::WaitCursor
                                        ? QStringLiteral(" [busy]")
                                        : QString());
    };
}

void TestReport::cleanup()
{
    window_.reset();
    desktop_.reset();
    folder_.reset();
}

void TestReport::printComment_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownWhilePrinting");

    QTest::newRow("comment with blanks around") << "  Dry track, new tyres  "
                                                << "Comment: Dry track, new tyres";
    QTest::newRow("Enter at once") << " " << HelpText;
    QTest::newRow("box cleared") << "" << HelpText;
    QTest::newRow("blanks only") << "     " << HelpText;
}

void TestReport::printComment()
{
    QFETCH(QString, typed);
    QFETCH(QString, shownWhilePrinting);
    desktop_->typedTexts = {typed, QStringLiteral(" ")};

    window_->findChild<QAction *>(QStringLiteral("mnuPrint"))->trigger();

    QCOMPARE(desktop_->textBoxes.size(), 1);
    QCOMPARE(desktop_->textBoxes.first().title, QStringLiteral("Printed Comment"));
    QCOMPARE(desktop_->textBoxes.first().initialText, QStringLiteral(" "));
    QVERIFY(desktop_->textBoxes.first().prompt.startsWith(
        QLatin1String("Enter a comment which will be printed with this report.\n\n")));
    QCOMPARE(desktop_->printed.size(), 1);
    QCOMPARE(desktop_->printed.first().widget, window_->centralWidget());
    QCOMPARE(desktop_->printed.first().seen, shownWhilePrinting + QStringLiteral(" [busy]"));
    QCOMPARE(helpBox()->text(), HelpText);
    QVERIFY(window_->cursor().shape() != Qt::WaitCursor);
    QVERIFY(desktop_->messages.isEmpty());

    // The comment is not kept: the next print starts from a blank again.
    window_->findChild<QAction *>(QStringLiteral("mnuPrint"))->trigger();
    QCOMPARE(desktop_->textBoxes.at(1).initialText, QStringLiteral(" "));
}

void TestReport::printCancelledChangesNothing()
{
    window_->findChild<QAction *>(QStringLiteral("mnuPrint"))
        ->trigger(); // no typed text queued: Cancel
    QCOMPARE(desktop_->textBoxes.size(), 1);
    QVERIFY(desktop_->printed.isEmpty());
    QCOMPARE(helpBox()->text(), HelpText);
    QVERIFY(window_->cursor().shape() != Qt::WaitCursor);
    QVERIFY(desktop_->messages.isEmpty());
}

void TestReport::printerFailureRestoresAndTells()
{
    desktop_->printerWorks = false;
    desktop_->typedTexts = {QStringLiteral("lap 40")};
    window_->findChild<QAction *>(QStringLiteral("mnuPrint"))->trigger();
    QCOMPARE(desktop_->printed.first().seen, QStringLiteral("Comment: lap 40 [busy]"));
    QCOMPARE(helpBox()->text(), HelpText);
    QVERIFY(window_->cursor().shape() != Qt::WaitCursor);
    QCOMPARE(desktop_->messages.size(), 1);
    QVERIFY(desktop_->messages.first().text.contains(QLatin1String("Out of paper.")));
    QVERIFY(desktop_->messages.first().text.contains(QLatin1String("Print Setup")));
}

void TestReport::printsTheWindowToAPdfPage()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
        QSKIP("pdftoppm (poppler-utils) is needed to look at the page");
    // What Print Setup does when the crew picks printing to a PDF file.
    WindowPrinter printer;
    const QString pdf = folder_->filePath(QStringLiteral("sheet.pdf"));
    printer.printer().setOutputFormat(QPrinter::PdfFormat);
    printer.printer().setOutputFileName(pdf);
    desktop_->printWith = [&printer](QWidget *widget) { return printer.print(widget); };
    desktop_->typedTexts = {QStringLiteral("Dry")};

    window_->findChild<QAction *>(QStringLiteral("mnuPrint"))->trigger();

    QVERIFY(desktop_->messages.isEmpty());
    const RenderedPdf rendered = render(pdf, folder_->path());
    QCOMPARE(rendered.pages, 1);
    const QRect inked = inkedArea(rendered.page);
    QVERIFY(!inked.isEmpty());
    const QSize window = window_->centralWidget()->size();
    const double expected = double(window.width()) / window.height();
    const double actual = double(inked.width()) / inked.height();
    QVERIFY2(qAbs(actual - expected) < 0.05 * expected,
             qPrintable(QStringLiteral("%1 against %2").arg(actual).arg(expected)));
}

void TestReport::helpViewerOrder_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<int>("tried");
    QTest::addColumn<bool>("notFound");

    QTest::newRow("the first starts") << QStringList{QStringLiteral("xdg-open")} << 1 << false;
    QTest::newRow("only the third") << QStringList{QStringLiteral("gedit")} << 3 << false;
    QTest::newRow("none") << QStringList{} << 4 << true;
}

void TestReport::helpViewerOrder()
{
    QFETCH(QStringList, installed);
    QFETCH(int, tried);
    QFETCH(bool, notFound);
    desktop_->installedPrograms = installed;

    window_->findChild<QAction *>(QStringLiteral("mnuHelpHelp"))->trigger();

    QCOMPARE(desktop_->started.size(), tried);
    for (int i = 0; i < tried; ++i) {
        QCOMPARE(desktop_->started.at(i).program, HelpViewer::Viewers.at(i));
        QCOMPARE(desktop_->started.at(i).arguments,
                 QStringList{folder_->path() + QStringLiteral("/help/lqrbook2.txt")});
    }
    QStringList messages;
    for (const ScriptedDesktop::Message &message : desktop_->messages)
        messages << message.text;
    QStringList expected{HelpViewer::ReturnMessage};
    if (notFound)
        expected << HelpViewer::NoViewerMessage;
    QCOMPARE(messages, expected);
}

void TestReport::viewerGetsThePathAsOneArgument()
{
    // A stand-in viewer that writes down what it was given.
    const QString record = folder_->filePath(QStringLiteral("arguments"));
    const QString viewer = folder_->filePath(QStringLiteral("viewer"));
    QFile script(viewer);
    QVERIFY(script.open(QIODevice::WriteOnly));
    script.write(
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > '%1'\n").arg(record).toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    const QString odd = folder_->filePath(QStringLiteral("Race Day $(touch x); 'A&B'"));
    QtDesktop desktop;
    HelpViewer help(desktop, nullptr, odd, {QStringLiteral("/no/such/viewer"), viewer});
    QVERIFY(!desktop.startProgram(QStringLiteral("/no/such/viewer"), {help.bookPath()}));
    QVERIFY(desktop.startProgram(viewer, {help.bookPath()}));
    QTRY_VERIFY(QFile::exists(record) && QFileInfo(record).size() > 0);
    QTest::qWait(50);
    QFile written(record);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(written.readAll()),
             QStringLiteral("1\n") + odd + QStringLiteral("/help/lqrbook2.txt\n"));
}

void TestReport::aboutIsOneWindow()
{
    window_->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    QPointer<AboutWindow> about = window_->findChild<AboutWindow *>();
    QVERIFY(about && about->isVisible());
    window_->activateWindow();
    window_->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    QCOMPARE(window_->findChild<AboutWindow *>(), about.data());
    QCOMPARE(window_->findChildren<AboutWindow *>().size(), 1);
    QVERIFY(about->windowFlags() & Qt::FramelessWindowHint);
    auto *version = about->findChild<QLabel *>(QStringLiteral("version"));
    QCOMPARE(version->text(), QStringLiteral("Quorvel v1.1.003"));
    QVERIFY(version->font().bold());
    QCOMPARE(version->font().pointSizeF(), 12.0);
}

void TestReport::aboutClosesOnOkAndBackground()
{
    window_->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    QPointer<AboutWindow> about = window_->findChild<AboutWindow *>();
    // A click on the picture is not one on the background.
    QTest::mouseClick(about->findChild<QLabel *>(), Qt::LeftButton);
    QVERIFY(about && about->isVisible());
    QTest::mouseClick(about->findChild<QPushButton *>(QStringLiteral("ok")), Qt::LeftButton);
    QTRY_VERIFY(!about);

    window_->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    about = window_->findChild<AboutWindow *>();
    QTest::mouseClick(about.data(), Qt::LeftButton, {},
                      QPoint(about->width() - 5, about->height() - 5));
    QTRY_VERIFY(!about);
}

void TestReport::aboutPrintsItself()
{
    window_->findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    QPointer<AboutWindow> about = window_->findChild<AboutWindow *>();
    auto *print = about->findChild<QPushButton *>(QStringLiteral("print"));
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(desktop_->printed.size(), 1);
    QCOMPARE(desktop_->printed.first().widget, static_cast<QWidget *>(about.data()));
    QVERIFY(desktop_->textBoxes.isEmpty()); // no comment asked for
    QVERIFY(about && about->isVisible());

    desktop_->printerWorks = false;
    QTest::mouseClick(print, Qt::LeftButton);
    QCOMPARE(desktop_->messages.size(), 1);
    QVERIFY(about && about->isVisible());
}

QTEST_MAIN(TestReport)
#include "tst_report.moc"
