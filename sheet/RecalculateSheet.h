#pragma once

#include "RaceSheet.h"

#include <string_view>

namespace quorvel {

// What the crew is told when "Caution Lap % Usage" lies outside 30 to 100.
inline constexpr std::string_view CautionUsageWarning =
    "'Caution Lap % Usage' should be between 30% to 100%.";

struct RecalculationOutcome
{
    // "Caution Lap % Usage" is filled in but lies outside 30 to 100: the
    // window owes the crew its warning. The calculation ran to the end with
    // the value as typed all the same.
    bool cautionUsageOutOfRange = false;
};

// Rewrites every derived cell of the sheet from the entered ones, stop by stop
// and then the current-lap projections, and sets the display state that
// follows from the data (gallons mode, warning colours). Never writes an
// entered cell; running it twice gives the same sheet.
RecalculationOutcome RecalculateSheet(RaceSheet &sheet);

} // namespace quorvel
