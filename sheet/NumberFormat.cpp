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

// The first `count` significant digits of magnitude, correctly rounded, as
// "d.ddd...e±x".
template <std::size_t Size>
std::string_view scientific(double magnitude, int count, std::array<char, Size> &buffer)
{
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                   std::chars_format::scientific, count - 1)
                         .ptr;
    return {buffer.data(), static_cast<std::size_t>(end - buffer.data())};
}

FifteenDigits fifteenDigits(double magnitude)
{
    if (magnitude == 0)
        return {};
    std::array<char, 32> buffer;
    const std::string_view text = scientific(magnitude, 17, buffer);
    // "d.dddddddddddddddde-xx": the first digit, the point, sixteen digits.
    FifteenDigits result;
    for (const char c : text.substr(0, 16)) {
        if (c != '.')
            result.digits = result.digits * 10 + static_cast<std::uint64_t>(c - '0');
    }
    // Then "e", the exponent's sign and its digits.
    std::from_chars(text.data() + 20, text.data() + text.size(), result.exponent);
    if (text[19] == '-')
        result.exponent = -result.exponent;

    // The 16th and 17th digits decide, except when they read 50: that may be
    // an exact half, or a value just below one whose 17 digits rounded up.
    // Then the 16th digit of the exact value decides; a double never has more
    // than 767 significant digits.
    char sixteenth = text[16];
    if (text[16] == '5' && text[17] == '0') {
        std::array<char, 800> exact;
        sixteenth = scientific(magnitude, 767, exact)[16];
    }
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
