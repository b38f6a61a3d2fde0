// The main window as a crew meets it: typing, Enter and clicks, what the
// cells show, the return from the program's own windows, and a screen too
// small for the window. Widgets are found by their names.

#include "MainWindow.h"
#include "ModalBox.h"
#include "RowHelp.h"
#include "ScriptedDesktop.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

using namespace quorvel;

namespace {

// Runs what the last event queued: focus moves, and the warnings they queue
// in turn.
void Settle()
{
    for (int round = 0; round < 3; ++round)
        QCoreApplication::processEvents();
}

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

    auto *cell(int n) const { return window_->findChild<QLineEdit *>("cell" + QString::number(n)); }
    QWidget *focused() const { return QApplication::focusWidget(); }
    // The crew's steps, separated by blanks: "@name" clicks that widget (the
    // crew can only click what they see; a menu by its title on the menu
    // bar), "#key" presses a key (into the menu that is open, if one is),
    // "!name" chooses that menu item and "box" puts up a message box (both
    // wait for the new window to take over), "^" clicks the main window;
    // anything else is typed.
    void run(const QString &steps)
    {
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            const QString name = step.mid(1);
            const QKeyCombination key = QKeySequence(name)[0];
            QWidget *const target = window_->findChild<QWidget *>(name);
            if (auto *menu = qobject_cast<QMenu *>(target); menu && step.startsWith(u'@')) {
                QMenuBar *const bar = window_->menuBar();
                QTest::mouseClick(bar, Qt::LeftButton, {},
                                  bar->actionGeometry(menu->menuAction()).center());
            } else if (step.startsWith(QLatin1Char('@'))) {
                QVERIFY2(target && target->isVisible(), qPrintable(step));
                QTest::mouseClick(target, Qt::LeftButton);
            } else if (step.startsWith(QLatin1Char('#'))) {
                QWidget *const menu = QApplication::activePopupWidget();
                QTest::keyClick(menu ? menu : focused(), key.key(), key.keyboardModifiers());
            } else if (step.startsWith(QLatin1Char('!')))
                window_->findChild<QAction *>(name)->trigger();
            else if (step == QLatin1String("box"))
                (new QMessageBox(QMessageBox::NoIcon, step, step, {}, window_.get()))->show();
            else if (step == QLatin1String("^"))
                window_->activateWindow();
            else
                QTest::keyClicks(focused(), step);
            Settle();
            if (step.startsWith(QLatin1Char('!')) || step == QLatin1String("box"))
                QTRY_VERIFY(qApp->activeWindow() && qApp->activeWindow() != window_.get());
        }
    }
    // A help file whose text for cell N reads "WORD N".
    void writeHelp(const char *word)
    {
        QByteArray help;
        for (int cell = 0; cell < 142; ++cell)
            help += "title\r\n" + QByteArray(word) + ' ' + QByteArray::number(cell) + "\r\n0,0\r\n";
        QDir(folder_.path()).mkpath(QStringLiteral("kvtext"));
        QFile file(folder_.filePath(QStringLiteral("kvtext/help.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(help) == help.size());
    }

    // The first step run, the rest posted at once; the desktop's box a real one.
    void typeAhead(const QStringList &steps)
    {
        desktop_.showWith = [](QWidget *parent, const QString &text, const QString &title) {
            QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
            // Never hangs the suite where the keys went elsewhere.
            QTimer::singleShot(5000, &box, &QDialog::reject);
            RunModalBox(box);
            parent->activateWindow(); // as the desktop's box does
        };
        run(steps.first());
        const auto post = [this](QKeyCombination key, const QString &text) {
            for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
                QCoreApplication::postEvent(
                    window_->windowHandle(),
                    new QKeyEvent(type, key.key(), key.keyboardModifiers(), text));
        };
        for (const QString &step : steps.mid(1)) {
            if (const QKeyCombination key = QKeySequence(step.mid(1))[0]; step.startsWith('#'))
                post(key, key.key() < 0x7f ? QString(QChar(key.key())) : QString());
            else
                for (const QChar c : step)
                    post(QKeyCombination(Qt::Key(c.unicode())), c);
        }
        Settle();
    }

    QTemporaryDir folder_;
    ScriptedDesktop desktop_;
    std::unique_ptr<MainWindow> window_;

private slots:
    // A crew's desktop may be dark: the window suite runs on a dark palette.
    void initTestCase() { QApplication::setPalette(QPalette(QColor(53, 53, 53))); }
    void init()
    {
        desktop_ = ScriptedDesktop();
        writeHelp("help");
        window_ = std::make_unique<MainWindow>(folder_.path(), desktop_);
        window_->show();
        QVERIFY(QTest::qWaitForWindowActive(window_.get()));
        Settle();
    }
    void cleanup() { window_.reset(); }

    // Where the focus goes, the help it shows, and how often the caution-usage
    // warning comes: once per recalculation. Coming back from the program's
    // own windows (the steps that choose a menu item) the main window runs
    // its activation steps: it reads the help file again and recalculates.
    // The colours with a meaning show on the sheet's own paper, whatever the
    // desktop's palette: light magenta figures on white, magenta captions on
    // the panels' grey, black once the meaning has gone.
    void crewSteps_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("focused");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<QString>("selected"); // in the focused cell
        QTest::addColumn<QStringList>("colours");
        QTest::addColumn<QStringList>("cells"); // "N=TEXT": typed ahead, cell N then holds TEXT
        const auto row = [](const char *name, const char *steps, const char *focused, int n,
                            const char *selected = "", const char *colours = "",
                            const char *cells = "") {
            QTest::newRow(name) << QString::fromLatin1(steps) << QString::fromLatin1(focused) << n
                                << QString::fromLatin1(selected)
                                << QString::fromLatin1(colours).split(' ', Qt::SkipEmptyParts)
                                << QString::fromLatin1(cells).split(' ', Qt::SkipEmptyParts);
        };
        row("Up from the first cell", "@cell132 #Up", "recalculateButton", 0);
        row("Down from Clc: stays", "@recalculateButton #Down", "recalculateButton", 0);
        row("Up from the out-of-sight button: stays", "@testConditions #Up", "focusButton", 0);
        // A click beside the cells ends the typing: the sheet is recalculated.
        row("click on the grid commits", "@cell135 25 @testConditions", "focusButton", 1);
        // Typing replaces the value clicked into: 85, not 4085.
        row("filled cell", "@cell132 40 #Return @cell132 85 #Shift+Home", "cell132", 0, "85");
        // Miles since the last pit: 1000000000000000.00, wider than its cell.
        row("result too wide", "@cell134 1 @cell0 -99 #Return 1 #Return 1e15 #Return", "cell8", 0);
        row("Down skips hidden row 14", "@cell13 #Down", "cell15", 0);
        row("Enter skips the greyed gallons", "@cell5 #Return", "cell7", 0);
        row("Enter from the last cell to Clc", "@cell113 #Return #Return", "recalculateButton", 0);
        row("-99: on to the gallons", "@cell19 -99 #Return", "cell25", 0);
        row("caption: its cell", "@cell139 @caption132", "cell132", 0);
        row("hidden H Hour row: 1st Pit", "@cell139 @caption14", "cell33", 0);
        row("gallons caption: nothing", "@cell0 -99 @cell139 @caption6", "cell139", 0);
        row("can row of a gallons H Hour", "@cell0 -99 @cell139 @caption2", "cell21", 0);
        // The click lands on a can weight that leaving the -99 hides.
        row("click after -99", "@cell57 -99 @cell59", "cell63", 0);
        row("Clc", "@cell135 25 #Return @recalculateButton", "recalculateButton", 2);
        row("Up, then back in range", "@cell135 25 #Return #Up 30 #Return", "cell136", 2);
        row("Comments, OK", "@cell135 25 #Return !mnuComments @ok", "cell136", 2);
        row("About, OK", "@cell135 25 #Return !mnuAbout @ok", "cell136", 2);
        // Only About's background closes it, not the pictures on it.
        row("About: logo, version, background",
            "@cell135 25 #Return !mnuAbout @logo @version @about", "cell136", 2);
        row("Comments closed going back", "@cell135 25 #Return !mnuComments ^", "cell136", 2);
        // The menu takes the focus for a moment: no leaving, no box over it.
        row("menu by mouse", "@cell135 25 @mnuFile #Escape #Escape", "cell135", 0, "25");
        // About and Comments handle their own keys; none reaches the sheet.
        row("About, Return on OK", "@cell135 25 #Return !mnuAbout #Return", "cell136", 2);
        row("About, Ctrl+C, Enter on Print, Space on OK",
            "@cell135 25 #Return !mnuAbout #Ctrl+C #Tab #Num+Enter #Tab #Space", "cell136", 3);
        row("Comments, Return", "@cell135 25 #Return !mnuComments #Tab #Return", "cell136", 2);
        row("a message box", "@cell135 25 #Return box #Return ^", "cell136", 1);
        // Ctrl+C recalculates, then copies what the crew selected.
        row("Ctrl+C keeps the selection", "@cell132 123 #Shift+Left #Ctrl+C", "cell132", 0, "3");
        row("a lap below the last pit's", "@cell26 30 @cell45 20 #Return", "cell46", 0, "",
            "cell45=magenta cell26=black");
        // Magenta while empty below the 2nd Pit's lap, black once typed.
        row("a contradiction typed away", "@cell45 30 @cell64 40 #Return", "cell65", 0, "",
            "cell64=black");
        row("required inputs", "@cell132 22 #Return", "cell133", 0, "",
            "caption132=black caption133=magenta");
        // A burst of keys after the first step reaches the window in one
        // batch, before the program has handled the first, as the X server
        // delivers keys typed ahead on a busy machine: each must land where it
        // would typed one a second. The caution-usage box is a real one here,
        // which takes the keys meant for it.
        row("typed ahead: Return", "@cell132 1 #Return 2 #Return", "cell134", 0, "", "",
            "132=1 133=2");
        // A decimal comma is the full stop the crew meant, from the keypad
        // on a German layout as from the main keyboard.
        row("typed ahead: keypad comma", "@cell134 #Num+2 #Num+, #Num+5 #Return", "cell135", 0, "",
            "", "134=2.5");
        row("typed ahead: comma", "@cell134 2,5 #Return", "cell135", 0, "", "", "134=2.5");
        row("typed ahead: -99 gals", "@cell0 -99 #Return 18 #Return 85 #Return", "cell8", 0, "", "",
            "0=-99 6=18 7=85");
        // The box comes at 25; "1" is lost on it and Return answers it; the
        // next cell left raises it again.
        row("typed ahead: range", "@cell135 25 #Return 1 #Return 7 #Return #Return", "cell138", 2,
            "", "", "135=25 136=7");
    }
    void crewSteps()
    {
        QFETCH(QString, steps);
        QFETCH(QString, focused);
        QFETCH(QStringList, cells);
        writeHelp("edited");
        // A page printed says where it went: one more box.
        desktop_.printWith = [](QWidget *) { return Desktop::PrintResult{true, {}, "page.pdf"}; };
        if (cells.isEmpty())
            run(steps);
        else
            typeAhead(steps.split(' '));
        for (const QString &expected : cells) {
            const QStringList cellAndText = expected.split(QLatin1Char('='));
            QCOMPARE(cell(cellAndText[0].toInt())->text(), cellAndText[1]);
        }
        QTRY_COMPARE(QApplication::activeWindow(), window_.get());
        Settle();
        QCOMPARE(this->focused() ? this->focused()->objectName() : QString(), focused);
        const QString help = steps.contains(QLatin1Char('!')) ? "edited " : "help ";
        if (focused.startsWith(QLatin1String("cell"))) {
            QCOMPARE(window_->findChild<QLabel *>("helpBox")->text(), help + focused.mid(4));
            QTEST(cell(focused.mid(4).toInt())->selectedText(), "selected");
        }
        QTEST(static_cast<int>(desktop_.messages.size()), "warnings");
        QFETCH(QStringList, colours);
        for (const QString &shown : colours) {
            const QString name = shown.section(QLatin1Char('='), 0, 0);
            const bool magenta = shown.endsWith(QLatin1String("=magenta"));
            const bool caption = name.startsWith(QLatin1String("caption"));
            const QPalette colour = window_->findChild<QWidget *>(name)->palette();
            const QColor text = !magenta  ? QColor(Qt::black)
                                : caption ? QColor(128, 0, 128)
                                          : QColor(255, 0, 255);
            QCOMPARE(colour.color(caption ? QPalette::WindowText : QPalette::Text), text);
            QCOMPARE(colour.color(caption ? QPalette::Window : QPalette::Base),
                     caption ? QColor(192, 192, 192) : QColor(Qt::white));
        }
        // The crew is back on the main window, every other window closed.
        for (const QWidget *other : QApplication::topLevelWidgets())
            QVERIFY2(other == window_.get() || !other->isVisible(),
                     qPrintable(other->objectName()));
        // A cell too narrow for its number shows its first digits.
        for (const QLineEdit *shown : window_->findChildren<QLineEdit *>()) {
            if (shown != this->focused() &&
                shown->fontMetrics().horizontalAdvance(shown->text()) > shown->width())
                QVERIFY2(shown->cursorPosition() == 0, qPrintable(shown->objectName()));
        }
    }

    // No text is cut at the desktop fonts crews use, in any of the windows.
    void textsWholeAtDesktopFont_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("9 pt") << 9;
        QTest::newRow("14 pt") << 14;
    }
    void textsWholeAtDesktopFont()
    {
        QFETCH(int, points);
        const QFont desktopFont = QApplication::font();
        QFont font = desktopFont;
        font.setPointSize(points);
        QApplication::setFont(font);
        window_ = std::make_unique<MainWindow>(folder_.path(), desktop_);
        window_->show();
        run("!mnuAbout !mnuComments");
        QApplication::setFont(desktopFont);
        for (QLabel *label : window_->findChildren<QLabel *>()) {
            if (label->text().isEmpty() || label->wordWrap() || !label->isVisible())
                continue;
            const QSize text = label->fontMetrics().boundingRect(QRect(), 0, label->text()).size();
            QVERIFY2(label->contentsRect().width() >= text.width() &&
                         label->contentsRect().height() >= text.height(),
                     qPrintable(label->text()));
        }
    }

    // A program started while another runs never hides the other's race; a
    // window too large for the screen scrolls only where it does not fit.
    void windowOnScreen()
    {
        MainWindow second(folder_.path(), desktop_);
        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        const auto *scrollArea = window_->findChild<QScrollArea *>();
        if (!scrollArea) {
            QVERIFY(second.frameGeometry().topLeft() != window_->frameGeometry().topLeft());
            return;
        }
        const QSize room = window_->screen()->availableGeometry().size();
        const QSize client = scrollArea->widget()->size();
        // The vertical bar takes room from the width: a window manager that
        // keeps the window at its largest size still leaves the client's.
        window_->setWindowState(Qt::WindowNoState);
        window_->resize(window_->maximumSize().boundedTo(room));
        QTRY_COMPARE(scrollArea->horizontalScrollBar()->isVisible(), client.width() > room.width());
    }

    // The help file as crews edit it: the two numbers after each help line
    // apart by a comma, blanks or line breaks, more on their line.
    void helpFileLayouts_data()
    {
        QTest::addColumn<QByteArray>("numbers");
        QTest::newRow("comma") << QByteArray("0,0");
        QTest::newRow("blanks") << QByteArray(" 1.5 \t 2 ");
        QTest::newRow("line breaks, more on the line") << QByteArray("0\r\n\n 0, 7 unused");
    }
    void helpFileLayouts()
    {
        QFETCH(QByteArray, numbers);
        QByteArray file;
        for (const char *help : {"first", "sec, ond"})
            file += "title\r\n" + QByteArray(help) + "\r\n" + numbers + "\r\n";
        FieldReader source(file);
        const HelpTexts texts = ParseHelpTexts(source);
        QCOMPARE(texts[0] + '|' + texts[1] + '|' + texts[2], "first|sec, ond|");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
