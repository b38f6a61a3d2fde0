#include "RaceSheet.h"

#include "CellNumber.h"

#include <cassert>

namespace quorvel {

RaceSheet::RaceSheet()
{
    for (int i = 0; i < CellCount; ++i) {
        if (IsReservedCell(i))
            cells_[static_cast<std::size_t>(i)].visible = false;
    }
    cells_[SideCell::AvgCautionLapSec].visible = false;
}

std::size_t RaceSheet::checked(int index)
{
    assert(index >= 0 && index < CellCount);
    return static_cast<std::size_t>(index);
}

std::size_t RaceSheet::panelSlot(int panel)
{
    assert(IsCaptionPanel(panel));
    return static_cast<std::size_t>(panel < RowsPerColumn ? panel
                                                          : RowsPerColumn + panel - FirstSideCell);
}

void RaceSheet::setText(int index, std::string_view text)
{
    cells_[checked(index)].text.assign(text);
}

void RaceSheet::clearAllTexts()
{
    for (Cell &c : cells_)
        c.text.clear();
}

double RaceSheet::number(int index) const
{
    return CellNumber(text(index));
}

void RaceSheet::writeNumber(int index, double value, NumberFormat format)
{
    cells_[checked(index)].text = FormatNumber(value, format);
}

CaptionColour RaceSheet::captionColour(int panel) const
{
    return captionColours_[panelSlot(panel)];
}

void RaceSheet::setCaptionColour(int panel, CaptionColour colour)
{
    captionColours_[panelSlot(panel)] = colour;
}

} // namespace quorvel
