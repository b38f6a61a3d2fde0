#pragma once

#include <QString>

#include <string>

namespace quorvel {

// Paths go to and from the file system in its own encoding, bytes that need
// not be UTF-8 (a folder named in Latin-1 by an older system). Qt's own
// conversion turns such bytes into U+FFFD and loses them, so every path that
// goes from the file system into a QString and back takes this one: valid
// UTF-8 reads as text, and each byte that is not part of it is kept as the
// lone surrogate U+DC80 + byte, which no text ever holds, and given back as
// that byte. Such a name shows with stand-ins for its odd bytes.
[[nodiscard]] QString FromSystemPath(const std::string &path);
[[nodiscard]] std::string ToSystemPath(const QString &path);

} // namespace quorvel
