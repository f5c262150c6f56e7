#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "records/RecordFiles.h"
#include "records/XmlPacketStreamParser.h"

// Save and open of a table of a million rows in both formats, beside a plain buffered write and read of
// the same bytes, so that the figures can be read as ratios from one run. The XML file is also opened
// with Qt's parser alone, as packets were read before the scanner.
namespace korvex {
namespace {

constexpr int kRows = 1'000'000;

std::vector<FieldDef> NineFields()
{
    std::vector<FieldDef> fields{{"aNO", FieldType::Integer, 0}};
    for (const char* name : {"aTime", "aMMode", "aMValue", "aMUnit", "aSMode", "aSValue", "aSUnit", "aFreq"})
        fields.push_back({name, FieldType::Text, 20});
    return fields;
}

const QStringList kTitles = {"NO", "Time", "MMode", "MValue", "MUnit", "SMode", "SValue", "SUnit", "Freq"};
const SaveNotices kQuiet{[](const QString&) {}, [](const QString&) {}};

struct Scene {
    QTemporaryDir dir;
    TTable table{NineFields()};
    QByteArray textBytes;
    QByteArray xmlBytes;

    Scene()
    {
        for (int i = 1; i <= kRows; ++i) {
            table.Append();
            table.SetInteger(0, i);
            table.SetText(1, "2011-05-24 15:59:13");
            table.SetText(2, "Cp");
            table.SetText(3, i % 2 ? "1.234" : "0.9876");
            table.SetText(4, "nF");
            table.SetText(5, "D");
            table.SetText(6, "0.012");
            table.SetText(7, "");
            table.SetText(8, "1KHz");
            table.Post();
        }
        DBToFiles(table, Path("seed.txt"), kTitles, kQuiet);
        DBToFiles(table, Path("seed.xml"), kTitles, kQuiet);
        textBytes = ReadAll(Path("seed.txt"));
        xmlBytes = ReadAll(Path("seed.xml"));
    }
    QString Path(const char* name) const { return dir.filePath(name); }
    static QByteArray ReadAll(const QString& path)
    {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void Save(benchmark::State& state, const char* name)
{
    Scene& scene = TheScene();
    for (auto _ : state)
        benchmark::DoNotOptimize(DBToFiles(scene.table, scene.Path(name), kTitles, kQuiet));
    state.SetBytesProcessed(state.iterations() * QFile(scene.Path(name)).size());
}

using Clock = std::chrono::steady_clock;

// Mean seconds of each open, so that later cases can give their time as a multiple of earlier ones.
std::map<std::string, double>& OpenSeconds()
{
    static std::map<std::string, double> seconds;
    return seconds;
}

void ShowMultipleOf(benchmark::State& state, const std::string& counter, const std::string& own, const std::string& other)
{
    const auto& seconds = OpenSeconds();
    if (own != other && seconds.contains(own) && seconds.contains(other))
        state.counters[counter] = seconds.at(own) / seconds.at(other);
}

// Opens the seed file with `read` once an iteration, each time into a new table, and keeps the mean
// seconds of a read under `name`.
template <typename Read>
void TimeOpens(benchmark::State& state, const char* seed, const std::string& name, Read read)
{
    Scene& scene = TheScene();
    Clock::duration total{};
    for (auto _ : state) {
        auto table = std::make_unique<TTable>(NineFields());
        const auto start = Clock::now();
        const bool loaded = read(scene.Path(seed), *table);
        total += Clock::now() - start;
        if (!loaded || table->RecordCount() != kRows) {
            state.SkipWithError("read failed");
            break;
        }
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFile(scene.Path(seed)).size());
    if (state.iterations() > 0)
        OpenSeconds()[name] = std::chrono::duration<double>(total).count() / static_cast<double>(state.iterations());
}

void Open(benchmark::State& state, const char* seed)
{
    TimeOpens(state, seed, seed,
              [](const QString& path, TTable& table) { return AnyToCds(path, table, false); });
    ShowMultipleOf(state, "x_text_open", seed, "seed.txt");
}

// The packet read as before: Qt's parser alone, then the rows appended as the reader appends them.
void OpenWithQtParser(benchmark::State& state, const char* seed)
{
    TimeOpens(state, seed, "qt parser", [](const QString& path, TTable& table) {
        QFile file(path);
        xmlpacket::PacketTable packet;
        table.DisableControls();
        const bool loaded = file.open(QIODevice::ReadOnly) && xmlpacket::ParseWithStreamReader(file, packet) &&
                            xmlpacket::CopyByPosition(packet, table);
        table.EnableControls();
        return loaded;
    });
    ShowMultipleOf(state, "x_text_open", "qt parser", "seed.txt");
    ShowMultipleOf(state, "x_scanner_open", "qt parser", seed);
}

// The same bytes through a buffered stdio file: the floor that the file formats are compared with.
void PlainWrite(benchmark::State& state, const QByteArray Scene::*bytes, const char* name)
{
    Scene& scene = TheScene();
    const QByteArray& data = scene.*bytes;
    const QByteArray path = scene.Path(name).toLocal8Bit();
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.constData(), "wb");
        for (qsizetype at = 0; at < data.size(); at += 64 * 1024)
            std::fwrite(data.constData() + at, 1, static_cast<std::size_t>(std::min<qsizetype>(64 * 1024, data.size() - at)), file);
        std::fclose(file);
    }
    state.SetBytesProcessed(state.iterations() * data.size());
}

void PlainRead(benchmark::State& state, const char* seed)
{
    Scene& scene = TheScene();
    const QByteArray path = scene.Path(seed).toLocal8Bit();
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.constData(), "rb");
        std::size_t total = 0;
        while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), file))
            total += got;
        std::fclose(file);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * QFile(scene.Path(seed)).size());
}

BENCHMARK_CAPTURE(Save, text, "save.txt")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(PlainWrite, text, &Scene::textBytes, "plain.txt")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Open, text, "seed.txt")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(PlainRead, text, "seed.txt")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Save, xml, "save.xml")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(PlainWrite, xml, &Scene::xmlBytes, "plain.xml")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Open, xml, "seed.xml")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(OpenWithQtParser, xml, "seed.xml")->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(PlainRead, xml, "seed.xml")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace korvex
