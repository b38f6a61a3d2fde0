#include "CellNumber.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <system_error>

namespace quorvel {
namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads the text character by character with the blanks taken out.
class BlankSkippingCursor
{
public:
    explicit BlankSkippingCursor(std::string_view text) : text_(text) { skipBlanks(); }

    [[nodiscard]] bool atEnd() const { return pos_ >= text_.size(); }
    [[nodiscard]] char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void advance()
    {
        ++pos_;
        skipBlanks();
    }
    [[nodiscard]] std::size_t position() const { return pos_; }
    void rewind(std::size_t pos) { pos_ = pos; }

private:
    void skipBlanks()
    {
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

// More significant digits than this never change a correctly rounded double;
// the rest only matter through whether any of them is non-zero.
constexpr int MaxKeptDigits = 800;
constexpr std::int64_t ExponentLimit = 1'000'000;

constexpr std::array<double, 23> ExactPowersOfTen = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

std::int64_t clampExponent(std::int64_t e)
{
    if (e > ExponentLimit)
        return ExponentLimit;
    if (e < -ExponentLimit)
        return -ExponentLimit;
    return e;
}

} // namespace

double CellNumber(std::string_view text) noexcept
{
    BlankSkippingCursor cursor(text);
    if (cursor.atEnd())
        return 0.0;

    bool negative = false;
    if (cursor.peek() == '+' || cursor.peek() == '-') {
        negative = cursor.peek() == '-';
        cursor.advance();
    }

    // Only the kept digits are ever read; clearing 800 bytes per cell was
    // most of the time a recalculation took.
    std::array<char, MaxKeptDigits + 1> digits;
    int kept = 0;
    bool droppedNonZero = false;
    bool anyDigit = false;
    bool seenPoint = false;
    std::uint64_t mantissa = 0;
    // value = (kept digits as an integer) * 10^scale
    std::int64_t scale = 0;

    for (;;) {
        const char c = cursor.peek();
        if (isDigit(c)) {
            anyDigit = true;
            if (kept == 0 && c == '0') {
                // A leading zero adds nothing, but after the point it shifts.
                if (seenPoint)
                    scale = clampExponent(scale - 1);
            } else if (kept < MaxKeptDigits) {
                digits[kept++] = c;
                if (kept <= 19)
                    mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
                if (seenPoint)
                    scale = clampExponent(scale - 1);
            } else {
                droppedNonZero = droppedNonZero || c != '0';
                if (!seenPoint)
                    scale = clampExponent(scale + 1);
            }
            cursor.advance();
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
            cursor.advance();
        } else {
            break;
        }
    }
    if (!anyDigit)
        return 0.0;

    // The exponent only counts when at least one digit follows the E.
    if (cursor.peek() == 'E' || cursor.peek() == 'e') {
        const std::size_t beforeExponent = cursor.position();
        cursor.advance();
        bool negativeExponent = false;
        if (cursor.peek() == '+' || cursor.peek() == '-') {
            negativeExponent = cursor.peek() == '-';
            cursor.advance();
        }
        if (isDigit(cursor.peek())) {
            std::int64_t exponent = 0;
            while (isDigit(cursor.peek())) {
                exponent = clampExponent(exponent * 10 + (cursor.peek() - '0'));
                cursor.advance();
            }
            scale = clampExponent(scale + (negativeExponent ? -exponent : exponent));
        } else {
            cursor.rewind(beforeExponent);
        }
    }

    if (kept == 0)
        return 0.0;

    double value = 0.0;
    if (kept <= 19 && !droppedNonZero && mantissa <= (std::uint64_t{1} << 53) && scale >= -22 &&
        scale <= 22) {
        // Both operands are exact, so one multiplication or division rounds
        // correctly.
        const auto m = static_cast<double>(mantissa);
        value = scale >= 0 ? m * ExactPowersOfTen[static_cast<std::size_t>(scale)]
                           : m / ExactPowersOfTen[static_cast<std::size_t>(-scale)];
    } else {
        std::array<char, MaxKeptDigits + 32> canonical{};
        char *out = canonical.data();
        for (int i = 0; i < kept; ++i)
            *out++ = digits[static_cast<std::size_t>(i)];
        if (droppedNonZero) {
            // A trailing 1 below every kept digit keeps "just above" apart
            // from "exactly halfway" when rounding.
            *out++ = '1';
            --scale;
        }
        *out++ = 'e';
        out = std::to_chars(out, canonical.data() + canonical.size(), scale).ptr;
        const auto [end, error] = std::from_chars(canonical.data(), out, value);
        (void)end;
        if (error != std::errc{})
            return 0.0;
    }
    return negative ? -value : value;
}

} // namespace quorvel
