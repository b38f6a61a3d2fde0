// Every cell a crew types goes through CellNumber, and every result they read
// comes out of FormatNumber. Both are hand-written for speed, so each is
// checked here against a slow, independent way of getting the same answer.

#include "CellNumber.h"
#include "NumberFormat.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace quorvel;

constexpr std::array<NumberFormat, 3> Formats = {
    NumberFormat::TwoDecimals, NumberFormat::OneDecimal, NumberFormat::TwoDecimalsNoLeadingZero};

[[noreturn]] void Fail(const char *what, double value, NumberFormat format, std::string_view got,
                       std::string_view expected)
{
    std::fprintf(stderr, "number check failed: %s\n  value %.17g (%a), format %d\n", what, value,
                 value, static_cast<int>(format));
    std::fprintf(stderr, "  got      \"%.*s\"\n  expected \"%.*s\"\n", static_cast<int>(got.size()),
                 got.data(), static_cast<int>(expected.size()), expected.data());
    std::abort();
}

[[noreturn]] void FailReading(const char *what, std::string_view text, double got, double expected)
{
    std::fprintf(stderr, "number check failed: %s\n  text \"%.*s\"\n  got %.17g, expected %.17g\n",
                 what, static_cast<int>(text.size()), text.data(), got, expected);
    std::abort();
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The number the text stands for, by the C library: blanks taken out, the
// longest prefix of the form [sign] digits [. digits] [E [sign] digits] with
// at least one mantissa digit handed to strtod. Nothing else of strtod's
// (hex, "inf", "nan") can get through.
double ReferenceCellNumber(std::string_view text)
{
    std::string squeezed;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            squeezed.push_back(c);
    }
    std::size_t i = 0;
    if (i < squeezed.size() && (squeezed[i] == '+' || squeezed[i] == '-'))
        ++i;
    bool anyDigit = false;
    while (i < squeezed.size() && IsDigit(squeezed[i])) {
        anyDigit = true;
        ++i;
    }
    if (i < squeezed.size() && squeezed[i] == '.') {
        ++i;
        while (i < squeezed.size() && IsDigit(squeezed[i])) {
            anyDigit = true;
            ++i;
        }
    }
    if (!anyDigit)
        return 0.0;
    if (i < squeezed.size() && (squeezed[i] == 'e' || squeezed[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < squeezed.size() && (squeezed[j] == '+' || squeezed[j] == '-'))
            ++j;
        if (j < squeezed.size() && IsDigit(squeezed[j])) {
            while (j < squeezed.size() && IsDigit(squeezed[j]))
                ++j;
            i = j;
        }
    }
    squeezed.resize(i);
    return std::strtod(squeezed.c_str(), nullptr);
}

void CheckCellNumber(std::string_view text)
{
    const double value = CellNumber(text);
    const double reference = ReferenceCellNumber(text);
    if (!std::isfinite(value))
        FailReading("CellNumber gave a value that is not finite", text, value, reference);
    if (std::isinf(reference)) {
        if (value != 0.0)
            FailReading("CellNumber beyond the range of a double is not 0", text, value, 0.0);
        return;
    }
    // Subnormals included: strtod rounds them correctly too.
    if (value != reference)
        FailReading("CellNumber differs from strtod", text, value, reference);
}

// The leading digits of |value| exactly, without rounding, and the decimal
// exponent of the first. printf writes the exact expansion when given enough
// digits, and a double never has more than 767 significant ones; 41 digits
// are enough unless rounding them carried into the first 16, which shows as
// zeros from the 17th on.
struct Expansion
{
    std::string digits;
    int exponent = 0;
};

Expansion Expand(double magnitude)
{
    std::array<char, 820> text{};
    Expansion e;
    for (const int precision : {40, 780}) {
        std::snprintf(text.data(), text.size(), "%.*e", precision, magnitude);
        // d.ddd...de±x
        e.digits.assign(1, text[0]);
        const char *p = text.data() + 2;
        for (; *p != 'e'; ++p)
            e.digits.push_back(*p);
        e.exponent = std::atoi(p + 1);
        if (e.digits.find_first_not_of('0', 16) != std::string::npos)
            break;
    }
    return e;
}

// The pattern's text worked out on those digits: rounded to 15 significant
// digits, then to the pattern's decimals, halves away from zero each time.
std::string ExactFormat(double value, const Expansion &expansion, NumberFormat format)
{
    if (!std::isfinite(value))
        return {};
    const std::size_t decimals = format == NumberFormat::OneDecimal ? 1 : 2;
    const std::string &digits = expansion.digits;
    int exponent = expansion.exponent;

    std::uint64_t fifteen = 0;
    for (std::size_t i = 0; i < 15; ++i)
        fifteen = fifteen * 10 + static_cast<std::uint64_t>(digits[i] - '0');
    if (digits[15] >= '5')
        ++fifteen;
    if (fifteen == 1'000'000'000'000'000ULL) {
        fifteen /= 10;
        ++exponent;
    }
    // value = fifteen * 10^(exponent - 14); scaled = value * 10^decimals.
    const int shift = exponent - 14 + static_cast<int>(decimals);
    std::string scaled;
    if (shift >= 0) {
        scaled = std::to_string(fifteen) + std::string(static_cast<std::size_t>(shift), '0');
    } else if (-shift > 18) {
        scaled = "0";
    } else {
        std::uint64_t power = 1;
        for (int k = 0; k < -shift; ++k)
            power *= 10;
        std::uint64_t q = fifteen / power;
        if ((fifteen % power) * 2 >= power)
            ++q;
        scaled = std::to_string(q);
    }
    const bool zero = scaled.find_first_not_of('0') == std::string::npos;
    if (scaled.size() < decimals + 1)
        scaled.insert(0, decimals + 1 - scaled.size(), '0');
    std::string whole = scaled.substr(0, scaled.size() - decimals);
    if (zero)
        whole = "0";
    if (whole == "0" && format == NumberFormat::TwoDecimalsNoLeadingZero)
        whole.clear();
    std::string result = std::signbit(value) && !zero ? "-" : "";
    result += whole;
    result += '.';
    result += scaled.substr(scaled.size() - decimals);
    return result;
}

void CheckFormats(double value)
{
    const Expansion expansion = std::isfinite(value) ? Expand(std::fabs(value)) : Expansion{};
    for (const NumberFormat format : Formats) {
        FormattedNumber fast{};
        FormattedNumber slow{};
        const std::size_t fastLength = FormatNumber(value, format, fast);
        const std::size_t slowLength = FormatNumberByDecimalText(value, format, slow);
        if (fastLength > fast.size() || slowLength > slow.size())
            Fail("formatted length beyond the buffer", value, format, "", "");
        const std::string_view fastText(fast.data(), fastLength);
        const std::string_view slowText(slow.data(), slowLength);
        if (fastText != slowText)
            Fail("FormatNumber differs from FormatNumberByDecimalText", value, format, fastText,
                 slowText);
        const std::string exact = ExactFormat(value, expansion, format);
        if (fastText != exact)
            Fail("FormatNumber differs from the exact expansion", value, format, fastText, exact);
        if (FormatNumber(value, format) != exact)
            Fail("FormatNumber's string form differs", value, format, FormatNumber(value, format),
                 exact);
    }

    // What is shown reads back as the value, give or take the two roundings:
    // half a unit in the 15th significant digit (at most 5e-15 of the value)
    // and half a hundredth. The last term covers the double arithmetic.
    const double magnitude = std::fabs(value);
    if (std::isfinite(value) && magnitude < 1e15) {
        const std::string shown = FormatNumber(value, NumberFormat::TwoDecimals);
        const double back = CellNumber(shown);
        const double tolerance = 0.005 + 5e-15 * magnitude + 1e-15 * (magnitude + 1.0);
        if (!(std::fabs(back - value) <= tolerance))
            Fail("shown value does not read back", value, NumberFormat::TwoDecimals, shown, "");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    CheckCellNumber(text);

    // Values typed as text, and their neighbours: a value typed as 2.675 is
    // only next to the half, and the doubles either side of it are where the
    // formatter's half-way decisions are made.
    const double value = CellNumber(text);
    CheckFormats(value);
    CheckFormats(std::nextafter(value, HUGE_VAL));
    CheckFormats(std::nextafter(value, -HUGE_VAL));

    // Any bit pattern at all, infinities and NaNs included.
    if (size >= sizeof(double)) {
        double raw = 0.0;
        std::memcpy(&raw, data, sizeof raw);
        CheckFormats(raw);
    }
    return 0;
}
