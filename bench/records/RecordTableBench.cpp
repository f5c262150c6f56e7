// Per-row cost of recording (AppendRecord, the grid model and the grid showing and selecting the new row,
// painted) with the table at 1,000, 100,000 and 1,000,000 rows, and the memory a row takes.
#include <benchmark/benchmark.h>

#include "common/QtBenchmark.h"

#include <QApplication>
#include <QTableView>
#include <malloc.h>
#include <memory>

#include "records/ui/RecordGrid.h"
#include "records/RecordGridModel.h"
#include "records/RecordTable.h"

using namespace korvex;

namespace {

TMeterState Reading(int i)
{
    TMeterState s;
    s.MainMode = static_cast<std::uint8_t>(1 + i % 4);
    s.Parallel = static_cast<std::uint8_t>(i % 2);
    s.MainKind = rkNumber;
    s.MainText = std::to_string(1000 + i % 9000);
    s.MainText.insert(1, ".");
    s.MainUnit = static_cast<std::uint8_t>(i % UnitCount);
    s.SubMode = static_cast<std::uint8_t>(i % 5);
    s.SubKind = rkNumber;
    s.SubText = "0." + std::to_string(i % 1000);
    s.SubUnit = static_cast<std::uint8_t>((i + 3) % UnitCount);
    s.Freq = i % 5;
    return s;
}

std::size_t HeapInUse()
{
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

struct Recorder {
    TTable cds1 = CreateRecordTable();
    std::unique_ptr<TRecordGridModel> model;
    std::unique_ptr<QTableView> grid;

    explicit Recorder(int rows, bool withGrid = true)
    {
        model = std::make_unique<TRecordGridModel>(cds1);
        if (withGrid) {
            grid = std::make_unique<QTableView>();
            grid->setObjectName("DBGrid1");
            ConfigureRecordGrid(*grid, *model);
            grid->resize(500, 300);
            grid->show();
        }
        cds1.DisableControls();
        for (int i = 0; i < rows; ++i)
            AppendRecord(cds1, Reading(i));
        cds1.EnableControls();
        if (grid) {
            grid->scrollToBottom();
            QApplication::processEvents();
        }
    }
};

void BM_RecordRow(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    Recorder r(rows);
    int i = rows;
    for (auto _ : state) {
        AppendRecord(r.cds1, Reading(i++));
        QApplication::processEvents();
        r.grid->viewport()->repaint();
    }
    state.counters["rows_at_end"] = r.cds1.RecordCount();
}
// A fixed, small number of rows per run, so the table stays near its starting size.
BENCHMARK(BM_RecordRow)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(1000)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

void BM_AppendRecordOnly(benchmark::State& state)
{
    const int rows = static_cast<int>(state.range(0));
    Recorder r(rows, false);
    int i = rows;
    for (auto _ : state)
        AppendRecord(r.cds1, Reading(i++));
}
// The table and its model without a grid, to tell the engine's share from the grid's.
BENCHMARK(BM_AppendRecordOnly)->Arg(1000)->Arg(100000)->Arg(1000000)->Iterations(1000)->Repetitions(3)
    ->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

void BM_MemoryPerRow(benchmark::State& state)
{
    const bool withGrid = state.range(0) != 0;
    constexpr int kRows = 1000000;
    for (auto _ : state) {
        malloc_trim(0);
        const std::size_t before = HeapInUse();
        Recorder r(kRows, withGrid);
        const std::size_t after = HeapInUse();
        state.counters["bytes_per_row"] = static_cast<double>(after - before) / kRows;
    }
}
// 0: the table alone; 1: the table with its model and a shown grid.
BENCHMARK(BM_MemoryPerRow)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    return korvex::bench::RunQtBenchmarks(argc, argv);
}
