// Cost of the printed report on large record tables: paginating and drawing every page on a device that
// draws nothing (text is still laid out), exporting to PDF (written directly, and for comparison drawn
// through QPainter as a printer gets the pages), and opening the preview.
//   build/bench/report/report_bench
// Counters: pages, and the case's peak resident memory against the memory held once the table was filled
// (peak_MB - table_MB is what preparing and drawing the report needed).
#include <benchmark/benchmark.h>

#include "common/QtBenchmark.h"

#include <QApplication>
#include <QDir>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTimer>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <unistd.h>

#include "records/RecordTable.h"
#include "records/TableEngine.h"
#include "records/ui/RecordReport.h"
#include "report/PdfExport.h"
#include "report/Report.h"
#include "report/ReportPreview.h"

using namespace korvex;

namespace {

// The peak resident memory since the last ResetPeak (the kernel's VmHWM, which writing 5 to clear_refs
// resets), so each case reports its own peak, not the process's lifetime one.
void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

double PeakMegabytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

double ResidentMegabytes()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Record tables by row count, filled once and kept for the run.
const TTable& Records(int rows)
{
    static std::map<int, std::unique_ptr<TTable>> tables;
    auto& table = tables[rows];
    if (!table) {
        table = std::make_unique<TTable>(CreateRecordTable());
        for (int i = 1; i <= rows; ++i) {
            table->Append();
            table->SetInteger(rfNO, i);
            table->SetText(rfTime, "2026-12-10 07:05:42");
            table->SetText(rfMMode, "Cs");
            table->SetText(rfMValue, std::to_string(1000 + i % 9000));
            table->SetText(rfMUnit, "nF");
            table->SetText(rfSMode, "D");
            table->SetText(rfSValue, "0.012");
            table->SetText(rfSUnit, "");
            table->SetText(rfFreq, "1KHz");
            table->Post();
        }
    }
    return *table;
}

// A 600 dpi page that keeps nothing of what is drawn on it.
class NullPaintDevice : public QPaintDevice {
public:
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return 4961;
        case PdmHeight: return 7016;
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 600;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        Engine() : QPaintEngine(AllFeatures) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawRects(const QRectF*, int) override {}
        void drawTextItem(const QPointF&, const QTextItem&) override {}
        Type type() const override { return User; }
    };
    mutable Engine engine_;
};

void Report(benchmark::State& state, int pages, double tableMb)
{
    state.counters["pages"] = pages;
    state.counters["table_MB"] = tableMb;
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_PaginateAndDrawEveryPage_NullDevice(benchmark::State& state)
{
    const TTable& cds1 = Records(static_cast<int>(state.range(0)));
    const double tableMb = ResidentMegabytes();
    ResetPeak();
    TRecordReportData data(cds1);
    int pages = 0;
    for (auto _ : state) {
        TReport report(RecordReportTemplate());
        report.AddDataSource(data);
        report.PrepareReport();
        NullPaintDevice device;
        QPainter painter(&device);
        for (int page = 0; page < report.PageCount(); ++page)
            report.RenderPage(painter, page);
        pages = report.PageCount();
    }
    Report(state, pages, tableMb);
}
BENCHMARK(BM_PaginateAndDrawEveryPage_NullDevice)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// Prepares the report and writes it to records.pdf with `write` on every iteration.
template <typename Write>
void WritePdfCase(benchmark::State& state, Write write)
{
    const TTable& cds1 = Records(static_cast<int>(state.range(0)));
    const double tableMb = ResidentMegabytes();
    ResetPeak();
    TRecordReportData data(cds1);
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        TReport report(RecordReportTemplate());
        report.AddDataSource(data);
        report.PrepareReport();
        write(report, dir.filePath("records.pdf"));
        pages = report.PageCount();
    }
    Report(state, pages, tableMb);
    state.counters["pdf_MB"] = static_cast<double>(QFileInfo(dir.filePath("records.pdf")).size()) / (1024.0 * 1024.0);
}

void BM_PaginateAndDrawEveryPage_Pdf(benchmark::State& state)
{
    WritePdfCase(state, [](const TReport& report, const QString& file) { ExportPdf(report, file); });
}
BENCHMARK(BM_PaginateAndDrawEveryPage_Pdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same pages drawn into a PDF through QPainter, as a printer gets them: what the export is compared with.
void BM_PaginateAndDrawEveryPage_PdfThroughQPainter(benchmark::State& state)
{
    WritePdfCase(state, [](const TReport& report, const QString& file) {
        QPdfWriter writer(file);
        ApplyPageLayout(report, writer);
        RenderPages(report, writer);
    });
}
BENCHMARK(BM_PaginateAndDrawEveryPage_PdfThroughQPainter)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// From the Print command's start to the preview standing with the pages in sight drawn, then closed.
void BM_OpenPreview(benchmark::State& state)
{
    const TTable& cds1 = Records(static_cast<int>(state.range(0)));
    const double tableMb = ResidentMegabytes();
    ResetPeak();
    TRecordReport frxReport1(cds1);
    int pages = 0;
    for (auto _ : state) {
        QTimer::singleShot(0, [] {
            if (auto* preview = qobject_cast<TReportPreview*>(QApplication::activeModalWidget())) {
                preview->grab();
                preview->reject();
            }
        });
        frxReport1.SetPreview([&](TReport& report, QWidget* owner) {
            pages = report.PageCount();
            ShowPreview(report, owner);
        });
        frxReport1.ShowReport(nullptr);
    }
    Report(state, pages, tableMb);
}
BENCHMARK(BM_OpenPreview)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv)
{
    return korvex::bench::RunQtBenchmarks(argc, argv);
}
