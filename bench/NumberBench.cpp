// The two routines a recalculation spends its time in: reading a cell's text
// as a number and writing a result back as text. One recalculation of the
// worked example reads 65 cells and writes 28 results.

#include "CellNumber.h"
#include "NumberFormat.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

using quorvel::FormattedNumber;
using quorvel::NumberFormat;

// What cells hold: empty cells (most of the sheet), whole numbers, decimals,
// the gallons-mode marker, and the odd mistyped entry.
constexpr std::array<std::string_view, 8> CellTexts = {"",    "22",        "0.72",  "-99",
                                                       "130", "12.5 laps", "1e400", " 1 2 . 5"};

void BM_CellNumber(benchmark::State &state)
{
    const std::string_view text = CellTexts[static_cast<std::size_t>(state.range(0))];
    for (auto _ : state) {
        std::string_view input = text;
        // The text must be read each time, not folded into a constant. A
        // string_view is larger than a pointer, so this takes the memory-only
        // form of DoNotOptimize (see FormatTypicalResults).
        benchmark::DoNotOptimize(input);
        const double value = quorvel::CellNumber(input);
        benchmark::DoNotOptimize(value);
    }
    std::string label = "\"";
    label.append(text);
    label.push_back('"');
    state.SetLabel(label);
}

// Results as the calculation produces them: 20.0080... is the gallons of the
// worked example's start fill (120 pounds at specific gravity 0.72).
const std::array<double, 6> TypicalResults = {
    120.0 / (0.72 * 8.33), 5.77, 0.456, 137.69, -3.04, 123456.789};

using Formatter = std::size_t (*)(double, NumberFormat, FormattedNumber &) noexcept;

// One iteration formats the whole table; the items/s counter gives the rate
// per value.
//
// The values are kept from being folded by passing the whole local table to
// DoNotOptimize, never a single double: for a value no larger than a pointer,
// benchmark 1.7 uses an asm operand with "+m,r" alternatives, and GCC 12 may
// pick the memory one without storing the value there first. The loop then
// formats whatever the stack slot held (valgrind reports it as uninitialised)
// instead of the table.
void FormatTypicalResults(benchmark::State &state, Formatter format)
{
    const auto pattern = static_cast<NumberFormat>(state.range(0));
    std::array<double, TypicalResults.size()> values = TypicalResults;
    FormattedNumber out;
    for (auto _ : state) {
        benchmark::DoNotOptimize(values);
        for (const double value : values) {
            const std::size_t length = format(value, pattern, out);
            benchmark::DoNotOptimize(length);
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(TypicalResults.size()));
    switch (pattern) {
    case NumberFormat::TwoDecimals:
        state.SetLabel("###0.00");
        break;
    case NumberFormat::OneDecimal:
        state.SetLabel("###0.0");
        break;
    case NumberFormat::TwoDecimalsNoLeadingZero:
        state.SetLabel("####.00");
        break;
    }
}

void BM_FormatNumber(benchmark::State &state)
{
    FormatTypicalResults(state, &quorvel::FormatNumber);
}

// The reference the fast path is checked against, for how much it saves.
void BM_FormatNumberByDecimalText(benchmark::State &state)
{
    FormatTypicalResults(state, &quorvel::FormatNumberByDecimalText);
}

constexpr int LastCellText = static_cast<int>(CellTexts.size()) - 1;
constexpr int FirstFormat = static_cast<int>(NumberFormat::TwoDecimals);
constexpr int LastFormat = static_cast<int>(NumberFormat::TwoDecimalsNoLeadingZero);

BENCHMARK(BM_CellNumber)->DenseRange(0, LastCellText)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_FormatNumber)
    ->DenseRange(FirstFormat, LastFormat)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_FormatNumberByDecimalText)
    ->DenseRange(FirstFormat, LastFormat)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

} // namespace
