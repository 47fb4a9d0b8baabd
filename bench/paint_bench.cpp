// Building the paint of the site plan of a million shapes: the wireframe after an edit
// of every shape (all moved: drawn again from the list), after selecting or
// deselecting every shape (recoloured), and after an edit of one, and a mouse move
// with the rubber band on, whose paint replays the kept wireframe, at several grid
// pitches and scales, all from the start-up view. Anchor: copying the vertex bytes of
// the whole drawing's wireframe once, in the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "edit/picking.h"
#include "model/document.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "site_scene.h"
#include "view/paint_frame.h"
#include "view/sheet.h"

namespace {

using namespace marquetta;
using namespace marquetta::bench;

// The site plan on a headless desktop, painted once.
struct PaintScene {
    PaintScene() {
        InitProgramDefaults();
        FillSitePlan(doc);
        builder.Build(doc, kViewWidth, kViewHeight);
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    PaintBuilder builder;
};

PaintScene& Scene() {
    static PaintScene scene;
    return scene;
}

// Every shape moved: the whole wireframe is drawn again.
void BM_PaintAfterEditOfAll(benchmark::State& state) {
    PaintScene& scene = Scene();
    float step = 100.0f;
    size_t vertices = 0;
    for (auto _ : state) {
        state.PauseTiming();
        MoveEveryShape(scene.doc, step);
        state.ResumeTiming();
        vertices = scene.builder.Build(scene.doc, kViewWidth, kViewHeight).wireframe->VertexCount();
    }
    state.counters["vertices"] = static_cast<double>(vertices);
}

// Every shape selected, then deselected: the wireframe is recoloured.
void BM_PaintAfterSelectAll(benchmark::State& state) {
    PaintScene& scene = Scene();
    bool selected = false;
    for (auto _ : state) {
        state.PauseTiming();
        selected = !selected;
        if (selected) {
            scene.doc.SelectAllVisible();
        } else {
            scene.doc.DeselectAll();
        }
        state.ResumeTiming();
        benchmark::DoNotOptimize(scene.builder.Build(scene.doc, kViewWidth, kViewHeight).wireframe);
    }
    scene.doc.DeselectAll();
    scene.builder.Build(scene.doc, kViewWidth, kViewHeight);
}

// One shape of the million moved.
void BM_PaintAfterEditOfOne(benchmark::State& state) {
    PaintScene& scene = Scene();
    CShape& shape = **std::next(scene.doc.m_shapes.begin(), 500'000);
    float step = 100.0f;
    for (auto _ : state) {
        state.PauseTiming();
        scene.doc.TranslateShape(shape, {0, 0, 0}, {step, 0, 0});
        step = -step;
        state.ResumeTiming();
        benchmark::DoNotOptimize(scene.builder.Build(scene.doc, kViewWidth, kViewHeight).wireframe);
    }
}

// A mouse move while a line is being drawn: the cursor point and the paint, at the
// grid pitch (mm) and scale denominator of the arguments.
void BM_MouseMoveRubberBand(benchmark::State& state) {
    PaintScene& scene = Scene();
    g_gridPitch = static_cast<double>(state.range(0));
    g_scaleDenominator = static_cast<double>(state.range(1));
    scene.doc.m_current.m_nType = SHAPE_LINE;
    rubberBand = 1;
    stepPending = 1;
    computeCursorPoint(400, 300, true);
    scene.builder.Build(scene.doc, kViewWidth, kViewHeight);
    int x = 0;
    size_t gridPoints = 0;
    for (auto _ : state) {
        x = (x + 7) % 600;
        computeCursorPoint(200 + x, 300, false);
        const PaintFrame& frame = scene.builder.Build(scene.doc, kViewWidth, kViewHeight);
        gridPoints = frame.gridPoints.size() / 3;
        if (frame.wireframeRebuilt) {
            state.SkipWithError("a mouse move rebuilt the wireframe");
            break;
        }
    }
    state.counters["grid_points"] = static_cast<double>(gridPoints);
    scene.doc.m_current.m_nType = SHAPE_NONE;
    rubberBand = 0;
    stepPending = 0;
    InitSheetDefaults();
}

// Anchor: the vertex bytes of the whole drawing's wireframe (as the view kept it before
// it came to hold only the shapes in view) copied once.
void BM_PaintAnchorCopyVertices(benchmark::State& state) {
    PaintBuilder whole(PaintOptions{false, false});
    g_displayListValid = 0;
    const Wireframe& wireframe = *whole.Build(Scene().doc, kViewWidth, kViewHeight).wireframe;
    std::vector<float> copy(wireframe.vertices.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), wireframe.vertices.data(), copy.size() * sizeof(float));
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = static_cast<double>(wireframe.VertexCount());
}

BENCHMARK(BM_PaintAnchorCopyVertices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintAfterEditOfAll)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_PaintAfterSelectAll)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_PaintAfterEditOfOne)->Unit(benchmark::kMillisecond)->Iterations(6);
BENCHMARK(BM_MouseMoveRubberBand)
    ->ArgNames({"pitch", "scale"})
    ->Args({910, 100})
    ->Args({10, 100})
    ->Args({1, 1000})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
