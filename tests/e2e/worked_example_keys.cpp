// What a crew types for the worked example, one cursor stop a line: "type
// TEXT", TEXT empty where Enter only moves on; the cursor passes over the
// cells the example hides or greys. Then three results the saved race file
// must hold: "check CELL TEXT".

#include "RecalculateSheet.h"
#include "WorkedExample.h"

#include <iostream>

using namespace quorvel;

int main()
{
    RaceSheet typed;
    test::FillWorkedExample(typed);
    RaceSheet shown = typed;
    RecalculateSheet(shown);
    // The side fields, then the grid column by column, to the last entry.
    constexpr int sideFields = LastSideCell - FirstSideCell + 1;
    for (int stop = 0, cell = -1; cell != test::WorkedExampleEntries.back().cell; ++stop) {
        cell = stop < sideFields ? FirstSideCell + stop : stop - sideFields;
        if (shown.cell(cell).visible && shown.cell(cell).enabled)
            std::cout << "type " << typed.text(cell) << '\n';
    }
    for (const std::size_t i : {8, 24, 31})
        std::cout << "check " << test::WorkedExampleResults.at(i).cell << ' '
                  << test::WorkedExampleResults.at(i).text << '\n';
}
