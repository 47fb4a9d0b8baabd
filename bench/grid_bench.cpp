// The sheet grid of one paint and one grid snap. The anchor is the start-up grid (pitch
// 910 at 1:100, 23 x 33 points on the sheet); beside it a pitch of 10 at 1:700, whose
// sheet holds 76 million points, seen from the start-up distance (too fine: nothing
// drawn) and from 2 m (5.6 pixels apart: a window full of points).
#include <benchmark/benchmark.h>

#include "app/program_defaults.h"
#include "platform/platform.h"
#include "view/camera.h"
#include "view/grid.h"
#include "view/paint_frame.h"
#include "view/sheet.h"

namespace {

using namespace marquetta;

void BM_GridPaintAndSnap(benchmark::State& state) {
    InitProgramDefaults();
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    PaintBuilder builder;
    g_gridPitch = static_cast<double>(state.range(0));
    g_scaleDenominator = static_cast<double>(state.range(1));
    g_viewTranslate = {0.0f, 0.0f, -static_cast<float>(state.range(2))};
    size_t points = 0;
    for (auto _ : state) {
        points = builder.Build(doc, 1024, 768).gridPoints.size() / 3;
        benchmark::DoNotOptimize(
            FirstGridPointWithin(*CurrentSheetGrid(), CapturedProjection(), 500, 400, 4.0));
    }
    state.counters["points"] = static_cast<double>(points);
}

BENCHMARK(BM_GridPaintAndSnap)
    ->Args({910, 100, 50000})
    ->Args({10, 700, 50000})
    ->Args({10, 700, 2000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
