#pragma once

#include "RaceSheet.h"
#include "TextFields.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// First line of every race file.
inline constexpr std::string_view RaceFileMagic = "DNX-LQR*1.20";
// The line that ends the comment.
inline constexpr std::string_view CommentEndMarker = "-9999";

// Longest cell text and comment kept when reading, in bytes of UTF-8 (never
// splitting a character); beyond that the file is read on but the bytes
// are dropped, so no file can exhaust memory.
inline constexpr std::size_t CellTextLimit = 4096;
inline constexpr std::size_t CommentLimit = 1 << 20;

// What a race file holds, apart from the sheet's display state.
struct RaceFileContents
{
    std::array<std::string, CellCount> cells;
    // Line breaks are CR LF.
    std::string comment;
    // Absent when the file ended before them or held a number beyond 16 bits:
    // the values in the program then stay as they were.
    std::optional<std::int16_t> inputMode;
    std::optional<std::int16_t> unitSystem;
    // Only present when the file goes on after the end marker.
    std::optional<std::int16_t> gasketInput;
};

enum class RaceFileReadStatus {
    Read,
    NotARaceFile, // the first field is not the magic text
    CannotOpen,   // missing, unreadable, or not a regular file
};

struct RaceFileReadResult
{
    RaceFileReadStatus status = RaceFileReadStatus::NotARaceFile;
    RaceFileContents contents; // meaningful only when Read
    // A cell text or the comment was longer than the program keeps: the
    // contents hold their beginnings only.
    bool cut = false;
    QString reason; // why it could not be opened
};

// Reads a race file. A file that ends early is not an error: cells it no
// longer reaches are empty, the comment is what was there.
RaceFileReadResult ParseRaceFile(FieldReader &reader);
RaceFileReadResult ReadRaceFile(const QString &path);

// The file's bytes: CR LF line ends, UTF-8. Cell texts the field rule would
// split or strip (a comma, a leading blank or double quote) are quoted; a
// text that needs quoting and holds a double quote loses its double quotes,
// since the format cannot hold them there, so no other cell ever shifts. A
// comment line that reads like the end marker gets a blank after it, so
// that nothing after it is lost.
std::string SerializeRaceFile(const RaceFileContents &contents);

// Comment line breaks of any kind become CR LF.
std::string NormaliseLineBreaks(std::string_view text);

} // namespace quorvel
