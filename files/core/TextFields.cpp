#include "TextFields.h"

#include "CellNumber.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QString>
#include <QStringDecoder>

namespace quorvel {
namespace {

constexpr int EndOfFile = std::char_traits<char>::eof();

bool isFieldBlank(int c)
{
    return c == ' ' || c == '\t';
}

} // namespace

bool IsValidUtf8(std::string_view bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    [[maybe_unused]] const QString decoded =
        utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    return !utf8.hasError();
}

std::string DecodeFileText(std::string_view bytes)
{
    // Latin-1 is what older tools wrote.
    if (IsValidUtf8(bytes))
        return std::string(bytes);
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size())).toStdString();
}

void DropIncompleteUtf8Tail(std::string &bytes)
{
    // Look back over at most the three bytes a character can still need.
    for (std::size_t back = 1; back <= std::min<std::size_t>(MaxUtf8Tail, bytes.size()); ++back) {
        const std::size_t at = bytes.size() - back;
        const auto byte = static_cast<unsigned char>(bytes[at]);
        if ((byte & 0xC0) == 0x80)
            continue; // a continuation byte: the lead lies further back
        const std::size_t needed = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        if (needed > back)
            bytes.resize(at);
        return;
    }
}

void AppendWithin(std::string &text, std::string_view part, std::size_t limit)
{
    const std::size_t room = limit - std::min(limit, text.size());
    std::size_t take = std::min(room, part.size());
    // Back off to the start of a character.
    if (take < part.size()) {
        while (take > 0 && (static_cast<unsigned char>(part[take]) & 0xC0) == 0x80)
            --take;
    }
    text.append(part.substr(0, take));
}

std::optional<std::int16_t> ToInteger16(double value)
{
    const double whole = std::nearbyint(value);
    if (!(whole >= std::numeric_limits<std::int16_t>::min() &&
          whole <= std::numeric_limits<std::int16_t>::max()))
        return std::nullopt;
    return static_cast<std::int16_t>(whole);
}

std::string IntegerLine(std::int16_t value)
{
    std::string line = value < 0 ? "" : " ";
    line += std::to_string(value);
    line += ' ';
    line += LineEnd;
    return line;
}

int FieldReader::peek() const
{
    return source_.sgetc();
}

int FieldReader::take()
{
    return source_.sbumpc();
}

bool FieldReader::atEnd() const
{
    return peek() == EndOfFile;
}

bool FieldReader::atLineEnd() const
{
    const int c = peek();
    return c == '\r' || c == '\n';
}

void FieldReader::takeLineEnd()
{
    if (take() == '\r' && peek() == '\n')
        take();
}

void FieldReader::finishField()
{
    for (;;) {
        const int c = peek();
        if (c == EndOfFile)
            return;
        if (c == ',') {
            take();
            return;
        }
        if (c == '\r' || c == '\n') {
            takeLineEnd();
            return;
        }
        take();
    }
}

FieldReader::RawText FieldReader::readRawField(std::size_t limit)
{
    while (isFieldBlank(peek()))
        take();
    RawText raw;
    const auto keep = [&](int c) {
        if (raw.bytes.size() < limit)
            raw.bytes.push_back(static_cast<char>(c));
        else
            raw.cut = true;
        take();
    };
    if (peek() == '"') {
        take();
        for (int c = peek(); c != EndOfFile && c != '"' && c != '\r' && c != '\n'; c = peek())
            keep(c);
        if (peek() == '"')
            take();
    } else {
        for (int c = peek(); c != EndOfFile && c != ',' && c != '\r' && c != '\n'; c = peek())
            keep(c);
    }
    finishField();
    return raw;
}

std::string FieldReader::readField(std::size_t limit)
{
    return decodeWithin(readRawField(limit + MaxUtf8Tail), limit);
}

std::string FieldReader::decodeWithin(RawText raw, std::size_t limit)
{
    if (raw.cut)
        DropIncompleteUtf8Tail(raw.bytes);
    const std::string decoded = DecodeFileText(raw.bytes);
    std::string text;
    AppendWithin(text, decoded, limit);
    cutText_ = cutText_ || raw.cut || text.size() < decoded.size();
    return text;
}

std::optional<std::int16_t> FieldReader::readIntegerField()
{
    if (atEnd())
        return std::nullopt;
    // A number needs few characters; a longer field is still read to its end.
    constexpr std::size_t IntegerFieldLimit = 64;
    // A number that long is no text of the crew's that could be lost.
    const bool cutBefore = cutText_;
    const std::optional<std::int16_t> value = ToInteger16(CellNumber(readField(IntegerFieldLimit)));
    cutText_ = cutBefore;
    return value;
}

std::optional<std::string> FieldReader::readLine(std::size_t limit)
{
    if (atEnd())
        return std::nullopt;
    RawText raw;
    while (!atEnd() && !atLineEnd()) {
        const int c = take();
        if (raw.bytes.size() < limit + MaxUtf8Tail)
            raw.bytes.push_back(static_cast<char>(c));
        else
            raw.cut = true;
    }
    if (atLineEnd())
        takeLineEnd();
    return decodeWithin(std::move(raw), limit);
}

void FieldReader::skipNumbers(int count)
{
    for (int number = 0; number < count; ++number) {
        while (isFieldBlank(peek()) || atLineEnd())
            take();
        while (!atEnd() && peek() != ',' && !isFieldBlank(peek()) && !atLineEnd())
            take();
        while (isFieldBlank(peek()))
            take();
        if (peek() == ',')
            take();
    }
    while (!atEnd() && !atLineEnd())
        take();
    if (atLineEnd())
        takeLineEnd();
}

} // namespace quorvel
