#pragma once

#include <QByteArray>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// Reads the values of the race and settings files. A field: blanks skipped;
// if it then opens with a double quote it runs to the next double quote on
// that line, otherwise to the next comma or the end of the line; reading goes
// on after the comma or line end that closed it. Lines may end in CR LF, LF or
// a lone CR. Texts come back as UTF-8: bytes that are not valid UTF-8 are
// taken as Latin-1, as older files were written. Nothing read grows beyond
// the limit given (in bytes of UTF-8, never splitting a character), however
// long the line, so any file can be read safely.
class FieldReader
{
public:
    // Reads the device as far as asked, a part at a time.
    explicit FieldReader(QIODevice &device) : device_(&device) {}
    explicit FieldReader(QByteArray bytes) : part_(std::move(bytes)) {}

    [[nodiscard]] bool atEnd() { return peek() < 0; }
    std::string readField(std::size_t limit);
    // An integer field; nullopt when the file has ended or the number does
    // not fit 16 bits. A field without a number gives 0.
    std::optional<std::int16_t> readIntegerField();
    // The rest of the current line; nullopt at the end of the file.
    std::optional<std::string> readLine(std::size_t limit);
    // The next bytes as they stand, at most count of them.
    std::string readBytes(std::size_t count);
    // Passes over count numbers apart by a comma, blanks or line breaks, then
    // over the rest of the line the last one ends on.
    void skipNumbers(int count);
    // Whether a text read so far was longer than its limit and lost its end.
    [[nodiscard]] bool cutText() const { return cutText_; }

private:
    int peek();
    int take();
    // Passes over the rest of the line and its end, or only up to and past
    // stop where that comes first.
    void passLine(int stop);
    // The text up to stop or the line end, decoded, within limit.
    std::string readText(std::size_t limit, int stop);

    QIODevice *device_ = nullptr;
    QByteArray part_;
    qsizetype at_ = 0;
    bool cutText_ = false;
};

// Opens file for reading if it is a regular file. Anything else (a FIFO, a
// device, a folder) is refused without being opened: opening a FIFO waits
// for a writer, and a device such as /dev/zero never ends. Returns why it
// could not be opened; empty when it is open.
[[nodiscard]] QString OpenRegularFile(QFile &file);

// Whether bytes are UTF-8 as the standard has it: no overlong forms, no
// surrogates, nothing beyond U+10FFFF, no character cut short.
[[nodiscard]] bool IsValidUtf8(std::string_view bytes);

// Cuts text to at most limit bytes, never splitting a UTF-8 character;
// whether anything went.
bool CutWithin(std::string &text, std::size_t limit);

// A 16-bit whole number from a number written as text; halves go to the even
// neighbour. nullopt when it does not fit.
[[nodiscard]] std::optional<std::int16_t> ToInteger16(double value);

// " 2 " or "-3 ": how the files write their integers, line end included.
[[nodiscard]] std::string IntegerLine(std::int16_t value);

inline constexpr std::string_view LineEnd = "\r\n";

} // namespace quorvel
