// Checks that a recalculation, once the sheet has been worked out a few times,
// never touches the heap. The window recalculates on every keystroke; an
// allocation there is time the crew waits for and a way to fail that has no
// business in arithmetic. Cell texts keep their capacity when rewritten, so
// after the first runs every result fits the string it is written into.
//
// Not a benchmark: it counts, it does not time, and it fails (non-zero exit)
// on the first allocation seen.

#include "RaceFile.h"
#include "RaceSheet.h"
#include "RecalculateSheet.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel::bench {
void FillWorkedExample(RaceSheet &sheet); // WorkedExampleSheet.cpp
} // namespace quorvel::bench

// Every allocation of the program goes through the replacements below and is
// counted; the checks read the count either side of RecalculateSheet only.
namespace {

std::atomic<std::size_t> allocationCount{0};

void *countedAllocate(std::size_t size) noexcept
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}

void *countedAllocate(std::size_t size, std::align_val_t alignment) noexcept
{
    allocationCount.fetch_add(1, std::memory_order_relaxed);
    const auto align = static_cast<std::size_t>(alignment);
    // aligned_alloc wants a non-zero size that is a multiple of the alignment.
    const std::size_t rounded = (std::max<std::size_t>(size, 1) + align - 1) / align * align;
    return std::aligned_alloc(align, rounded);
}

void *orThrow(void *p)
{
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

} // namespace

void *operator new(std::size_t size)
{
    return orThrow(countedAllocate(size));
}
void *operator new[](std::size_t size)
{
    return orThrow(countedAllocate(size));
}
void *operator new(std::size_t size, const std::nothrow_t &) noexcept
{
    return countedAllocate(size);
}
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept
{
    return countedAllocate(size);
}
void *operator new(std::size_t size, std::align_val_t alignment)
{
    return orThrow(countedAllocate(size, alignment));
}
void *operator new[](std::size_t size, std::align_val_t alignment)
{
    return orThrow(countedAllocate(size, alignment));
}
void *operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    return countedAllocate(size, alignment);
}
void *operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t &) noexcept
{
    return countedAllocate(size, alignment);
}

void operator delete(void *p) noexcept
{
    std::free(p);
}
void operator delete[](void *p) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t) noexcept
{
    std::free(p);
}
void operator delete(void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}
void operator delete[](void *p, const std::nothrow_t &) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::size_t, std::align_val_t) noexcept
{
    std::free(p);
}
void operator delete(void *p, std::align_val_t, const std::nothrow_t &) noexcept
{
    std::free(p);
}
void operator delete[](void *p, std::align_val_t, const std::nothrow_t &) noexcept
{
    std::free(p);
}

namespace {

using quorvel::GridCell;
using quorvel::RaceSheet;
using quorvel::RecalculateSheet;
using quorvel::Row;
namespace SideCell = quorvel::SideCell;

constexpr int WarmUpRuns = 4;
constexpr int CountedRuns = 200;

// A cell whose text is swapped for another of the same length before each
// run, so every run has new results to write.
struct Edit
{
    int cell;
    std::array<std::string_view, 2> texts;
};

std::size_t allocationsDuringRecalculation(RaceSheet &sheet)
{
    const std::size_t before = allocationCount.load(std::memory_order_relaxed);
    RecalculateSheet(sheet);
    return allocationCount.load(std::memory_order_relaxed) - before;
}

void applyEdits(RaceSheet &sheet, const std::vector<Edit> &edits, int run)
{
    for (const Edit &edit : edits)
        sheet.setText(edit.cell, edit.texts[static_cast<std::size_t>(run % 2)]);
}

// Warms the sheet up with every variant of the edits, then counts the
// allocations of each further recalculation. Returns whether there were none.
bool check(const char *name, RaceSheet sheet, const std::vector<Edit> &edits)
{
    for (int run = 0; run < WarmUpRuns; ++run) {
        applyEdits(sheet, edits, run);
        RecalculateSheet(sheet);
    }
    std::size_t total = 0;
    int firstFailingRun = -1;
    for (int run = 0; run < CountedRuns; ++run) {
        applyEdits(sheet, edits, run);
        const std::size_t count = allocationsDuringRecalculation(sheet);
        if (count != 0 && firstFailingRun < 0)
            firstFailingRun = run;
        total += count;
    }
    if (total == 0) {
        std::printf("ok    %-34s %d recalculations, 0 allocations\n", name, CountedRuns);
        return true;
    }
    std::printf("FAIL  %-34s %zu allocations in %d recalculations (first in run %d)\n", name, total,
                CountedRuns, firstFailingRun);
    return false;
}

RaceSheet workedExample()
{
    RaceSheet sheet;
    quorvel::bench::FillWorkedExample(sheet);
    return sheet;
}

// Results too long for a string's inline buffer: without these the check
// would pass on short-string storage alone and prove nothing about reuse.
// The two variants give results of different lengths, so a cell's text
// shrinks and grows again between runs.
RaceSheet longResults()
{
    RaceSheet sheet = workedExample();
    sheet.setText(SideCell::LapLength, "1e18");
    sheet.setText(SideCell::TankCapacity, "1e21");
    return sheet;
}

// The benchmarks type the worked example in cell by cell; this makes sure
// that is the race the sample file holds, so the numbers they report are
// the worked example's.
bool matchesSampleFile()
{
    const quorvel::RaceFileReadResult file = quorvel::ReadRaceFile(QUORVEL_WORKED_EXAMPLE);
    if (file.status != quorvel::RaceFileReadStatus::Read) {
        std::printf("FAIL  cannot read %s\n", QUORVEL_WORKED_EXAMPLE);
        return false;
    }
    RaceSheet fromFile;
    for (int i = 0; i < quorvel::CellCount; ++i)
        fromFile.setText(i, file.contents.cells[static_cast<std::size_t>(i)]);
    RaceSheet typedIn = workedExample();
    RecalculateSheet(fromFile);
    RecalculateSheet(typedIn);
    bool same = true;
    for (int i = 0; i < quorvel::CellCount; ++i) {
        const quorvel::Cell &a = fromFile.cell(i);
        const quorvel::Cell &b = typedIn.cell(i);
        if (a.text != b.text || a.visible != b.visible || a.enabled != b.enabled ||
            a.colour != b.colour) {
            std::printf("      cell %d: file \"%s\", typed in \"%s\"\n", i, a.text.c_str(),
                        b.text.c_str());
            same = false;
        }
    }
    if (!same) {
        std::printf("FAIL  the typed-in worked example differs from the sample file\n");
        return false;
    }
    std::printf("ok    typed-in worked example matches the sample file\n");
    return true;
}

} // namespace

int main()
{
    const int lapOfSecondPit = GridCell(2, Row::LapNumber);
    const std::vector<Edit> lapEdit = {{lapOfSecondPit, {"85", "86"}}};
    const std::vector<Edit> manyEdits = {
        {lapOfSecondPit, {"85", "86"}},
        {GridCell(1, Row::Can1WeightAfter), {"30", "25"}},
        {GridCell(2, Row::GallonsAdded), {"18", "17"}},
        {SideCell::CurrentLap, {"100", "120"}},
        {SideCell::CautionLapUsage, {"50", "95"}},
    };
    const std::vector<Edit> longEdits = {{SideCell::LapLength, {"1e18", "9e19"}},
                                         {lapOfSecondPit, {"85", "86"}}};

    bool ok = matchesSampleFile();
    ok = check("empty sheet", RaceSheet(), {}) && ok;
    ok = check("worked example", workedExample(), {}) && ok;
    ok = check("worked example, 2nd Pit lap 85/86", workedExample(), lapEdit) && ok;
    ok = check("worked example, five cells edited", workedExample(), manyEdits) && ok;
    ok = check("long results, edited", longResults(), longEdits) && ok;
    return ok ? EXIT_SUCCESS : EXIT_FAILURE;
}
