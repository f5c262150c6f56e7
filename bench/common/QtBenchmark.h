#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>
#include <functional>

namespace korvex::bench {

// The main of a benchmark program that needs widgets: an application on the offscreen platform (unless
// one is chosen), the registered benchmarks, then `after` (summary lines) once they have run.
inline int RunQtBenchmarks(int argc, char** argv, const std::function<void()>& after = {})
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (after)
        after();
    return 0;
}

}  // namespace korvex::bench
