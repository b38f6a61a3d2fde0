// New, Open, Save As and Exit as a crew meets them: the file commands on a
// race document, with the boxes and dialogs answered by the scripted desktop;
// and the real desktop's message box. A name typed with quotes into the real
// file dialog is the race day script's (tests/e2e).

#include "CommentsWindow.h"
#include "FileCommands.h"
#include "QtDesktop.h"
#include "ScriptedDesktop.h"
#include "SystemPath.h"

#include <QtTest>
#include <QtWidgets>

#include <csignal>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;
using Answer = Desktop::Answer;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
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

    void saveFailureModes_data()
    {
        QTest::addColumn<QString>("name"); // below the data folder; "*": another user's file
        QTest::addColumn<int>("mode");     // of the file there before; 0: none
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::addColumn<QString>("reason"); // in the box; empty: saved
        const QString refused = "Permission denied";
        QTest::newRow("read-only file") << "race" << 0444 << false << refused;
        QTest::newRow("another user's read-only file") << "*" << 0 << false << refused;
        QTest::newRow("read-only folder") << "race" << 0 << true << refused;
        QTest::newRow("writable file, read-only folder") << "race" << 0644 << true << "";
        QTest::newRow("full disk") << "race" << 0644 << false << "File too large";
        QTest::newRow("full disk, new name") << "race" << 0 << false << "File too large";
        QTest::newRow("missing folder") << "gone/race" << 0 << false << "No such file";
        QTest::newRow("folder as target") << "2003" << 0 << false << "Is a directory";
        QTest::newRow("240-byte name") << QString(240, 'n') << 0644 << false << "";
        QTest::newRow("256-byte name") << QString(256, 'n') << 0 << false << "name too long";
        QTest::newRow("quoted name") << "my \"best\" race" << 0 << false << "";
        QTest::newRow("mode kept") << "race" << 0640 << false << "";
    }
    void saveFailureModes()
    {
        QFETCH(QString, name);
        QFETCH(int, mode);
        QFETCH(bool, readOnlyFolder);
        QFETCH(QString, reason);
        if ((mode == 0444 || readOnlyFolder || name == "*") && geteuid() == 0)
            QSKIP("permission bits do not stop root; this runs again unprivileged");
        // run-unprivileged.sh leaves root's 0444 file in a folder the crew owns.
        const QString path =
            name == "*" ? qEnvironmentVariable("QUORVEL_FOREIGN_RACE") : data(name);
        if (path.isEmpty())
            QSKIP("no other user's file to try");
        QFile old(path);
        QVERIFY(!mode || (old.open(QIODevice::WriteOnly) && old.write("as it was\r\n")));
        QVERIFY(!mode || ::chmod(QFile::encodeName(path), mode_t(mode)) == 0);
        const QByteArray before = readAll(path);
        const int modeBefore = modeOf(path);
        const bool fileThere = QFileInfo(path).isFile();
        const QDir folder = QFileInfo(path).dir();
        QStringList files = folder.entryList(QDir::AllEntries | QDir::Hidden);
        if (reason.isEmpty() && !files.contains(name))
            (files << name).sort();
        document_->setComment("changed");
        desktop_->fileChoices = {path};
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit saved = fileSize;
        // A file size limit fails the write as a full disk does, also for root.
        const bool full = QString(QTest::currentDataTag()).startsWith("full disk");
        fileSize.rlim_cur = full ? 64 : saved.rlim_cur;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        ::chmod(QFile::encodeName(folder.path()), readOnlyFolder ? 0555 : 0755);
        commands_->saveAs();
        ::chmod(QFile::encodeName(folder.path()), 0755);
        setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(folder.entryList(QDir::AllEntries | QDir::Hidden), files);
        if (modeBefore)
            QCOMPARE(modeOf(path), modeBefore);
        QCOMPARE(readAll(path).endsWith("changed\r\n-9999\r\n"), reason.isEmpty());
        QCOMPARE(desktop_->messages.size(), int(!reason.isEmpty()));
        if (reason.isEmpty())
            return;
        QCOMPARE(readAll(path), before);
        QVERIFY(desktop_->messages[0].text.contains(path));
        QVERIFY2(desktop_->messages[0].text.contains(reason),
                 qPrintable(desktop_->messages[0].text));
        QCOMPARE(desktop_->messages[0].text.contains("The file that was there is unchanged"),
                 fileThere);
        QCOMPARE(document_->currentFile().path() + caption_.toStdString(),
                 data("start.lqr").toStdString() + "Quorvel  [ START.LQR ]");
    }

    // Save keeps links as links: every name of a hard-linked race sees the
    // new race, and a symbolic link keeps pointing at the file it names,
    // which is made when it is not there. A save that fails leaves every
    // name with the race that was there.
    void linksKept_data()
    {
        QTest::addColumn<QStringList>("links"); // "name=target" symbolic, "name:file" hard
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QStringList>("sameRace"); // the names that then hold the saved race
        QTest::addColumn<QString>("reason");       // in the box; empty: saved
        QTest::newRow("hard link")
            << QStringList{"2003/other:race"} << "race" << QStringList{"race", "2003/other"} << "";
        QTest::newRow("hard link, other name") << QStringList{"2003/other:race"} << "2003/other"
                                               << QStringList{"race", "2003/other"} << "";
        QTest::newRow("hard link, full disk")
            << QStringList{"2003/other:race"} << "race" << QStringList{} << "File too large";
        QTest::newRow("symbolic link")
            << QStringList{"link=race"} << "link" << QStringList{"link", "race"} << "";
        QTest::newRow("dangling symbolic link")
            << QStringList{"link=2003/new"} << "link" << QStringList{"link", "2003/new"} << "";
        QTest::newRow("chain of links, the last dangling")
            << QStringList{"link=2003/next", "2003/next=last"} << "link"
            << QStringList{"link", "2003/last"} << "";
        QTest::newRow("symbolic link to a hard link")
            << QStringList{"2003/other:race", "link=2003/other"} << "link"
            << QStringList{"link", "race", "2003/other"} << "";
        QTest::newRow("dangling link into no folder")
            << QStringList{"link=gone/race"} << "link" << QStringList{} << "No such file";
        QTest::newRow("link to itself")
            << QStringList{"link=link"} << "link" << QStringList{} << "Too many levels";
    }
    void linksKept()
    {
        QFETCH(QStringList, links);
        QFETCH(QString, chosen);
        QFETCH(QStringList, sameRace);
        QFETCH(QString, reason);
        QFile race(data("race"));
        QVERIFY(race.open(QIODevice::WriteOnly) && race.write("as it was\r\n") > 0);
        race.close();
        // Link targets as written: relative to the link's own folder.
        for (const QString &link : links) {
            const QStringList hard = link.split(':');
            const QStringList symbolic = link.split('=');
            QVERIFY(hard.size() == 2 ? ::link(QFile::encodeName(data(hard[1])),
                                              QFile::encodeName(data(hard[0]))) == 0
                                     : ::symlink(QFile::encodeName(symbolic[1]),
                                                 QFile::encodeName(data(symbolic[0]))) == 0);
        }
        document_->setComment("changed");
        desktop_->fileChoices = {data(chosen)};
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        const rlimit saved = fileSize;
        fileSize.rlim_cur = reason == "File too large" ? 64 : saved.rlim_cur;
        std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        const bool written = commands_->saveAs();
        setrlimit(RLIMIT_FSIZE, &saved);

        QCOMPARE(written, reason.isEmpty());
        for (const QString &link : links) {
            const QString name = link.section(QRegularExpression("[:=]"), 0, 0);
            QVERIFY2(QFileInfo(data(name)).isSymLink() == link.contains('='), qPrintable(name));
        }
        for (const QString &name : sameRace)
            QVERIFY2(readAll(data(name)).endsWith("changed\r\n-9999\r\n"), qPrintable(name));
        const QStringList left = QDir(data("")).entryList(QDir::Hidden | QDir::Files) +
                                 QDir(data("2003")).entryList(QDir::Hidden | QDir::Files);
        QVERIFY2(!left.join(' ').contains(".quorvel-"), qPrintable(left.join(' ')));
        if (reason.isEmpty())
            return;
        QCOMPARE(readAll(data("race")), "as it was\r\n");
        QVERIFY2(desktop_->messages.value(0).text.contains(reason),
                 qPrintable(desktop_->messages.value(0).text));
        QCOMPARE(document_->currentFile().path(), data("start.lqr").toStdString());
    }

    // A race opened cut says so, and the file it came from is replaced with
    // the shortened race only when the crew says so, under any of its names.
    void openedCut_data()
    {
        QTest::addColumn<QString>("steps"); // save, saveAs:NAME, new, exit:NAME
        QTest::addColumn<QList<int>>("answers");
        QTest::addColumn<bool>("asked"); // before replacing the file
        QTest::addColumn<bool>("replaced");
        const int yes = int(Answer::Yes);
        const int no = int(Answer::No);
        QTest::newRow("Save, No") << "save" << QList{no} << true << false;
        QTest::newRow("Save, Yes, Save") << "save save" << QList{yes} << true << true;
        QTest::newRow("Save As the same file") << "saveAs:cut" << QList{no} << true << false;
        QTest::newRow("Save As another name of it")
            << "saveAs:2003/same" << QList{no} << true << false;
        QTest::newRow("Save As another file, Save")
            << "saveAs:other save" << QList<int>{} << false << false;
        QTest::newRow("Exit, Yes, No") << "exit:cut" << QList{yes, no} << true << false;
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
            else if (step.startsWith("exit"))
                QCOMPARE(commands_->exit(), FileCommands::ExitDecision::KeepRunning);
            else
                commands_->saveAs();
        }
        const auto cutQuestions =
            std::count_if(desktop_->questions.begin(), desktop_->questions.end(),
                          [](const ScriptedDesktop::Message &question) {
                              return question.text.contains("shortened");
                          });
        QCOMPARE(cutQuestions, qsizetype(asked));
        QCOMPARE(readAll(data("cut")) != race, replaced);
        QCOMPARE(readAll(data("2003/same")), readAll(data("cut")));
    }

    // The comment keeps every character typed, no-break spaces and line
    // breaks of either kind included.
    void commentKeepsItsCharacters()
    {
        CommentsWindow window(*document_, nullptr);
        auto *text = window.findChild<QPlainTextEdit *>("commentText");
        QVERIFY(text);
        QCOMPARE(text->toPlainText(), "note");
        text->clear();
        QTest::keyClicks(text, QString::fromUtf8("5\u00a0laps"));
        QTest::keyClick(text, Qt::Key_Return);
        QTest::keyClicks(text, "dry");
        QTest::keyClick(text, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(text, QString::fromUtf8("\u00a0"));
        QCOMPARE(document_->comment(), "5\u00a0laps\r\ndry\r\n\u00a0");
    }

    // Paths keep every byte through the window's text, so a folder named
    // in Latin-1 is still found.
    void systemPathsKeepTheirBytes_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::newRow("UTF-8") << QByteArray("/tmp/r\xc3\xa9gie/\xf0\x9f\x8f\x81");
        QTest::newRow("Latin-1") << QByteArray("/tmp/r\xe9gie/bin");
        QTest::newRow("cut UTF-8, lone continuation") << QByteArray("/a\xc3/\x80\xbf\xff/b");
        QTest::newRow("encoded surrogate") << QByteArray("/\xed\xb3\xa9");
    }
    void systemPathsKeepTheirBytes()
    {
        QFETCH(QByteArray, path);
        QCOMPARE(QByteArray::fromStdString(ToSystemPath(FromSystemPath(path.toStdString()))), path);
    }

    // The real file dialog shows a race's size, type and date whole.
    void fileDialogColumnsHaveRoom()
    {
        // Qt keeps the dialog's column widths from its last use: none here.
        const QTemporaryDir settings;
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QStringList cut;
        QTimer::singleShot(0, [&cut] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            auto *list = dialog ? dialog->findChild<QTreeView *>("treeView") : nullptr;
            if (list &&
                QTest::qWaitFor([list] { return list->model()->rowCount(list->rootIndex()); })) {
                // Every size, type and date, with the margins the view
                // keeps on either side of a text.
                const int margins =
                    2 *
                    (list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list) + 1);
                const QAbstractItemModel &files = *list->model();
                for (int row = 0; row < files.rowCount(list->rootIndex()); ++row) {
                    for (int column = 1; column < 4; ++column) {
                        const QString text =
                            files.index(row, column, list->rootIndex()).data().toString();
                        if (list->header()->sectionSize(column) <
                            list->fontMetrics().horizontalAdvance(text) + margins)
                            cut << text;
                    }
                }
            } else {
                cut << "no dialog or no files";
            }
            if (dialog)
                dialog->reject();
        });
        QtDesktop().chooseFileToOpen(nullptr, {"Open a File", data(""), "", "All Files (*)"});
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(", ")));
    }

    void longNameFitsTheScreen()
    {
        int width = 0;
        QTimer::singleShot(0, [&width] {
            QWidget *box = nullptr; // the box, which the toolkit does not count as modal
            for (QWidget *widget : QApplication::topLevelWidgets())
                if (qobject_cast<QMessageBox *>(widget) && widget->isVisible())
                    box = widget;
            width = box->frameGeometry().width();
            box->close();
        });
        QtDesktop().showMessage(nullptr, "could not be saved to\n/" + QString(240, 'n'), "t");
        QVERIFY(width > 0 && width <= QGuiApplication::primaryScreen()->availableSize().width());
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
