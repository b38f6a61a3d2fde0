// Race files come from anywhere: older versions of the program, hand edits,
// mail programs that rewrite line ends. Whatever the bytes, reading must not
// crash, and a race that was read must survive being saved and opened again
// with every cell in its place.

#include "RaceFile.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace quorvel;

RaceFileReadResult Parse(std::string_view bytes)
{
    FieldReader reader(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return ParseRaceFile(reader);
}

void Require(bool condition, const char *what, int cell = -1)
{
    if (!condition) {
        std::fprintf(stderr, "race file check failed: %s (cell %d)\n", what, cell);
        std::abort();
    }
}

// Written here rather than borrowed from the reader, so a fault there cannot
// hide itself: well-formed sequences, no overlong forms or surrogates.
bool isWellFormedUtf8(std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        const auto lead = static_cast<unsigned char>(s[i]);
        const std::size_t length = lead < 0x80             ? 1
                                   : (lead & 0xE0) == 0xC0 ? 2
                                   : (lead & 0xF0) == 0xE0 ? 3
                                   : (lead & 0xF8) == 0xF0 ? 4
                                                           : 0;
        if (length == 0 || i + length > s.size())
            return false;
        std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(s[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

bool OnlyCrLfBreaks(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool cr = text[i] == '\r';
        if ((cr && (i + 1 == text.size() || text[i + 1] != '\n')) ||
            (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const RaceFileReadResult first = Parse(input);
    if (first.status != RaceFileReadStatus::Read) {
        Require(first.status == RaceFileReadStatus::NotARaceFile, "unexpected read status");
        return 0;
    }
    const RaceFileContents &a = first.contents;
    for (int i = 0; i < CellCount; ++i) {
        const std::string &cell = a.cells[static_cast<std::size_t>(i)];
        Require(cell.size() <= CellTextLimit && isWellFormedUtf8(cell),
                "cell text too long or not UTF-8", i);
        Require(cell.find_first_of("\r\n") == std::string::npos, "cell text holds a line break", i);
    }
    Require(a.comment.size() <= CommentLimit && isWellFormedUtf8(a.comment),
            "comment too long or not UTF-8");
    Require(OnlyCrLfBreaks(a.comment), "comment holds a line break other than CR LF");

    // Saved and opened again: every cell back in its place (double quotes
    // may go where the format cannot hold them), the comment, both integers.
    const std::string written = SerializeRaceFile(a);
    Require(OnlyCrLfBreaks(written) && written.ends_with("\r\n"),
            "written file has other line ends");
    const RaceFileReadResult second = Parse(written);
    Require(second.status == RaceFileReadStatus::Read, "written file is not a race file");
    const RaceFileContents &b = second.contents;
    for (int i = 0; i < CellCount; ++i) {
        std::string before = a.cells[static_cast<std::size_t>(i)];
        const std::string &after = b.cells[static_cast<std::size_t>(i)];
        if (after != before)
            std::erase(before, '"');
        Require(after == before, "cell changed on saving", i);
    }
    Require(b.comment == a.comment, "comment changed on saving");
    Require(b.inputMode == a.inputMode.value_or(0) && b.unitSystem == a.unitSystem.value_or(0),
            "integers changed on saving");
    Require(!b.gasketInput, "written file goes on after the end marker");
    // Whatever saving had to change, it changes once.
    const RaceFileContents c = Parse(SerializeRaceFile(b)).contents;
    Require(c.cells == b.cells && c.comment == b.comment, "second save changed the race");
    return 0;
}
