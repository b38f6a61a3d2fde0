// The recovery copy between programs, as a crew meets it after a crash: each
// running program keeps its own copy of what was typed under a lock; a copy that another
// running program holds is never offered nor touched; a dead program's copy
// is offered once and brings back the sheet and the caption as they were; a
// copy that holds nothing typed or opened is never offered. The other
// programs are real processes (this suite started again as a keeper), since
// a lock says "running" only for a process that is still there.

#include "RaceDocument.h"
#include "RecoveryCopy.h"
#include "RecoveryKeeper.h"
#include "ScriptedDesktop.h"

#include <QtTest>
#include <QtWidgets>

#include <string_view>

using namespace quorvel;
using Answer = Desktop::Answer;

namespace {

constexpr std::string_view KeeperOption = "--keep";

// A program of the crew's: its window, its race and its recovery keeper.
struct Program
{
    Program(const QString &programFolder, const QString &copies)
        : document(programFolder), keeper(document, desktop, copies, &window)
    {
        document.recalculate();
        window.setWindowTitle(document.currentFile().activationCaption());
        QObject::connect(&keeper, &RecoveryKeeper::captionChanged, &window,
                         &QWidget::setWindowTitle);
    }

    // A cell typed, as the sheet tells the keeper of every edit.
    void type(const char *text)
    {
        document.sheet().setText(0, text);
        keeper.noteChange();
    }

    ScriptedDesktop desktop;
    QWidget window;
    RaceDocument document;
    RecoveryKeeper keeper;
};

// Another program, in a process of its own: it does what is asked, says
// "ready" once its copy shows it, then runs until it is killed.
//   typed: a cell typed; saved: the same, saved to lqrfiles/race.lqr;
//   typed-then-new: a cell typed, then New answered No; commented: only a
//   comment typed; typing: a cell typed, then a key in another cell every
//   300 ms, on and on.
int keepRace(const QString &programFolder, const QString &copies, const QString &what)
{
    Program program(programFolder, copies);
    QTimer keys;
    if (what == "commented")
        program.document.setComment("42");
    else
        program.document.sheet().setText(0, "42");
    program.keeper.noteChange();
    if (what == "typing") {
        QObject::connect(&keys, &QTimer::timeout, [&program, key = 0]() mutable {
            program.document.sheet().setText(1, std::to_string(++key % 10));
            program.keeper.noteChange();
        });
        keys.start(300);
    }
    if (what == "saved") {
        const QString race = programFolder + "/lqrfiles/race.lqr";
        if (!program.document.writeRaceFile(race).result)
            return 1;
        program.window.setWindowTitle(program.document.currentFile().fileCaption());
    }
    const QString copy = copies + "/race-1.lqr";
    if (what == "typed-then-new") {
        if (!QTest::qWaitFor([&] { return QFile::exists(copy); }))
            return 1;
        program.document.startNew();
        program.keeper.noteChange();
    }
    if (!QTest::qWaitFor([&] { return QFile::exists(copy) == (what != "typed-then-new"); }))
        return 1;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return QApplication::exec();
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        folder_ = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(folder_->path()).mkpath("lqrfiles") && QDir().mkpath(copies()));
    }

    void cleanup()
    {
        other_.kill();
        other_.waitForFinished();
    }

    // What another program left, running or dead, and what a program that
    // starts now does with it: whether it asks, what it restores on Yes,
    // and that it never asks twice.
    void leftCopies_data()
    {
        QTest::addColumn<QString>("what"); // as keepRace does it
        QTest::addColumn<bool>("killed");  // else still running
        QTest::addColumn<int>("answer");   // to the offer
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("cell"); // cell 0 afterwards, then the comment
        QTest::addColumn<QString>("caption");
        const QString untitled = "Quorvel - Dunmere   [ UNTITLED ]";
        const int yes = int(Answer::Yes);
        QTest::newRow("running program") << "typed" << false << yes << false << "" << untitled;
        QTest::newRow("killed, Yes") << "typed" << true << yes << true << "42" << untitled;
        QTest::newRow("killed, No") << "typed" << true << int(Answer::No) << true << "" << untitled;
        QTest::newRow("killed after Save, Yes") << "saved" << true << yes << true << "42"
                                                << "Quorvel  [ RACE.LQR ]";
        QTest::newRow("killed with only a comment, Yes")
            << "commented" << true << yes << true << "42" << untitled;
        // The keys come faster than the copy's delay: it is written all the same.
        QTest::newRow("killed while typing on, Yes")
            << "typing" << true << yes << true << "42" << untitled;
        QTest::newRow("killed after New")
            << "typed-then-new" << true << yes << false << "" << untitled;
    }
    void leftCopies()
    {
        QFETCH(QString, what);
        QFETCH(bool, killed);
        QFETCH(int, answer);
        QFETCH(bool, offered);
        QFETCH(QString, cell);
        QFETCH(QString, caption);
        const QString left = copies() + "/race-1.lqr";
        other_.start(QCoreApplication::applicationFilePath(),
                     {QString::fromLatin1(KeeperOption), folder_->path(), copies(), what});
        QVERIFY(other_.waitForReadyRead(10'000));
        QCOMPARE(other_.readLine(), "ready\n");
        if (killed) {
            other_.kill();
            QVERIFY(other_.waitForFinished());
        }
        const QByteArray before = readAll(left);

        Program program(folder_->path(), copies());
        program.desktop.answers = {Answer(answer)};
        program.keeper.offerLeftCopy();
        QCOMPARE(program.desktop.questions.size(), int(offered));
        QCOMPARE(
            QString::fromStdString(program.document.sheet().text(0) + program.document.comment()),
            cell);
        QCOMPARE(program.window.windowTitle(), caption);
        if (!killed) {
            // Its copy is its own: this program keeps another beside it.
            program.type("7");
            QTRY_VERIFY(QFile::exists(copies() + "/race-2.lqr"));
            QCOMPARE(readAll(left), before);
            return;
        }
        QVERIFY(!QFile::exists(left));
        // Offered once: the next program to start finds nothing to offer.
        Program next(folder_->path(), copies());
        next.keeper.offerLeftCopy();
        QCOMPARE(next.desktop.questions.size(), 0);
        QCOMPARE(next.document.sheet().text(0), "");
    }

    // A race opened cut is still cut once restored, under a name of any
    // name, a line break included: Save asks before it replaces the file the race came from.
    void openedCutSurvivesACrash()
    {
        const QString cut = folder_->filePath("lqrfiles/cut\r\n1.lqr");
        QFile file(cut);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("DNX-LQR*1.20\r\n 0 \r\n 0 \r\n" + QByteArray(5000, 'x') + "\r\n");
        file.close();
        RaceDocument opened(folder_->path());
        QVERIFY(opened.readRaceFile(cut).cut);
        FieldReader bytes(
            QByteArray::fromStdString(SerializeRecoveryCopy(TakeRecoveryCopy(opened))));
        const std::optional<RecoveryCopy> copy = ParseRecoveryCopy(bytes);
        QVERIFY(copy);
        RaceDocument restored(folder_->path());
        restored.restore(*copy);
        QCOMPARE(restored.currentFile().path(), cut);
        QVERIFY(restored.wouldReplaceCutFile(cut));
    }

private:
    [[nodiscard]] QString copies() const { return folder_->filePath("state/quorvel"); }

    std::unique_ptr<QTemporaryDir> folder_;
    QProcess other_;
};

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (argc == 5 && argv[1] == KeeperOption)
        return keepRace(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]),
                        QString::fromLocal8Bit(argv[4]));
    TestRecovery test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
