#pragma once

#include <string>

namespace quorvel {

// The three patterns results are written with. The value is first taken to
// 15 significant digits and then to the pattern's decimals, halves away from
// zero each time, so 2.675 shows as 2.68 the way a crew works it on paper.
enum class NumberFormat {
    TwoDecimals,              // "###0.00": 0.00, 4.57, 123.50
    OneDecimal,               // "###0.0":  0.0, 87.3, -3.0
    TwoDecimalsNoLeadingZero, // "####.00": .00, .46, 2.46
};

// A value that is not finite gives the empty text: a result that cannot be
// worked out is shown blank. A value that rounds to zero carries no minus sign.
[[nodiscard]] std::string FormatNumber(double value, NumberFormat format);

} // namespace quorvel
