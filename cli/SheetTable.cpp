#include "SheetTable.h"

#include "RecalculateSheet.h"
#include "SheetLabels.h"

#include <string>
#include <string_view>

namespace quorvel {
namespace {

constexpr std::size_t CaptionWidth = 40;
constexpr std::size_t ColumnWidth = 10;
constexpr std::string_view ContradictionMark = "!";

std::size_t displayWidth(std::string_view text)
{
    std::size_t width = 0;
    for (const char c : text)
        width += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return width;
}

// Cuts a text to at most width characters, marking the cut with "~".
std::string fitted(std::string_view text, std::size_t width)
{
    if (displayWidth(text) <= width)
        return std::string(text);
    std::string cut;
    std::size_t characters = 0;
    for (const char c : text) {
        const bool starts = (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        if (starts && ++characters > width - 1)
            break;
        cut.push_back(c);
    }
    return cut + "~";
}

std::string padRight(std::string text, std::size_t width)
{
    const std::size_t w = displayWidth(text);
    if (w < width)
        text.append(width - w, ' ');
    return text;
}

std::string padLeft(std::string text, std::size_t width)
{
    const std::size_t w = displayWidth(text);
    return w < width ? std::string(width - w, ' ') + text : text;
}

std::string shownValue(const Cell &cell, std::size_t width)
{
    if (!cell.visible)
        return {};
    const bool contradicts = cell.colour == TextColour::LightMagenta;
    std::string value = fitted(cell.text, width - (contradicts ? ContradictionMark.size() : 0));
    if (contradicts)
        value += ContradictionMark;
    return value;
}

void printSideCell(std::ostream &out, const RaceSheet &sheet, int index)
{
    const Cell &cell = sheet.cell(index);
    if (!cell.visible)
        return;
    out << padRight(std::string(SideCellCaption(index)), CaptionWidth)
        << padLeft(shownValue(cell, ColumnWidth), ColumnWidth);
    if (sheet.captionColour(index) == CaptionColour::Magenta)
        out << "  (required)";
    out << '\n';
}

} // namespace

void PrintSheetTable(std::ostream &out, const RaceDocument &document,
                     const RecalculationOutcome &recalculation)
{
    const RaceSheet &sheet = document.sheet();
    out << "Quorvel race sheet: " << document.currentFile().displayName() << "\n\n";
    for (int index = SideCell::TankCapacity; index <= SideCell::AvgCautionLapSec; ++index)
        printSideCell(out, sheet, index);

    out << '\n' << std::string(CaptionWidth, ' ');
    for (int column = 0; column < ColumnCount; ++column)
        out << padLeft(std::string(ColumnHeading(column)), ColumnWidth);
    out << '\n';
    for (int r = 0; r < RowsPerColumn; ++r) {
        const auto row = static_cast<Row>(r);
        bool anyShown = false;
        std::string line = padRight(std::string(RowCaption(row)), CaptionWidth);
        for (int column = 0; column < ColumnCount; ++column) {
            const Cell &cell = sheet.cell(GridCell(column, row));
            anyShown = anyShown || cell.visible;
            line += padLeft(shownValue(cell, ColumnWidth - 1), ColumnWidth);
        }
        if (anyShown)
            out << line << '\n';
    }

    out << "\nCurrent Projections\n";
    for (int index = SideCell::CurrentLap; index <= SideCell::EstLapsEntireRace; ++index)
        printSideCell(out, sheet, index);

    if (recalculation.cautionUsageOutOfRange)
        out << "\nWarning: " << CautionUsageWarning << '\n';
    out << "\n" << ContradictionMark << " marks an entry that contradicts earlier data.\n";

    if (!document.comment().empty()) {
        out << "\nComment:\n";
        for (const char c : document.comment()) {
            if (c != '\r')
                out << c;
        }
        out << '\n';
    }
}

} // namespace quorvel
