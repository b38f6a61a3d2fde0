#pragma once

#include "RaceDocument.h"

#include <ostream>

namespace quorvel {

// The recalculated sheet as a plain-text table for a terminal: the car and
// track fields, the six columns with their row captions, the projections and
// the comment. Hidden cells are left out; entries that contradict earlier
// data carry a "!", required inputs that are missing a "(required)". Control
// characters from the file show as their codes.
void PrintSheetTable(std::ostream &out, const RaceDocument &document,
                     const RecalculationOutcome &recalculation);

} // namespace quorvel
