// The file commands and the comments window through the real main window,
// with the boxes and dialogs answered by the scripted desktop.
//
// The main window no longer hands out its race document: the checks that
// read or set the comment, the current file or a reserved cell directly are
// left out here until this suite drives FileCommands with a document itself.

#include "CaptionPanel.h"
#include "CellEdit.h"
#include "CommentsWindow.h"
#include "FileCommands.h"
#include "MainWindow.h"
#include "ScriptedDesktop.h"
#include "SheetView.h"
#include "WindowTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <csignal>
#include <memory>

#include <sys/resource.h>
#include <unistd.h>

using namespace quorvel;
using Answer = Desktop::Answer;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray raceFileWithUnitSystem(int unitSystem)
{
    QByteArray bytes = "DNX-LQR*1.20\r\n 0 \r\n " + QByteArray::number(unitSystem) + " \r\n";
    for (int i = 0; i < 151; ++i)
        bytes += i == 132 ? "22\r\n" : "\r\n";
    return bytes + "from the file\r\n-9999\r\n";
}

QList<QByteArray> lines(const QByteArray &bytes)
{
    return bytes.split('\n');
}

// Makes writes fail, also for root, for as long as it lives: a file-size limit
// below any race file.
class WritesFail
{
public:
    WritesFail()
    {
        getrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit tiny = saved_;
        tiny.rlim_cur = 64;
        setrlimit(RLIMIT_FSIZE, &tiny);
    }
    WritesFail(const WritesFail &) = delete;
    WritesFail &operator=(const WritesFail &) = delete;
    ~WritesFail() { setrlimit(RLIMIT_FSIZE, &saved_); }

private:
    rlimit saved_{};
};

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void newRace_data();
    void newRace();
    void saveUntitledCancelled();
    void saveReadSheetWritesBackWithoutDialog();
    void openCancelledOrRefused_data();
    void openCancelledOrRefused();
    void openInSubFolderShowsItInTheCaption();
    void exitAnswers_data();
    void exitAnswers();
    void closeBoxCancelKeepsTheWindow();
    void failedWriteKeepsOldFileAndSheet_data();
    void failedWriteKeepsOldFileAndSheet();
    void roundTripThroughTheWindow();
    void settingsCarryUnitSystem();
    void reservedSettingsSurvive();
    void commentsWindowClosingRules();
    void commentsTypingLimit();

private:
    void restart();
    QString dataPath(const QString &name) const { return dataFolder() + QLatin1Char('/') + name; }
    QString dataFolder() const { return folder_->path() + QStringLiteral("/lqrfiles"); }
    QString settingsPath() const { return folder_->path() + QStringLiteral("/KVCNFG.DNX"); }
    void typeInto(int cell, const QString &text)
    {
        CellEdit *edit = window_->findChild<CellEdit *>(QStringLiteral("cell%1").arg(cell));
        edit->setFocus(Qt::OtherFocusReason);
        edit->selectAll();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // The comments window the crew has open (a closed one may still await
    // its deletion).
    CommentsWindow *openComments() const
    {
        for (CommentsWindow *comments : window_->findChildren<CommentsWindow *>()) {
            if (comments->isVisible())
                return comments;
        }
        return nullptr;
    }
    QString shown(int cell) const
    {
        return window_->findChild<CellEdit *>(QStringLiteral("cell%1").arg(cell))->text();
    }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<MainWindow> window_;
};

void TestFileCommands::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QDir(folder_->path()).mkpath(QStringLiteral("lqrfiles/2003"));
    restart();
}

void TestFileCommands::restart()
{
    window_.reset();
    desktop_ = std::make_unique<ScriptedDesktop>();
    window_ = std::make_unique<MainWindow>(folder_->path(), *desktop_);
    window_->show();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    Settle();
}

void TestFileCommands::cleanup()
{
    window_.reset();
    desktop_.reset();
    folder_.reset();
}

void TestFileCommands::newRace_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("chooseFile");
    QTest::addColumn<bool>("cleared");
    QTest::addColumn<bool>("saved");

    QTest::newRow("No") << int(Answer::No) << false << true << false;
    QTest::newRow("Cancel") << int(Answer::Cancel) << false << false << false;
    QTest::newRow("Yes, dialog cancelled") << int(Answer::Yes) << false << false << false;
    QTest::newRow("Yes, saved") << int(Answer::Yes) << true << true << true;
}

void TestFileCommands::newRace()
{
    QFETCH(int, answer);
    QFETCH(bool, chooseFile);
    QFETCH(bool, cleared);
    QFETCH(bool, saved);

    typeInto(132, QStringLiteral("22"));
    const QString before = window_->windowTitle();
    desktop_->answers = {Answer(answer)};
    if (chooseFile)
        desktop_->fileChoices = {dataPath(QStringLiteral("kept"))};

    window_->findChild<QAction *>(QStringLiteral("mnuNew"))->trigger();
    Settle();

    QCOMPARE(desktop_->questions.size(), 1);
    QCOMPARE(desktop_->questions.first().text, FileCommands::NewQuestion);
    QCOMPARE(desktop_->questions.first().title, QStringLiteral("Save Inputs"));
    QCOMPARE(QFile::exists(dataPath(QStringLiteral("kept"))), saved);
    if (saved)
        QVERIFY(readAll(dataPath(QStringLiteral("kept"))).contains("\r\n22\r\n"));
    QCOMPARE(shown(132).isEmpty(), cleared);
    if (!cleared) {
        QCOMPARE(window_->windowTitle(), before);
        return;
    }
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel - Dunmere   [ UNTITLED ]"));
    // The recalculation ran on the emptied sheet.
    QVERIFY(window_->findChild<CaptionPanel *>(QStringLiteral("caption132"))->showsMissingInput());
    // A later Save is a Save As starting from "Untitled".
    desktop_->dialogs.clear();
    window_->findChild<QAction *>(QStringLiteral("mnuSave"))->trigger();
    QCOMPARE(desktop_->dialogs.size(), 1);
    QVERIFY(desktop_->dialogs.first().save);
    QCOMPARE(desktop_->dialogs.first().shown.fileName, QStringLiteral("Untitled"));
}

void TestFileCommands::saveUntitledCancelled()
{
    window_->findChild<QAction *>(QStringLiteral("mnuSave"))->trigger();
    QCOMPARE(desktop_->dialogs.size(), 1);
    const ScriptedDesktop::Dialog &dialog = desktop_->dialogs.first();
    QCOMPARE(dialog.shown.title, QStringLiteral("Save a File"));
    QCOMPARE(dialog.shown.folder, dataFolder());
    QCOMPARE(dialog.shown.fileName, QStringLiteral("Untitled"));
    QVERIFY(QDir(dataFolder()).entryList(QDir::Files).isEmpty());
    QVERIFY(window_->windowTitle().contains(QLatin1String("UNTITLED")));
}

void TestFileCommands::saveReadSheetWritesBackWithoutDialog()
{
    const QString path = folder_->path() + QStringLiteral("/elsewhere.race");
    writeAll(path, raceFileWithUnitSystem(0));
    desktop_->fileChoices = {path};
    window_->findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(shown(132), QStringLiteral("22"));

    typeInto(134, QStringLiteral("2.5"));
    desktop_->dialogs.clear();
    window_->findChild<QAction *>(QStringLiteral("mnuSave"))->trigger();
    QVERIFY(desktop_->dialogs.isEmpty());
    QCOMPARE(lines(readAll(path)).at(3 + 134), QByteArray("2.5\r"));
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel  [ ELSEWHERE.RACE ]"));

    // Save As starts in the data folder all the same, with the file's name.
    window_->findChild<QAction *>(QStringLiteral("mnuSaveAs"))->trigger();
    QCOMPARE(desktop_->dialogs.last().shown.folder, dataFolder());
    QCOMPARE(desktop_->dialogs.last().shown.fileName, QStringLiteral("elsewhere.race"));
}

void TestFileCommands::openCancelledOrRefused_data()
{
    QTest::addColumn<QByteArray>("fileBytes"); // empty: the dialog is cancelled
    QTest::addColumn<bool>("badFile");
    QTest::newRow("cancelled") << QByteArray() << false;
    QTest::newRow("not a race file") << QByteArray("Dnx-Lqr*1.20\r\n") << true;
    QTest::newRow("empty file") << QByteArray("\r\n") << true;
}

void TestFileCommands::openCancelledOrRefused()
{
    QFETCH(QByteArray, fileBytes);
    QFETCH(bool, badFile);
    typeInto(132, QStringLiteral("30"));
    const QString title = window_->windowTitle();
    if (!fileBytes.isEmpty()) {
        writeAll(dataPath(QStringLiteral("odd")), fileBytes);
        desktop_->fileChoices = {dataPath(QStringLiteral("odd"))};
    }

    window_->findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(desktop_->dialogs.first().shown.title, QStringLiteral("Open a File"));
    QCOMPARE(desktop_->messages.size(), badFile ? 1 : 0);
    if (badFile) {
        QCOMPARE(desktop_->messages.first().text,
                 QStringLiteral("This is not a Quorvel file and can not be used."));
        QCOMPARE(desktop_->messages.first().title, QStringLiteral("Bad File"));
    }
    QCOMPARE(shown(132), QStringLiteral("30"));
    QCOMPARE(window_->windowTitle(), title);
}

void TestFileCommands::openInSubFolderShowsItInTheCaption()
{
    const QString path = dataPath(QStringLiteral("2003/race1.dat"));
    writeAll(path, raceFileWithUnitSystem(0));
    desktop_->fileChoices = {path};
    window_->findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel  [ 2003/RACE1.DAT ]"));
    // The next activation puts the usual caption back, with the same name.
}

void TestFileCommands::exitAnswers_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("chooseFile");
    QTest::addColumn<bool>("ends");

    QTest::newRow("No") << int(Answer::No) << false << true;
    QTest::newRow("Cancel") << int(Answer::Cancel) << false << false;
    QTest::newRow("Yes, saved") << int(Answer::Yes) << true << true;
    // Ending here would lose the sheet the crew just asked to keep.
    QTest::newRow("Yes, dialog cancelled") << int(Answer::Yes) << false << false;
}

void TestFileCommands::exitAnswers()
{
    QFETCH(int, answer);
    QFETCH(bool, chooseFile);
    QFETCH(bool, ends);
    QSignalSpy ending(window_.get(), &MainWindow::endRequested);
    desktop_->answers = {Answer(answer)};
    if (chooseFile)
        desktop_->fileChoices = {dataPath(QStringLiteral("last race"))};

    window_->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();

    QCOMPARE(desktop_->questions.first().text, FileCommands::ExitQuestion);
    QCOMPARE(desktop_->questions.first().title, QStringLiteral("Save Inputs"));
    QCOMPARE(ending.size(), ends ? 1 : 0);
    QCOMPARE(QFile::exists(settingsPath()), ends);
    QCOMPARE(QFile::exists(dataPath(QStringLiteral("last race"))), chooseFile);
}

void TestFileCommands::closeBoxCancelKeepsTheWindow()
{
    QSignalSpy ending(window_.get(), &MainWindow::endRequested);
    desktop_->answers = {Answer::Cancel};
    QVERIFY(!window_->close());
    QVERIFY(window_->isVisible());
    QCOMPARE(ending.size(), 0);

    desktop_->answers = {Answer::No};
    QVERIFY(window_->close());
    QCOMPARE(ending.size(), 1);
    QVERIFY(QFile::exists(settingsPath()));
}

void TestFileCommands::failedWriteKeepsOldFileAndSheet_data()
{
    QTest::addColumn<QString>("failure");
    QTest::newRow("full file system") << "full";
    QTest::newRow("read-only folder") << "read-only";
    QTest::newRow("path that is a folder") << "folder";
}

void TestFileCommands::failedWriteKeepsOldFileAndSheet()
{
    QFETCH(QString, failure);
    if (failure == QLatin1String("read-only") && geteuid() == 0)
        QSKIP("permission bits do not stop root; this runs again unprivileged");

    const QString path = dataPath(QStringLiteral("race.lqr"));
    writeAll(path, raceFileWithUnitSystem(0));
    desktop_->fileChoices = {path};
    window_->findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    const QByteArray old = readAll(path);
    typeInto(132, QStringLiteral("24"));
    const QString title = window_->windowTitle();
    QSignalSpy ending(window_.get(), &MainWindow::endRequested);
    // Save onto the race file, or Save As onto the folder beside it.
    const QString target =
        failure == QLatin1String("folder") ? dataPath(QStringLiteral("2003")) : path;

    {
        // A file-size limit fails the write the way a full disk does, also
        // for root.
        std::unique_ptr<WritesFail> limit;
        if (failure == QLatin1String("full"))
            limit = std::make_unique<WritesFail>();
        if (failure == QLatin1String("read-only"))
            QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::ExeOwner);
        desktop_->fileChoices = {target};
        window_->findChild<QAction *>(QStringLiteral("mnuSaveAs"))->trigger();
        // Exit answered Yes with a write that fails keeps the program running.
        desktop_->answers = {Answer::Yes};
        desktop_->fileChoices = {target};
        window_->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    }
    QFile::setPermissions(dataFolder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QCOMPARE(ending.size(), 0);
    QVERIFY(window_->isVisible());
    QCOMPARE(readAll(path), old);
    QCOMPARE(QDir(dataFolder()).entryList(QDir::Files), QStringList{QStringLiteral("race.lqr")});
    QCOMPARE(desktop_->messages.size(), 2);
    QVERIFY(desktop_->messages.first().text.contains(target));
    QVERIFY(desktop_->messages.first().text.contains(QLatin1String("unchanged")));
    QCOMPARE(window_->windowTitle(), title);
    QCOMPARE(shown(132), QStringLiteral("24"));

    // Once the cause is gone, the same sheet saves.
    window_->findChild<QAction *>(QStringLiteral("mnuSave"))->trigger();
    QCOMPARE(lines(readAll(path)).at(3 + 132), QByteArray("24\r"));
}

void TestFileCommands::roundTripThroughTheWindow()
{
    typeInto(132, QStringLiteral("22"));
    typeInto(134, QStringLiteral("2.5"));
    typeInto(19 + 1, QStringLiteral("130"));
    typeInto(19 + 2, QStringLiteral("30"));
    typeInto(19 + 7, QStringLiteral("40"));
    window_->findChild<QAction *>(QStringLiteral("mnuComments"))->trigger();
    CommentsWindow *comments = openComments();
    QVERIFY(comments);
    QTest::keyClicks(comments->textBox(), QStringLiteral("Dry track"));
    QTest::keyClick(comments->textBox(), Qt::Key_Return);
    QTest::keyClicks(comments->textBox(), QStringLiteral("wind from turn 3"));
    QVERIFY(comments->isVisible()); // Enter made a new line, nothing else
    comments->close();
    Settle();

    const QString path = dataPath(QStringLiteral("monday"));
    desktop_->fileChoices = {path};
    window_->findChild<QAction *>(QStringLiteral("mnuSaveAs"))->trigger();
    const QString results = shown(19 + 9);
    QVERIFY(!results.isEmpty());

    desktop_->answers = {Answer::No};
    window_->findChild<QAction *>(QStringLiteral("mnuNew"))->trigger();
    QVERIFY(shown(132).isEmpty());
    desktop_->fileChoices = {path};
    window_->findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(shown(132), QStringLiteral("22"));
    QCOMPARE(shown(19 + 7), QStringLiteral("40"));
    QCOMPARE(shown(19 + 9), results);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel  [ MONDAY ]"));

    window_->findChild<QAction *>(QStringLiteral("mnuComments"))->trigger();
    QCOMPARE(openComments()->textBox()->toPlainText(),
             QStringLiteral("Dry track\nwind from turn 3"));
}

void TestFileCommands::settingsCarryUnitSystem()
{
    writeAll(settingsPath(), " 1 \r\n");
    restart();
    desktop_->fileChoices = {dataPath(QStringLiteral("a"))};
    window_->findChild<QAction *>(QStringLiteral("mnuSaveAs"))->trigger();
    QCOMPARE(lines(readAll(dataPath(QStringLiteral("a")))).at(2), QByteArray(" 1 \r"));

    writeAll(dataPath(QStringLiteral("b")), raceFileWithUnitSystem(2));
    desktop_->fileChoices = {dataPath(QStringLiteral("b"))};
    window_->findChild<QAction *>(QStringLiteral("mnuOpen"))->trigger();
    desktop_->answers = {Answer::No};
    window_->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
    QCOMPARE(lines(readAll(settingsPath())).at(0), QByteArray(" 2 \r"));
}

void TestFileCommands::reservedSettingsSurvive()
{
    const QByteArray settings = " 0 \r\n 5 \r\n-6 \r\n 7 \r\n 1 \r\n";
    writeAll(settingsPath(), settings);
    for (int run = 0; run < 3; ++run) {
        restart();
        desktop_->answers = {Answer::No};
        window_->findChild<QAction *>(QStringLiteral("mnuExit"))->trigger();
        QCOMPARE(readAll(settingsPath()), settings);
    }
}

void TestFileCommands::commentsWindowClosingRules()
{
    window_->findChild<QAction *>(QStringLiteral("mnuComments"))->trigger();
    QPointer<CommentsWindow> comments = openComments();
    QTRY_COMPARE(QGuiApplication::focusWindow(), comments->windowHandle());
    QVERIFY(comments->textBox()->hasFocus());

    // Another application taking the focus leaves it open.
    emit qGuiApp->focusWindowChanged(nullptr);
    Settle();
    QVERIFY(comments);

    // The crew going back to the main window closes it, and the main window
    // runs its activation steps.
    window_->setWindowTitle(QStringLiteral("Quorvel  [ X ]"));
    QTest::keyClicks(comments->textBox(), QStringLiteral("!"));
    window_->activateWindow();
    QTRY_VERIFY(!comments);
    QCOMPARE(window_->windowTitle(), QStringLiteral("Quorvel - Dunmere   [ UNTITLED ]"));

    // OK closes it too.
    window_->findChild<QAction *>(QStringLiteral("mnuComments"))->trigger();
    comments = openComments();
    QTRY_COMPARE(QGuiApplication::focusWindow(), comments->windowHandle());
    auto *ok = comments->findChild<QPushButton *>();
    QVERIFY(ok);
    QTest::mouseClick(ok, Qt::LeftButton);
    QTRY_VERIFY(!comments);
}

void TestFileCommands::commentsTypingLimit()
{
    window_->findChild<QAction *>(QStringLiteral("mnuComments"))->trigger();
    CommentsWindow *comments = openComments();
    QTest::keyClicks(comments->textBox(), QString(1005, QLatin1Char('a')));
    QCOMPARE(comments->textBox()->toPlainText().size(), 1000);
    comments->close();
}

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
