#pragma once

#include <QRect>

#include <cmath>

namespace quorvel {

// Positions and sizes of the window layout, in twips: 1440 to the inch.
struct TwipsRect
{
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr double TwipsPerInch = 1440.0;

[[nodiscard]] inline int TwipsToPixels(int twips, double dotsPerInch)
{
    return static_cast<int>(std::lround(twips * dotsPerInch / TwipsPerInch));
}

[[nodiscard]] inline QRect TwipsToPixels(const TwipsRect &r, double dotsPerInch)
{
    return {TwipsToPixels(r.left, dotsPerInch), TwipsToPixels(r.top, dotsPerInch),
            TwipsToPixels(r.width, dotsPerInch), TwipsToPixels(r.height, dotsPerInch)};
}

} // namespace quorvel
