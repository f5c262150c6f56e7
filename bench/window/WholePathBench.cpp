// Per-frame cost of the whole path in the main window (a received 17-byte chunk: decode, meter panel, chart,
// record gate, AppendRecord, grid model and grid view, then the pending events painted as the UI would) with
// the record table at 1,000, 100,000 and 1,000,000 rows, also timed without the painting, and the memory a
// row takes (resident growth while filling, chart point included).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <unistd.h>

#include "common/MeterFrames.h"
#include "records/TableEngine.h"
#include "shell/ufrmMain.h"

using namespace korvex;
using korvex::bench::NextFrame;

namespace {

std::size_t ResidentBytes()
{
    std::ifstream statm("/proc/self/statm");
    std::size_t size = 0, resident = 0;
    statm >> size >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// The shown window with its table filled through the same path; one at a time, rebuilt when the size changes.
struct FilledWindow {
    std::unique_ptr<TfrmMain> window;
    int rows = 0;
    std::uint64_t next = 0;
    double bytesPerRow = 0;

    void Feed()
    {
        const std::vector<std::uint8_t> frame = NextFrame(next);
        window->Decoder().CP21101ReceiveData(reinterpret_cast<const char*>(frame.data()),
                                             static_cast<std::uint32_t>(frame.size()));
    }

    void Build(int wanted)
    {
        window.reset();
        QApplication::processEvents();
        window = std::make_unique<TfrmMain>();
        window->MeterState().DecimalSep = std::string(1, '.');
        window->cbRepeat()->setChecked(false);
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
        QApplication::processEvents();
        next = 0;
        const std::size_t before = ResidentBytes();
        // The grid hears of the filled rows once, as a reset, rather than row by row: its per-row cost is
        // what the timed frames measure.
        window->cds1().DisableControls();
        while (window->cds1().RecordCount() < wanted) {
            Feed();
            if (window->cds1().RecordCount() % 4096 == 0)
                QApplication::processEvents();
        }
        window->cds1().EnableControls();
        window->DBGrid1()->scrollToBottom();
        QApplication::processEvents();
        bytesPerRow = static_cast<double>(ResidentBytes() - before) / wanted;
        rows = wanted;
    }
};

// Torn down before the application object goes.
FilledWindow g_filled;

FilledWindow& Window(int rows)
{
    if (!g_filled.window || g_filled.rows != rows)
        g_filled.Build(rows);
    return g_filled;
}

std::map<int, double> g_perFrameUs;
std::map<int, double> g_beforePaintUs;

void BM_WholePathFrame(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    FilledWindow& filled = Window(rows);
    const int startRows = filled.window->cds1().RecordCount();
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        filled.Feed();
        QCoreApplication::processEvents();
    }
    const auto elapsed = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start);
    if (filled.window->cds1().RecordCount() != startRows + static_cast<int>(state.iterations()))
        state.SkipWithError("a frame did not reach the table");
    g_perFrameUs[rows] = elapsed.count() / static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
    state.counters["bytes_per_row"] = filled.bytesPerRow;
}

// The same frames timed without the painting that follows them: what the path itself costs (decode, panel
// and chart updates requested, gate, AppendRecord, grid model, selection and scrolling of the grid), which
// the painting, constant and noisy, would otherwise hide.
void BM_WholePathFrameBeforePaint(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    FilledWindow& filled = Window(rows);
    std::chrono::duration<double, std::micro> timed{0};
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        filled.Feed();
        timed += std::chrono::steady_clock::now() - start;
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    g_beforePaintUs[rows] = timed.count() / static_cast<double>(state.iterations());
    state.counters["rows"] = rows;
}

void PrintRatios(const char* what, std::map<int, double>& perFrameUs)
{
    if (perFrameUs.count(1000) == 0)
        return;
    for (const auto& [rows, us] : perFrameUs)
        std::printf("%s at %d rows: %.1f us, %.2fx the cost at 1000 rows\n", what, rows, us, us / perFrameUs[1000]);
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // Both measures at one size share the filled window; a fixed number of frames per run keeps the table
    // near its starting size.
    for (const int rows : {1000, 100000, 1000000}) {
        benchmark::RegisterBenchmark("BM_WholePathFrame", BM_WholePathFrame)
            ->Arg(rows)->Iterations(2000)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("BM_WholePathFrameBeforePaint", BM_WholePathFrameBeforePaint)
            ->Arg(rows)->Iterations(2000)->Unit(benchmark::kMicrosecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_filled.window.reset();
    PrintRatios("frame with painting", g_perFrameUs);
    PrintRatios("frame before painting", g_beforePaintUs);
    return 0;
}
