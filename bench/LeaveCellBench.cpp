// What the crew waits for when leaving a cell: the recalculation and the
// widgets brought up to date (texts, colours, visibility), on the offscreen
// platform so it runs anywhere.

#include "Desktop.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace quorvel::bench {
void FillWorkedExample(RaceSheet &sheet);
} // namespace quorvel::bench

namespace {

using quorvel::MainWindow;
using quorvel::SideCell::CautionLapUsage;
using quorvel::SideCell::LapLength;

// Boxes are not part of what is measured, and the caution usage stays in
// range anyway.
class SilentDesktop final : public quorvel::Desktop
{
public:
    void showMessage(QWidget *, const QString &, const QString &) override {}
    Answer askYesNoCancel(QWidget *, const QString &, const QString &) override
    {
        return Answer::Cancel;
    }
    bool askYesNo(QWidget *, const QString &, const QString &) override { return false; }
    std::optional<QString> chooseFileToOpen(QWidget *, const FileDialog &) override
    {
        return std::nullopt;
    }
    std::optional<QString> chooseFileToSave(QWidget *, const FileDialog &) override
    {
        return std::nullopt;
    }
    std::optional<QString> askText(QWidget *, const QString &, const QString &,
                                   const QString &) override
    {
        return std::nullopt;
    }
    void choosePrinter(QWidget *) override {}
    PrintResult printImage(QWidget *) override { return {}; }
    bool startProgram(const QString &, const QStringList &) override { return false; }
    void setBusyPointer(bool) override {}
};

struct Window
{
    Window()
    {
        window.show();
        QCoreApplication::processEvents();
        quorvel::bench::FillWorkedExample(window.document().sheet());
        window.recalculate();
        QCoreApplication::processEvents();
    }
    QTemporaryDir folder;
    // A data folder beside the program keeps the run out of the user's own.
    bool prepared = QDir(folder.path()).mkpath(QStringLiteral("lqrfiles"));
    SilentDesktop desktop;
    MainWindow window{folder.path(), desktop};
};

void BM_LeaveCellNothingChanges(benchmark::State &state)
{
    Window w;
    for (auto _ : state)
        w.window.recalculate();
}
BENCHMARK(BM_LeaveCellNothingChanges)->Repetitions(10)->ReportAggregatesOnly(true);

// Every result depends on the lap length; switch it between runs. With
// `painted`, the repaint the change schedules is done as well.
void BM_LeaveCell(benchmark::State &state, bool painted)
{
    Window w;
    quorvel::RaceSheet &sheet = w.window.document().sheet();
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        sheet.setText(LapLength, longer ? "2.6" : "2.5");
        w.window.recalculate();
        if (painted)
            QCoreApplication::processEvents();
    }
}
BENCHMARK_CAPTURE(BM_LeaveCell, EveryResultChanges, false)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_LeaveCell, EveryResultChangesPainted, true)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

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
