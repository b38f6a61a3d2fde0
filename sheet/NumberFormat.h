#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// The three patterns results are written with. The value is first taken to
// 15 significant digits and then to the pattern's decimals, halves away from
// zero each time, so 2.675 shows as 2.68 the way a crew works it on paper.
enum class NumberFormat {
    TwoDecimals,              // "###0.00": 0.00, 4.57, 123.50
    OneDecimal,               // "###0.0":  0.0, 87.3, -3.0
    TwoDecimalsNoLeadingZero, // "####.00": .00, .46, 2.46
};

// Large enough for the longest finite double written with two decimals.
inline constexpr std::size_t FormattedNumberCapacity = 400;
using FormattedNumber = std::array<char, FormattedNumberCapacity>;

// Writes value into out and returns the length. A value that is not finite
// gives the empty text: a result that cannot be worked out is shown blank.
// A value that rounds to zero carries no minus sign.
std::size_t FormatNumber(double value, NumberFormat format, FormattedNumber &out) noexcept;

[[nodiscard]] std::string FormatNumber(double value, NumberFormat format);

// The same result taken by the long way round: the value printed with 41
// significant digits and rounded as decimal text. Kept for checking the fast
// path and for the values it does not cover.
std::size_t FormatNumberByDecimalText(double value, NumberFormat format,
                                      FormattedNumber &out) noexcept;

} // namespace quorvel
