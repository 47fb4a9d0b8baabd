// DXF import of the generated plan (800,000 lines and 160,000 circles, about 100 MB),
// beside two anchors on the same file in the same run: the floor, a bare scan that
// splits the lines with memchr and converts every value with std::from_chars, and the
// DXF parser of dxflib, a widely used C++ reader. DXF export of the imported drawing
// is measured too. A plan of 10,000 references to a block of 50 entities is imported
// beside the time ezdxf takes to read the same file.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
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

// A furnished plan as CAD programs write it: one block of 50 entities (30 lines, 10
// arcs, 5 circles, 3 texts and two closed polylines of four vertices with a bulge),
// placed 10,000 times on a 100 x 100 grid, turned by steps of 15 degrees, every third
// reference mirrored. R12, LF line ends.
constexpr int kBlockReferences = 10'000;
constexpr int kBlockEntities = 50;
constexpr int kShapesPerReference = 30 + 10 + 5 + 3 + 2 * 4;

bool WriteDxfBlockPlan(const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) {
        return false;
    }
    std::fputs("0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n9\n$INSUNITS\n70\n4\n0\nENDSEC\n"
               "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n3\n"
               "0\nLAYER\n2\n0\n70\n0\n62\n7\n6\nCONTINUOUS\n"
               "0\nLAYER\n2\nFURNITURE\n70\n0\n62\n3\n6\nCONTINUOUS\n"
               "0\nLAYER\n2\nLABELS\n70\n0\n62\n5\n6\nCONTINUOUS\n0\nENDTAB\n0\nENDSEC\n"
               "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\n0\n2\nDESK\n70\n0\n10\n0.0\n20\n0.0\n30\n0.0\n3\nDESK\n",
               f);
    for (int i = 0; i < 30; ++i) {
        std::fprintf(f, "0\nLINE\n8\n0\n10\n%d.0\n20\n%d.0\n30\n0.0\n11\n%d.0\n21\n%d.0\n31\n0.0\n",
                     i * 50, i % 7 * 100, i * 50 + 400, 700 - i % 5 * 100);
    }
    for (int i = 0; i < 10; ++i) {
        std::fprintf(f, "0\nARC\n8\nFURNITURE\n10\n%d.0\n20\n300.0\n30\n0.0\n40\n%d.0\n50\n%d.0\n51\n%d.0\n",
                     i * 150, 60 + i * 10, i * 30, i * 30 + 120);
    }
    for (int i = 0; i < 5; ++i) {
        std::fprintf(f, "0\nCIRCLE\n8\nFURNITURE\n10\n%d.0\n20\n900.0\n30\n0.0\n40\n%d.0\n",
                     i * 300, 50 + i * 20);
    }
    for (int i = 0; i < 3; ++i) {
        std::fprintf(f, "0\nTEXT\n8\nLABELS\n10\n%d.0\n20\n-200.0\n30\n0.0\n40\n100.0\n1\nDESK-%d\n",
                     i * 500, i);
    }
    for (int i = 0; i < 2; ++i) {
        std::fprintf(f, "0\nPOLYLINE\n8\n0\n66\n1\n10\n0.0\n20\n0.0\n30\n0.0\n70\n1\n"
                        "0\nVERTEX\n8\n0\n10\n%d.0\n20\n0.0\n30\n0.0\n42\n0.4142\n"
                        "0\nVERTEX\n8\n0\n10\n%d.0\n20\n0.0\n30\n0.0\n"
                        "0\nVERTEX\n8\n0\n10\n%d.0\n20\n600.0\n30\n0.0\n"
                        "0\nVERTEX\n8\n0\n10\n%d.0\n20\n600.0\n30\n0.0\n0\nSEQEND\n8\n0\n",
                     i * 800, i * 800 + 700, i * 800 + 700, i * 800);
    }
    std::fputs("0\nENDBLK\n8\n0\n0\nENDSEC\n0\nSECTION\n2\nENTITIES\n", f);
    for (int i = 0; i < kBlockReferences; ++i) {
        std::fprintf(f, "0\nINSERT\n8\nFURNITURE\n2\nDESK\n10\n%d.0\n20\n%d.0\n30\n0.0\n41\n%s\n"
                        "42\n1.0\n43\n1.0\n50\n%d.0\n",
                     i % 100 * 3000, i / 100 * 3000, i % 3 == 2 ? "-1.0" : "1.0", i % 24 * 15);
    }
    std::fputs("0\nENDSEC\n0\nEOF\n", f);
    return std::fclose(f) == 0;
}

// The anchor: seconds ezdxf takes to read the file (ezdxf.readfile), timed by itself;
// negative when it could not.
double EzdxfReadSeconds(const std::string& path) {
    const std::string command =
        "/usr/bin/python3 -c 'import sys, time, ezdxf; t = time.perf_counter(); "
        "ezdxf.readfile(sys.argv[1]); print(time.perf_counter() - t)' '" + path + "' 2>/dev/null";
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return -1.0;
    }
    double seconds = -1.0;
    if (std::fscanf(pipe, "%lf", &seconds) != 1) {
        seconds = -1.0;
    }
    return ::pclose(pipe) == 0 ? seconds : -1.0;
}

void BM_ImportDxfBlockPlan(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("marquetta_dxf_blocks_" + std::to_string(::getpid()) + ".dxf"))
                                 .string();
    if (!WriteDxfBlockPlan(path)) {
        state.SkipWithError("cannot write the plan");
        return;
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped(platform);
    InitProgramDefaults();
    size_t shapes = 0;
    for (auto _ : state) {
        CZorader_ezDoc doc;
        const DxfImportResult result = ImportDxfFile(doc, path);
        if (!result.message.empty()) {
            state.SkipWithError(result.message.text.c_str());
            break;
        }
        shapes = doc.m_shapes.size();
        state.PauseTiming();
        doc.DeleteAllShapes();
        state.ResumeTiming();
    }
    const double ezdxf = EzdxfReadSeconds(path);
    const auto bytes = static_cast<int64_t>(std::filesystem::file_size(path));
    std::filesystem::remove(path);
    if (shapes != static_cast<size_t>(kBlockReferences) * kShapesPerReference) {
        state.SkipWithError("not every shape of the blocks was made");
    }
    if (ezdxf < 0.0) {
        state.SkipWithError("ezdxf could not read the file (scripts/setup.sh installs it)");
    }
    state.counters["shapes"] = static_cast<double>(shapes);
    state.counters["ezdxf_read_ms"] = ezdxf * 1000.0;
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
    static_assert(kBlockEntities == 30 + 10 + 5 + 3 + 2);
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
BENCHMARK(BM_ImportDxfBlockPlan)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
