// CPU the program takes while it logs the simulated meter: the main window shown, "Connection" clicked,
// the simulated bridge (beside this program) streaming its two frames a second through the real path,
// every reading recorded. Measured after a warm-up, over a stretch of wall time, for the whole process
// (the link's reader thread included), with the record table empty at the start and already holding a
// week's rows.
//   logging_bench [seconds] [rows ...]      (default 30 s, rows 0 and 1000000)
// Run under Xvfb for the figure a desktop sees (bench/logging/logging-bench does).
#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sys/resource.h>
#include <vector>

#include "common/MeterFrames.h"
#include "links/uCP2110.h"
#include "records/TableEngine.h"
#include "shell/ufrmMain.h"

using namespace korvex;

namespace {

double CpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void RunFor(int milliseconds)
{
    QEventLoop running;
    QTimer::singleShot(milliseconds, &running, &QEventLoop::quit);
    running.exec();
}

// Fills the table through the decoder as the meter would, the grid told once at the end.
void Prefill(TfrmMain& window, int rows)
{
    window.cds1().DisableControls();
    for (std::uint64_t i = 0; window.cds1().RecordCount() < rows;) {
        const std::vector<std::uint8_t> frame = bench::NextFrame(i);
        window.Decoder().CP21101ReceiveData(reinterpret_cast<const char*>(frame.data()),
                                            static_cast<std::uint32_t>(frame.size()));
    }
    window.cds1().EnableControls();
}

void Measure(int seconds, int rows)
{
    TfrmMain window;
    // Every reading recorded, as a logging session would have it.
    window.cbRepeat()->setChecked(true);
    window.show();
    (void)QTest::qWaitForWindowExposed(&window);
    if (rows > 0)
        Prefill(window, rows);
    window.btnConnect()->click();
    RunFor(3000);  // connected, first frames drawn, caches warm
    const int before = window.cds1().RecordCount();
    const double cpuBefore = CpuSeconds();
    const auto wallBefore = std::chrono::steady_clock::now();
    RunFor(seconds * 1000);
    const double cpu = CpuSeconds() - cpuBefore;
    const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - wallBefore).count();
    const int logged = window.cds1().RecordCount() - before;
    window.CP21101().Disconnect();
    std::printf("logging with %d rows at the start: %d readings in %.1f s, CPU %.3f s = %.3f %% of a core, "
                "%.2f ms a reading\n",
                rows, logged, wall, cpu, 100.0 * cpu / wall, logged > 0 ? 1000.0 * cpu / logged : 0.0);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int seconds = args.size() > 1 ? std::max(1, args[1].toInt()) : 30;
    std::vector<int> sizes;
    for (int i = 2; i < args.size(); ++i)
        sizes.push_back(args[i].toInt());
    if (sizes.empty())
        sizes = {0, 1000000};
    std::printf("platform %s, %d s each\n", qPrintable(QGuiApplication::platformName()), seconds);
    for (const int rows : sizes)
        Measure(seconds, rows);
    return 0;
}
