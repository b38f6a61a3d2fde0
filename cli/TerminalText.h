#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// UTF-8 text as a terminal is to show it: each control character as its code
// (\x1b, \u009b), so that no byte read from a race file can move the cursor,
// clear the screen or rewrite what is shown.
[[nodiscard]] std::string TerminalText(std::string_view text);

// The same, cut to at most width characters with "~" marking the cut; a cut
// never falls inside a character or a code.
[[nodiscard]] std::string FittedTerminalText(std::string_view text, std::size_t width);

// A file name's bytes as the crew can read them, as UTF-8: each character
// whose bytes are UTF-8 as it is, every other byte as the Latin-1 character
// it stands for, so a name put together on an old system and a new one reads
// right in both parts.
[[nodiscard]] std::string DecodeName(std::string_view bytes);

// Characters a terminal advances by, one a character.
[[nodiscard]] std::size_t TerminalWidth(std::string_view text);

} // namespace quorvel
