// The statistics of the record table: a full recomputation of 1,000,000 rows (after Open or Clear) against
// its budget of 100 ms; the cost of one new row with 1,000 and 1,000,000 rows seen (constant); and what the
// open statistics window adds to logging in the main window: its refresh drawn, and a second of logging
// (two readings, as the meter sends them, and the window's one refresh) with the window open and closed.
#include <benchmark/benchmark.h>

#include "common/QtBenchmark.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "records/RecordStatistics.h"
#include "records/RecordTable.h"
#include "records/ui/StatisticsWindow.h"
#include "shell/ufrmMain.h"

using namespace korvex;

namespace {

// Readings as a day of logging leaves them: capacitors with D, inductors with Q, resistors with θ, an
// overload now and then.
void FillTable(TTable& table, int rows)
{
    static const char* const modes[] = {"Cs", "Cp", "Ls", "Rs"};
    static const char* const units[] = {"nF", "uF", "uH", "KOhm"};
    static const char* const subModes[] = {"D", "D", "Q", "?"};
    static const char* const subUnits[] = {"", "", "", "Deg"};
    table.DisableControls();
    for (int i = table.RecordCount(); i < rows; ++i) {
        const std::size_t f = static_cast<std::size_t>(i % 4);
        std::string value = std::to_string(1000 + i % 9000);
        value.insert(1, ".");
        table.Append();
        table.SetInteger(rfNO, i + 1);
        table.SetText(rfTime, "2026-12-10 14:03:07");
        table.SetText(rfMMode, modes[f]);
        table.SetText(rfMValue, i % 97 == 0 ? std::string("OL") : value);
        table.SetText(rfMUnit, units[f]);
        table.SetText(rfSMode, subModes[f]);
        table.SetText(rfSValue, f == 3 ? "-" + std::to_string(i % 90) + ".5" : "0.0" + std::to_string(i % 100));
        table.SetText(rfSUnit, subUnits[f]);
        table.SetText(rfFreq, "1KHz");
        table.Post();
    }
    table.EnableControls();
}

TTable& MillionRows()
{
    static TTable table = [] {
        TTable t = CreateRecordTable();
        FillTable(t, 1000000);
        return t;
    }();
    return table;
}

double g_recomputeMs = 0;
double g_recomputeCpuMs = 0;

void BM_RecomputeMillionRows(benchmark::State& state)
{
    TTable& table = MillionRows();
    TRecordStatistics statistics(table, ".");
    double totalMs = 0;
    // The processor time too: on a shared machine the wall clock also counts the time others had the core.
    double totalCpuMs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t startCpu = std::clock();
        statistics.Recompute(table.RecordCount());
        totalCpuMs += 1000.0 * static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC;
        totalMs += std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(statistics.Functions().data());
    }
    g_recomputeMs = totalMs / static_cast<double>(state.iterations());
    g_recomputeCpuMs = totalCpuMs / static_cast<double>(state.iterations());
    state.counters["rows"] = table.RecordCount();
}
BENCHMARK(BM_RecomputeMillionRows)->Iterations(10)->Unit(benchmark::kMillisecond);

std::map<int, double> g_addNs;

void BM_AddRow(benchmark::State& state)
{
    const int seen = static_cast<int>(state.range(0));
    TTable& table = MillionRows();
    TRecordStatistics statistics(table, ".");
    statistics.Recompute(seen);
    int row = seen;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        // The last rows again once the table's end is reached: the cost does not depend on which row.
        if (row == table.RecordCount())
            row = table.RecordCount() - 1000;
        statistics.Add(row++);
    }
    g_addNs[seen] = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() /
                    static_cast<double>(state.iterations());
}
BENCHMARK(BM_AddRow)->Arg(1000)->Arg(999000)->Iterations(100000);

TMeterState Reading(int i, const std::string& decimalSep)
{
    TMeterState s;
    s.MainMode = mmC;
    s.MainKind = rkNumber;
    s.MainText = "4" + decimalSep + std::to_string(600 + i % 200);
    s.MainUnit = uuF;
    s.SubMode = smD;
    s.SubKind = rkNumber;
    s.SubText = "0" + decimalSep + "0" + std::to_string(10 + i % 80);
    s.Freq = tf1kHz;
    return s;
}

// The shown main window with 1,000 rows logged and a nominal entered, the statistics window open or not.
struct LoggingWindow {
    std::unique_ptr<TfrmMain> window;
    int next = 0;

    explicit LoggingWindow(bool statisticsOpen)
    {
        window = std::make_unique<TfrmMain>();
        window->show();
        (void)QTest::qWaitForWindowExposed(window.get());
        for (int i = 0; i < 1000; ++i)
            Log();
        if (statisticsOpen) {
            window->btnRecordStatistics()->click();
            window->frmStatistics()->edtNominal()->setText(QStringLiteral("4.7u"));
            window->frmStatistics()->edtTolerance()->setText(QStringLiteral("5"));
            (void)QTest::qWaitForWindowExposed(window->frmStatistics());
        }
        QApplication::processEvents();
    }

    void Log()
    {
        window->AppendRecord(Reading(next++, window->MeterState().DecimalSep));
    }

    // What the refresh timer does once its period is over, and the painting it causes.
    void RefreshStatistics()
    {
        if (TStatisticsWindow* statistics = window->frmStatistics()) {
            statistics->Refresh();
            QApplication::processEvents();
        }
    }
};

double g_refreshUs = 0;
double g_refreshCpuUs = 0;

void BM_StatisticsRefreshDrawn(benchmark::State& state)
{
    LoggingWindow logging(true);
    std::chrono::duration<double, std::micro> timed{0};
    double cpuUs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        logging.Log();
        logging.Log();
        QApplication::processEvents();
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const std::clock_t startCpu = std::clock();
        logging.RefreshStatistics();
        cpuUs += 1e6 * static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC;
        timed += std::chrono::steady_clock::now() - start;
    }
    g_refreshUs = timed.count() / static_cast<double>(state.iterations());
    g_refreshCpuUs = cpuUs / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StatisticsRefreshDrawn)->Iterations(300)->Unit(benchmark::kMicrosecond);

std::map<bool, double> g_secondUs;

// One second of logging: two readings, each painted in the grid as it comes, then the statistics window's
// refresh when it is open.
void BM_SecondOfLogging(benchmark::State& state)
{
    const bool open = state.range(0) != 0;
    LoggingWindow logging(open);
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        logging.Log();
        QApplication::processEvents();
        logging.Log();
        QApplication::processEvents();
        logging.RefreshStatistics();
    }
    g_secondUs[open] = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() /
                       static_cast<double>(state.iterations());
}
BENCHMARK(BM_SecondOfLogging)->Arg(0)->Arg(1)->Iterations(300)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return korvex::bench::RunQtBenchmarks(argc, argv, [] {
        if (g_recomputeMs > 0)
            std::printf("recomputation of 1000000 rows: %.1f ms (%.1f ms of processor time), %.2f (%.2f) of the 100 ms "
                        "budget\n", g_recomputeMs, g_recomputeCpuMs, g_recomputeMs / 100.0, g_recomputeCpuMs / 100.0);
        if (g_addNs.size() == 2)
            std::printf("one new row: %.0f ns with 1000 rows seen, %.2fx that with 999000\n", g_addNs[1000],
                        g_addNs[999000] / g_addNs[1000]);
        if (g_refreshUs > 0 && g_addNs.count(1000)) {
            // At most one refresh per second, and two rows a second from the meter.
            const double extraUs = g_refreshCpuUs + 2 * g_addNs[1000] / 1000.0;
            std::printf("statistics window open: %.0f us of processor time per second of logging (refresh %.0f us, "
                        "%.0f us by the wall clock), %.3f %% of a core, %.2f of the 0.1 %% budget\n",
                        extraUs, g_refreshCpuUs, g_refreshUs, extraUs / 1e4, extraUs / 1e4 / 0.1);
        }
        if (g_secondUs.size() == 2)
            std::printf("a second of logging costs %.2fx with the statistics window open as with it closed\n",
                        g_secondUs[true] / g_secondUs[false]);
    });
}
