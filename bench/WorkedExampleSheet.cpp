// The race the benchmarks and the allocation check work on: the worked example
// shipped as data/lqrfiles/worked-example.lqr, typed in cell by cell so that a
// benchmark measures the calculation and nothing of the file reader.

#include "RaceSheet.h"

namespace quorvel::bench {

void FillWorkedExample(RaceSheet &sheet)
{
    sheet.setText(SideCell::TankCapacity, "22");
    sheet.setText(SideCell::FuelSpecGravity, "0.72");
    sheet.setText(SideCell::LapLength, "2.5");
    sheet.setText(SideCell::CautionLapUsage, "50");
    sheet.setText(SideCell::PreRaceLaps, "3");

    // "H Hour": a two-can fill at the start.
    sheet.setText(GridCell(0, Row::Can1WeightBefore), "100");
    sheet.setText(GridCell(0, Row::Can1WeightAfter), "10");
    sheet.setText(GridCell(0, Row::Can2WeightBefore), "40");
    sheet.setText(GridCell(0, Row::Can2WeightAfter), "10");
    sheet.setText(GridCell(0, Row::LapNumber), "0");
    sheet.setText(GridCell(0, Row::RaceCautionLaps), "0");

    // 1st Pit: one can.
    sheet.setText(GridCell(1, Row::Can1WeightBefore), "130");
    sheet.setText(GridCell(1, Row::Can1WeightAfter), "30");
    sheet.setText(GridCell(1, Row::LapNumber), "40");
    sheet.setText(GridCell(1, Row::RaceCautionLaps), "6");

    // 2nd Pit: gallons typed in directly (-99 in the can number).
    sheet.setText(GridCell(2, Row::Can1Number), "-99");
    sheet.setText(GridCell(2, Row::GallonsAdded), "18");
    sheet.setText(GridCell(2, Row::LapNumber), "85");
    sheet.setText(GridCell(2, Row::RaceCautionLaps), "10");

    sheet.setText(SideCell::CurrentLap, "100");
    sheet.setText(SideCell::CurrentCautionLaps, "12");
}

} // namespace quorvel::bench
