#pragma once

#include "RaceSheet.h"

#include <string_view>

namespace quorvel {

// The words the sheet is shown with, shared by the window and quorvel-calc.
[[nodiscard]] std::string_view ColumnHeading(int column);
[[nodiscard]] std::string_view RowCaption(Row row);
[[nodiscard]] std::string_view SideCellCaption(int cell);
// The caption of any panel, row (0 to 18) or side cell (132 to 141).
[[nodiscard]] std::string_view PanelCaption(int panel);

} // namespace quorvel
