// Every cell a crew types goes through CellNumber, and every result they read
// comes out of FormatNumber. Each is checked here against the C library and
// plain decimal text arithmetic, written without a look at how they work.

#include "CellNumber.h"
#include "NumberFormat.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace quorvel;

[[noreturn]] void Fail(const char *what, const std::string &input, const std::string &got,
                       const std::string &expected)
{
    std::fprintf(stderr,
                 "number check failed: %s\n  input    %s\n  got      \"%s\"\n"
                 "  expected \"%s\"\n",
                 what, input.c_str(), got.c_str(), expected.c_str());
    std::abort();
}

// The rule read by strtod, on the text with its blanks taken out. strtod
// also reads other white space first, hex, "inf" and "nan": for those the
// rule gives 0, or the hex number's leading 0.
double ReferenceCellNumber(std::string_view text)
{
    std::string s;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            s.push_back(c);
    }
    if (s.empty() || std::string_view("+-.0123456789").find(s[0]) == std::string_view::npos)
        return 0.0;
    const std::size_t first = s[0] == '+' || s[0] == '-' ? 1 : 0;
    if (s.compare(first, 2, "0x") == 0 || s.compare(first, 2, "0X") == 0)
        return 0.0;
    const double value = std::strtod(s.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0; // 0 beyond the range of a double
}

// Adds one to the last digit of a run of digits, carrying to the left;
// returns true when the carry made the run one digit longer.
bool AddOneToLastDigit(std::string &digits)
{
    for (auto d = digits.rbegin(); d != digits.rend(); ++d) {
        if (*d != '9') {
            ++*d;
            return false;
        }
        *d = '0';
    }
    digits.insert(0, 1, '1');
    return true;
}

// The pattern worked on the exact decimal expansion (printf writes every
// digit a double has, 767 at most): 15 significant digits, then the
// pattern's decimals, halves away from zero each time.
std::string ReferenceFormat(double value, NumberFormat format)
{
    if (!std::isfinite(value))
        return {};
    const std::size_t decimals = format == NumberFormat::OneDecimal ? 1 : 2;
    char text[800];
    std::snprintf(text, sizeof text, "%.780e", std::fabs(value));
    std::string digits = std::string(1, text[0]) + std::string(text + 2, 780); // d.ddd...e±x
    int exponent = std::atoi(std::strchr(text, 'e') + 1);

    const bool up = digits[15] >= '5';
    digits.resize(15);
    if (up && AddOneToLastDigit(digits)) {
        digits.pop_back();
        ++exponent;
    }
    // The value is d.dddddddddddddd * 10^exponent: split it at the point.
    const int point = exponent + 1;
    std::string whole, fraction;
    if (point <= 0) {
        fraction = std::string(static_cast<std::size_t>(-point), '0') + digits;
    } else if (point >= 15) {
        whole = digits + std::string(static_cast<std::size_t>(point - 15), '0');
    } else {
        whole = digits.substr(0, static_cast<std::size_t>(point));
        fraction = digits.substr(static_cast<std::size_t>(point));
    }
    fraction.append(decimals + 1, '0');

    std::string shown = whole + fraction.substr(0, decimals);
    if (fraction[decimals] >= '5')
        AddOneToLastDigit(shown);
    const bool zero = shown.find_first_not_of('0') == std::string::npos;
    whole = shown.substr(0, shown.size() - decimals);
    whole.erase(0, whole.find_first_not_of('0'));
    if (whole.empty() && format != NumberFormat::TwoDecimalsNoLeadingZero)
        whole = "0";
    return (std::signbit(value) && !zero ? "-" : "") + whole + "." +
           shown.substr(shown.size() - decimals);
}

void CheckFormats(double value)
{
    char input[64];
    std::snprintf(input, sizeof input, "%.17g (%a)", value, value);
    for (const NumberFormat format : {NumberFormat::TwoDecimals, NumberFormat::OneDecimal,
                                      NumberFormat::TwoDecimalsNoLeadingZero}) {
        const std::string got = FormatNumber(value, format);
        const std::string expected = ReferenceFormat(value, format);
        if (got != expected)
            Fail("FormatNumber", input, got, expected);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const double value = CellNumber(text);
    const double expected = ReferenceCellNumber(text);
    if (value != expected || !std::isfinite(value))
        Fail("CellNumber", std::string(text), std::to_string(value), std::to_string(expected));

    // Values typed as text and their neighbours: 2.675 is only next to a
    // half, and the doubles either side of it are where halves are decided.
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
