#include "FileTestSupport.h"
#include "RaceFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <sstream>

#include <sys/resource.h>

using namespace quorvel;
using namespace quorvel::test;

namespace {

using Int16 = std::optional<std::int16_t>;

RaceFileReadResult parse(const std::string &bytes)
{
    std::stringbuf source(bytes, std::ios::in);
    return ParseRaceFile(source);
}

std::string numberedCell(std::size_t index)
{
    return "c" + std::to_string(index);
}

// Every cell names its index, so a cell that shifts cannot go unnoticed.
RaceFileContents numberedRace()
{
    RaceFileContents race;
    for (std::size_t i = 0; i < race.cells.size(); ++i)
        race.cells[i] = numberedCell(i);
    race.comment = "first line\r\nsecond line";
    race.inputMode = 2;
    race.unitSystem = -3;
    return race;
}

std::string joinLines(const std::vector<std::string> &lines, std::size_t count, bool lastLineEnd)
{
    std::string bytes;
    for (std::size_t i = 0; i < count; ++i)
        bytes += lines[i] + (i + 1 < count || lastLineEnd ? "\r\n" : "");
    return bytes;
}

// Writes about totalBytes of 'x' as lines of lineBytes, a chunk at a time,
// so the test itself never holds the giant text.
void writeGiantText(std::ofstream &out, std::size_t lineBytes, std::size_t totalBytes)
{
    const std::string chunk(1 << 20, 'x');
    for (std::size_t written = 0; written < totalBytes; written += lineBytes + 2) {
        if (written > 0)
            out << "\r\n";
        for (std::size_t left = lineBytes; left > 0; left -= std::min(left, chunk.size()))
            out.write(chunk.data(), static_cast<std::streamsize>(std::min(left, chunk.size())));
    }
}

// A data row named after its text, line breaks and the like escaped.
QTestData &textRow(const char *text)
{
    return QTest::addRow("[%s]", QByteArray(text).toPercentEncoding(" ,\"*-.").constData());
}

long peakResidentKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

class RaceFileTest : public QObject
{
    Q_OBJECT

private slots:
    void layout()
    {
        // 156 lines for an empty sheet, each ending in CR LF.
        std::string empty = std::string(RaceFileMagic) + "\r\n 0 \r\n 0 \r\n";
        for (int i = 0; i < CellCount; ++i)
            empty += "\r\n";
        QCOMPARE(SerializeRaceFile(RaceFileContents{}), empty + "\r\n-9999\r\n");

        const RaceFileContents race = numberedRace();
        std::string numbered = std::string(RaceFileMagic) + "\r\n 2 \r\n-3 \r\n";
        for (std::size_t i = 0; i < CellCount; ++i)
            numbered += numberedCell(i) + "\r\n";
        numbered += "first line\r\nsecond line\r\n-9999\r\n";
        QCOMPARE(SerializeRaceFile(race), numbered);

        // A number beyond 16 bits is skipped without moving the cells.
        std::vector<std::string> lines = crlfLines(numbered);
        lines[1] = " 32768 ";
        lines[2] = "-32769 ";
        const RaceFileReadResult read = parse(joinLines(lines, lines.size(), true));
        QCOMPARE(read.status, RaceFileReadStatus::Read);
        QCOMPARE(read.contents.inputMode, Int16());
        QCOMPARE(read.contents.unitSystem, Int16());
        QCOMPARE(read.contents.cells[0], numberedCell(0));
        QCOMPARE(read.contents.comment, race.comment);
    }

    void sampleRacesWriteBackByteForByte_data()
    {
        QTest::addColumn<QString>("path");
        const QDir samples(QUORVEL_SAMPLE_RACES);
        for (const QString &name : samples.entryList({"*.lqr"}))
            QTest::newRow(qPrintable(name)) << samples.filePath(name);
        QVERIFY(!samples.isEmpty());
    }

    void sampleRacesWriteBackByteForByte()
    {
        QFETCH(QString, path);
        const RaceFileReadResult read = ReadRaceFile(str(path));
        QCOMPARE(read.status, RaceFileReadStatus::Read);
        QCOMPARE(read.contents.gasketInput, Int16());
        QCOMPARE(SerializeRaceFile(read.contents), readBytes(str(path)));
    }

    void cellTextSurvives_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("readBack");
        for (const char *text : {"12.5", "1,5", " 12", "\t12", "   ", "12  ", " a, b ,", "5\" rain",
                                 "Caf\xC3\xA9", "-9999"})
            textRow(text) << QByteArray(text) << QByteArray(text);
        // Quoting cannot hold a double quote, so those go; nothing else moves.
        QTest::newRow("opening quote") << QByteArray("\"abc") << QByteArray("abc");
        QTest::newRow("quotes and comma") << QByteArray("a,\"b\"") << QByteArray("a,b");
        QTest::newRow("blank then quote") << QByteArray(" a\"b") << QByteArray(" ab");
        QTest::newRow("lone quote") << QByteArray("\"") << QByteArray("");
        QTest::newRow("quoted comma") << QByteArray("\",\"") << QByteArray(",");
    }

    void cellTextSurvives()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, readBack);
        // First and last cell, a grid cell and both ends of both reserved ranges.
        for (const std::size_t at : {0, 57, 114, 131, 142, 150}) {
            RaceFileContents race = numberedRace();
            race.cells[at] = str(text);
            const RaceFileReadResult read = parse(SerializeRaceFile(race));
            QCOMPARE(read.status, RaceFileReadStatus::Read);
            race.cells[at] = str(readBack);
            for (std::size_t i = 0; i < race.cells.size(); ++i)
                QCOMPARE(read.contents.cells[i], race.cells[i]);
            QCOMPARE(read.contents.comment, race.comment);
        }
    }

    void commentSurvivesRepeatedCycles_data()
    {
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<QByteArray>("readBack");
        for (const char *text :
             {"", "one line, with a comma", "two\r\nlines", "ends in a break\r\n", "\r\n",
              "a\r\n\r\n\r\nb", "  \"quoted\", kept  "})
            textRow(text) << QByteArray(text) << QByteArray(text);
        QTest::newRow("line feeds") << QByteArray("a\nb\n") << QByteArray("a\r\nb\r\n");
        QTest::newRow("carriage returns") << QByteArray("a\rb") << QByteArray("a\r\nb");
        // A line like the end marker keeps what follows it, with a blank added.
        QTest::newRow("end marker inside") << QByteArray("first\r\n-9999\r\n 7 \r\nlast")
                                           << QByteArray("first\r\n-9999 \r\n 7 \r\nlast");
        QTest::newRow("end marker last") << QByteArray("a\n-9999") << QByteArray("a\r\n-9999 ");
    }

    void commentSurvivesRepeatedCycles()
    {
        QFETCH(QByteArray, comment);
        QFETCH(QByteArray, readBack);
        RaceFileContents race = numberedRace();
        race.comment = str(comment);
        for (int cycle = 0; cycle < 5; ++cycle) {
            const std::string bytes = SerializeRaceFile(race);
            // Each line break in the comment is one more line.
            QCOMPARE(crlfLines(bytes).size(), std::size_t(156 + readBack.count("\r\n")));
            const RaceFileReadResult read = parse(bytes);
            QCOMPARE(read.contents.comment, str(readBack));
            QCOMPARE(read.contents.cells[150], numberedCell(150));
            QCOMPARE(read.contents.gasketInput, Int16());
            race = read.contents;
        }
    }

    void textDecoding_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("Latin-1") << QByteArray("caf\xE9, au lait")
                                 << QByteArray("caf\xC3\xA9, au lait");
        QTest::newRow("UTF-8") << QByteArray("caf\xC3\xA9") << QByteArray("caf\xC3\xA9");
        QTest::newRow("four-byte UTF-8")
            << QByteArray("\xF0\x9F\x8F\x81") << QByteArray("\xF0\x9F\x8F\x81");
        QTest::newRow("lone lead byte") << QByteArray("x\xC3") << QByteArray("x\xC3\x83");
        QTest::newRow("overlong") << QByteArray("\xC0\xAF") << QByteArray("\xC3\x80\xC2\xAF");
    }

    void textDecoding()
    {
        QFETCH(QByteArray, line);
        QFETCH(QByteArray, text);
        std::vector<std::string> lines = crlfLines(SerializeRaceFile(numberedRace()));
        lines[3] = '"' + str(line) + '"';
        lines[154] = str(line);
        const RaceFileReadResult read = parse(joinLines(lines, lines.size(), true));
        QCOMPARE(read.contents.cells[0], str(text));
        QCOMPARE(read.contents.cells[1], numberedCell(1));
        QCOMPARE(read.contents.comment, str(text) + "\r\nsecond line");
    }

    void onlyTheMagicIsAccepted_data()
    {
        QTest::addColumn<QByteArray>("firstLine");
        QTest::addColumn<bool>("accepted");
        // The magic is the first field, so the field rule applies to it.
        for (const char *line : {"DNX-LQR*1.20", "  DNX-LQR*1.20", "\"DNX-LQR*1.20\""})
            textRow(line) << QByteArray(line) << true;
        for (const char *line :
             {"", "dnx-lqr*1.20", "DNX-LQR*1.21", "DNX-LQR*1.2", "DNX-LQR*1.200", "DNX-LQR*1.20 ",
              "\xEF\xBB\xBF"
              "DNX-LQR*1.20",
              "\r\nDNX-LQR*1.20"})
            textRow(line) << QByteArray(line) << false;
        QTest::newRow("magic then UTF-8 e-acute") << QByteArray("DNX-LQR*1.20\xC3\xA9") << false;
        QTest::newRow("magic then Latin-1 e-acute") << QByteArray("DNX-LQR*1.20\xE9") << false;
    }

    void onlyTheMagicIsAccepted()
    {
        QFETCH(QByteArray, firstLine);
        QFETCH(bool, accepted);
        const RaceFileReadResult read = parse(str(firstLine) + "\r\n 0 \r\n 0 \r\n");
        // A non-ASCII byte right after the magic must not vanish in decoding.
        QCOMPARE(read.status,
                 accepted ? RaceFileReadStatus::Read : RaceFileReadStatus::NotARaceFile);
    }

    void fileEndingEarly_data()
    {
        // The file cut after every line, with and without that line's end,
        // in each kind of line end.
        QTest::addColumn<int>("kept");
        QTest::addColumn<bool>("lastLineEnd");
        QTest::addColumn<QByteArray>("lineEnd");
        for (const char *lineEnd : {"\r\n", "\n", "\r"}) {
            const char *name = lineEnd[1] ? "CR LF" : lineEnd[0] == '\n' ? "LF" : "CR";
            for (int kept = 1; kept <= 158; ++kept) {
                QTest::addRow("%s, %d lines", name, kept) << kept << true << QByteArray(lineEnd);
                QTest::addRow("%s, %d lines, no last line end", name, kept)
                    << kept << false << QByteArray(lineEnd);
            }
        }
    }

    void fileEndingEarly()
    {
        QFETCH(int, kept);
        QFETCH(bool, lastLineEnd);
        QFETCH(QByteArray, lineEnd);
        const std::vector<std::string> lines =
            crlfLines(SerializeRaceFile(numberedRace()) + " 7 \r\n");
        QCOMPARE(lines.size(), std::size_t(158));
        const auto count = static_cast<std::size_t>(kept);
        QByteArray bytes = QByteArray::fromStdString(joinLines(lines, count, lastLineEnd));
        const RaceFileReadResult read = parse(str(bytes.replace("\r\n", lineEnd)));
        const RaceFileContents &contents = read.contents;
        QCOMPARE(read.status, RaceFileReadStatus::Read);
        QCOMPARE(contents.inputMode, kept > 1 ? Int16(2) : Int16());
        QCOMPARE(contents.unitSystem, kept > 2 ? Int16(-3) : Int16());
        for (std::size_t i = 0; i < CellCount; ++i)
            QCOMPARE(contents.cells[i], i + 3 < count ? numberedCell(i) : std::string());
        // Without the marker every line to the end is comment, the last included.
        const std::string comment = kept < 155   ? ""
                                    : kept < 156 ? "first line"
                                                 : "first line\r\nsecond line";
        QCOMPARE(contents.comment, comment);
        QCOMPARE(contents.gasketInput, kept == 158 ? Int16(7) : Int16());
    }

    void commentEndAndGasketInput_data()
    {
        // Everything after the last cell line.
        QTest::addColumn<QByteArray>("tail");
        QTest::addColumn<QByteArray>("comment");
        QTest::addColumn<Int16>("gasketInput");
        const auto row = [](const char *tail, const char *comment, Int16 gasketInput) {
            textRow(tail) << QByteArray(tail) << QByteArray(comment) << gasketInput;
        };
        row("note\r\n-9999\r\n 7 \r\n", "note", 7);
        row("note\r\n-9999\r\n-2 ", "note", -2);
        row("\r\n-9999\r\n 3 \r\n", "", 3);
        row("note\r\n-9999\r\n 70000 \r\n", "note", std::nullopt);
        row("a\r\n -9999\r\n-9999 \r\n-99999", "a\r\n -9999\r\n-9999 \r\n-99999", std::nullopt);
        row("a\r\n-9999\r\n 5 \r\nb\r\n-9999\r\n", "a", 5);
    }

    void commentEndAndGasketInput()
    {
        QFETCH(QByteArray, tail);
        QFETCH(QByteArray, comment);
        QFETCH(Int16, gasketInput);
        const std::vector<std::string> lines = crlfLines(SerializeRaceFile(numberedRace()));
        const RaceFileReadResult read = parse(joinLines(lines, 154, true) + str(tail));
        QCOMPARE(read.contents.cells[150], numberedCell(150));
        QCOMPARE(read.contents.comment, str(comment));
        QCOMPARE(read.contents.gasketInput, gasketInput);
    }

    void hugeFileReadsWithinLimits_data()
    {
        QTest::addColumn<int>("giantLine"); // a cell's line or the comment's first
        QTest::addColumn<qint64>("lineBytes");
        QTest::newRow("one comment line") << 154 << qint64(50 << 20);
        QTest::newRow("comment of many lines") << 154 << qint64(999);
        QTest::newRow("one cell line") << 3 + 5 << qint64(50 << 20);
    }

    void hugeFileReadsWithinLimits()
    {
        QFETCH(int, giantLine);
        QFETCH(qint64, lineBytes);
        const auto lineLength = static_cast<std::size_t>(lineBytes);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const std::string path = str(dir.filePath("huge.lqr"));
        const auto lines = crlfLines(SerializeRaceFile(numberedRace()) + " 7 \r\n");
        {
            std::ofstream out(path, std::ios::binary);
            for (int i = 0; i < std::ssize(lines); ++i) {
                if (i == giantLine)
                    writeGiantText(out, lineLength, 50 << 20);
                else
                    out << lines[static_cast<std::size_t>(i)];
                out << "\r\n";
            }
            QVERIFY(out.flush());
        }

        const long peakBefore = peakResidentKiB();
        const RaceFileReadResult read = ReadRaceFile(path);
        const long growthKiB = peakResidentKiB() - peakBefore;
        QVERIFY2(growthKiB < 32 * 1024, qPrintable(QString("peak grew by %1 KiB").arg(growthKiB)));
        QCOMPARE(read.status, RaceFileReadStatus::Read);
        QCOMPARE(read.contents.gasketInput, Int16(7));
        QCOMPARE(read.contents.cells[150], numberedCell(150));
        if (giantLine < 154) {
            const std::string &cell = read.contents.cells[5];
            QVERIFY(!cell.empty() && cell.size() <= CellTextLimit);
            QVERIFY(cell.find_first_not_of('x') == std::string::npos);
            QCOMPARE(read.contents.cells[6], numberedCell(6));
            QCOMPARE(read.contents.comment, std::string("first line\r\nsecond line"));
        } else {
            const std::string &comment = read.contents.comment;
            QVERIFY(comment.size() <= CommentLimit && comment.size() >= CommentLimit / 2);
            std::string start;
            while (start.size() < CommentLimit)
                start += std::string(std::min(lineLength, CommentLimit), 'x') + "\r\n";
            QVERIFY(start.starts_with(comment));
        }
    }

    void cappedTextIsAPrefix_data()
    {
        QTest::addColumn<bool>("inComment");
        QTest::addColumn<bool>("cutInCharacter"); // else the cut falls on a line break
        QTest::newRow("cell cut in a character") << false << true;
        QTest::newRow("comment cut in a character") << true << true;
        QTest::newRow("comment cut at a line break") << true << false;
    }

    void cappedTextIsAPrefix()
    {
        QFETCH(bool, inComment);
        QFETCH(bool, cutInCharacter);
        const std::size_t limit = inComment ? CommentLimit : CellTextLimit;
        std::string text = "a";
        while (cutInCharacter && text.size() < limit + 100)
            text += "\xC3\xA9";
        if (!cutInCharacter)
            text = std::string(limit - 1, 'a') + "\r\nx";
        RaceFileContents race = numberedRace();
        (inComment ? race.comment : race.cells[20]) = text;
        const RaceFileReadResult read = parse(SerializeRaceFile(race));
        const std::string &kept = inComment ? read.contents.comment : read.contents.cells[20];
        QVERIFY(kept.size() <= limit && kept.size() + 4 > limit);
        // A cut inside a UTF-8 character must not turn the text into Latin-1
        // ("aÃ©Ã©..."), and a line break that no longer fits must not glue the
        // next line on ("aaa...ax").
        QVERIFY(text.starts_with(kept));
    }
};

QTEST_APPLESS_MAIN(RaceFileTest)
#include "tst_racefile.moc"
