#pragma once

#include "RaceDocument.h"

#include <QJsonObject>

namespace quorvel {

// The recalculated sheet and its display state as one JSON object, for
// scripts and for checking the calculation from outside.
QJsonObject SheetJson(const RaceDocument &document, const RecalculationOutcome &recalculation);

} // namespace quorvel
