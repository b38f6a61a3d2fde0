#include "NumberFormat.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace quorvel {
namespace {

__extension__ using u128 = unsigned __int128;

constexpr int SignificantDigits = 15;
constexpr std::uint64_t SmallestFifteenDigits = 100'000'000'000'000ULL; // 10^14
constexpr std::uint64_t FifteenDigitsLimit = 1'000'000'000'000'000ULL;  // 10^15

constexpr std::array<std::uint64_t, 20> PowersOfTen = [] {
    std::array<std::uint64_t, 20> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}();

constexpr std::array<u128, 39> PowersOfTen128 = [] {
    std::array<u128, 39> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}();

u128 powerOfTen128(int n)
{
    return PowersOfTen128[static_cast<std::size_t>(n)];
}

int decimalsOf(NumberFormat format)
{
    return format == NumberFormat::OneDecimal ? 1 : 2;
}

// A value held as digits * 10^-shift, with digits having exactly 15
// significant digits (or being 0).
struct FifteenDigits
{
    std::uint64_t digits = 0;
    int shift = 0;
};

// Rounds to the pattern's decimals and writes the text.
std::size_t writeRounded(const FifteenDigits &v, bool negative, NumberFormat format,
                         FormattedNumber &out)
{
    const int decimals = decimalsOf(format);
    // Digits of the final value, as value * 10^decimals.
    // Filled before it is read; not cleared, as that cost more than the rest.
    std::array<char, FormattedNumberCapacity> digits;
    std::size_t count = 0;
    const int drop = v.shift - decimals;
    if (drop > 0) {
        std::uint64_t q = 0;
        if (drop <= 15) {
            const std::uint64_t divisor = PowersOfTen[static_cast<std::size_t>(drop)];
            q = v.digits / divisor;
            if (v.digits % divisor >= divisor / 2)
                ++q;
        }
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), q).ptr;
        count = static_cast<std::size_t>(end - digits.data());
    } else {
        const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), v.digits).ptr;
        count = static_cast<std::size_t>(end - digits.data());
        for (int i = 0; i < -drop && count < digits.size(); ++i)
            digits[count++] = '0';
    }
    bool isZero = true;
    for (std::size_t i = 0; i < count; ++i)
        isZero = isZero && digits[i] == '0';
    if (isZero)
        count = 1;

    std::size_t n = 0;
    if (negative && !isZero)
        out[n++] = '-';
    const auto d = static_cast<std::size_t>(decimals);
    if (count > d) {
        for (std::size_t i = 0; i < count - d; ++i)
            out[n++] = digits[i];
    } else if (format != NumberFormat::TwoDecimalsNoLeadingZero) {
        out[n++] = '0';
    }
    out[n++] = '.';
    for (std::size_t i = 0; i < d; ++i) {
        const std::size_t from = count + i;
        // Fewer digits than decimals means leading zeros after the point.
        out[n++] = from < d ? '0' : digits[from - d];
    }
    return n;
}

// Exact digits of |value| * 10^shift, rounded half up, for the shifts where
// the product fits 128 bits. Returns false when it does not.
bool scaledRounded(std::uint64_t mantissa, int binaryExponent, int shift, std::uint64_t &result)
{
    if (shift >= 0) {
        if (shift > 22)
            return false;
        const u128 product = static_cast<u128>(mantissa) * powerOfTen128(shift);
        if (binaryExponent >= 0) {
            if (binaryExponent > 10)
                return false;
            const u128 shifted = product << binaryExponent;
            if (shifted >= FifteenDigitsLimit * 10)
                return false;
            result = static_cast<std::uint64_t>(shifted);
            return true;
        }
        const int s = -binaryExponent;
        if (s >= 127)
            return false;
        u128 q = product >> s;
        const u128 rest = product & ((static_cast<u128>(1) << s) - 1);
        if (rest >= (static_cast<u128>(1) << (s - 1)))
            ++q;
        if (q >= FifteenDigitsLimit * 10)
            return false;
        result = static_cast<std::uint64_t>(q);
        return true;
    }
    const int down = -shift;
    if (down > 24 || binaryExponent > 60 || binaryExponent < -60)
        return false;
    u128 numerator = mantissa;
    u128 divisor = powerOfTen128(down);
    if (binaryExponent >= 0)
        numerator <<= binaryExponent;
    else
        divisor <<= -binaryExponent;
    u128 q = numerator / divisor;
    if (numerator % divisor >= divisor - divisor / 2)
        ++q;
    if (q >= FifteenDigitsLimit * 10)
        return false;
    result = static_cast<std::uint64_t>(q);
    return true;
}

constexpr std::array<double, 23> PowersOfTenDouble = {
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

} // namespace

std::size_t FormatNumber(double value, NumberFormat format, FormattedNumber &out) noexcept
{
    if (!std::isfinite(value))
        return 0;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    // Below a thousandth nothing survives two decimals, however it rounds.
    if (magnitude < 1e-3)
        return writeRounded({}, negative, format, out);
    if (magnitude >= 1e22)
        return FormatNumberByDecimalText(value, format, out);

    // Decimal exponent of the leading digit, from the table; it may be one
    // too high next to a power of ten, which the loop below corrects.
    int leading = 0;
    if (magnitude >= 1.0) {
        while (leading < 22 &&
               magnitude >= PowersOfTenDouble[static_cast<std::size_t>(leading + 1)])
            ++leading;
    } else {
        leading = -1;
        while (leading > -3 &&
               magnitude < 1.0 / PowersOfTenDouble[static_cast<std::size_t>(-leading)])
            --leading;
    }

    int binaryExponent = 0;
    const double fraction = std::frexp(magnitude, &binaryExponent);
    const auto mantissa = static_cast<std::uint64_t>(std::ldexp(fraction, 53));
    binaryExponent -= 53;

    for (int attempt = 0; attempt < 3; ++attempt) {
        const int shift = SignificantDigits - 1 - leading;
        std::uint64_t digits = 0;
        if (!scaledRounded(mantissa, binaryExponent, shift, digits))
            break;
        if (digits < SmallestFifteenDigits) {
            --leading;
            continue;
        }
        if (digits >= FifteenDigitsLimit) {
            // Either the estimate was one too low or 99...95 rounded up to
            // the next power of ten; both are fixed by one more digit up.
            if (digits == FifteenDigitsLimit)
                return writeRounded({SmallestFifteenDigits, shift - 1}, negative, format, out);
            ++leading;
            continue;
        }
        return writeRounded({digits, shift}, negative, format, out);
    }
    return FormatNumberByDecimalText(value, format, out);
}

std::size_t FormatNumberByDecimalText(double value, NumberFormat format,
                                      FormattedNumber &out) noexcept
{
    if (!std::isfinite(value))
        return 0;
    const bool negative = std::signbit(value);
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0)
        return writeRounded({}, negative, format, out);

    // d.ddd...e±x with 41 significant digits: enough to tell an exact half
    // from a value just beside it.
    std::array<char, 64> text{};
    const auto end = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                   std::chars_format::scientific, 40)
                         .ptr;
    std::array<int, 41> digit{};
    std::size_t count = 0;
    const char *p = text.data();
    for (; p < end && *p != 'e'; ++p) {
        if (*p >= '0' && *p <= '9' && count < digit.size())
            digit[count++] = *p - '0';
    }
    int exponent = 0;
    if (p < end)
        std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exponent);

    std::uint64_t digits = 0;
    for (int i = 0; i < SignificantDigits; ++i)
        digits = digits * 10 + static_cast<std::uint64_t>(digit[static_cast<std::size_t>(i)]);
    if (digit[SignificantDigits] >= 5)
        ++digits;
    if (digits >= FifteenDigitsLimit) {
        digits /= 10;
        ++exponent;
    }
    return writeRounded({digits, SignificantDigits - 1 - exponent}, negative, format, out);
}

std::string FormatNumber(double value, NumberFormat format)
{
    FormattedNumber buffer{};
    const std::size_t n = FormatNumber(value, format, buffer);
    return std::string(buffer.data(), n);
}

} // namespace quorvel
