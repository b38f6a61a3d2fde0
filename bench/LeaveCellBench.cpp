// What the crew waits for when leaving a cell of the real window: the
// recalculation and the widgets brought up to date (texts, colours,
// visibility), on the offscreen platform so it runs anywhere.

#include "MainWindow.h"
#include "ScriptedDesktop.h"
#include "WorkedExample.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>

namespace {

using namespace quorvel;

// The worked example typed into the window's cells, the focus left in the
// lap length.
struct Window
{
    Window()
    {
        window.show();
        window.activateWindow();
        (void)QTest::qWaitForWindowActive(&window);
        for (const test::CellText &entry : test::WorkedExampleEntries) {
            QLineEdit *edit = cell(entry.cell);
            edit->setFocus();
            QTest::keyClicks(edit, QString::fromLatin1(entry.text));
            // Enter recalculates, which opens the gallons cell after -99.
            QTest::keyClick(edit, Qt::Key_Return);
            QCoreApplication::processEvents();
        }
        cell(SideCell::LapLength)->setFocus();
        QCoreApplication::processEvents();
        // Measure the race the crew sees, or nothing at all.
        for (const test::CellText &result : test::WorkedExampleResults) {
            if (cell(result.cell)->text() != QLatin1String(result.text))
                qFatal("cell %d shows \"%s\", not \"%s\"", result.cell,
                       qPrintable(cell(result.cell)->text()), result.text);
        }
    }
    QLineEdit *cell(int index)
    {
        return window.findChild<QLineEdit *>(QStringLiteral("cell%1").arg(index));
    }
    QTemporaryDir folder;
    // A data folder beside the program keeps the run out of the user's own.
    bool prepared = QDir(folder.path()).mkpath(QStringLiteral("lqrfiles"));
    ScriptedDesktop desktop;
    MainWindow window{folder.path(), desktop};
};

// The focus goes back and forth between the lap length and the caution
// usage; with `typed`, each cell gets another value before the focus leaves
// it, so nearly every result changes. With `painted`, the repaint that
// follows is done as well.
void BM_LeaveCell(benchmark::State &state, bool typed, bool painted)
{
    Window w;
    const std::array<int, 2> cells = {SideCell::LapLength, SideCell::CautionLapUsage};
    const std::array<std::array<const char *, 2>, 2> values = {{{"2.6", "2.5"}, {"60", "50"}}};
    std::size_t round = 0;
    for (auto _ : state) {
        const std::size_t from = round % 2;
        if (typed) {
            QLineEdit *edit = w.cell(cells[from]);
            edit->selectAll();
            edit->insert(QString::fromLatin1(values[from][(round / 2) % 2]));
        }
        w.cell(cells[1 - from])->setFocus();
        if (painted)
            QCoreApplication::processEvents();
        ++round;
    }
}
BENCHMARK_CAPTURE(BM_LeaveCell, NothingChanges, false, false);
BENCHMARK_CAPTURE(BM_LeaveCell, ResultsChange, true, false);
BENCHMARK_CAPTURE(BM_LeaveCell, ResultsChangePainted, true, true);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
