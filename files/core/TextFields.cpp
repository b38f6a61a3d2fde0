#include "TextFields.h"

#include "CellNumber.h"

#include <cmath>
#include <limits>

#include <QFileInfo>
#include <QString>
#include <QStringDecoder>

namespace quorvel {
namespace {

bool isFieldBlank(int c)
{
    return c == ' ' || c == '\t';
}

bool isLineEnd(int c)
{
    return c == '\r' || c == '\n';
}

} // namespace

QString OpenRegularFile(QFile &file)
{
    const QFileInfo info(file.fileName());
    if (info.exists() && !info.isFile())
        return info.isDir() ? QStringLiteral("Is a directory")
                            : QStringLiteral("Not a regular file");
    return file.open(QIODevice::ReadOnly) ? QString() : file.errorString();
}

bool IsValidUtf8(std::string_view bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    [[maybe_unused]] const QString decoded = utf8(QByteArrayView(bytes));
    return !utf8.hasError();
}

bool CutWithin(std::string &text, std::size_t limit)
{
    if (text.size() <= limit)
        return false;
    // Back off to the start of a character.
    while (limit > 0 && (static_cast<unsigned char>(text[limit]) & 0xC0) == 0x80)
        --limit;
    text.resize(limit);
    return true;
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
    return (value < 0 ? "" : " ") + std::to_string(value) + ' ' + std::string(LineEnd);
}

int FieldReader::peek()
{
    if (at_ == part_.size() && device_) {
        part_ = device_->read(64 * 1024);
        at_ = 0;
    }
    return at_ < part_.size() ? static_cast<unsigned char>(part_[at_]) : -1;
}

int FieldReader::take()
{
    const int c = peek();
    at_ += c < 0 ? 0 : 1;
    return c;
}

void FieldReader::passLine(int stop)
{
    for (int c = take(); c >= 0 && c != stop; c = take()) {
        if (c == '\r' && peek() == '\n')
            take();
        if (isLineEnd(c))
            return;
    }
}

std::string FieldReader::readText(std::size_t limit, int stop)
{
    std::string raw;
    bool cut = false;
    for (int c = peek(); c >= 0 && !isLineEnd(c) && c != stop; c = peek()) {
        take();
        // A cut text may end inside a character: room for the rest of it.
        if (raw.size() < limit + 3)
            raw.push_back(static_cast<char>(c));
        else
            cut = true;
    }
    // A decoder that keeps its state leaves a cut character out, not taking
    // it for a fault; the start of an initial byte order mark is kept.
    using Flag = QStringConverter::Flag;
    QStringDecoder utf8(QStringConverter::Utf8,
                        cut ? Flag::ConvertInitialBom : Flag::Stateless | Flag::ConvertInitialBom);
    QString decoded = utf8(QByteArrayView(raw));
    // Latin-1 is what older tools wrote.
    if (utf8.hasError())
        decoded = QString::fromLatin1(raw.data(), static_cast<qsizetype>(raw.size()));
    std::string text = decoded.toStdString();
    cutText_ = CutWithin(text, limit) || cut || cutText_;
    return text;
}

std::string FieldReader::readField(std::size_t limit)
{
    while (isFieldBlank(peek()))
        take();
    const bool quoted = peek() == '"';
    if (quoted)
        take();
    std::string text = readText(limit, quoted ? '"' : ',');
    passLine(',');
    return text;
}

std::optional<std::int16_t> FieldReader::readIntegerField()
{
    if (atEnd())
        return std::nullopt;
    // A number needs few characters; a longer field is still read to its
    // end, and is no text of the crew's that could be lost.
    const bool cutBefore = cutText_;
    const std::optional<std::int16_t> value = ToInteger16(CellNumber(readField(64)));
    cutText_ = cutBefore;
    return value;
}

std::optional<std::string> FieldReader::readLine(std::size_t limit)
{
    if (atEnd())
        return std::nullopt;
    std::string text = readText(limit, -1);
    passLine(-1);
    return text;
}

std::string FieldReader::readBytes(std::size_t count)
{
    std::string bytes;
    while (bytes.size() < count && !atEnd())
        bytes.push_back(static_cast<char>(take()));
    return bytes;
}

void FieldReader::skipNumbers(int count)
{
    for (int number = 0; number < count; ++number) {
        while (isFieldBlank(peek()) || isLineEnd(peek()))
            take();
        while (peek() >= 0 && peek() != ',' && !isFieldBlank(peek()) && !isLineEnd(peek()))
            take();
        while (isFieldBlank(peek()))
            take();
        if (peek() == ',')
            take();
    }
    passLine(-1);
}

} // namespace quorvel
