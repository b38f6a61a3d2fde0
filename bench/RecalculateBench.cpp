// How long one recalculation of the race sheet takes: the window runs it
// every time the crew leaves a cell.

#include "RecalculateSheet.h"
#include "WorkedExample.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorvel;

// Recalculated once before timing, so the loop sees the steady state.
void RecalculateInLoop(benchmark::State &state, RaceSheet &sheet)
{
    RecalculateSheet(sheet);
    for (auto _ : state) {
        benchmark::DoNotOptimize(RecalculateSheet(sheet));
        benchmark::ClobberMemory();
    }
}

void BM_RecalculateWorkedExample(benchmark::State &state)
{
    RaceSheet sheet;
    test::FillWorkedExample(sheet);
    RecalculateInLoop(state, sheet);
}

// Nothing to work out: the floor under every recalculation.
void BM_RecalculateEmptySheet(benchmark::State &state)
{
    RaceSheet sheet;
    RecalculateInLoop(state, sheet);
}

BENCHMARK(BM_RecalculateWorkedExample);
BENCHMARK(BM_RecalculateEmptySheet);

} // namespace
