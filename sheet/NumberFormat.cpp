#include "NumberFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace quorvel {
namespace {

constexpr std::uint64_t SmallestFifteenDigits = 100'000'000'000'000; // 10^14

// |value| as digits * 10^(exponent - 14), digits being the first 15
// significant digits of its exact decimal value rounded half up.
struct FifteenDigits
{
    std::uint64_t digits = 0;
    int exponent = 0;
};

// The first `count` significant digits of magnitude, correctly rounded,
// and the power of ten of the first of them. The digits are kept in the
// buffer given.
struct Scientific
{
    std::string_view digits;
    int exponent = 0;
};

template <std::size_t Size>
Scientific scientific(double magnitude, int count, std::array<char, Size> &buffer)
{
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                   std::chars_format::scientific, count - 1)
                         .ptr;
    // "d.ddd...e-xx": the digits with a point after the first, then the
    // exponent, whose sign to_chars always writes. The first digit moves
    // onto the point, so that the digits read on without it.
    const std::string_view text(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    const std::size_t e = text.find('e');
    buffer[1] = buffer[0];
    Scientific result{text.substr(1, e - 1)};
    const std::size_t exponent = text[e + 1] == '+' ? e + 2 : e + 1;
    std::from_chars(text.data() + exponent, text.data() + text.size(), result.exponent);
    return result;
}

FifteenDigits fifteenDigits(double magnitude)
{
    if (magnitude == 0)
        return {};
    std::array<char, 32> buffer;
    const Scientific seventeen = scientific(magnitude, 17, buffer);
    FifteenDigits result;
    result.exponent = seventeen.exponent;
    std::from_chars(seventeen.digits.data(), seventeen.digits.data() + 15, result.digits);

    // The 16th and 17th digits decide, except when they read 50: that may be
    // an exact half, or a value just below one whose 17 digits rounded up.
    // Then the 16th digit of the exact value decides; a double never has more
    // than 767 significant digits.
    const std::string_view beyond = seventeen.digits.substr(15);
    std::array<char, 800> exact;
    const char sixteenth =
        beyond == "50" ? scientific(magnitude, 767, exact).digits[15] : beyond[0];
    if (sixteenth >= '5' && ++result.digits == SmallestFifteenDigits * 10) {
        result.digits = SmallestFifteenDigits;
        ++result.exponent;
    }
    return result;
}

} // namespace

std::string FormatNumber(double value, NumberFormat format)
{
    if (!std::isfinite(value))
        return {};
    const std::size_t decimals = format == NumberFormat::OneDecimal ? 1 : 2;
    const FifteenDigits fifteen = fifteenDigits(std::fabs(value));

    // The digits of the value times 10^decimals, rounded half away from zero
    // to a whole number.
    std::string text;
    const int shift = fifteen.exponent - 14 + static_cast<int>(decimals);
    if (shift >= 0) {
        text = std::to_string(fifteen.digits).append(static_cast<std::size_t>(shift), '0');
    } else if (shift >= -15) {
        std::uint64_t unit = 1;
        for (int i = 0; i < -shift; ++i)
            unit *= 10;
        text = std::to_string(fifteen.digits / unit + (fifteen.digits % unit >= unit / 2 ? 1 : 0));
    } else {
        text = "0"; // less than a tenth of the last decimal
    }

    if (text.size() <= decimals)
        text.insert(0, decimals + 1 - text.size(), '0');
    text.insert(text.size() - decimals, 1, '.');
    if (format == NumberFormat::TwoDecimalsNoLeadingZero && text.starts_with("0."))
        text.erase(0, 1);
    if (std::signbit(value) && text.find_first_not_of("0.") != std::string::npos)
        text.insert(0, 1, '-');
    return text;
}

} // namespace quorvel
