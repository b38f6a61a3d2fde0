// The recovery copy through the real window, with the boxes answered by the
// scripted desktop: a run that ends without Exit leaves the race it showed,
// the next start restores exactly that (Yes) or throws it away (No), and a
// clean Exit leaves nothing. tests/e2e/recovery.sh covers kill -9, two
// programs at once, the carried values and a read-only state folder with the
// real program.

#include "MainWindow.h"
#include "ScriptedDesktop.h"
#include "WindowTestSupport.h"

#include <QtTest>
#include <QtWidgets>

using namespace quorvel;

class TestRecovery : public QObject
{
    Q_OBJECT

private slots:
    void crashThenStartAgain_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes restores") << true;
        QTest::newRow("No discards") << false;
    }

    void crashThenStartAgain()
    {
        QFETCH(bool, yes);
        QTemporaryDir folder;
        qputenv("XDG_STATE_HOME", QFile::encodeName(folder.path()));
        ScriptedDesktop desktop;
        std::unique_ptr<MainWindow> window;
        const auto start = [&] { // past the splash
            window.reset();
            window = std::make_unique<MainWindow>(folder.path(), desktop);
            window->show();
            window->takeOverFromSplash();
            Settle();
        };
        const auto trigger = [&](const char *action) {
            window->findChild<QAction *>(QLatin1String(action))->trigger();
            Settle();
        };
        const auto shown = [&] { // the caption and every cell, as the crew sees them
            QStringList texts{window->windowTitle()};
            for (const QLineEdit *cell : window->findChildren<QLineEdit *>())
                texts << cell->text();
            return texts;
        };
        start();
        trigger("mnuExit"); // Cancel: the program runs on, and so does its copy
        desktop.fileChoices = {folder.path() + QStringLiteral("/day 1")};
        trigger("mnuSaveAs");
        QTest::keyClicks(QApplication::focusWidget(), "22\t");
        QTest::qWait(1500);
        trigger("mnuComments");
        QTest::keyClicks(window->findChild<QPlainTextEdit *>(), "wet");
        QTest::qWait(1500);
        const QStringList seen = shown();
        desktop.answers = {yes ? Desktop::Answer::Yes : Desktop::Answer::No, Desktop::Answer::No};
        start(); // the first run gone without Exit, as after a kill
        QCOMPARE(desktop.questions.size(), 2);
        QCOMPARE(desktop.questions[1].text,
                 QStringLiteral("Quorvel did not close normally last time. Restore the race "
                                "sheet it was showing?"));
        QCOMPARE(desktop.questions[1].title, QStringLiteral("Quorvel"));
        QCOMPARE(shown() == seen, yes);
        trigger("mnuComments");
        QCOMPARE(window->findChild<QPlainTextEdit *>()->toPlainText(), yes ? "wet" : "");
        // The old copy has gone either way; a clean Exit takes this run's own,
        // and a change still waiting to be kept with it.
        QTest::keyClicks(window->findChild<QPlainTextEdit *>(), "!");
        trigger("mnuExit");
        QTest::qWait(1500);
        QVERIFY(
            QDir(folder.filePath(QStringLiteral("quorvel"))).isEmpty(QDir::Files | QDir::Hidden));
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
