#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <streambuf>
#include <string>
#include <string_view>

namespace quorvel {

// Reads the values of the race and settings files. A field: blanks skipped;
// if it then opens with a double quote it runs to the next double quote on
// that line, otherwise to the next comma or the end of the line; reading goes
// on after the comma or line end that closed it. Lines may end in CR LF, LF or
// a lone CR. Texts come back as UTF-8: bytes that are not valid UTF-8 are
// taken as Latin-1, as older files were written. Nothing read grows beyond
// the limit given, however long the line, so any file can be read safely.
class FieldReader
{
public:
    explicit FieldReader(std::streambuf &source) : source_(source) {}

    [[nodiscard]] bool atEnd() const;
    std::string readField(std::size_t limit);
    // The field's bytes as they stand in the file, for comparing with a
    // fixed text before any decoding.
    struct RawText
    {
        std::string bytes;
        bool cut = false; // longer than the limit
    };
    RawText readRawField(std::size_t limit);
    // An integer field; nullopt when the file has ended or the number does
    // not fit 16 bits. A field without a number gives 0.
    std::optional<std::int16_t> readIntegerField();
    // The rest of the current line; nullopt at the end of the file.
    std::optional<std::string> readLine(std::size_t limit);
    // Passes over count numbers apart by a comma, blanks or line breaks, then
    // over the rest of the line the last one ends on.
    void skipNumbers(int count);
    // Whether a text read so far was longer than its limit and lost its end.
    [[nodiscard]] bool cutText() const { return cutText_; }

private:
    int peek() const;
    int take();
    bool atLineEnd() const;
    void takeLineEnd();
    // Skips to the next comma or line end and past it.
    void finishField();
    std::string decodeWithin(RawText raw, std::size_t limit);

    std::streambuf &source_;
    bool cutText_ = false;
};

// Whether bytes are UTF-8 as the standard has it: no overlong forms, no
// surrogates, nothing beyond U+10FFFF, no character cut short.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

// Valid UTF-8 as it is; anything else read as Latin-1.
[[nodiscard]] std::string DecodeFileText(std::string_view bytes);

// A cut text may end inside a character; the part that is there goes.
inline constexpr std::size_t MaxUtf8Tail = 3;
void DropIncompleteUtf8Tail(std::string &bytes);

// Appends as much of part as fits within limit bytes, never splitting a
// UTF-8 character.
void AppendWithin(std::string &text, std::string_view part, std::size_t limit);

// A 16-bit whole number from a number written as text; halves go to the even
// neighbour. nullopt when it does not fit.
[[nodiscard]] std::optional<std::int16_t> ToInteger16(double value);

// " 2 " or "-3 ": how the files write their integers, line end included.
[[nodiscard]] std::string IntegerLine(std::int16_t value);

inline constexpr std::string_view LineEnd = "\r\n";

} // namespace quorvel
