#include "SheetTable.h"

#include "RecalculateSheet.h"
#include "SheetLabels.h"
#include "TerminalText.h"
#include "TextFields.h"

#include <QString>

#include <algorithm>
#include <string>
#include <string_view>

namespace quorvel {
namespace {

constexpr std::size_t CaptionWidth = 40;
constexpr std::size_t ColumnWidth = 10;
constexpr std::string_view ContradictionMark = "!";

std::string padRight(std::string text, std::size_t width)
{
    const std::size_t w = TerminalWidth(text);
    if (w < width)
        text.append(width - w, ' ');
    return text;
}

std::string padLeft(std::string text, std::size_t width)
{
    const std::size_t w = TerminalWidth(text);
    return w < width ? std::string(width - w, ' ') + text : text;
}

std::string shownValue(const Cell &cell, std::size_t width)
{
    if (!cell.visible)
        return {};
    // The window shows the colour only on text: an empty cell shows nothing.
    const bool contradicts = cell.colour == TextColour::LightMagenta && !cell.text.empty();
    std::string value =
        FittedTerminalText(cell.text, width - (contradicts ? ContradictionMark.size() : 0));
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
    // Raised once more as a whole: in a name that is not all UTF-8 only the
    // ASCII letters were.
    const QString name = document.currentFile().displayName();
    out << "Quorvel race sheet: " << TerminalText(name.toUpper().toStdString()) << "\n\n";
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
        const std::string_view comment = document.comment();
        for (std::size_t start = 0; start <= comment.size();) {
            const std::size_t end = std::min(comment.find(LineEnd, start), comment.size());
            out << TerminalText(comment.substr(start, end - start)) << '\n';
            start = end + LineEnd.size();
        }
    }
}

} // namespace quorvel
