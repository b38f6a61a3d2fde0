// New, Open, Save As and Exit as a crew meets them: the file commands on a
// race document, with the boxes and dialogs answered by the scripted desktop;
// and the real desktop's message box. A name typed with quotes into the real
// file dialog is the race day script's (tests/e2e).

#include "CommentsWindow.h"
#include "FileCommands.h"
#include "QtDesktop.h"
#include "ScriptedDesktop.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

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
        document_ = std::make_unique<RaceDocument>(folder_->path().toStdString());
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

    // New and Exit: the crew's answer, and the file chosen in Save As after
    // Yes; whether the sheet is cleared, or the program ends.
    void newAndExit_data()
    {
        QTest::addColumn<bool>("exit");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("choice"); // empty: Save As cancelled
        QTest::addColumn<bool>("leaves");
        for (const bool exit : {false, true}) {
            const char *command = exit ? "Exit" : "New";
            QTest::addRow("%s, No", command) << exit << int(Answer::No) << "" << true;
            QTest::addRow("%s, Cancel", command) << exit << int(Answer::Cancel) << "" << false;
            QTest::addRow("%s, Yes, dialog cancelled", command)
                << exit << int(Answer::Yes) << "" << false;
            QTest::addRow("%s, Yes, saved", command) << exit << int(Answer::Yes) << "kept" << true;
            QTest::addRow("%s, Yes, save fails", command)
                << exit << int(Answer::Yes) << "2003" << false;
        }
    }
    void newAndExit()
    {
        QFETCH(bool, exit);
        QFETCH(int, answer);
        QFETCH(QString, choice);
        QFETCH(bool, leaves);
        desktop_->answers = {Answer(answer)};
        desktop_->fileChoices = {choice.isEmpty() ? std::nullopt : std::optional(data(choice))};
        if (exit) {
            QCOMPARE(commands_->exit() == FileCommands::ExitDecision::End, leaves);
            QCOMPARE(desktop_->questions.value(0).title + desktop_->questions.value(0).text,
                     "Save InputsSave these specs to a file.  (If you say No, you must re-enter "
                     "them by hand to recreate them?");
            QCOMPARE(QFile::exists(folder_->filePath("KVCNFG.DNX")), leaves);
            return;
        }
        commands_->newRace();
        QCOMPARE(desktop_->questions.value(0).text,
                 "Save these specs to a file before blanking out these inputs?  (If you say No, "
                 "you must re-enter these specs by hand to recreate them.)");
        QCOMPARE(document_->comment().empty(), leaves);
        QCOMPARE(caption_, leaves ? "Quorvel - Dunmere   [ UNTITLED ]" : "Quorvel  [ START.LQR ]");
        // Save on a cleared sheet is Save As from "Untitled"; else no dialog.
        desktop_->dialogs.clear();
        commands_->save();
        QCOMPARE(desktop_->dialogs.value(0).fileName, leaves ? "Untitled" : "");
    }

    void openRefusesWhatIsNoRace()
    {
        QVERIFY(QFile::copy(data("start.lqr"), data("2003/race1.dat")));
        document_->setComment("changed");
        desktop_->fileChoices = {std::nullopt, data("2003"), data("2003/race1.dat")};
        commands_->open();
        commands_->open();
        QCOMPARE(desktop_->messages.value(0).title + desktop_->messages.value(0).text,
                 "Bad FileThis is not a Quorvel file and can not be used.");
        QCOMPARE(document_->comment() + caption_.toStdString(), "changedQuorvel  [ START.LQR ]");
        commands_->open();
        QCOMPARE(desktop_->dialogs.value(2).title, "Open a File");
        QCOMPARE(document_->comment() + caption_.toStdString(), "noteQuorvel  [ 2003/RACE1.DAT ]");
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
        QFile race(data("race"));
        QVERIFY(race.open(QIODevice::WriteOnly) && race.write("as it was\r\n") > 0);
        race.close();
        QVERIFY(::chmod(QFile::encodeName(race.fileName()), mode_t(mode)) == 0);
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
        const QStringList folders = {QFileInfo(race).path(), data("2003"), QFileInfo(path).path()};
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
        QCOMPARE(document_->currentFile().path() + caption_.toStdString(),
                 data("start.lqr").toStdString() + "Quorvel  [ START.LQR ]");
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
            RaceDocument sheet(std::string{});
            sheet.setComment(comment);
            return QByteArray::fromStdString(SerializeRaceFile(sheet.fileContents()));
        };
        const QByteArray old = race("the old race, longer than the new one"), saved = race("new");
        const QString state = QString::fromStdString(
            ProgramFolders::besideProgram(folder_->path().toStdString()).recoveryFolder);
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
            QFile file(data("race"));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
            file.close();
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
        QTest::addColumn<QString>("steps"); // save, saveAs:NAME, new
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("asked"); // before replacing the file
        QTest::addColumn<bool>("replaced");
        const int yes = int(Answer::Yes);
        const int no = int(Answer::No);
        QTest::newRow("Save, No") << "save" << QList{no} << true << false;
        QTest::newRow("Save, Yes, Save") << "save save" << QList{yes} << true << true;
        QTest::newRow("Save As another name of it")
            << "saveAs:2003/same" << QList{no} << true << false;
        QTest::newRow("Save As another file, Save")
            << "saveAs:other save" << QList<int>{} << false << false;
        QTest::newRow("New, Save As the same file")
            << "new saveAs:cut" << QList{no} << false << true;
    }
    void openedCut()
    {
        QFETCH(QString, steps);
        QFETCH(QList<int>, answers);
        QFETCH(bool, asked);
        QFETCH(bool, replaced);
        QByteArray race = "DNX-LQR*1.20\r\n 0 \r\n 0 \r\n" + QByteArray(5000, 'x') + "\r\n";
        race += QByteArray(CellCount, '\n') + "-9999\r\n";
        QFile cut(data("cut"));
        QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(race) == race.size());
        cut.close();
        QVERIFY(::link(QFile::encodeName(data("cut")), QFile::encodeName(data("2003/same"))) == 0);
        desktop_->fileChoices = {data("cut")};
        commands_->open();
        QCOMPARE(caption_, "Quorvel  [ CUT ]");
        QCOMPARE(desktop_->messages.size(), 1);
        QVERIFY(
            desktop_->messages[0].text.contains(data("cut") + "\nare longer than Quorvel keeps"));

        for (const int answer : answers)
            desktop_->answers << Answer(answer);
        for (const QString &step : steps.split(' ')) {
            const QString name = step.section(':', 1);
            desktop_->fileChoices = {data(name)};
            if (step == "save")
                commands_->save();
            else if (step == "new")
                commands_->newRace();
            else
                commands_->saveAs();
        }
        const auto cutQuestions = std::count_if(
            desktop_->questions.begin(), desktop_->questions.end(),
            [](const ScriptedDesktop::Message &question) {
                // Enter typed ahead must not lose what was cut.
                return question.text.contains("shortened") && question.preferred == Answer::No;
            });
        QCOMPARE(cutQuestions, qsizetype(asked));
        QCOMPARE(readAll(data("cut")) != race, replaced);
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
