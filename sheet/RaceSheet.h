#pragma once

#include "NumberFormat.h"

#include <array>
#include <string>
#include <string_view>

namespace quorvel {

inline constexpr int CellCount = 151;
inline constexpr int ColumnCount = 6;    // "H Hour" and the five pit stops
inline constexpr int RowsPerColumn = 19; // cell + 19 is the same row one stop later

// The rows of the grid, top to bottom.
enum class Row : int {
    Can1Number,
    Can1WeightBefore,
    Can1WeightAfter,
    Can2Number,
    Can2WeightBefore,
    Can2WeightAfter,
    GallonsAdded,
    LapNumber,
    RaceCautionLaps,
    ActualMilesSincePit,
    CorrMilesSincePit,
    CorrMpgSincePit,
    CorrMpgRace,
    ActualMpgRace,
    MustPitBeforeLap,
    ActualSpareLaps,
    EstSpareLaps,
    SpareLapsError,
    ActualLapsPerGal,
};

// The car and track fields and the current projections beside the grid.
namespace SideCell {
enum : int {
    TankCapacity = 132,
    FuelSpecGravity = 133,
    LapLength = 134,
    CautionLapUsage = 135,
    PreRaceLaps = 136,
    AvgCautionLapSec = 137,
    CurrentLap = 138,
    CurrentCautionLaps = 139,
    EstLapsLastPit = 140,
    EstLapsEntireRace = 141,
};
} // namespace SideCell

inline constexpr int FirstSideCell = SideCell::TankCapacity;
inline constexpr int LastSideCell = SideCell::EstLapsEntireRace;
// Cell 128, row 14 of the hidden seventh column: the "Must Pit Before Lap"
// projected from the 5th Pit. Never shown, but saved with the race.
inline constexpr int MustPitAfterLastStopCell = 128;

[[nodiscard]] constexpr int GridCell(int column, Row row)
{
    return column * RowsPerColumn + static_cast<int>(row);
}

[[nodiscard]] constexpr bool IsGridCell(int cell)
{
    return cell >= 0 && cell < ColumnCount * RowsPerColumn;
}

[[nodiscard]] constexpr bool IsSideCell(int cell)
{
    return cell >= FirstSideCell && cell <= LastSideCell;
}

// Cells 114 to 131 and 142 to 150: kept and saved, never shown.
[[nodiscard]] constexpr bool IsReservedCell(int cell)
{
    return (cell >= 114 && cell <= 131) || (cell >= 142 && cell < CellCount);
}

// Caption panels carry the row number (0 to 18) or the side cell's index.
[[nodiscard]] constexpr bool IsCaptionPanel(int panel)
{
    return (panel >= 0 && panel < RowsPerColumn) || IsSideCell(panel);
}

enum class TextColour { Black, LightMagenta }; // light magenta: contradicts earlier data
enum class CaptionColour { Black, Magenta };   // magenta: a required input is missing

struct Cell
{
    std::string text;
    bool visible = true;
    bool enabled = true;
    TextColour colour = TextColour::Black;

    friend bool operator==(const Cell &, const Cell &) = default;
};

// The one store of race data: 151 cell texts with the display state the
// window shows, and the colours of the caption panels. Everything the crew
// types and everything the calculation works out lives here.
class RaceSheet
{
public:
    // Every cell empty and black; visible and enabled as the window lays
    // them out (the reserved cells and the caution-lap-seconds cell hidden).
    RaceSheet();

    [[nodiscard]] const Cell &cell(int index) const { return cells_[checked(index)]; }
    [[nodiscard]] const std::string &text(int index) const { return cell(index).text; }
    void setText(int index, std::string_view text);
    void clearText(int index) { cells_[checked(index)].text.clear(); }
    // New: every text emptied, the display state left to the next recalculation.
    void clearAllTexts();

    // The number the cell's text stands for (0 when empty or not a number).
    [[nodiscard]] double number(int index) const;
    void writeNumber(int index, double value, NumberFormat format);

    void setVisible(int index, bool visible) { cells_[checked(index)].visible = visible; }
    void setEnabled(int index, bool enabled) { cells_[checked(index)].enabled = enabled; }
    void setColour(int index, TextColour colour) { cells_[checked(index)].colour = colour; }

    [[nodiscard]] CaptionColour captionColour(int panel) const;
    void setCaptionColour(int panel, CaptionColour colour);

    friend bool operator==(const RaceSheet &, const RaceSheet &) = default;

private:
    static constexpr int PanelCount = RowsPerColumn + (LastSideCell - FirstSideCell + 1);
    static std::size_t checked(int index);
    static std::size_t panelSlot(int panel);

    std::array<Cell, CellCount> cells_;
    std::array<CaptionColour, PanelCount> captionColours_{};
};

} // namespace quorvel
