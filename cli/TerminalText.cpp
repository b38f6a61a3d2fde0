#include "TerminalText.h"

#include "TextFields.h"

#include <array>
#include <cstdio>

namespace quorvel {
namespace {

std::size_t characterLength(unsigned char lead)
{
    return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
}

std::string shownCharacter(std::string_view character)
{
    const auto lead = static_cast<unsigned char>(character[0]);
    const auto next = character.size() > 1 ? static_cast<unsigned char>(character[1]) : 0;
    std::array<char, 8> code{};
    if (lead < 0x20 || lead == 0x7F)
        std::snprintf(code.data(), code.size(), "\\x%02x", lead);
    else if (lead == 0xC2 && next >= 0x80 && next < 0xA0) // U+0080 to U+009F
        std::snprintf(code.data(), code.size(), "\\u%04x", next);
    else
        return std::string(character);
    return code.data();
}

// Calls shown with each character of text as the terminal is to show it.
template <class Shown> void forEachShown(std::string_view text, Shown shown)
{
    while (!text.empty()) {
        const std::size_t length =
            std::min(characterLength(static_cast<unsigned char>(text[0])), text.size());
        shown(shownCharacter(text.substr(0, length)));
        text.remove_prefix(length);
    }
}

} // namespace

std::string DecodeName(std::string_view bytes)
{
    std::string name;
    while (!bytes.empty()) {
        const std::size_t length =
            std::min(characterLength(static_cast<unsigned char>(bytes[0])), bytes.size());
        const auto byte = static_cast<unsigned char>(bytes[0]);
        if (length > 1 && IsValidUtf8(bytes.substr(0, length))) {
            name += bytes.substr(0, length);
            bytes.remove_prefix(length);
            continue;
        }
        if (byte < 0x80) {
            name += static_cast<char>(byte);
        } else {
            name += static_cast<char>(0xC0 | byte >> 6);
            name += static_cast<char>(0x80 | (byte & 0x3F));
        }
        bytes.remove_prefix(1);
    }
    return name;
}

std::size_t TerminalWidth(std::string_view text)
{
    std::size_t width = 0;
    for (const char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

std::string TerminalText(std::string_view text)
{
    std::string shown;
    forEachShown(text, [&shown](const std::string &character) { shown += character; });
    return shown;
}

std::string FittedTerminalText(std::string_view text, std::size_t width)
{
    std::string whole = TerminalText(text);
    if (TerminalWidth(whole) <= width)
        return whole;
    std::string cut;
    std::size_t used = 0;
    bool full = false;
    forEachShown(text, [&](const std::string &character) {
        full = full || used + TerminalWidth(character) + 1 > width;
        if (!full) {
            cut += character;
            used += TerminalWidth(character);
        }
    });
    return cut + "~";
}

} // namespace quorvel
