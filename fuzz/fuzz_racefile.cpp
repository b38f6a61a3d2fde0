// Race files come from anywhere: older versions of the program, hand edits,
// mail programs that rewrite line ends, other operating systems. Whatever the
// bytes, reading must not crash, and a race that was read must survive being
// saved and opened again with every cell in its place.

#include "ByteSource.h"
#include "RaceFile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <streambuf>
#include <string>
#include <string_view>

namespace {

using namespace quorvel;

using fuzz::ByteSource;

RaceFileReadResult Parse(std::string_view bytes)
{
    ByteSource source(bytes);
    return ParseRaceFile(source);
}

[[noreturn]] void Fail(const char *what, int cell = -1)
{
    if (cell >= 0)
        std::fprintf(stderr, "race file check failed: %s (cell %d)\n", what, cell);
    else
        std::fprintf(stderr, "race file check failed: %s\n", what);
    std::abort();
}

void Require(bool condition, const char *what, int cell = -1)
{
    if (!condition)
        Fail(what, cell);
}

// Written here rather than borrowed from the reader, so a fault there cannot
// hide itself.
bool IsValidUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        const auto lead = static_cast<unsigned char>(s[i]);
        std::size_t length = 0;
        std::uint32_t code = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        }
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > s.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::size_t Count(std::string_view text, std::string_view part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size()))
        ++n;
    return n;
}

std::string WithoutQuotes(std::string text)
{
    std::erase(text, '"');
    return text;
}

// The first field of the bytes by the field rule: blanks skipped, then
// either a quoted run or a run up to a comma, each stopping at a line end.
std::string_view FirstField(std::string_view bytes)
{
    std::size_t start = bytes.find_first_not_of(" \t");
    if (start == std::string_view::npos)
        return {};
    std::string_view stops = ",\r\n";
    if (bytes[start] == '"') {
        ++start;
        stops = "\"\r\n";
    }
    const std::size_t end = bytes.find_first_of(stops, start);
    return bytes.substr(start, end == std::string_view::npos ? end : end - start);
}

// What any read must give, whatever the bytes: UTF-8 texts within their
// limits, cells that are single lines, a comment broken only by CR LF.
void CheckReadTexts(const RaceFileContents &contents)
{
    for (int i = 0; i < CellCount; ++i) {
        const std::string &cell = contents.cells[static_cast<std::size_t>(i)];
        Require(cell.size() <= CellTextLimit, "cell text beyond its limit", i);
        Require(IsValidUtf8(cell), "cell text is not UTF-8", i);
        Require(cell.find_first_of("\r\n") == std::string::npos, "cell text holds a line break", i);
    }
    const std::string &comment = contents.comment;
    Require(comment.size() <= CommentLimit, "comment beyond its limit");
    Require(IsValidUtf8(comment), "comment is not UTF-8");
    Require(Count(comment, "\r") == Count(comment, "\r\n") &&
                Count(comment, "\n") == Count(comment, "\r\n"),
            "comment holds a line break other than CR LF");
}

// A file that is valid UTF-8 is taken as it is: every cell and every comment
// line is a run of the file's own bytes, never re-encoded.
void CheckTakenAsWritten(const RaceFileContents &contents, std::string_view input)
{
    for (int i = 0; i < CellCount; ++i) {
        Require(input.find(contents.cells[static_cast<std::size_t>(i)]) != std::string_view::npos,
                "cell of a UTF-8 file does not appear in the file", i);
    }
    std::string_view rest = contents.comment;
    for (;;) {
        const std::size_t end = rest.find("\r\n");
        Require(input.find(rest.substr(0, end)) != std::string_view::npos,
                "comment line of a UTF-8 file does not appear in the file");
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 2);
    }
}

// The written file: CR LF only, and one line each for the magic text, the two
// integers, the 151 cells, each comment line and the end marker.
void CheckWrittenLayout(std::string_view bytes, const RaceFileContents &contents)
{
    const std::size_t crlf = Count(bytes, "\r\n");
    Require(Count(bytes, "\r") == crlf && Count(bytes, "\n") == crlf,
            "written file has a line end other than CR LF");
    Require(bytes.size() >= 2 && bytes.substr(bytes.size() - 2) == "\r\n",
            "written file does not end with a line end");
    Require(crlf == 1 + 2 + CellCount + 1 + Count(contents.comment, "\r\n") + 1,
            "written file has the wrong number of lines");
}

bool SameContents(const RaceFileContents &a, const RaceFileContents &b)
{
    return a.cells == b.cells && a.comment == b.comment && a.inputMode == b.inputMode &&
           a.unitSystem == b.unitSystem && a.gasketInput == b.gasketInput;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const RaceFileReadResult first = Parse(input);
    if (first.status != RaceFileReadStatus::Read) {
        // Opening problems belong to ReadRaceFile; bytes are a race or not.
        Require(first.status == RaceFileReadStatus::NotARaceFile, "unexpected read status");
        Require(FirstField(input) != RaceFileMagic, "magic text not recognised");
        return 0;
    }
    // Nothing but the magic text itself makes a race file: a file that only
    // starts with it is someone else's.
    Require(FirstField(input) == RaceFileMagic, "file taken as a race without its magic text");
    const RaceFileContents &a = first.contents;
    CheckReadTexts(a);
    if (IsValidUtf8(input))
        CheckTakenAsWritten(a, input);

    // Saved and opened again.
    const std::string writtenA = SerializeRaceFile(a);
    CheckWrittenLayout(writtenA, a);
    const RaceFileReadResult second = Parse(writtenA);
    Require(second.status == RaceFileReadStatus::Read, "written file is not a race file");
    const RaceFileContents &b = second.contents;
    for (int i = 0; i < CellCount; ++i) {
        const std::string &before = a.cells[static_cast<std::size_t>(i)];
        const std::string &after = b.cells[static_cast<std::size_t>(i)];
        if (before.find('"') == std::string::npos)
            Require(after == before, "cell changed on saving", i);
        else
            Require(after == before || after == WithoutQuotes(before),
                    "cell changed on saving beyond losing its double quotes", i);
    }
    Require(b.comment == a.comment, "comment changed on saving");
    // Values that were missing are written as 0.
    Require(b.inputMode == a.inputMode.value_or(0), "input mode changed on saving");
    Require(b.unitSystem == a.unitSystem.value_or(0), "unit system changed on saving");
    Require(!b.gasketInput, "written file goes on after the end marker");

    // Whatever saving had to change, it changes once.
    const std::string writtenB = SerializeRaceFile(b);
    const RaceFileReadResult third = Parse(writtenB);
    Require(third.status == RaceFileReadStatus::Read, "rewritten file is not a race file");
    Require(SameContents(third.contents, b), "second save changed the race");
    Require(SerializeRaceFile(third.contents) == writtenB, "second save changed the bytes");

    // The end marker closes the race: what follows it is only ever the
    // gasket input field, read just as the field after the magic line is.
    std::string withTail = writtenA;
    withTail += input;
    const RaceFileReadResult tailed = Parse(withTail);
    Require(tailed.status == RaceFileReadStatus::Read, "file with a tail is not a race file");
    Require(tailed.contents.cells == b.cells && tailed.contents.comment == b.comment &&
                tailed.contents.inputMode == b.inputMode &&
                tailed.contents.unitSystem == b.unitSystem,
            "bytes after the end marker changed the race");
    std::string headed(RaceFileMagic);
    headed += "\r\n";
    headed += input;
    Require(tailed.contents.gasketInput == Parse(headed).contents.inputMode,
            "gasket input read unlike the other integer fields");
    return 0;
}
