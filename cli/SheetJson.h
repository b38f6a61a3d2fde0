#pragma once

#include "RaceDocument.h"

#include <QByteArray>

namespace quorvel {

// The recalculated sheet and its display state as one JSON object, for
// scripts and for checking the calculation from outside.
QByteArray SheetJson(const RaceDocument &document, const RecalculationOutcome &recalculation);

} // namespace quorvel
