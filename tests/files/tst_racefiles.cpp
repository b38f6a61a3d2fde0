// The files races and settings live in: what a race file keeps, the name the
// caption shows, and where the settings are read and written. Reading any
// bytes is the fuzzers' part; refusing a FIFO is quorvel-calc's suite's.

#include "RaceDocument.h"

#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quorvel;

namespace {

// Every cell names its index, so a cell that shifts cannot go unnoticed.
RaceFileContents numberedRace()
{
    RaceFileContents race;
    for (std::size_t i = 0; i < race.cells.size(); ++i)
        race.cells[i] = "c" + std::to_string(i);
    race.comment = "first\r\nsecond";
    return race;
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeAll(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly) &&
           file.write(bytes) == bytes.size();
}

struct Text
{
    const char *tag;
    QByteArray cell, cellBack, comment, commentBack;
};

struct Settings
{
    const char *tag;
    bool buildTree;           // the program folder carries the build's marker
    int besideMode;           // of KVCNFG.DNX beside the program, unit system 1; 0: none
    bool readOnlyFolder;      // the program folder, as the crew sees it
    bool ownFile;             // the user's own KVCNFG.DNX, unit system 2, exists
    int read;                 // the unit system start-up reads
    bool writesBeside;        // else the user's own file
    bool relativeXdg = false; // the XDG folders set, to names relative to the working folder
};

template <class Row, std::size_t N> void rows(const Row (&table)[N])
{
    QTest::addColumn<Row>("row");
    for (const Row &row : table)
        QTest::newRow(row.tag) << row;
}

} // namespace

Q_DECLARE_METATYPE(Text)
Q_DECLARE_METATYPE(Settings)

class TestRaceFiles : public QObject
{
    Q_OBJECT

private slots:
    void writeThenRead_data()
    {
        rows<Text>({
            {"comma, blanks", " a, b ,", " a, b ,", "with, \"comma\"\r\n", "with, \"comma\"\r\n"},
            {"tab, line feeds", "\t5\" rain", "\t5 rain", "a\nb\rc", "a\r\nb\r\nc"},
            // Quoting cannot hold a double quote, so those go; nothing else moves.
            {"opening quote", "\"abc", "abc", "first\r\n-9999", "first\r\n-9999 "},
            {"quotes, comma", "a,\"b\"", "a,b", "-9999\r\n 7 ", "-9999 \r\n 7 "},
        });
    }
    void writeThenRead()
    {
        QFETCH(Text, row);
        RaceFileContents race = numberedRace();
        RaceFileContents expected = race;
        for (const std::size_t at : {0, 57, 131, 150}) {
            race.cells[at] = row.cell.toStdString();
            expected.cells[at] = row.cellBack.toStdString();
        }
        race.comment = row.comment.toStdString();
        for (int cycle = 0; cycle < 3; ++cycle) {
            const std::string bytes = SerializeRaceFile(race);
            QCOMPARE(QByteArray::fromStdString(bytes).count('\n'),
                     156 + row.commentBack.count('\n'));
            FieldReader source(QByteArray::fromStdString(bytes));
            race = ParseRaceFile(source).contents;
        }
        QVERIFY(race.cells == expected.cells && !race.gasketInput);
        QCOMPARE(QByteArray::fromStdString(race.comment), row.commentBack);
    }

    // A text beyond what the program keeps is cut, and the reader says so,
    // so that the crew learns of it and the file is not replaced unasked.
    void textsLongerThanKept_data()
    {
        QTest::addColumn<QByteArray>("inputMode");
        QTest::addColumn<QByteArray>("cell");
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<bool>("cut");
        const QByteArray full(4096, 'x');
        const QByteArray mebibyte(1 << 20, 'c');
        const QByteArray zero = " 0 ";
        const QByteArray none;
        QTest::newRow("cell at the limit") << zero << full << none << false;
        QTest::newRow("cell one longer") << zero << full + 'x' << none << true;
        QTest::newRow("Latin-1 cell, twice as long decoded")
            << zero << QByteArray(4096, '\xe9') << none << true;
        QTest::newRow("comment one longer") << zero << full << mebibyte + 'c' << true;
        QTest::newRow("a long number") << QByteArray(100, '0') + '1' << full << none << false;
    }
    void textsLongerThanKept()
    {
        QFETCH(QByteArray, inputMode);
        QFETCH(QByteArray, cell);
        QFETCH(QByteArray, comment);
        QFETCH(bool, cut);
        QByteArray bytes = "DNX-LQR*1.20\r\n" + inputMode + "\r\n 0 \r\n";
        for (int i = 0; i < CellCount; ++i)
            bytes += (i == 5 ? cell : QByteArray()) + "\r\n";
        bytes += comment + "\r\n-9999\r\n";
        FieldReader source(bytes);
        const RaceFileReadResult read = ParseRaceFile(source);
        QCOMPARE(read.status, RaceFileReadStatus::Read);
        QCOMPARE(read.cut, cut);
        QVERIFY(read.contents.cells[5].size() <= CellTextLimit &&
                read.contents.comment.size() <= CommentLimit);
    }

    // The carried values are 16-bit: a number beyond that is no value, and
    // the one the race had is kept, and written back as it was.
    void carriedValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("largest") << QByteArray(" 32767 ") << QByteArray(" 32767 ");
        QTest::newRow("smallest") << QByteArray("-32768") << QByteArray("-32768 ");
        QTest::newRow("one above") << QByteArray(" 32768 ") << QByteArray(" 7 ");
        QTest::newRow("one below") << QByteArray("-32769") << QByteArray(" 7 ");
    }
    void carriedValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, written);
        QTemporaryDir dir;
        RaceDocument document(dir.path());
        const QString race = dir.filePath("race");
        for (const QByteArray &inputMode : {QByteArray(" 7 "), line}) {
            QVERIFY(writeAll(race, "DNX-LQR*1.20\r\n" + inputMode + "\r\n" + inputMode + "\r\n"));
            QCOMPARE(document.readRaceFile(race).status, RaceFileReadStatus::Read);
        }
        QVERIFY(document.writeRaceFile(race).result);
        QCOMPARE(readAll(race).split('\n').mid(1, 2).join('|'), written + "\r|" + written + "\r");
    }

    void displayName()
    {
        // The path below the data folder only when the folder is followed by
        // "/"; every script's letters raised.
        const char *const cases[][3] = {
            {"/q/lqrfiles/", "Untitled", "UNTITLED"},
            {"/q/lqrfiles/", "/q/lqrfiles/2003/Race1", "2003/RACE1"},
            {"/q/lqrfiles/", "/Q/LQRFILES/r", "R"},
            {"/q/lqrfiles/", "/home/crew/2003/r", "R"},
            {"/q/lqrfiles/", "/q/lqrfiles", "LQRFILES"},
            {"/q/lqrfiles/", "/q/lqrfiles2/2003/x", "X"},
            {"/q/lqrfiles/", "/q/lqrfiles/\xC3\xA9t\xC3\xA9\xCF\x83\xC3\xBF",
             "\xC3\x89T\xC3\x89\xCE\xA3\xC5\xB8"},
        };
        for (const auto &[folder, path, name] : cases) {
            CurrentFile file(QString::fromUtf8(folder));
            file.tieTo(QString::fromUtf8(path));
            QCOMPARE(file.displayName(), QString::fromUtf8(name));
        }
    }

    void settingsFile_data()
    {
        rows<Settings>({
            {"build tree", true, 0644, false, false, 1, true},
            {"build tree, own file too", true, 0644, false, true, 1, true},
            {"read-only", true, 0444, false, false, 1, false},
            {"read-only, own file", true, 0444, false, true, 2, false},
            {"read-only folder", true, 0644, true, false, 1, true},
            {"installed, own file", false, 0644, false, true, 2, false},
            {"installed, relative XDG folders", false, 0644, false, true, 2, false, true},
        });
    }
    void settingsFile()
    {
        QFETCH(Settings, row);
        if ((row.besideMode == 0444 || row.readOnlyFolder) && ::geteuid() == 0)
            QSKIP("permission bits do not stop root; this runs again unprivileged");
        QTemporaryDir dir;
        const QString program = dir.filePath("program"), beside = program + "/KVCNFG.DNX";
        const QString home = dir.filePath("home");
        const QString own = row.relativeXdg ? home + "/.config/quorvel/KVCNFG.DNX"
                                            : dir.filePath("config/quorvel/KVCNFG.DNX");
        // Where a relative folder would lead: into this test's own folder.
        const auto back = qScopeGuard([cwd = QDir::currentPath()] { QDir::setCurrent(cwd); });
        QDir::setCurrent(dir.path());
        QVERIFY(QDir().mkpath(program + "/lqrfiles"));
        QVERIFY(!row.buildTree || writeAll(program + "/quorvel-build-tree", ""));
        QVERIFY(!row.besideMode || writeAll(beside, " 1 \r\n"));
        QVERIFY(!row.besideMode || ::chmod(qPrintable(beside), mode_t(row.besideMode)) == 0);
        QVERIFY(!row.ownFile || writeAll(own, " 2 \r\n"));
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME",
                QFile::encodeName(row.relativeXdg ? "config" : dir.filePath("config")));
        qputenv("XDG_DATA_HOME",
                QFile::encodeName(row.relativeXdg ? "config" : dir.filePath("data")));
        qputenv("XDG_STATE_HOME", row.relativeXdg ? "state" : "");
        const ProgramFolders folders = LocateProgramFolders(program);
        QCOMPARE(folders.dataFolder, row.buildTree     ? program + "/lqrfiles"
                                     : row.relativeXdg ? home + "/.local/share/quorvel/lqrfiles"
                                                       : dir.filePath("data/quorvel/lqrfiles"));
        QCOMPARE(folders.recoveryFolder, home + "/.local/state/quorvel");
        RaceDocument document(folders);
        document.readSettings();
        QCOMPARE(int(document.settings().unitSystem), row.read);
        // The unit system of the last race opened is the one Exit keeps.
        RaceFileContents metric;
        metric.unitSystem = 7;
        QVERIFY(writeAll(dir.filePath("metric"), SerializeRaceFile(metric).c_str()));
        document.readRaceFile(dir.filePath("metric"));
        ::chmod(qPrintable(program), row.readOnlyFolder ? 0555 : 0755);
        QVERIFY(document.writeSettings().ok);
        ::chmod(qPrintable(program), 0755);
        QCOMPARE(readAll(row.writesBeside ? beside : own).left(5), " 7 \r\n");
        QCOMPARE(readAll(row.writesBeside ? own : beside), row.writesBeside
                                                               ? (row.ownFile ? " 2 \r\n" : "")
                                                               : (row.besideMode ? " 1 \r\n" : ""));
    }
};

QTEST_APPLESS_MAIN(TestRaceFiles)
#include "tst_racefiles.moc"
