// Printing, Program Help and the About window through the real main window,
// the scripted desktop answering its boxes, and the real parts where a crew
// meets them: a print system of the run's own (with-cups.sh), PDF files, the
// printer setup dialog, viewers started for real.

#include "MainWindow.h"
#include "ManualViewers.h"
#include "QtDesktop.h"
#include "ScriptedDesktop.h"
#include "WindowPrinter.h"

#include <QTest>
#include <QtWidgets>

#include <csignal>

using namespace quorvel;

static const QString HelpText = "the help of the focused cell";

static const QString Support = QStringLiteral(QUORVEL_TEST_SUPPORT);

// No job of the print system's is still waiting or printing.
static bool queueDone()
{
    QProcess jobs;
    jobs.start("lpstat", {"-o"});
    return jobs.waitForFinished() && jobs.readAll().isEmpty();
}

class TestReport : public QObject
{
    Q_OBJECT

    QTemporaryDir temporary_;
    const QString folder_ = temporary_.filePath("Race Day $(touch x); 'A&B'"); // taken as it is
    QString onScreen_; // what the Help box last showed
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<MainWindow> window_;
    std::optional<WindowPrinter> printer_;

    bool eventFilter(QObject *box, QEvent *event) override
    {
        onScreen_ = event->type() == QEvent::Paint ? static_cast<QLabel *>(box)->text() : onScreen_;
        return false;
    }
    void trigger(const char *name) { window_->findChild<QAction *>(name)->trigger(); }
    QWidget *client() { return window_->findChild<QWidget *>("helpFrame")->parentWidget(); }
    // Print Setup through the real dialog, once the print system has let it
    // open: the steps on its printer list and file name, then that button.
    // Gives the buttons it offered; notes whether a question came up over it.
    QString inSetup(const std::function<void(QComboBox *, QLineEdit *)> &steps,
                    QDialogButtonBox::StandardButton answer)
    {
        QString buttons;
        QTimer opening;
        opening.callOnTimeout([&] {
            QWidget *dialog = QApplication::activeModalWidget();
            if (!dialog)
                return;
            opening.stop();
            for (QAbstractButton *button : dialog->findChild<QDialogButtonBox *>()->buttons())
                buttons += button->isVisibleTo(dialog) ? button->text() : "";
            steps(dialog->findChild<QComboBox *>("printers"),
                  dialog->findChild<QLineEdit *>("filename"));
            QTimer::singleShot(500, this, [this] { // a question would be up by now
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget()))
                    asked_ = true, box->accept();
            });
            dialog->findChild<QDialogButtonBox *>()->button(answer)->click();
        });
        opening.start(20);
        printer_->chooseInDialog(window_.get());
        return buttons;
    }
    bool asked_ = false;

private slots:
    void init()
    {
        QDir(folder_).mkpath("lqrfiles");
        desktop_ = std::make_unique<ScriptedDesktop>();
        printer_.emplace();
        asked_ = false;
        window_ = std::make_unique<MainWindow>(folder_, *desktop_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
        window_->findChild<QLabel *>("helpBox")->setText(HelpText);
        window_->findChild<QLabel *>("helpBox")->installEventFilter(this);
        desktop_->onPrint = [this] {
            return onScreen_ + (window_->cursor().shape() == Qt::WaitCursor ? "[busy]" : "");
        };
        desktop_->printWith = [this](QWidget *page) { return printer_->print(page); };
    }
    void cleanup() { window_.reset(); }

    void print_data()
    {
        QTest::addColumn<QString>("queue"); // chosen; "": none; "-": no print system at all
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("onScreen"); // while printing
        QTest::addColumn<QString>("told");     // a pattern
        const QString nothing = "^Nothing was printed: %1\n\nChoose a printer, or printing to a "
                                "PDF file, with File > Print Setup\\.$";
        // Nothing chosen: the print system's default printer, on its own paper.
        QTest::newRow("comment, default printer")
            << "default spool" << QString("  Dry track ") << "Comment: Dry track" << QString("^$");
        // A comment without blanks, wider than the Help box: all of it.
        const QString unbroken = "Lap47:pit-4-tyres,fuel-to-full;rain-after-lap-60;check-left-rear-"
                                 "pressure;Smith-drives-the-last-stint";
        QTest::newRow("unbroken comment")
            << "default spool" << unbroken << "Comment: " + unbroken << QString("^$");
        QTest::newRow("blanks only, refused")
            << "rejected" << QString("   ") << HelpText
            << nothing.arg("The printer rejected did not accept the page: .+");
        // Nothing chosen and no default printer: not the first printer there is.
        QTest::newRow("Enter at once, no default printer")
            << "" << QString(" ") << HelpText
            << nothing.arg("No printer is set as the default printer\\.");
        QTest::newRow("no print system")
            << "-" << QString(" ") << HelpText << nothing.arg("No printer can be reached\\.");
    }
    void print()
    {
        QFETCH(QString, queue);
        QFETCH(QString, typed);
        QFETCH(QString, onScreen);
        QFETCH(QString, told);
        const QString spooled = qEnvironmentVariable("QUORVEL_SPOOLED_PAGE");
        if (queue != "-" && spooled.isEmpty())
            QSKIP("cupsd is not installed: no print system to print on");
        const QByteArray server = qgetenv("CUPS_SERVER");
        if (queue == "-")
            qputenv("CUPS_SERVER", QFile::encodeName(temporary_.filePath("no-scheduler")));
        else if (queue.startsWith("default "))
            qputenv("PRINTER", queue.mid(8).toUtf8()); // this user's default
        else if (!queue.isEmpty())
            printer_->choosePrinter(queue);
        desktop_->typedTexts = {typed};
        trigger("mnuPrint");
        qunsetenv("PRINTER");
        qputenv("CUPS_SERVER", server);
        trigger("mnuPrint"); // Cancel, which changes nothing; the comment was not kept
        const ScriptedDesktop::TextBox box = desktop_->textBoxes.value(1);
        QCOMPARE(box.title + "|" + box.prompt + "|" + box.initialText,
                 "Printed Comment|Enter a comment which will be printed with this report.\n\nJust "
                 "press <Enter> or click on OK to enter no comment.  Click on Cancel to cancel "
                 "printing.| ");
        QCOMPARE(desktop_->printed.size(), 1);
        QCOMPARE(desktop_->printed[0].widget, client());
        QCOMPARE(desktop_->printed[0].seen.remove(QChar(0x200B)), onScreen + "[busy]");
        QCOMPARE(window_->findChild<QLabel *>("helpBox")->text(), HelpText);
        QVERIFY(window_->cursor().shape() != Qt::WaitCursor);
        QVERIFY(QRegularExpression(told).match(desktop_->messages.value(0).text).hasMatch());
        if (told != "^$")
            return;
        QTRY_VERIFY_WITH_TIMEOUT(queueDone(), 30000);
        const double proportions = double(client()->width()) / client()->height();
        QCOMPARE(QProcess::execute(Support + "/page-shows.sh",
                                   {spooled, onScreen, QString::number(proportions)}),
                 0);
        QProcess info;
        info.start("pdfinfo", {spooled});
        QVERIFY(info.waitForFinished());
        QVERIFY2(info.readAll().contains("612 x 792 pts (letter)"), "not on the queue's Letter");
    }

    // Print Setup through the real dialog: a PDF file chosen, then the setup
    // opened again and left with Cancel, or with OK over the file that the
    // first page made, which is no question since that page is kept.
    void pdfChoiceKept_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("Cancel") << false;
        QTest::newRow("OK") << true;
    }
    void pdfChoiceKept()
    {
        QFETCH(bool, confirm);
        const QString stem = temporary_.filePath(QTest::currentDataTag());
        const QString file = stem + ".pdf";
        bool shown = false;
        QString buttons = inSetup(
            [&](QComboBox *printers, QLineEdit *name) {
                printers->setCurrentIndex(printers->count() - 1);
                name->setText(file);
            },
            QDialogButtonBox::Ok);
        desktop_->typedTexts = {" ", " "};
        trigger("mnuPrint");
        buttons += inSetup(
            [&](QComboBox *printers, QLineEdit *name) {
                shown = printers->currentIndex() == printers->count() - 1 && name->text() == file;
            },
            confirm ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel);
        QVERIFY(shown);
        QVERIFY(!asked_);
        // Print Setup only sets up: no "Print", no "Options" with copies or ranges.
        QCOMPARE(buttons, "OKCancelOKCancel");
        trigger("mnuPrint");
        QCOMPARE(desktop_->messages.size(), 2);
        QCOMPARE(desktop_->messages[1].text,
                 "The page was saved to the PDF file\n" + stem + "-2.pdf");
    }

    // A scheduler that has stopped answering: the window goes on with its
    // events while Print waits for it, which says so once; Print Setup
    // still offers a PDF file, and the next Print goes there.
    void silentPrintSystem()
    {
        const int scheduler = qEnvironmentVariableIntValue("QUORVEL_CUPSD_PID");
        if (scheduler == 0)
            QSKIP("cupsd is not installed: no print system to stop");
        printer_->choosePrinter("spool");
        desktop_->typedTexts = {" ", " "};
        const QString file = temporary_.filePath("silent.pdf");
        int waitingTicks = 0;
        QString offered;
        QTimer ticking;
        ticking.callOnTimeout([&] {
            const QCursor *pointer = QApplication::overrideCursor();
            waitingTicks += pointer && pointer->shape() == Qt::WaitCursor;
        });
        ticking.start(100);
        ::kill(scheduler, SIGSTOP);
        trigger("mnuPrint");
        const int ticksInPrint = waitingTicks;
        inSetup(
            [&](QComboBox *printers, QLineEdit *name) {
                offered = printers->currentText();
                name->setText(file);
            },
            QDialogButtonBox::Ok);
        ::kill(scheduler, SIGCONT);
        QVERIFY2(ticksInPrint >= 3, qPrintable(QString::number(ticksInPrint)));
        QCOMPARE(offered, "Print to File (PDF)");
        QCOMPARE(desktop_->messages.size(), 1);
        QVERIFY(desktop_->messages[0].text.contains("The print system does not answer."));
        trigger("mnuPrint");
        QCOMPARE(desktop_->messages.size(), 2);
        QCOMPARE(desktop_->messages[1].text, "The page was saved to the PDF file\n" + file);
    }

    void programHelp_data()
    {
        // Stand-ins for the viewers that end with a status, at once or after
        // some seconds (@); those not named are not installed.
        QTest::addColumn<QString>("viewers");
        QTest::addColumn<QString>("tried");
        QTest::addColumn<bool>("found");
        // The desktop's own choice before any editor that is there, even one
        // that takes 3 s to show the manual.
        QTest::newRow("shows after 3 s")
            << "xdg-open=0@3 gnome-text-editor=0 gedit=0 mousepad=0" << QString("xdg-open") << true;
        QTest::newRow("fails after 3 s")
            << "xdg-open=4@3 gedit=0" << QString("xdg-open gedit") << true;
        QTest::newRow("none") << "xdg-open=3@3 mousepad=1" << QString("xdg-open mousepad") << false;
    }
    void programHelp()
    {
        QFETCH(QString, viewers);
        QFETCH(QString, tried);
        QFETCH(bool, found);
        QTemporaryDir bin; // the only folder on the search path
        QProcess::execute(Support + "/stub-viewers.sh",
                          QStringList{bin.path()} + viewers.split(' '));
        QList<QFuture<bool>> started;
        desktop_->startWith = [&](auto &viewer, auto &arguments) {
            const QByteArray path = qgetenv("PATH");
            qputenv("PATH", QFile::encodeName(bin.path()));
            started << QtDesktop().startProgram(viewer, arguments);
            qputenv("PATH", path);
            return started.last();
        };
        trigger("mnuHelpHelp");
        // The window takes the crew's keys while the viewer makes up its mind.
        auto *cell = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(cell);
        QTest::keyClicks(cell, "12");
        QVERIFY(cell->text().endsWith("12"));
        QVERIFY(!started.first().isFinished());
        // Until one shows the manual or none is left.
        QTRY_VERIFY_WITH_TIMEOUT(
            started.last().isFinished() &&
                (started.last().result() || started.size() == ManualViewers().size()),
            15000);
        QTRY_COMPARE(desktop_->messages.size(), found ? 1 : 2);
        const QString book = folder_ + "/help/lqrbook2.txt";
        QFile log(bin.filePath("log"));
        QVERIFY(log.open(QIODevice::ReadOnly));
        // Each viewer tried noted its name and its one argument, the manual.
        QCOMPARE(QString(log.readAll()),
                 tried.split(' ').join(" 1 " + book + "\n") + " 1 " + book + "\n");
        QCOMPARE(desktop_->messages[0].text,
                 "When you are finished viewing the Help document, click on the [X] box in the "
                 "upper right corner to return to the Quorvel.");
        if (!found)
            QCOMPARE(
                desktop_->messages[1].text,
                "An appropriate viewer was not found on your system.\n\nThe manual is the file\n" +
                    book);
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
