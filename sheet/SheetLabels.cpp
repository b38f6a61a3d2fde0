#include "SheetLabels.h"

#include <array>
#include <cassert>

namespace quorvel {
namespace {

constexpr std::array<std::string_view, ColumnCount> ColumnHeadings = {
    "H Hour", "1st Pit", "2nd Pit", "3rd Pit", "4th Pit", "5th Pit"};

constexpr std::array<std::string_view, RowsPerColumn> RowCaptions = {
    "Can #  (-99 to enter gallons)",
    "Can Wt Before, lbs",
    "Can Wt After, lbs",
    "Can #",
    "Can Wt Before, lbs",
    "Can Wt After, lbs",
    "Total Gallons Added",
    "Lap Number",
    "Total Race Caution Laps",
    "Actual Miles since last pit",
    "Corr. Miles since last pit",
    "Race Lap MPG since last pit",
    "Race Lap MPG, entire race",
    "Actual MPG, entire race",
    "Must Pit Before Lap",
    "Actual Spare Laps In Tank",
    "Est. Spare Laps In Tank",
    "Spare Laps Error",
    "Actual Laps/gal, entire race",
};

constexpr std::array<std::string_view, LastSideCell - FirstSideCell + 1> SideCaptions = {
    "Tank Capacity, gals",
    "Fuel Spec Gravity",
    "Lap Length, mi",
    "Caution Lap % Usage",
    "Pre-Race Laps",
    "Avg Caution Lap, sec",
    "Current Lap",
    "Total Caution Laps",
    "Est Laps in Tank, based on last pit",
    "Est Laps in Tank, based on entire race",
};

} // namespace

std::string_view ColumnHeading(int column)
{
    assert(column >= 0 && column < ColumnCount);
    return ColumnHeadings[static_cast<std::size_t>(column)];
}

std::string_view RowCaption(Row row)
{
    return RowCaptions[static_cast<std::size_t>(row)];
}

std::string_view SideCellCaption(int cell)
{
    assert(IsSideCell(cell));
    return SideCaptions[static_cast<std::size_t>(cell - FirstSideCell)];
}

std::string_view PanelCaption(int panel)
{
    return panel < RowsPerColumn ? RowCaption(static_cast<Row>(panel)) : SideCellCaption(panel);
}

} // namespace quorvel
