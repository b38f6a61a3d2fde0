#pragma once

// The worked Dunmere example every suite, benchmark and script shares: what
// the crew types, in the order the cursor reaches the cells, and what the
// sheet must show afterwards. Standard C++ only, so the sheet tests and the
// benchmarks use it without Qt.

#include "RaceSheet.h"

#include <array>

namespace quorvel::test {

struct CellText
{
    int cell;
    const char *text;
};

// The car and track fields, then H Hour (two cans), the 1st Pit (one can),
// the 2nd Pit in gallons mode, then the current lap and caution count.
inline constexpr std::array<CellText, 21> WorkedExampleEntries = {{
    {SideCell::TankCapacity, "22"},
    {SideCell::FuelSpecGravity, "0.72"},
    {SideCell::LapLength, "2.5"},
    {SideCell::CautionLapUsage, "50"},
    {SideCell::PreRaceLaps, "3"},
    {SideCell::CurrentLap, "100"},
    {SideCell::CurrentCautionLaps, "12"},
    {GridCell(0, Row::Can1WeightBefore), "100"},
    {GridCell(0, Row::Can1WeightAfter), "10"},
    {GridCell(0, Row::Can2WeightBefore), "40"},
    {GridCell(0, Row::Can2WeightAfter), "10"},
    {GridCell(0, Row::LapNumber), "0"},
    {GridCell(0, Row::RaceCautionLaps), "0"},
    {GridCell(1, Row::Can1WeightBefore), "130"},
    {GridCell(1, Row::Can1WeightAfter), "30"},
    {GridCell(1, Row::LapNumber), "40"},
    {GridCell(1, Row::RaceCautionLaps), "6"},
    {GridCell(2, Row::Can1Number), "-99"},
    {GridCell(2, Row::GallonsAdded), "18"},
    {GridCell(2, Row::LapNumber), "85"},
    {GridCell(2, Row::RaceCautionLaps), "10"},
}};

// Every result of the example, worked by hand; "" is a cell left empty.
inline constexpr std::array<CellText, 32> WorkedExampleResults = {{
    {GridCell(0, Row::GallonsAdded), "20.01"},
    {GridCell(0, Row::ActualMilesSincePit), ""},
    {GridCell(0, Row::CorrMilesSincePit), ""},
    {GridCell(0, Row::CorrMpgSincePit), "0.00"},
    {GridCell(0, Row::CorrMpgRace), "0.00"},
    {GridCell(0, Row::ActualMpgRace), "0.00"},
    {GridCell(0, Row::ActualSpareLaps), "0.0"},
    {GridCell(0, Row::ActualLapsPerGal), ".00"},
    {GridCell(1, Row::GallonsAdded), "16.67"},
    {GridCell(1, Row::ActualMilesSincePit), "107.50"},
    {GridCell(1, Row::CorrMilesSincePit), "96.25"},
    {GridCell(1, Row::CorrMpgSincePit), "5.77"},
    {GridCell(1, Row::CorrMpgRace), "5.77"},
    {GridCell(1, Row::ActualMpgRace), "6.45"},
    {GridCell(1, Row::MustPitBeforeLap), "0.0"},
    {GridCell(1, Row::ActualSpareLaps), "12.3"},
    {GridCell(1, Row::EstSpareLaps), ""},
    {GridCell(1, Row::SpareLapsError), ""},
    {GridCell(1, Row::ActualLapsPerGal), "2.58"},
    {GridCell(2, Row::ActualMilesSincePit), "112.50"},
    {GridCell(2, Row::CorrMilesSincePit), "107.50"},
    {GridCell(2, Row::CorrMpgSincePit), "5.97"},
    {GridCell(2, Row::CorrMpgRace), "5.98"},
    {GridCell(2, Row::ActualMpgRace), "6.34"},
    {GridCell(2, Row::MustPitBeforeLap), "90.8"},
    {GridCell(2, Row::ActualSpareLaps), "9.6"},
    {GridCell(2, Row::EstSpareLaps), "7.8"},
    {GridCell(2, Row::SpareLapsError), "1.8"},
    {GridCell(2, Row::ActualLapsPerGal), "2.54"},
    {GridCell(3, Row::MustPitBeforeLap), "137.7"},
    {SideCell::EstLapsLastPit, "38.6"},
    {SideCell::EstLapsEntireRace, "38.7"},
}};

inline void FillWorkedExample(RaceSheet &sheet)
{
    for (const CellText &entry : WorkedExampleEntries)
        sheet.setText(entry.cell, entry.text);
}

} // namespace quorvel::test
