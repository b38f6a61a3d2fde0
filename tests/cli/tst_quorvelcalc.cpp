// quorvel-calc as scripts and terminals see it: each case is a shell line run
// in a folder that holds the worked example (worked.lqr) and the same race
// with odd entries (odd.lqr), and what it prints and ends with.

#include <QtTest>

#include <csignal>

#include <unistd.h>

namespace {

struct CalcCase
{
    const char *tag;
    const char *line;
    int status;
    const char *out;    // a pattern the output holds
    const char *notOut; // one it does not
    const char *err;
};

const CalcCase Cases[] = {
    {"table", "quorvel-calc worked.lqr", 0, "entire race +38\\.7\\n", "!(?! marks)", "^$"},
    // A contradiction marked, control codes shown as text and never sent.
    {"odd entries", "quorvel-calc odd.lqr", 0,
     " \\\\x1b\\[2J~ .*  30!.*between 30% to 100%.*note \\\\x1b\\[31mred\\\\u009b\\n",
     "[\\x00-\\x09\\x0b-\\x1f\\x7f-\\x{9f}]", "^$"},
    {"--recalculated", "quorvel-calc --recalculated worked.lqr", 0,
     "^DNX-LQR\\*1\\.20\\r\\n.*\\r\\n38\\.7\\r\\n", "^$", "^$"},
    // Named on an old system: Qt's file names are text, and the message says why.
    {"name not UTF-8",
     "f=$(printf 'Dunm\\350re'); cp worked.lqr $f; quorvel-calc $f; s=$?; rm $f; exit $s", 1, "^$",
     ".", "^quorvel-calc: cannot open Dunm\u00E8re: the name is not UTF-8; rename"},
    // A contradiction is a cell's colour, a missing input a caption's.
    {"--json, contradiction", "sed '49s/85/30/' worked.lqr >c.lqr; quorvel-calc --json c.lqr", 0,
     "\"colors\": \\[(\\s*\"black\",){45}\\s*\"light-magenta\"", ": \"magenta\"", "^$"},
    {"--json, missing input", "sed '138s/[0-9.]*//' worked.lqr >m.lqr; quorvel-calc --json m.lqr",
     0, "\"134\": \"magenta\".*\"cautionUsageWarning\": false", "\"13[2356]\": \"magenta\"", "^$"},
    {"option-like name", "quorvel-calc -x", 2, "^$", ".",
     "^quorvel-calc: unknown option -x\\nUsage:"},
    {"full disk", "quorvel-calc worked.lqr >/dev/full", 1, "^$", ".",
     "^quorvel-calc: cannot write the output: No space left on device\\n$"},
    {"closed output", "quorvel-calc worked.lqr >&-", 1, "^$", ".",
     "^quorvel-calc: cannot write the output: Bad file descriptor\\n$"},
    // Each file under its name; the status is the worst: no sheet, then a cut one.
    {"several files", "echo hello >h; quorvel-calc long.lqr h worked.lqr", 1,
     "^==> long\\.lqr <==\\nQuorvel race sheet: LONG\\.LQR\\n.*\\n\\n==> worked\\.lqr "
     "<==\\nQuorvel race sheet: WORKED\\.LQR\\n.*entire race +38\\.7\\n",
     "==> h", "^quorvel-calc: long\\.lqr: texts longer .*\\nquorvel-calc: h: This is not"},
    {"several files, one cut", "quorvel-calc long.lqr worked.lqr", 3, "==> worked", "^$",
     "long\\.lqr: texts longer"},
    {"several files as JSON", "echo hello >h; quorvel-calc --json worked.lqr h", 1,
     "^\\[\\n\\{\\n    \"captionColors\".*\"file\": \"worked\\.lqr\",\\n.*\\},\\n\\{\\n    "
     "\"error\": \"h: This is not a Quorvel file and can not be used\\.\",\\n    \"file\": "
     "\"h\"\\n\\}\\n\\]\\n$",
     "^$", "^quorvel-calc: h: This is not"},
    {"several race files out", "quorvel-calc --recalculated worked.lqr worked.lqr", 2, "^$", ".",
     "^quorvel-calc: --recalculated takes one FILE\\nUsage:"},
    {"FIFO", "mkfifo p; quorvel-calc p", 1, "^$", ".",
     "^quorvel-calc: cannot open p: Not a regular"},
    {"missing", "quorvel-calc \"$(printf 'no\\033[2J')\"", 1, "^$", ".", "no\\\\x1b\\[2J: No such"},
    {"cell cut", "quorvel-calc long.lqr", 3, "entire race +38\\.7\\n", "x{4097}",
     "^quorvel-calc: long\\.lqr: texts longer than Quorvel keeps .* were cut; the output holds "
     "only their beginnings\\n$"},
    {"cut, race file out", "quorvel-calc --recalculated long.lqr", 3, "\\r\\nx{4096}\\r\\n",
     "x{4097}", "were cut"},
    {"not a race file", "echo hello >h; quorvel-calc h", 1, "^$", ".",
     "^quorvel-calc: h: This is not a Quorvel file and can not be used.\\n$"},
};

bool matches(const char *pattern, const QByteArray &text)
{
    return QRegularExpression(pattern, QRegularExpression::DotMatchesEverythingOption)
        .match(QString::fromUtf8(text))
        .hasMatch();
}

} // namespace

Q_DECLARE_METATYPE(const CalcCase *)

class TestQuorvelCalc : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv("PATH", QFileInfo(QUORVEL_CALC).path().toLocal8Bit() + ':' + qgetenv("PATH"));
        QFile worked(QUORVEL_SAMPLES "/worked-example.lqr");
        QVERIFY(worked.copy(dir_.filePath("worked.lqr")) && worked.open(QIODevice::ReadOnly));
        QList<QByteArray> lines = worked.readAll().split('\n');
        lines[3 + 135] = "25\r";                             // caution usage out of range
        lines[3 + 2 * 19 + 7] = "30\r";                      // a lap behind the one before
        lines[3 + 133] = "\x1b[2J\x1b]0;title\x07\x1b[2J\r"; // codes, cut in the table
        lines[3 + 151] = "note \x1b[31mred\xC2\x9B\r";
        QFile odd(dir_.filePath("odd.lqr"));
        QVERIFY(odd.open(QIODevice::WriteOnly) && odd.write(lines.join('\n')) > 0);
        QList<QByteArray> longLines = worked.seek(0) ? worked.readAll().split('\n') : lines;
        longLines[3 + 114] = QByteArray(5000, 'x') + '\r'; // a reserved cell, never shown
        QFile longer(dir_.filePath("long.lqr"));
        QVERIFY(longer.open(QIODevice::WriteOnly) && longer.write(longLines.join('\n')) > 0);
    }

    void run_data()
    {
        QTest::addColumn<const CalcCase *>("row");
        for (const CalcCase &row : Cases)
            QTest::newRow(row.tag) << &row;
    }
    void run()
    {
        QFETCH(const CalcCase *, row);
        QProcess process;
        process.setWorkingDirectory(dir_.path());
        process.setChildProcessModifier([] { ::setpgid(0, 0); });
        process.start("sh", {"-c", row->line});
        // A read that blocks fails here instead of hanging the suite.
        if (!process.waitForFinished(10'000))
            ::kill(-pid_t(process.processId()), SIGKILL);
        process.waitForFinished();
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        QCOMPARE(process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                 row->status);
        QVERIFY2(matches(row->out, out) && !matches(row->notOut, out), out.constData());
        QVERIFY2(matches(row->err, err), err.constData());
    }

private:
    QTemporaryDir dir_;
};

QTEST_GUILESS_MAIN(TestQuorvelCalc)
#include "tst_quorvelcalc.moc"
