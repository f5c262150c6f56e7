#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <vector>

#include "records/RecordFiles.h"

// Save and open of a table of a million rows in both formats, beside a plain buffered write and read of
// the same bytes, so that the figures can be read as ratios from one run.
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

void Open(benchmark::State& state, const char* seed)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        auto table = std::make_unique<TTable>(NineFields());
        if (!AnyToCds(scene.Path(seed), *table, false) || table->RecordCount() != kRows) {
            state.SkipWithError("read failed");
            break;
        }
        state.PauseTiming();
        table.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * QFile(scene.Path(seed)).size());
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
BENCHMARK_CAPTURE(PlainRead, xml, "seed.xml")->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace korvex
