// DXF import of the generated plan (800,000 lines and 160,000 circles, about 100 MB),
// beside two anchors on the same file in the same run: the floor, a bare scan that
// splits the lines with memchr and converts every value with std::from_chars, and the
// DXF parser of dxflib, a widely used C++ reader. DXF export of the imported drawing
// is measured too.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/program_defaults.h"
#include "exchange/dxf_import.h"
#include "exchange/dxf_writer.h"
#include "platform/platform.h"
#include "site_scene.h"

#ifdef MARQUETTA_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

namespace {

using namespace marquetta;
using namespace marquetta::bench;

// The generated file, written once per run and removed at exit.
class GeneratedPlan {
  public:
    GeneratedPlan() {
        m_path = (std::filesystem::temp_directory_path() /
                  ("marquetta_dxf_bench_" + std::to_string(::getpid()) + ".dxf"))
                     .string();
        m_ok = WriteDxfPlan(m_path);
        m_bytes = m_ok ? static_cast<int64_t>(std::filesystem::file_size(m_path)) : 0;
    }
    ~GeneratedPlan() { std::filesystem::remove(m_path); }

    const std::string& Path() const { return m_path; }
    int64_t Bytes() const { return m_bytes; }
    bool Ok() const { return m_ok; }

  private:
    std::string m_path;
    int64_t m_bytes = 0;
    bool m_ok = false;
};

const GeneratedPlan& Plan() {
    static const GeneratedPlan plan;
    return plan;
}

void Report(benchmark::State& state) {
    state.SetBytesProcessed(state.iterations() * Plan().Bytes());
    state.counters["MB"] = static_cast<double>(Plan().Bytes()) / 1e6;
}

// The floor: read the file through a 1 MiB buffer, split it into lines with memchr,
// and convert every group code to an int and every value to a double.
void BM_DxfAnchorBareScan(benchmark::State& state) {
    const GeneratedPlan& plan = Plan();
    std::vector<char> buffer(1 << 20);
    long values = 0;
    for (auto _ : state) {
        const int fd = ::open(plan.Path().c_str(), O_RDONLY);
        size_t kept = 0;
        bool codeLine = true;
        double sum = 0.0;
        values = 0;
        for (;;) {
            const ssize_t got = ::read(fd, buffer.data() + kept, buffer.size() - kept);
            if (got <= 0) {
                break;
            }
            const char* p = buffer.data();
            const char* end = p + kept + static_cast<size_t>(got);
            while (const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p))) {
                const char* first = p;
                while (first < nl && *first == ' ') {
                    ++first;
                }
                if (codeLine) {
                    int code = 0;
                    std::from_chars(first, nl, code);
                    sum += code;
                } else {
                    double value = 0.0;
                    std::from_chars(first, nl, value);
                    sum += value;
                }
                codeLine = !codeLine;
                ++values;
                p = nl + 1;
            }
            kept = static_cast<size_t>(end - p);
            std::memmove(buffer.data(), p, kept);
        }
        ::close(fd);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["lines"] = static_cast<double>(values);
    Report(state);
}

void BM_ImportDxfPlan(benchmark::State& state) {
    const GeneratedPlan& plan = Plan();
    HeadlessPlatform platform;
    ScopedPlatform scoped(platform);
    InitProgramDefaults();
    // The process's first import also has the system hand it fresh memory for the
    // shapes, which later ones reuse (blocks are kept for the next drawing); on this
    // virtual machine that first touch alone costs from 40 to 700 ms from one run to the
    // next. It is timed on its own, and the iterations measure the import's own work.
    {
        CZorader_ezDoc doc;
        const auto start = std::chrono::steady_clock::now();
        ImportDxfFile(doc, plan.Path());
        state.counters["first_import_ms"] =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        doc.DeleteAllShapes();
    }
    size_t shapes = 0;
    for (auto _ : state) {
        CZorader_ezDoc doc;
        const DxfImportResult result = ImportDxfFile(doc, plan.Path());
        if (!result.message.empty()) {
            state.SkipWithError(result.message.text.c_str());
            break;
        }
        shapes = doc.m_shapes.size();
        state.PauseTiming();  // freeing the drawing is not part of reading it
        doc.DeleteAllShapes();
        state.ResumeTiming();
    }
    if (shapes != static_cast<size_t>(kDxfLines + kDxfCircles)) {
        state.SkipWithError("not every entity was imported");
    }
    state.counters["shapes"] = static_cast<double>(shapes);
    // The process's peak: the import's own, as bench/run.sh runs it (beside the bare scan,
    // which holds a buffer of 1 MiB).
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    Report(state);
}

void BM_ExportDxfPlan(benchmark::State& state) {
    const GeneratedPlan& plan = Plan();
    HeadlessPlatform platform;
    ScopedPlatform scoped(platform);
    InitProgramDefaults();
    CZorader_ezDoc doc;
    ImportDxfFile(doc, plan.Path());
    const std::string out = plan.Path() + ".out.dxf";
    for (auto _ : state) {
        const DxfExportResult result = ExportDxfFile(doc, out);
        if (!result.written) {
            state.SkipWithError(result.message.text.c_str());
            break;
        }
    }
    const int64_t bytes = static_cast<int64_t>(std::filesystem::file_size(out));
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    std::filesystem::remove(out);
}

#ifdef MARQUETTA_HAVE_DXFLIB
// The least a dxflib client can do: count the entities it is handed.
class EntityCounter : public DL_CreationAdapter {
  public:
    void addLine(const DL_LineData&) override { ++entities; }
    void addCircle(const DL_CircleData&) override { ++entities; }
    long entities = 0;
};

void BM_DxflibParsePlan(benchmark::State& state) {
    const GeneratedPlan& plan = Plan();
    long entities = 0;
    for (auto _ : state) {
        EntityCounter counter;
        DL_Dxf dxf;
        if (!dxf.in(plan.Path(), &counter)) {
            state.SkipWithError("dxflib could not read the file");
            break;
        }
        entities = counter.entities;
    }
    if (entities != kDxfLines + kDxfCircles) {
        state.SkipWithError("dxflib did not see every entity");
    }
    Report(state);
}
BENCHMARK(BM_DxflibParsePlan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
#endif

BENCHMARK(BM_DxfAnchorBareScan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ImportDxfPlan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportDxfPlan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
