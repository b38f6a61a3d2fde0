#pragma once

#include <string_view>

namespace quorvel {

// The number a cell's text stands for. Blanks (spaces, tabs, line feeds) are
// ignored wherever they stand; then an optional sign, digits with at most one
// full stop and an optional exponent (E, optional sign, digits) are read up to
// the first character that does not fit. No digit at all gives 0, and so does
// a value beyond the range of a double: a crew never sees "inf" come out of a
// mistyped exponent.
[[nodiscard]] double CellNumber(std::string_view text);

} // namespace quorvel
