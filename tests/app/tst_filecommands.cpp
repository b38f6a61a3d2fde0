// New, Open, Save As and Exit as a crew meets them: the file commands on a
// race document, with the boxes and dialogs answered by the scripted desktop;
// and the real desktop's message box. A name typed with quotes into the real
// file dialog is the race day script's (tests/e2e).

#include "CommentsWindow.h"
#include "FileCommands.h"
#include "QtDesktop.h"
#include "RecoveryCopy.h"
#include "ScriptedDesktop.h"
#include "WorkedExample.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

using namespace quorvel;
using Answer = Desktop::Answer;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Every name in the folders, dangling links included, as full paths.
QStringList entries(const QStringList &folders)
{
    QStringList names;
    for (const QString &folder : QSet<QString>(folders.begin(), folders.end()))
        for (const QFileInfo &entry : QDir(folder).entryInfoList(
                 QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
            names << entry.absoluteFilePath();
    names.sort();
    return names;
}

// In a row's answers: Enter pressed on the real question box.
constexpr int EnterOnTheBox = -1;
// The answers as the tables hold them.
constexpr int Yes = int(Answer::Yes);
constexpr int No = int(Answer::No);
constexpr int Cancel = int(Answer::Cancel);

// Presses Enter once a question box has the keyboard, as the crew would
// without reading it. A box that never gets the keyboard, or that Enter
// does not answer, is answered Yes, which no row expects.
void PressEnterOnQuestion()
{
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, tries = 0]() mutable {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeWindow());
        if (box && QApplication::focusWidget())
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        else if (++tries < 250)
            return;
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *open = qobject_cast<QMessageBox *>(window); open && open->isVisible())
                open->button(QMessageBox::Yes)->click();
        }
        poll->deleteLater();
    });
    poll->start(20);
}

int modeOf(const QString &path)
{
    struct stat info = {};
    return ::stat(QFile::encodeName(path), &info) == 0 ? int(info.st_mode & 07777) : 0;
}

} // namespace

class TestFileCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(folder_->path()).mkpath("lqrfiles/2003"));
        document_ = std::make_unique<RaceDocument>(folder_->path());
        desktop_ = std::make_unique<ScriptedDesktop>();
        commands_ = std::make_unique<FileCommands>(*document_, *desktop_, nullptr);
        connect(commands_.get(), &FileCommands::captionChanged, this,
                [this](const QString &caption) { caption_ = caption; });
        // A race on the sheet, saved: the sheet belongs to start.lqr.
        document_->setComment("note");
        desktop_->fileChoices = {data("start.lqr")};
        QVERIFY(commands_->saveAs());
        QCOMPARE(caption_, "Quorvel  [ START.LQR ]");
        desktop_->dialogs.clear();
    }

    // New, Open and Exit over the race on the sheet. New and Exit always ask
    // first; Open only where the crew typed anything since the race was last
    // read, written, restored or made new. Yes saves first, to the file chosen
    // in Save As; the race leaves the sheet, or the program ends, only once it
    // is saved or given up.
    void leaveSheet_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("steps");      // before the command, as take() runs them
        QTest::addColumn<QList<int>>("answers"); // to every question, in order
        QTest::addColumn<QString>("choice");     // in Save As after Yes; empty: cancelled
        QTest::addColumn<bool>("asked");         // by the command
        QTest::addColumn<bool>("left");
        const auto row = [](const char *command, const char *tag, const char *steps,
                            const QList<int> &answers, const char *choice, bool asked, bool left) {
            QTest::addRow("%s, %s", command, tag) << QString(command) << QString(steps) << answers
                                                  << QString(choice) << asked << left;
        };
        for (const char *command : {"New", "Open", "Exit"}) {
            row(command, "a cell typed, No", "cell", {No}, "", true, true);
            row(command, "a cell typed, Cancel", "cell", {Cancel}, "", true, false);
            row(command, "a cell typed, Yes, saved", "cell", {Yes}, "kept", true, true);
            row(command, "a cell typed, Yes, Save As cancelled", "cell", {Yes}, "", true, false);
            row(command, "a cell typed, Yes, save fails", "cell", {Yes}, "2003", true, false);
        }
        row("New", "nothing typed since saved", "", {Cancel}, "", true, false);
        row("Exit", "nothing typed since saved", "", {Cancel}, "", true, false);
        row("Open", "nothing typed since saved", "", {}, "", false, true);
        row("Open", "the comment typed", "comment", {Cancel}, "", true, false);
        row("Open", "typed, then saved", "cell saveAs:kept", {}, "", false, true);
        row("Open", "typed, the save failed", "cell saveAs:2003", {Cancel}, "", true, false);
        row("Open", "typed, then New", "cell new", {No}, "", false, true);
        row("Open", "typed, then restored", "cell restore", {}, "", false, true);
        row("Open", "typed, then opened", "cell open:start.lqr", {No}, "", false, true);
        // Results the file held differently (or not at all) are worked out
        // on opening; that is not typing. Any name is a race that holds one.
        row("Open", "opened without its results", "open:2003/race1.dat", {}, "", false, true);
        row("Open", "typed, a bad file refused", "cell open:2003", {No, Cancel}, "", true, false);
    }
    void leaveSheet()
    {
        QFETCH(QString, command);
        QFETCH(QList<int>, answers);
        QFETCH(QString, choice);
        QFETCH(bool, left);
        RaceFileContents bare;
        for (const auto &[cell, text] : test::WorkedExampleEntries)
            bare.cells[std::size_t(cell)] = text;
        QVERIFY(
            writeFile(data("2003/race1.dat"), QByteArray::fromStdString(SerializeRaceFile(bare))));
        answerWith(answers);
        QFETCH(QString, steps);
        take(steps);
        // A file below the data folder is named with its folder.
        if (steps.endsWith("race1.dat"))
            QCOMPARE(caption_, "Quorvel  [ 2003/RACE1.DAT ]");
        const auto typed = [this] {
            return document_->comment() + document_->sheet().text(SideCell::TankCapacity);
        };
        const std::string before = typed();
        const qsizetype questionsBefore = desktop_->questions.size();
        const qsizetype dialogsBefore = desktop_->dialogs.size();
        desktop_->fileChoices = {data("start.lqr")};
        if (!answers.isEmpty() && Answer(answers.last()) == Answer::Yes)
            desktop_->fileChoices.prepend(choice.isEmpty() ? std::nullopt
                                                           : std::optional(data(choice)));
        if (command == "New")
            commands_->newRace();
        else if (command == "Open")
            commands_->open();
        else
            QCOMPARE(commands_->exit() == FileCommands::ExitDecision::End, left);

        QFETCH(bool, asked);
        QCOMPARE(desktop_->questions.size() - questionsBefore, qsizetype(asked));
        const QString question =
            command == "New"    ? " before blanking out these inputs?  (If you say No, you must "
                                  "re-enter these specs by hand to recreate them.)"
            : command == "Open" ? " before opening another race?  (If you say No, you must "
                                  "re-enter these specs by hand to recreate them.)"
                                : ".  (If you say No, you must re-enter them by hand to recreate "
                                  "them?";
        if (asked)
            QCOMPARE(desktop_->questions.last().title + ": " + desktop_->questions.last().text,
                     "Save Inputs: Save these specs to a file" + question);
        // The Open dialog comes only once the typed race is saved or given up.
        QCOMPARE(desktop_->dialogs.size() > dialogsBefore &&
                     desktop_->dialogs.last().title == "Open a File",
                 command == "Open" && left);
        QCOMPARE(typed(), !left || command == "Exit" ? before : command == "Open" ? "note" : "");
        QCOMPARE(caption_, command == "New" && left ? "Quorvel - Dunmere   [ UNTITLED ]"
                           : command == "Exit" && choice == "kept" ? "Quorvel  [ KEPT ]"
                                                                   : "Quorvel  [ START.LQR ]");
        if (steps.endsWith("open:2003"))
            QCOMPARE(desktop_->messages.value(0).title + desktop_->messages.value(0).text,
                     "Bad FileThis is not a Quorvel file and can not be used.");
        QCOMPARE(QFile::exists(folder_->filePath("KVCNFG.DNX")), command == "Exit" && left);
        if (!choice.isEmpty())
            QCOMPARE(readAll(data(choice)).contains("\r\n44\r\n"), left);
        // Save on a cleared sheet is Save As from "Untitled"; else no dialog.
        desktop_->dialogs.clear();
        commands_->save();
        QCOMPARE(desktop_->dialogs.value(0).fileName, command == "New" && left ? "Untitled" : "");
    }

    // Save asks before it replaces a file that another program wrote since
    // Quorvel read or wrote it, whatever gave the change away; No leaves the
    // file as the other program wrote it, and the next Save asks again.
    void saveOverChangedFile_data()
    {
        QTest::addColumn<bool>("openOther"); // the race was opened from another file
        QTest::addColumn<QString>("change"); // by another program, between Open and two Saves
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<int>("asked");
        QTest::newRow("unchanged") << false << "" << QList<int>{} << 0;
        QTest::newRow("saved by another program, No") << false << "saved" << QList{No, No} << 2;
        QTest::newRow("saved by another program, Yes") << false << "saved" << QList{Yes} << 1;
        QTest::newRow("only its size") << false << "size" << QList{No, No} << 2;
        QTest::newRow("only its time") << false << "time" << QList{No, No} << 2;
        QTest::newRow("only the file behind the name") << false << "renamed" << QList{No, No} << 2;
        QTest::newRow("removed") << false << "removed" << QList<int>{} << 0;
        QTest::newRow("opened, unchanged") << true << "" << QList<int>{} << 0;
        QTest::newRow("opened, then saved by another program")
            << true << "saved" << QList{No, No} << 2;
    }
    void saveOverChangedFile()
    {
        QFETCH(bool, openOther);
        QFETCH(QString, change);
        QFETCH(QList<int>, answers);
        QFETCH(int, asked);
        if (openOther) {
            QVERIFY(QFile::copy(data("start.lqr"), data("other")));
            take("open:other");
        }
        const QString path = openOther ? data("other") : data("start.lqr");
        const QByteArray name = QFile::encodeName(path);
        struct stat before = {};
        QVERIFY(::stat(name, &before) == 0);
        const timespec times[2] = {before.st_atim, before.st_mtim};
        QByteArray theirs = readAll(path).replace("note", change == "size" ? "notes" : "NOTE");
        if (change == "removed") {
            QVERIFY(QFile::remove(path));
        } else if (change == "time") {
            const timespec later[2] = {before.st_atim, {before.st_mtim.tv_sec + 1, 0}};
            QVERIFY(::utimensat(AT_FDCWD, name, later, 0) == 0);
            theirs = readAll(path);
        } else if (!change.isEmpty()) {
            // Saved as programs do, through a new file, or written where it is.
            QSaveFile saved(path);
            QFile inPlace(path);
            QFileDevice &file = change == "size" ? static_cast<QFileDevice &>(inPlace) : saved;
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(theirs) == theirs.size() &&
                    file.flush());
            if (change != "saved")
                QVERIFY(::futimens(file.handle(), times) == 0);
            QVERIFY(change == "size" || saved.commit());
        }

        document_->setComment("ours");
        answerWith(answers);
        const bool kept = asked > 1;
        QCOMPARE(commands_->save(), !kept);
        QCOMPARE(commands_->save(), !kept);
        QCOMPARE(desktop_->questions.size(), asked);
        for (const ScriptedDesktop::Message &question : desktop_->questions) {
            QCOMPARE(question.title, "Save a File");
            QVERIFY(question.text.startsWith(path + "\nhas changed since Quorvel last opened"));
            QCOMPARE(question.preferred, Answer::No);
        }
        if (kept)
            QCOMPARE(readAll(path), theirs);
        else
            QVERIFY(readAll(path).endsWith("ours\r\n-9999\r\n"));
    }

    // Save As onto every kind of name a crew may choose: the race is written
    // there, or nothing changes and the box says why. Links stay links: a
    // symbolic link keeps pointing at the file it names, which is made when
    // it is not there; the name saved to gets a file of its own.
    void saveAs_data()
    {
        QTest::addColumn<QString>("chosen");    // below the data folder; "*": another user's file
        QTest::addColumn<QString>("reason");    // in the box; empty: saved
        QTest::addColumn<QStringList>("links"); // "name=target" symbolic, "name:file" hard
        QTest::addColumn<QStringList>("alsoSaved"); // other names that then hold the new race
        QTest::addColumn<int>("mode");              // of "race", which holds the old race
        QTest::addColumn<bool>("readOnlyFolder");
        const auto row = [](const char *tag, const QString &chosen, const char *reason,
                            const QStringList &links = {}, const QStringList &alsoSaved = {},
                            int mode = 0644, bool readOnlyFolder = false) {
            QTest::newRow(tag) << chosen << QString(reason) << links << alsoSaved << mode
                               << readOnlyFolder;
        };
        const char *refused = "Permission denied";
        row("read-only file", "race", refused, {}, {}, 0444);
        row("another user's read-only file", "*", refused);
        row("read-only folder", "new", refused, {}, {}, 0644, true);
        row("writable file, read-only folder", "race", "", {}, {}, 0644, true);
        row("full disk", "race", "File too large");
        row("full disk, new name", "new", "File too large");
        row("missing folder", "gone/race", "No such file");
        row("folder as target", "2003", "Is a directory");
        row("256-byte name", QString(256, 'n'), "name too long");
        row("mode kept", "race", "", {}, {}, 0640);
        row("hard link", "race", "", {"2003/other:race"});
        row("hard link, full disk", "race", "File too large", {"2003/other:race"});
        row("symbolic link", "link", "", {"link=race"}, {"race"});
        row("dangling symbolic link", "link", "", {"link=2003/new"}, {"2003/new"});
        row("chain of links, the last dangling", "link", "", {"link=2003/next", "2003/next=last"},
            {"2003/last"});
        row("dangling link into no folder", "link", "No such file", {"link=gone/race"});
        row("link to itself", "link", "Too many levels", {"link=link"});
    }
    void saveAs()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, reason);
        QFETCH(QStringList, links);
        QFETCH(QStringList, alsoSaved);
        QFETCH(int, mode);
        QFETCH(bool, readOnlyFolder);
        if ((mode == 0444 || readOnlyFolder || chosen == "*") && geteuid() == 0)
            QSKIP("permission bits do not stop root; this runs again unprivileged");
        // run-unprivileged.sh leaves root's 0444 file in a folder the crew owns.
        const QString path =
            chosen == "*" ? qEnvironmentVariable("QUORVEL_FOREIGN_RACE") : data(chosen);
        if (path.isEmpty())
            QSKIP("no other user's file to try");
        QVERIFY(writeFile(data("race"), "as it was\r\n"));
        QVERIFY(::chmod(QFile::encodeName(data("race")), mode_t(mode)) == 0);
        // Link targets as written: relative to the link's own folder.
        for (const QString &link : links) {
            const QStringList hard = link.split(':');
            const QStringList symbolic = link.split('=');
            QVERIFY(hard.size() == 2 ? ::link(QFile::encodeName(data(hard[1])),
                                              QFile::encodeName(data(hard[0]))) == 0
                                     : ::symlink(QFile::encodeName(symbolic[1]),
                                                 QFile::encodeName(data(symbolic[0]))) == 0);
        }
        const QByteArray before = readAll(path);
        const int modeBefore = modeOf(path);
        const bool fileThere = QFileInfo(path).isFile();
        // Nothing else comes or goes in the folders concerned: no temporary file is left.
        const QStringList folders = {QFileInfo(data("race")).path(), data("2003"),
                                     QFileInfo(path).path()};
        QStringList expected = entries(folders);
        if (reason.isEmpty())
            for (const QString &name : alsoSaved + QStringList{chosen})
                expected << QDir::cleanPath(data(name));
        expected.removeDuplicates();
        expected.sort();

        document_->setComment("changed");
        desktop_->fileChoices = {path};
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit saved = fileSize;
        // A file size limit fails the write as a full disk does, also for root.
        fileSize.rlim_cur = reason == "File too large" ? 64 : saved.rlim_cur;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        ::chmod(QFile::encodeName(data("")), readOnlyFolder ? 0555 : 0755);
        const bool written = commands_->saveAs();
        ::chmod(QFile::encodeName(data("")), 0755);
        setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(written, reason.isEmpty());
        QCOMPARE(entries(folders), expected);
        for (const QString &link : links) {
            const QString name = link.section(QRegularExpression("[:=]"), 0, 0);
            QVERIFY2(QFileInfo(data(name)).isSymLink() == link.contains('='), qPrintable(name));
        }
        if (modeBefore)
            QCOMPARE(modeOf(path), modeBefore);
        QCOMPARE(desktop_->messages.size(), int(!reason.isEmpty()));
        if (reason.isEmpty()) {
            for (const QString &name : alsoSaved + QStringList{chosen})
                QVERIFY2(readAll(data(name)).endsWith("changed\r\n-9999\r\n"), qPrintable(name));
            // A hard link's other name keeps the file it was.
            for (const QString &link : links)
                QVERIFY(!link.contains(':') ||
                        readAll(data(link.section(':', 0, 0))) == "as it was\r\n");
            return;
        }
        QCOMPARE(readAll(path), before);
        QCOMPARE(readAll(data("race")), "as it was\r\n");
        const QString told = desktop_->messages[0].text;
        QVERIFY2(told.contains(path) && told.contains(reason), qPrintable(told));
        QCOMPARE(told.contains("The file that was there is unchanged"), fileThere);
        QCOMPARE(document_->currentFile().path() + caption_,
                 data("start.lqr") + "Quorvel  [ START.LQR ]");
    }

    // A fault at each file call of a Save As (once, or from then on), and a
    // kill at each, beside the old race and in its place: the file is the old
    // race or the new one, byte for byte, the box says only what is true, and
    // after the next start the file is whole and nothing else is left.
    void saveAsUnderFaults_data()
    {
        QTest::addColumn<bool>("inPlace"); // the folder cannot be written
        QTest::addColumn<QString>("fault");
        for (const bool inPlace : {false, true})
            for (const char *fault : {"once", "from then on", "kill"})
                QTest::addRow("%s, %s", inPlace ? "in place" : "new file", fault)
                    << inPlace << QString(fault);
    }
    void saveAsUnderFaults()
    {
        QFETCH(bool, inPlace);
        QFETCH(QString, fault);
        if (inPlace && geteuid() == 0)
            QSKIP("permission bits do not stop root; this runs again unprivileged");
        const auto race = [](const char *comment) {
            RaceDocument sheet{QString()};
            sheet.setComment(comment);
            return QByteArray::fromStdString(SerializeRaceFile(sheet.fileContents()));
        };
        const QByteArray old = race("the old race, longer than the new one"), saved = race("new");
        const QString state = ProgramFolders::besideProgram(folder_->path()).recoveryFolder;
        const QString log = folder_->filePath("calls");
        QStringList whole = entries({data("")}) << data("race");
        whole.sort();
        const auto run = [&](const QStringList &arguments, int call) {
            QProcess saver;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            if (call) {
                environment.insert("LD_PRELOAD", FILE_FAULTS);
                environment.insert("QUORVEL_FAULT_PATH", data(""));
                environment.insert("QUORVEL_CALL_LOG", log);
                environment.insert(fault == "kill" ? "QUORVEL_KILL_CALL" : "QUORVEL_FAIL_CALL",
                                   QString::number(call));
                environment.insert("QUORVEL_FAIL_ALL", fault == "from then on" ? "1" : "0");
            }
            saver.setProcessEnvironment(environment);
            ::chmod(QFile::encodeName(data("")), inPlace && call ? 0555 : 0755);
            saver.start(SAVE_RACE, QStringList{folder_->path()} + arguments);
            saver.waitForFinished();
            ::chmod(QFile::encodeName(data("")), 0755);
            return QString::fromUtf8(saver.readAllStandardOutput());
        };
        for (int call = 1;; ++call) {
            QFile::remove(log);
            QVERIFY(writeFile(data("race"), old));
            const QString told = run({data("race"), "new"}, call);
            const QStringList calls = QString(readAll(log)).split('\n', Qt::SkipEmptyParts);
            if (calls.size() < call) {
                // Every call had its fault. The new race was synced before it
                // took the old one's place, and kept first where written in place.
                QCOMPARE(readAll(data("race")), saved);
                const auto first = [&](const QString &name) {
                    return calls.indexOf(QRegularExpression(name));
                };
                const auto synced = first("^f(data)?sync$");
                QVERIFY(synced >= 0 && synced < first(inPlace ? "^linkat$" : "^rename$"));
                QVERIFY(!inPlace || first("^linkat$") < first("^ftruncate(64)?$"));
                QVERIFY(call > 10);
                return;
            }
            const QByteArray now = readAll(data("race"));
            // A kill may come between the write and the end of the file; a disk that
            // fails for good may keep the old race out of it, as the box then says.
            QVERIFY2(fault == "kill" || told.contains("may be damaged") || now == old ||
                         now == saved,
                     qPrintable(told));
            if (told.startsWith("saved"))
                QCOMPARE(now, saved);
            if (told.contains("is unchanged"))
                QCOMPARE(now, old);
            if (told.contains("may be damaged")) {
                const QString kept = told.section('\n', 6, 6);
                QVERIFY2(readAll(kept).endsWith(old), qPrintable(told));
            }
            QVERIFY2(told.startsWith("saved") || told.contains("could not be saved") ||
                         fault == "kill",
                     qPrintable(told));

            // The next start, a while later.
            for (const QString &name : entries({data(""), state})) {
                const timeval before[2] = {{time(nullptr) - 60, 0}, {time(nullptr) - 60, 0}};
                ::utimes(QFile::encodeName(name), before);
            }
            run({"--start"}, 0);
            const QByteArray after = readAll(data("race"));
            QVERIFY2(after == old || after == saved, qPrintable(QString::number(call)));
            QCOMPARE(entries({data("")}), whole);
            QCOMPARE(entries({state}).filter("kept-"), QStringList());
        }
    }

    // A race opened cut says so, and the file it came from is replaced with
    // the shortened race only when the crew says so, under any of its names.
    void openedCut_data()
    {
        QTest::addColumn<QString>("steps"); // as take() runs them
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("asked"); // before replacing the file
        QTest::addColumn<bool>("replaced");
        QTest::newRow("Save, No") << "save" << QList{No} << true << false;
        QTest::newRow("Save, Yes, Save") << "save save" << QList{Yes} << true << true;
        QTest::newRow("Save, Enter") << "save" << QList{EnterOnTheBox} << true << false;
        QTest::newRow("Save As another name of it")
            << "saveAs:2003/same" << QList{No} << true << false;
        QTest::newRow("Save As another file, Save")
            << "saveAs:other save" << QList<int>{} << false << false;
        QTest::newRow("New, Save As the same file")
            << "new saveAs:cut" << QList{No} << false << true;
    }
    void openedCut()
    {
        QFETCH(QString, steps);
        QFETCH(QList<int>, answers);
        QFETCH(bool, asked);
        QByteArray race = "DNX-LQR*1.20\r\n 0 \r\n 0 \r\n" + QByteArray(5000, 'x') + "\r\n";
        race += QByteArray(CellCount, '\n') + "-9999\r\n";
        QVERIFY(writeFile(data("cut"), race));
        QVERIFY(::link(QFile::encodeName(data("cut")), QFile::encodeName(data("2003/same"))) == 0);
        take("open:cut");
        QCOMPARE(caption_, "Quorvel  [ CUT ]");
        QCOMPARE(desktop_->messages.size(), 1);
        QVERIFY(
            desktop_->messages[0].text.contains(data("cut") + "\nare longer than Quorvel keeps"));

        answerWith(answers);
        take(steps);
        const auto cutQuestions = std::count_if(
            desktop_->questions.begin(), desktop_->questions.end(),
            [](const ScriptedDesktop::Message &question) {
                // Enter typed ahead must not lose what was cut.
                return question.text.contains("shortened") && question.preferred == Answer::No;
            });
        QCOMPARE(cutQuestions, qsizetype(asked));
        QTEST(readAll(data("cut")) != race, "replaced");
        // Its other name is a file of its own once the race is saved.
        QCOMPARE(readAll(data("2003/same")), race);
    }

    // The comment keeps every character typed, no-break spaces and line
    // breaks of either kind included. Typing stops at 1000 characters; a
    // longer comment from a file is kept whole and can be shortened.
    void commentTyping_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("keys"); // "#KEY" presses that key
        QTest::addColumn<QString>("after");
        const QString full(1000, 'x');
        QTest::newRow("no-break spaces, line breaks")
            << ""
            << "5\u00a0laps #Return dry #Shift+Return \u00a0"
            << "5\u00a0laps\r\ndry\r\n\u00a0";
        QTest::newRow("stops at the limit")
            << full.left(999) << "ab #Return" << full.left(999) + "a";
        QTest::newRow("longer from a file") << full + "x"
                                            << "z #Backspace" << full;
    }
    void commentTyping()
    {
        QFETCH(QString, before);
        QFETCH(QString, keys);
        document_->setComment(before.toStdString());
        CommentsWindow window(*document_, nullptr);
        auto *text = window.findChild<QPlainTextEdit *>("commentText");
        QVERIFY(text);
        text->moveCursor(QTextCursor::End);
        for (const QString &step : keys.split(' ')) {
            const QKeyCombination key = QKeySequence(step.mid(1))[0];
            if (step.startsWith('#'))
                QTest::keyClick(text, key.key(), key.keyboardModifiers());
            else
                QTest::keyClicks(text, step);
        }
        QTEST(QString::fromStdString(document_->comment()), "after");
    }

private:
    // The crew's steps, apart by blanks: "cell" types 44 into Tank Capacity,
    // "comment" types a comment; new, restore, save; open:NAME and saveAs:NAME
    // choose that file in the dialog.
    void take(const QString &steps)
    {
        for (const QString &step : steps.split(' ', Qt::SkipEmptyParts)) {
            desktop_->fileChoices = {data(step.section(':', 1))};
            if (step == "cell")
                document_->sheet().setText(SideCell::TankCapacity, "44");
            else if (step == "comment")
                document_->setComment("typed");
            else if (step == "new")
                commands_->newRace();
            else if (step == "restore")
                document_->restore(TakeRecoveryCopy(*document_));
            else if (step == "save")
                commands_->save();
            else if (step.startsWith("open"))
                commands_->open();
            else
                commands_->saveAs();
        }
    }

    // The crew's answers to the questions to come, in order.
    void answerWith(const QList<int> &answers)
    {
        for (const int answer : answers) {
            if (answer != EnterOnTheBox) {
                desktop_->answers << Answer(answer);
                continue;
            }
            desktop_->askWith = [](QWidget *parent, const QString &text, const QString &title,
                                   Answer preferred) {
                PressEnterOnQuestion();
                return QtDesktop().askYesNo(parent, text, title, preferred);
            };
        }
    }

    [[nodiscard]] QString data(const QString &name) const
    {
        return folder_->filePath("lqrfiles/" + name);
    }

    std::unique_ptr<QTemporaryDir> folder_;
    std::unique_ptr<RaceDocument> document_;
    std::unique_ptr<ScriptedDesktop> desktop_;
    std::unique_ptr<FileCommands> commands_;
    QString caption_;
};

QTEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
