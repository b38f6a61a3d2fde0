#include "MainWindow.h"

#include "AboutWindow.h"
#include "CaptionPanel.h"
#include "CellEdit.h"
#include "CommentsWindow.h"
#include "Desktop.h"
#include "FileCommands.h"
#include "HelpViewer.h"
#include "MainWindowLayout.h"
#include "Navigator.h"
#include "PrintCommand.h"
#include "ProgramFont.h"
#include "ProgramVersion.h"
#include "RecoveryKeeper.h"
#include "SheetView.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

#include <cstdlib>
#include <functional>

namespace quorvel {

namespace Layout = MainWindowLayout;

namespace {

// About the height of a window manager's caption bar, which the window's
// size leaves out: kept free on the screen, and the step between the windows
// of programs running side by side.
constexpr int CaptionBar = 480;

// "Help" stands well apart from the other entries on the menu bar.
const QString HelpMenuTitle = QStringLiteral("Help") + QString(27, QLatin1Char(' '));
QString helpFilePath(const QString &programFolder)
{
    return programFolder + QStringLiteral("/kvtext/help") + QStringLiteral(".txt");
}

} // namespace

MainWindow::MainWindow(const QString &programFolder, Desktop &desktop, QWidget *parent)
    : QMainWindow(parent), desktop_(desktop), folders_(LocateProgramFolders(programFolder)),
      runningPrograms_(folders_.recoveryFolder), document_(folders_), programFolder_(programFolder)
{
    setWindowTitle(QStringLiteral("Quorvel - Dunmere"));
    buildMenu();
    buildWindow(logicalDpiY());
    rowHelp_ = std::make_unique<RowHelp>(helpFilePath(programFolder), helpBox_);
    sheetView_->describeWith(*rowHelp_);

    PrepareDataFolder(folders_);
    document_.readSettings();
    document_.currentFile().makeUntitled();
    fileCommands_ = new FileCommands(document_, desktop_, this);
    connectCommands();

    // The race survives a crash: kept beside the user's state, offered at
    // the next start.
    recovery_ = new RecoveryKeeper(document_, desktop_, folders_.recoveryFolder, this);
    connect(recovery_, &RecoveryKeeper::captionChanged, this, &QWidget::setWindowTitle);
    connect(recovery_, &RecoveryKeeper::sheetReplaced, this, &MainWindow::showReplacedSheet);
    // Every change counts, the cell still being typed included.
    connect(sheetView_, &SheetView::cellEdited, recovery_, &RecoveryKeeper::noteChange);
    connect(navigator_, &Navigator::sheetShown, recovery_, &RecoveryKeeper::noteChange);
}

void MainWindow::connectCommands()
{
    connect(fileCommands_, &FileCommands::captionChanged, this, &QWidget::setWindowTitle);
    connect(fileCommands_, &FileCommands::sheetReplaced, this, &MainWindow::showReplacedSheet);
}

void MainWindow::showReplacedSheet(const RecalculationOutcome &outcome)
{
    navigator_->showSheet(outcome);
}

void MainWindow::exitProgram()
{
    if (fileCommands_->exit() == FileCommands::ExitDecision::End) {
        ending_ = true;
        recovery_->discard();
        emit endRequested();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (!ending_)
        exitProgram();
    if (ending_)
        event->accept();
    else
        event->ignore();
}

void MainWindow::print()
{
    // The page is the window's client area: the sheet, the projections and
    // the Help box, without the menu bar.
    PrintCommand(desktop_, this, client_, helpBox_).run();
}

void MainWindow::showProgramHelp()
{
    HelpViewer(desktop_, this, programFolder_).show();
}

void MainWindow::openAbout()
{
    // One About window at a time: asking again brings it to the front.
    if (!about_) {
        about_ = new AboutWindow(desktop_, QPixmap(QStringLiteral(":/quorvel/splash.png")), this);
        navigator_->addOwnWindow(about_, Navigator::OnLeaving::Stay);
        about_->move(geometry().center() - about_->rect().center());
    }
    about_->show();
    about_->raise();
    about_->activateWindow();
}

void MainWindow::openComments()
{
    // Made afresh from the comment each time; it deletes itself on closing.
    comments_ = new CommentsWindow(document_, this);
    connect(comments_, &CommentsWindow::commentChanged, recovery_, &RecoveryKeeper::noteChange);
    navigator_->addOwnWindow(comments_, Navigator::OnLeaving::Close);
    comments_->move(geometry().center() - comments_->rect().center());
    comments_->show();
    comments_->activateWindow();
}

// The navigator goes first: it watches widgets that go with the window.
MainWindow::~MainWindow()
{
    delete navigator_;
}

void MainWindow::buildMenu()
{
    // Each item carries its command's name, so scripts and tests find it as
    // a crew does, by what it is rather than where it stands. The file
    // commands are made after the menu; they are looked up when chosen.
    const auto add = [this](QWidget *menu, const char *name, const char *caption,
                            const std::function<void()> &command) {
        auto *action = new QAction(QString::fromLatin1(caption), menu);
        action->setObjectName(QString::fromLatin1(name));
        menu->addAction(action);
        connect(action, &QAction::triggered, this, command);
    };
    QMenu *file = menuBar()->addMenu(QStringLiteral("File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    add(file, "mnuNew", "New", [this] { fileCommands_->newRace(); });
    add(file, "mnuOpen", "Open", [this] { fileCommands_->open(); });
    add(file, "mnuSave", "Save", [this] { fileCommands_->save(); });
    add(file, "mnuSaveAs", "Save As", [this] { fileCommands_->saveAs(); });
    file->addSeparator();
    add(file, "mnuPrint", "Print", [this] { print(); });
    add(file, "mnuPrintSetup", "Print Setup", [this] { desktop_.choosePrinter(this); });
    file->addSeparator();
    add(file, "mnuExit", "Exit", [this] { exitProgram(); });
    add(menuBar(), "mnuComments", "Comments", [this] { openComments(); });
    QMenu *help = menuBar()->addMenu(HelpMenuTitle);
    help->setObjectName(QStringLiteral("mnuHelp"));
    add(help, "mnuHelpHelp", "Program Help", [this] { showProgramHelp(); });
    add(help, "mnuAbout", "About Quorvel", [this] { openAbout(); });
}

void MainWindow::buildWindow(double dotsPerInch)
{
    const auto px = [dotsPerInch](const TwipsRect &r) { return TwipsToPixels(r, dotsPerInch); };
    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    // The layout was drawn for 8.25 points.
    client->setFont(ProgramFont(8.25));
    client->setFixedSize(TwipsToPixels(Layout::ClientWidth, dotsPerInch),
                         TwipsToPixels(Layout::ClientHeight, dotsPerInch));
    client_ = client;

    for (const Layout::Frame &frame : Layout::Frames) {
        auto *box = new QGroupBox(QString::fromLatin1(frame.title), client);
        box->setObjectName(QString::fromLatin1(frame.name));
        box->setGeometry(px(frame.rect));
        switch (frame.id) {
        case Layout::Container::Projections:
            projections_ = box;
            break;
        case Layout::Container::Help:
            helpFrame_ = box;
            break;
        case Layout::Container::TestConditions:
            testConditions_ = box;
            break;
        case Layout::Container::Window:
            break;
        }
    }

    helpBox_ = new QLabel(helpFrame_);
    helpBox_->setObjectName(QStringLiteral("helpBox"));
    helpBox_->setGeometry(px(Layout::HelpText));
    helpBox_->setWordWrap(true);
    helpBox_->setTextFormat(Qt::PlainText);
    helpBox_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // The box keeps its place in the frame, but its text starts a little
    // below the frame's top line, which a style such as Fusion draws under
    // the title, right where the box begins.
    const int lineBelowBoxTop = helpFrame_->contentsRect().top() - helpBox_->y();
    const int clearance = helpBox_->fontMetrics().height() / 3;
    helpBox_->setContentsMargins(0, qMax(0, lineBelowBoxTop + clearance), 0, 0);

    recalculateButton_ = new QPushButton(QStringLiteral("Clc"), client);
    recalculateButton_->setObjectName(QStringLiteral("recalculateButton"));
    recalculateButton_->setGeometry(px(Layout::RecalculateButton));
    recalculateButton_->setAccessibleName(QStringLiteral("Clc, recalculate"));
    focusButton_ = new QPushButton(QStringLiteral("Command1"), client);
    focusButton_->setObjectName(QStringLiteral("focusButton"));
    focusButton_->setGeometry(px(Layout::FocusButton));
    // Out of sight, but a stop of the focus order: a screen reader says
    // where the crew is, never the button's internal text.
    focusButton_->setAccessibleName(QStringLiteral("End of the sheet"));
    focusButton_->setAccessibleDescription(
        QStringLiteral("The sheet is recalculated. Enter goes on to Clc, then to the first cell."));

    sheetView_ =
        new SheetView(document_.sheet(), {client, projections_, testConditions_}, dotsPerInch);
    connect(sheetView_, &SheetView::cellArrived, this, [this](int cell) { rowHelp_->show(cell); });
    // The client finds its place (maybe in a scroll area) before the crew's
    // first cell takes the focus: moving it afterwards would drop the focus.
    fitClientOnScreen(dotsPerInch);
    navigator_ =
        new Navigator(this, {sheetView_, focusButton_, recalculateButton_, testConditions_},
                      [this] { return document_.recalculate(); });
    connect(recalculateButton_, &QPushButton::clicked, navigator_, &Navigator::recalculate);
    connect(navigator_, &Navigator::activated, this, &MainWindow::runActivationSteps);
    connect(navigator_, &Navigator::cautionUsageWarningDue, this, [this] {
        desktop_.showMessage(this, QString::fromUtf8(CautionUsageWarning), ProgramName());
    });
}

void MainWindow::fitClientOnScreen(double dotsPerInch)
{
    const QSize whole = client_->size() + QSize(0, menuBar()->sizeHint().height());
    const QRect screenRoom = screen()->availableGeometry();
    // The window's size leaves out the caption bar the window manager adds.
    const int caption = TwipsToPixels(CaptionBar, dotsPerInch);
    const QSize room = screenRoom.size() - QSize(0, caption);
    if (whole.width() <= room.width() && whole.height() <= room.height()) {
        setCentralWidget(client_);
        layout()->setSizeConstraint(QLayout::SetFixedSize);
        // Centred by the program, wholly on the screen with room for the
        // frame: left to itself a window manager may put it partly below
        // the screen's edge. (A Wayland compositor places it its own way.)
        adjustSize();
        QRect frame(QPoint(), size() + QSize(0, caption));
        frame.moveCenter(screenRoom.center());
        move(cascaded(frame, screenRoom, caption));
        return;
    }
    // A screen smaller than the window (a laptop at 200 % scaling): the
    // client area scrolls, and the cell the crew moves to comes into view.
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    // Not a stop of the crew's focus order, nor a target of a click on a
    // caption or the grid's background.
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    scrollArea_->setWidget(client_);
    setCentralWidget(scrollArea_);
    // Room for the scroll bar of the side that does not fit, so that the
    // other side needs none: no scroll bar that scrolls nothing.
    const int bar = scrollArea_->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    const QSize most = whole + QSize(whole.height() > room.height() ? bar : 0,
                                     whole.width() > room.width() ? bar : 0);
    // Maximized, the window manager fits the window and its frame into the
    // screen; without one the window fills the screen.
    setMaximumSize(most);
    resize(most.boundedTo(room));
    setWindowState(Qt::WindowMaximized);
    connect(sheetView_, &SheetView::cellArrived, this,
            [this](int cell) { scrollArea_->ensureWidgetVisible(sheetView_->cellEdit(cell)); });
}

QPoint MainWindow::cascaded(const QRect &frame, const QRect &screenRoom, int step) const
{
    // A program started while others run opens a step further right and
    // down for each, so it never hides the race of one before it; where the
    // screen has no room for the step, it starts again from the left or top.
    const int shift = runningPrograms_.number() * step;
    const auto along = [shift](int screenStart, int start, int spare) {
        return spare <= 0 ? start : screenStart + (start - screenStart + shift) % (spare + 1);
    };
    return {along(screenRoom.left(), frame.left(), screenRoom.width() - frame.width()),
            along(screenRoom.top(), frame.top(), screenRoom.height() - frame.height())};
}

void MainWindow::takeOverFromSplash()
{
    setEnabled(true);
    desktop_.setBusyPointer(false);
    show();
    raise();
    activateWindow();
    navigator_->takeOver();
    // Once the crew can see the window, never over the splash.
    QMetaObject::invokeMethod(recovery_, &RecoveryKeeper::offerLeftCopy, Qt::QueuedConnection);
}

void MainWindow::runActivationSteps()
{
    document_.currentFile().refreshDisplayName();
    setWindowTitle(document_.currentFile().activationCaption());
    rowHelp_->reload();
    navigator_->recalculate();
}

} // namespace quorvel
