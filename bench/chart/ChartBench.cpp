// Cost of one reading arriving: AddValue and a full redraw of the chart, with the data series
// already holding a thousand, a hundred thousand and a million readings. The redraw should cost
// the same at every size, because only the page in view is drawn.
#include <cmath>

#include <QApplication>
#include <benchmark/benchmark.h>

#include "common/QtBenchmark.h"

#include "chart/TrendChartStyle.h"
#include "chart/TrendPlot.h"
#include "chart/uCharControl.h"

namespace {

double Reading(std::int64_t index)
{
    return 30 * std::sin(static_cast<double>(index) / 16.0);
}

void AddValueAndRedraw(benchmark::State& state)
{
    korvex::TTrendPlot chart;
    korvex::StyleTrendChart(&chart);
    chart.resize(640, 420);
    chart.show();
    korvex::TChartControl control(&chart, 100);
    const auto readings = state.range(0);
    for (std::int64_t i = 0; i < readings; ++i)
        control.AddValue(Reading(i));
    chart.repaint();

    std::int64_t next = readings;
    for (auto _ : state) {
        benchmark::DoNotOptimize(control.AddValue(Reading(next++)));
        chart.repaint();
    }
    state.counters["page"] = control.CurrentPage();
}

BENCHMARK(AddValueAndRedraw)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    return korvex::bench::RunQtBenchmarks(argc, argv);
}
