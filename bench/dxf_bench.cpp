// DXF import speed on a generated plan of lines (about 100 MB, CR LF, group codes
// right-aligned as most writers do), and on the same file in the same run the DXF
// parser of dxflib, a widely used C++ reader, so that the two rates can be compared.
// DXF export of the imported drawing is measured too.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/program_defaults.h"
#include "exchange/dxf_import.h"
#include "exchange/dxf_writer.h"
#include "model/binary_file.h"

#ifdef MARQUETTA_HAVE_DXFLIB
#include <dl_creationadapter.h>
#include <dl_dxf.h>
#endif

namespace {

using namespace marquetta;

constexpr int kLines = 800'000;

// The generated file, written once per run and removed at exit.
class GeneratedPlan {
  public:
    GeneratedPlan() {
        m_path = (std::filesystem::temp_directory_path() /
                  ("marquetta_dxf_bench_" + std::to_string(::getpid()) + ".dxf"))
                     .string();
        const FileResult written = WriteFileSafely(m_path, [](SafeFileWriter& w) {
            auto put = [&](std::string_view s) { w.Write(s.data(), s.size()); };
            char buffer[512];
            put("  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n"
                "  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nENTITIES\r\n");
            for (int i = 0; i < kLines; ++i) {
                const double x = (i % 1000) * 910.0 + 0.125;
                const double y = (i / 1000) * 455.0 - 12345.678;
                const int n = std::snprintf(
                    buffer, sizeof buffer,
                    "  0\r\nLINE\r\n  8\r\nWALL%d\r\n 62\r\n%d\r\n 10\r\n%.6f\r\n 20\r\n%.6f\r\n"
                    " 30\r\n0.0\r\n 11\r\n%.6f\r\n 21\r\n%.6f\r\n 31\r\n0.0\r\n",
                    i % 40, i % 8, x, y, x + 1820.5, y + 910.25);
                put(std::string_view(buffer, static_cast<size_t>(n)));
            }
            put("  0\r\nENDSEC\r\n  0\r\nEOF\r\n");
        });
        if (!written.ok()) {
            std::fprintf(stderr, "cannot write %s: %s\n", m_path.c_str(), written.message.c_str());
        }
        m_bytes = static_cast<int64_t>(std::filesystem::file_size(m_path));
    }
    ~GeneratedPlan() { std::filesystem::remove(m_path); }

    const std::string& Path() const { return m_path; }
    int64_t Bytes() const { return m_bytes; }

  private:
    std::string m_path;
    int64_t m_bytes = 0;
};

const GeneratedPlan& Plan() {
    static const GeneratedPlan plan;
    return plan;
}

void BM_ImportDxfLines(benchmark::State& state) {
    const GeneratedPlan& plan = Plan();
    InitProgramDefaults();
    size_t shapes = 0;
    for (auto _ : state) {
        CZorader_ezDoc doc;
        const DxfImportResult result = ImportDxfFile(doc, plan.Path());
        if (!result.message.empty()) {
            state.SkipWithError(result.message.text.c_str());
            break;
        }
        shapes = doc.m_shapes.size();
        state.PauseTiming();  // freeing a million shapes is not part of reading
        doc.DeleteAllShapes();
        state.ResumeTiming();
    }
    if (shapes != static_cast<size_t>(kLines)) {
        state.SkipWithError("not every line was imported");
    }
    state.SetBytesProcessed(state.iterations() * plan.Bytes());
    state.counters["shapes"] = static_cast<double>(shapes);
    state.counters["MB"] = static_cast<double>(plan.Bytes()) / 1e6;
}

void BM_ExportDxfLines(benchmark::State& state) {
    const GeneratedPlan& plan = Plan();
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
// The least a dxflib client can do: count the lines it is handed.
class LineCounter : public DL_CreationAdapter {
  public:
    void addLine(const DL_LineData&) override { ++lines; }
    long lines = 0;
};

void BM_DxflibParseLines(benchmark::State& state) {
    const GeneratedPlan& plan = Plan();
    long lines = 0;
    for (auto _ : state) {
        LineCounter counter;
        DL_Dxf dxf;
        if (!dxf.in(plan.Path(), &counter)) {
            state.SkipWithError("dxflib could not read the file");
            break;
        }
        lines = counter.lines;
    }
    if (lines != kLines) {
        state.SkipWithError("dxflib did not see every line");
    }
    state.SetBytesProcessed(state.iterations() * plan.Bytes());
    state.counters["MB"] = static_cast<double>(plan.Bytes()) / 1e6;
}
BENCHMARK(BM_DxflibParseLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
#endif

BENCHMARK(BM_ImportDxfLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_ExportDxfLines)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace
