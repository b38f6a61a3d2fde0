// The main window as a crew uses it: typing, Enter, arrows, clicks on the
// captions and the grid, and what the window does when it becomes active.

#include "CaptionPanel.h"
#include "CellEdit.h"
#include "MainWindow.h"
#include "ScriptedDesktop.h"
#include "SheetView.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quorvel;

namespace {

const QString CautionWarning =
    QStringLiteral("'Caution Lap % Usage' should be between 30% to 100%.");

// A program folder of its own for each test, with the shipped help texts.
class ProgramFolder
{
public:
    ProgramFolder()
    {
        QDir(dir_.path()).mkpath(QStringLiteral("kvtext"));
        QDir(dir_.path()).mkpath(QStringLiteral("lqrfiles"));
        QFile::copy(QStringLiteral(QUORVEL_HELP_TEXTS), helpFile());
    }
    [[nodiscard]] QString path() const { return dir_.path(); }
    [[nodiscard]] QString helpFile() const
    {
        return dir_.filePath(QStringLiteral("kvtext/help.txt"));
    }

private:
    QTemporaryDir dir_;
};

struct Entry
{
    int cell;
    const char *text;
};

// The worked Dunmere example in the order a crew meets the cells.
const std::vector<Entry> WorkedExample = {
    {132, "22"}, {133, "0.72"}, {134, "2.5"}, {135, "50"}, {136, "3"}, {138, "100"}, {139, "12"},
    {1, "100"},  {2, "10"},     {4, "40"},    {5, "10"},   {7, "0"},   {8, "0"},     {20, "130"},
    {21, "30"},  {26, "40"},    {27, "6"},    {38, "-99"}, {44, "18"}, {45, "85"},   {46, "10"},
};

} // namespace

class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsUntitledOnTheTankCapacity();
    void typingTheWorkedExample();
    void navigation_data();
    void navigation();
    void gallonsModeSwitch();
    void selectsThirtyCharactersOnArrival();
    void captionClicks_data();
    void captionClicks();
    void gridFrameAndHeadingClicksCommit();
    void copyRecalculatesAndStillCopies();
    void cautionWarningOncePerRecalculation();
    void returningFromOwnWindowRunsActivation();
    void otherWindowsDoNotRunActivation();
    void anotherApplicationDoesNotRunActivation();
    void helpFileIsReadAgainOnActivation();
    void missingHelpFileLeavesHelpEmpty();

private:
    CellEdit *cell(int index) const { return window_->sheetView().cellEdit(index); }
    QWidget *focused() const { return QApplication::focusWidget(); }
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(focused(), key, modifiers);
        Settle();
    }
    void focusCell(int index)
    {
        cell(index)->setFocus(Qt::OtherFocusReason);
        Settle();
    }
    void typeInto(int index, const char *text)
    {
        // Reach the cell with Enter, the way the crew goes through the sheet.
        for (int guard = 0; focused() != cell(index) && guard < 200; ++guard)
            press(Qt::Key_Return);
        QCOMPARE(focused(), static_cast<QWidget *>(cell(index)));
        QTest::keyClicks(focused(), QString::fromLatin1(text));
    }
    QString shown(int index) const { return cell(index)->text(); }

    std::unique_ptr<ProgramFolder> folder_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<MainWindow> window_;
};

void TestMainWindow::init()
{
    folder_ = std::make_unique<ProgramFolder>();
    desktop_ = std::make_unique<ScriptedDesktop>();
    window_ = std::make_unique<MainWindow>(folder_->path(), *desktop_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Settle();
}

void TestMainWindow::cleanup()
{
    window_.reset();
    desktop_.reset();
    folder_.reset();
}

void TestMainWindow::startsUntitledOnTheTankCapacity()
{
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel - Dunmere   [ UNTITLED ]"));
    QCOMPARE(focused(), static_cast<QWidget *>(cell(132)));
    QVERIFY(window_->helpBox()->text().contains(QLatin1String("gallons")));
    QVERIFY(desktop_->messages.isEmpty());
    for (int i = 0; i < 114; ++i)
        QVERIFY(shown(i).isEmpty());
    QVERIFY(cell(137)->isHidden());
    QVERIFY(window_->sheetView().captionPanel(132)->showsMissingInput());
}

void TestMainWindow::typingTheWorkedExample()
{
    for (const Entry &entry : WorkedExample)
        typeInto(entry.cell, entry.text);
    press(Qt::Key_Return);

    const std::vector<std::pair<int, const char *>> results = {
        {6, "20.01"}, {25, "16.67"}, {28, "107.50"}, {29, "96.25"}, {30, "5.77"},   {31, "5.77"},
        {32, "6.45"}, {33, "0.0"},   {34, "12.3"},   {37, "2.58"},  {47, "112.50"}, {48, "107.50"},
        {49, "5.97"}, {50, "5.98"},  {51, "6.34"},   {52, "90.8"},  {53, "9.6"},    {54, "7.8"},
        {55, "1.8"},  {56, "2.54"},  {71, "137.7"},  {141, "38.7"}, {140, "38.6"}};
    for (const auto &[index, text] : results)
        QCOMPARE(shown(index), QString::fromLatin1(text));
    QVERIFY(desktop_->messages.isEmpty());
    QVERIFY(!window_->sheetView().captionPanel(132)->showsMissingInput());
    // The empty 3rd Pit lap is behind the 2nd Pit's 85, and shows it.
    QVERIFY(cell(57 + 7)->showsContradiction());
    QVERIFY(!cell(38 + 7)->showsContradiction());
}

void TestMainWindow::navigation_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("to"); // a cell number, "focus" or "Clc"

    const int none = Qt::NoModifier;
    QTest::newRow("Enter after the last cell") << 113 << int(Qt::Key_Return) << none << "focus";
    QTest::newRow("Up from the first cell") << 132 << int(Qt::Key_Up) << none << "Clc";
    QTest::newRow("Up from H Hour row 0") << 0 << int(Qt::Key_Up) << none << "141";
    QTest::newRow("Down skips hidden row 14") << 13 << int(Qt::Key_Down) << none << "15";
    QTest::newRow("Enter skips the greyed gallons") << 5 << int(Qt::Key_Return) << none << "7";
    QTest::newRow("keypad Enter") << 5 << int(Qt::Key_Enter) << none << "7";
    QTest::newRow("Tab skips the hidden field") << 136 << int(Qt::Key_Tab) << none << "138";
    QTest::newRow("Shift+Tab back over it")
        << 138 << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << "136";
    QTest::newRow("Shift+Down is Down") << 7 << int(Qt::Key_Down) << int(Qt::ShiftModifier) << "8";
    QTest::newRow("last side field to the grid") << 141 << int(Qt::Key_Return) << none << "0";
    QTest::newRow("column to column") << 18 << int(Qt::Key_Down) << none << "19";
}

void TestMainWindow::navigation()
{
    QFETCH(int, from);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, to);
    focusCell(from);
    press(Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QWidget *expected = to == QLatin1String("focus") ? window_->focusButton()
                        : to == QLatin1String("Clc")
                            ? static_cast<QWidget *>(window_->recalculateButton())
                            : cell(to.toInt());
    QCOMPARE(focused(), expected);
}

void TestMainWindow::gallonsModeSwitch()
{
    // From the out-of-sight button the next stops are "Clc" and the start.
    focusCell(113);
    press(Qt::Key_Return);
    press(Qt::Key_Return);
    QCOMPARE(focused(), static_cast<QWidget *>(window_->recalculateButton()));
    press(Qt::Key_Return);
    QCOMPARE(focused(), static_cast<QWidget *>(cell(132)));

    focusCell(19);
    QTest::keyClicks(focused(), QStringLiteral("-99"));
    press(Qt::Key_Return);
    // The recalculation opened the gallons cell before the focus moved on.
    QCOMPARE(focused(), static_cast<QWidget *>(cell(25)));
    for (int row = 1; row <= 5; ++row)
        QVERIFY(cell(19 + row)->isHidden());
    QVERIFY(cell(25)->isEnabled());

    focusCell(19);
    QTest::keyClicks(focused(), QStringLiteral("4"));
    press(Qt::Key_Return);
    QCOMPARE(focused(), static_cast<QWidget *>(cell(20)));
    QVERIFY(!cell(25)->isEnabled());
}

void TestMainWindow::selectsThirtyCharactersOnArrival()
{
    const QString text = QStringLiteral("12345678901234567890123456789012345");
    cell(7)->setText(text);
    window_->document().sheet().setText(7, text.toStdString());
    focusCell(6 + 2); // somewhere else first
    focusCell(7);
    QCOMPARE(cell(7)->selectedText(), text.left(30));

    // Typing over the selection replaces it; the calculation reads the 12.
    QTest::keyClicks(cell(7), QStringLiteral("12 laps"));
    QCOMPARE(cell(7)->text(), QStringLiteral("12 laps") + text.mid(30));
}

void TestMainWindow::captionClicks_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<QString>("gallonsColumns"); // columns put in gallons mode first
    QTest::addColumn<int>("expected");           // -1: the focus stays where it was

    QTest::newRow("tank capacity") << 132 << "" << 132;
    QTest::newRow("lap number row") << 7 << "" << 7;
    QTest::newRow("hidden H Hour row 14 goes to the 1st Pit") << 14 << "" << 33;
    QTest::newRow("gallons caption does nothing") << 6 << "" << -1;
    QTest::newRow("gallons caption in gallons mode too") << 6 << "0" << -1;
    QTest::newRow("can row of a gallons H Hour") << 2 << "0" << 21;
    QTest::newRow("can row with both in gallons mode") << 2 << "01" << -1;
}

void TestMainWindow::captionClicks()
{
    QFETCH(int, panel);
    QFETCH(QString, gallonsColumns);
    QFETCH(int, expected);
    for (const QChar column : gallonsColumns) {
        const int index = column.digitValue() * 19;
        window_->document().sheet().setText(index, "-99");
    }
    window_->recalculate();
    focusCell(139);

    QTest::mouseClick(window_->sheetView().captionPanel(panel), Qt::LeftButton);
    Settle();
    QWidget *target = expected < 0 ? cell(139) : cell(expected);
    QCOMPARE(focused(), target);
    if (expected >= 0)
        QCOMPARE(window_->helpBox()->text().isEmpty(), false);
}

void TestMainWindow::gridFrameAndHeadingClicksCommit()
{
    focusCell(134);
    QTest::keyClicks(focused(), QStringLiteral("2.5"));
    QVERIFY(window_->sheetView().captionPanel(134)->showsMissingInput());

    QTest::mouseClick(window_->sheetView().columnHeading(0), Qt::LeftButton);
    Settle();
    QCOMPARE(focused(), static_cast<QWidget *>(window_->focusButton()));
    QVERIFY(!window_->sheetView().captionPanel(134)->showsMissingInput());

    // The frame's own background does the same; a second click changes nothing.
    focusCell(132);
    QTest::keyClicks(focused(), QStringLiteral("22"));
    QTest::mouseClick(window_->testConditionsFrame(), Qt::LeftButton, {}, QPoint(5, 200));
    Settle();
    QCOMPARE(focused(), static_cast<QWidget *>(window_->focusButton()));
    QVERIFY(!window_->sheetView().captionPanel(132)->showsMissingInput());
    QTest::mouseClick(window_->testConditionsFrame(), Qt::LeftButton, {}, QPoint(5, 200));
    Settle();
    QCOMPARE(focused(), static_cast<QWidget *>(window_->focusButton()));
}

void TestMainWindow::copyRecalculatesAndStillCopies()
{
    focusCell(132);
    QTest::keyClicks(focused(), QStringLiteral("22"));
    cell(132)->selectAll();
    press(Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("22"));
    QVERIFY(!window_->sheetView().captionPanel(132)->showsMissingInput());
    // The recalculation did not disturb the selection being copied.
    QCOMPARE(cell(132)->selectedText(), QStringLiteral("22"));
}

void TestMainWindow::cautionWarningOncePerRecalculation()
{
    focusCell(135);
    QTest::keyClicks(focused(), QStringLiteral("25"));
    press(Qt::Key_Return);
    QCOMPARE(desktop_->messages.size(), 1);
    QCOMPARE(desktop_->messages.first().text, CautionWarning);
    QCOMPARE(desktop_->messages.first().title, QStringLiteral("Quorvel"));
    QTest::qWait(50);
    QCOMPARE(desktop_->messages.size(), 1);

    // Every later recalculation warns again while the value stays; 30 is fine.
    QTest::mouseClick(window_->recalculateButton(), Qt::LeftButton);
    Settle();
    QCOMPARE(desktop_->messages.size(), 2);
    focusCell(135);
    QTest::keyClicks(focused(), QStringLiteral("30"));
    press(Qt::Key_Return);
    QCOMPARE(desktop_->messages.size(), 2);
}

void TestMainWindow::returningFromOwnWindowRunsActivation()
{
    QWidget comments;
    comments.resize(200, 100);
    window_->addOwnWindow(&comments);
    comments.show();
    comments.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&comments));

    window_->setWindowTitle(QStringLiteral("Quorvel  [ RACE1.DAT ]"));
    window_->document().sheet().setText(135, "25");
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Settle();
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel - Dunmere   [ UNTITLED ]"));
    QCOMPARE(desktop_->messages.size(), 1);
}

void TestMainWindow::otherWindowsDoNotRunActivation()
{
    // A box or dialog of the program that is not one of its own windows:
    // going back from it must not recalculate (and warn) again.
    QWidget box;
    box.resize(200, 100);
    box.show();
    box.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&box));
    window_->document().sheet().setText(135, "25");
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Settle();
    QVERIFY(desktop_->messages.isEmpty());
}

void TestMainWindow::anotherApplicationDoesNotRunActivation()
{
    window_->document().sheet().setText(135, "25");
    emit qGuiApp->focusWindowChanged(nullptr);
    emit qGuiApp->focusWindowChanged(window_->windowHandle());
    Settle();
    QVERIFY(desktop_->messages.isEmpty());
}

void TestMainWindow::helpFileIsReadAgainOnActivation()
{
    QFile file(folder_->helpFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const QByteArray edited =
        bytes.replace("Fuel tank capacity in gallons.", "Tank size, US gallons.");
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(edited);
    file.close();

    focusCell(133);
    focusCell(132);
    QVERIFY(!window_->helpBox()->text().startsWith(QLatin1String("Tank size")));
    window_->runActivationSteps();
    focusCell(133);
    focusCell(132);
    QVERIFY(window_->helpBox()->text().startsWith(QLatin1String("Tank size")));
}

void TestMainWindow::missingHelpFileLeavesHelpEmpty()
{
    QVERIFY(QFile::remove(folder_->helpFile()));
    window_->runActivationSteps();
    focusCell(133);
    QVERIFY(window_->helpBox()->text().isEmpty());
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel - Dunmere   [ UNTITLED ]"));
}

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
