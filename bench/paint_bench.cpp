// Building the paint frame of a million-shape drawing: the wireframe rebuilt after a
// change, and a paint that replays the kept wireframe (camera moves, previews).
#include <benchmark/benchmark.h>

#include "app/program_defaults.h"
#include "model/document.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "view/paint_frame.h"

namespace {

using namespace marquetta;

void FillMixed(CZorader_ezDoc& doc, int count) {
    EnsureLayer("0");
    doc.SetCurrentLayer("0");
    for (int i = 0; i < count; ++i) {
        const float x = static_cast<float>(i % 1000) * 10.0f;
        const float z = static_cast<float>(i / 1000) * 10.0f;
        doc.m_current.m_nType = i % 10 == 0 ? SHAPE_CIRCLE : SHAPE_LINE;
        doc.m_current.m_pt[0] = {x, 0, z};
        doc.m_current.m_pt[1] = i % 10 == 0 ? Float3{4, 0, 0} : Float3{x + 8, 0, z + 8};
        doc.AddCurrentShape();
    }
}

// A drawing of `count` shapes on a headless desktop.
struct PaintScene {
    explicit PaintScene(int count) {
        InitProgramDefaults();
        FillMixed(doc, count);
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    PaintBuilder builder;
};

void BM_PaintRebuildsWireframe(benchmark::State& state) {
    PaintScene scene(static_cast<int>(state.range(0)));
    CZorader_ezDoc& doc = scene.doc;
    PaintBuilder& builder = scene.builder;
    for (auto _ : state) {
        g_displayListValid = 0;
        benchmark::DoNotOptimize(builder.Build(doc, 1024, 768).wireframe);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_PaintReplaysWireframe(benchmark::State& state) {
    PaintScene scene(static_cast<int>(state.range(0)));
    CZorader_ezDoc& doc = scene.doc;
    PaintBuilder& builder = scene.builder;
    builder.Build(doc, 1024, 768);
    for (auto _ : state) {
        benchmark::DoNotOptimize(builder.Build(doc, 1024, 768).wireframeRebuilt);
    }
}

BENCHMARK(BM_PaintRebuildsWireframe)->Arg(1'000'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintReplaysWireframe)->Arg(1'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace
