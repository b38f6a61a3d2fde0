#include "SystemPath.h"

#include <string_view>

namespace quorvel {
namespace {

constexpr char16_t EscapedByteBase = 0xDC00;

// Length of the valid UTF-8 sequence starting at i, or 0.
std::size_t sequenceLength(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high; // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (i + length > s.size() || byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    }
    return length;
}

void appendUtf8(std::string &bytes, char32_t c)
{
    if (c < 0x80) {
        bytes.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        bytes.push_back(static_cast<char>(0xC0 | (c >> 6)));
        bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        bytes.push_back(static_cast<char>(0xE0 | (c >> 12)));
        bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        bytes.push_back(static_cast<char>(0xF0 | (c >> 18)));
        bytes.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        bytes.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

QString FromSystemPath(const std::string &path)
{
    QString text;
    text.reserve(static_cast<qsizetype>(path.size()));
    for (std::size_t i = 0; i < path.size();) {
        const std::size_t length = sequenceLength(path, i);
        if (length == 0) {
            text.append(QChar(EscapedByteBase + static_cast<unsigned char>(path[i])));
            ++i;
            continue;
        }
        text.append(QString::fromUtf8(path.data() + i, static_cast<qsizetype>(length)));
        i += length;
    }
    return text;
}

std::string ToSystemPath(const QString &path)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(path.size()));
    for (qsizetype i = 0; i < path.size(); ++i) {
        const char16_t unit = path.at(i).unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < path.size() &&
            QChar::isLowSurrogate(path.at(i + 1).unicode())) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, path.at(i + 1).unicode()));
            ++i;
        } else if (unit >= EscapedByteBase + 0x80 && unit <= EscapedByteBase + 0xFF) {
            bytes.push_back(static_cast<char>(unit - EscapedByteBase));
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(bytes, QChar::ReplacementCharacter);
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

} // namespace quorvel
