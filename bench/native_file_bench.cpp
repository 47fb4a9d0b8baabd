// Saving and loading a drawing of a million lines, the size of an imported site plan.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/program_defaults.h"
#include "model/document.h"
#include "model/layers.h"
#include "model/native_file.h"

namespace {

using namespace marquetta;

void FillLines(CZorader_ezDoc& doc, int count) {
    doc.DeleteAllShapes();
    EnsureLayer("0");
    doc.SetCurrentLayer("0");
    doc.m_current.m_nType = SHAPE_LINE;
    for (int i = 0; i < count; ++i) {
        doc.m_current.m_pt[0] = {static_cast<float>(i), 0.0f, 0.0f};
        doc.m_current.m_pt[1] = {static_cast<float>(i), 0.0f, 1000.0f};
        doc.AddCurrentShape();
    }
}

std::string BenchPath() {
    return (std::filesystem::temp_directory_path() /
            ("marquetta_bench_" + std::to_string(::getpid()) + ".trn"))
        .string();
}

void BM_SaveLines(benchmark::State& state) {
    InitProgramDefaults();
    CZorader_ezDoc doc;
    FillLines(doc, static_cast<int>(state.range(0)));
    const std::string path = BenchPath();
    for (auto _ : state) {
        if (!SaveDrawingFile(doc, path).ok()) {
            state.SkipWithError("save failed");
        }
    }
    const auto bytes = std::filesystem::file_size(path);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    std::filesystem::remove(path);
}

void BM_LoadLines(benchmark::State& state) {
    InitProgramDefaults();
    const std::string path = BenchPath();
    {
        CZorader_ezDoc doc;
        FillLines(doc, static_cast<int>(state.range(0)));
        SaveDrawingFile(doc, path);
    }
    const auto bytes = std::filesystem::file_size(path);
    for (auto _ : state) {
        CZorader_ezDoc doc;
        if (!LoadDrawingFile(doc, path).ok()) {
            state.SkipWithError("load failed");
        }
        benchmark::DoNotOptimize(doc.m_shapes.size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
    std::filesystem::remove(path);
}

BENCHMARK(BM_SaveLines)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadLines)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
