#include "CellNumber.h"

#include <charconv>
#include <string>

namespace quorvel {

double CellNumber(std::string_view text)
{
    std::string number;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            number.push_back(c);
    }
    std::string_view rest = number;
    const bool negative = rest.starts_with('-');
    if (negative || rest.starts_with('+'))
        rest.remove_prefix(1);
    // from_chars reads digits, one point and an exponent with digits after
    // the E, and stops at what does not fit. Starting at a digit or the point
    // keeps out a second sign, "inf" and "nan".
    if (rest.empty() || !(rest[0] == '.' || (rest[0] >= '0' && rest[0] <= '9')))
        return 0.0;
    double value = 0.0;
    // No digit, or a value beyond the range of a double, reads as 0.
    if (std::from_chars(rest.data(), rest.data() + rest.size(), value).ec != std::errc{})
        return 0.0;
    return negative && value != 0 ? -value : value;
}

} // namespace quorvel
