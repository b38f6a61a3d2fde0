// What the crew waits for when leaving a cell: the recalculation and the
// widgets brought up to date (texts, colours, visibility), on the offscreen
// platform so it runs anywhere.

#include "Desktop.h"
#include "MainWindow.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
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
        // The worked example pasted into the cells, then "Clc".
        quorvel::RaceSheet entries;
        quorvel::bench::FillWorkedExample(entries);
        for (int cell = 0; cell < quorvel::CellCount; ++cell) {
            if (!entries.text(cell).empty())
                paste(cell, entries.text(cell).c_str());
        }
        recalculate();
        QCoreApplication::processEvents();
    }
    void paste(int cell, const char *text)
    {
        auto *edit = window.findChild<QLineEdit *>(QStringLiteral("cell%1").arg(cell));
        edit->selectAll();
        edit->insert(QString::fromLatin1(text));
    }
    void recalculate()
    {
        window.findChild<QPushButton *>(QStringLiteral("recalculateButton"))->click();
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
        w.recalculate();
}
BENCHMARK(BM_LeaveCellNothingChanges)->Repetitions(10)->ReportAggregatesOnly(true);

// Every result depends on the lap length; switch it between runs. With
// `painted`, the repaint the change schedules is done as well.
void BM_LeaveCell(benchmark::State &state, bool painted)
{
    Window w;
    bool longer = false;
    for (auto _ : state) {
        longer = !longer;
        w.paste(LapLength, longer ? "2.6" : "2.5");
        w.recalculate();
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
