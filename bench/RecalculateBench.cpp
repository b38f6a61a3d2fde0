// How long one recalculation of the race sheet takes. The window recalculates
// on every keystroke, so this is the cost a crew feels while typing.

#include "RaceSheet.h"
#include "RecalculateSheet.h"

#include <benchmark/benchmark.h>

#include <array>
#include <string_view>

namespace quorvel::bench {
void FillWorkedExample(RaceSheet &sheet); // WorkedExampleSheet.cpp
} // namespace quorvel::bench

namespace {

using quorvel::GridCell;
using quorvel::RaceSheet;
using quorvel::RecalculateSheet;
using quorvel::Row;

// Every benchmark starts from a sheet recalculated once, so the loop sees the
// steady state: cell texts already at their size, display state already set.
void RecalculateInLoop(benchmark::State &state, RaceSheet &sheet)
{
    RecalculateSheet(sheet);
    for (auto _ : state) {
        const auto outcome = RecalculateSheet(sheet);
        benchmark::DoNotOptimize(outcome);
        benchmark::ClobberMemory();
    }
}

void BM_RecalculateWorkedExample(benchmark::State &state)
{
    RaceSheet sheet;
    quorvel::bench::FillWorkedExample(sheet);
    RecalculateInLoop(state, sheet);
}

// Nothing to work out: the floor under every recalculation (reading 151 empty
// cells, clearing the derived ones, setting the display state).
void BM_RecalculateEmptySheet(benchmark::State &state)
{
    RaceSheet sheet;
    RecalculateInLoop(state, sheet);
}

// The worked example while the crew corrects the 2nd Pit's lap between 85 and
// 86: every derived cell from that stop on changes, so no result is merely
// rewritten with the text it already had.
void BM_RecalculateAfterLapEdit(benchmark::State &state)
{
    constexpr std::array<std::string_view, 2> Laps = {"85", "86"};
    const int lapCell = GridCell(2, Row::LapNumber);
    RaceSheet sheet;
    quorvel::bench::FillWorkedExample(sheet);
    RecalculateSheet(sheet);
    std::size_t next = 1;
    for (auto _ : state) {
        sheet.setText(lapCell, Laps[next]);
        next ^= 1;
        const auto outcome = RecalculateSheet(sheet);
        benchmark::DoNotOptimize(outcome);
        benchmark::ClobberMemory();
    }
}

// Medians over ten runs: other work on the machine only ever adds time, and a
// median shrugs off the runs it hit.
BENCHMARK(BM_RecalculateWorkedExample)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_RecalculateEmptySheet)->Repetitions(10)->ReportAggregatesOnly(true);
BENCHMARK(BM_RecalculateAfterLapEdit)->Repetitions(10)->ReportAggregatesOnly(true);

} // namespace
