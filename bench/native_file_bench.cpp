// Saving and loading the site plan of a million shapes in the native file, beside the
// anchors measured in the same run on the same bytes: reading the file as `cat` does,
// and copying it (read, write, sync) as a save must at least.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/program_defaults.h"
#include "model/document.h"
#include "model/native_file.h"
#include "platform/platform.h"
#include "site_scene.h"

namespace {

using namespace marquetta;

std::string BenchPath(const char* tag) {
    return (std::filesystem::temp_directory_path() /
            ("marquetta_bench_" + std::to_string(::getpid()) + tag))
        .string();
}

// The site plan, saved once for every benchmark here and removed at exit.
struct SavedSitePlan {
    SavedSitePlan() {
        InitProgramDefaults();
        CZorader_ezDoc doc;
        bench::FillSitePlan(doc);
        ok = SaveDrawingFile(doc, path).ok();
        bytes = ok ? static_cast<int64_t>(std::filesystem::file_size(path)) : 0;
    }
    ~SavedSitePlan() { std::filesystem::remove(path); }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    std::string path = BenchPath(".trn");
    bool ok = false;
    int64_t bytes = 0;
};

const SavedSitePlan& Plan() {
    static const SavedSitePlan plan;
    return plan;
}

void Report(benchmark::State& state, int64_t bytes) {
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_SaveDrawing(benchmark::State& state) {
    const SavedSitePlan& plan = Plan();
    CZorader_ezDoc doc;
    if (!plan.ok || !LoadDrawingFile(doc, plan.path).ok()) {
        state.SkipWithError("no drawing to save");
        return;
    }
    const std::string path = BenchPath(".saved.trn");
    for (auto _ : state) {
        if (!SaveDrawingFile(doc, path).ok()) {
            state.SkipWithError("save failed");
            break;
        }
    }
    Report(state, static_cast<int64_t>(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}

void BM_LoadDrawing(benchmark::State& state) {
    const SavedSitePlan& plan = Plan();
    size_t shapes = 0;
    for (auto _ : state) {
        CZorader_ezDoc doc;
        if (!plan.ok || !LoadDrawingFile(doc, plan.path).ok()) {
            state.SkipWithError("load failed");
            break;
        }
        shapes = doc.m_shapes.size();
        state.PauseTiming();  // freeing the drawing is not part of opening it
        doc.DeleteAllShapes();
        state.ResumeTiming();
    }
    state.counters["shapes"] = static_cast<double>(shapes);
    Report(state, plan.bytes);
}

// Anchor: the file's bytes read through a 1 MiB buffer and dropped.
void BM_AnchorReadFile(benchmark::State& state) {
    const SavedSitePlan& plan = Plan();
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int fd = ::open(plan.path.c_str(), O_RDONLY);
        while (::read(fd, buffer.data(), buffer.size()) > 0) {
        }
        ::close(fd);
    }
    Report(state, plan.bytes);
}

// Anchor: the file copied to a new one, synced and renamed, as a save ends.
void BM_AnchorCopyFile(benchmark::State& state) {
    const SavedSitePlan& plan = Plan();
    const std::string temp = BenchPath(".copy.tmp");
    const std::string target = BenchPath(".copy.trn");
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        const int in = ::open(plan.path.c_str(), O_RDONLY);
        const int out = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ssize_t got;
        while ((got = ::read(in, buffer.data(), buffer.size())) > 0) {
            if (::write(out, buffer.data(), static_cast<size_t>(got)) != got) {
                state.SkipWithError("copy failed");
                break;
            }
        }
        ::fsync(out);
        ::close(out);
        ::close(in);
        std::filesystem::rename(temp, target);
    }
    std::filesystem::remove(target);
    Report(state, plan.bytes);
}

BENCHMARK(BM_AnchorReadFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_LoadDrawing)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(30);
BENCHMARK(BM_AnchorCopyFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_SaveDrawing)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
