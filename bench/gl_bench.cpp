// The wireframe of a million shapes on the GL side, under Xvfb with Mesa: a paint that
// changed nothing (a mouse move), a paint after moving one shape and after moving
// every shape, each from the core's paint to the finished frame, and the GL side of the
// last alone (the core's rebuild of its vertex array is measured by paint_bench). The
// wireframe is drawn from the core's own vertex array: no second copy is kept. The
// anchor copies the wireframe's vertex bytes in memory.
//
// Then the spread plan (960,000 small shapes over 100 km) and its dense variant (the
// same shapes over 2.4 km, all of them in view from just inside the far plane), seen at
// the start-up view, at a view of the whole extent (the square filling the window: over
// 100 km that lies beyond the far plane, so nothing shows, as it never has), from just
// inside the far plane (the most of the drawing a view can show), and zoomed in on a
// corner: the first frame after opening (the shape index made on the way) and a paint
// after the view moved, each the way the view paints now (the shapes in view, at the
// detail they need) and today's way (every shape, 36 segments a circle, kept between
// views), beside the same paint of an empty drawing. Each reports its best of three
// as best_ms.
// Run under a display: xvfb-run build/bench/marquetta_gl_bench
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "app/program_defaults.h"
#include "gui/gl_context_check.h"
#include "gui/gl_frame_painter.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "site_scene.h"
#include "view/camera.h"
#include "view/paint_frame.h"

namespace {

using namespace marquetta;
using namespace marquetta::bench;

// A current compatibility context drawing into an offscreen framebuffer of the view's size.
struct GlTarget {
    GlTarget() {
        context.setFormat(ViewSurfaceFormat());
        surface.setFormat(ViewSurfaceFormat());
        surface.create();
        ok = context.create() && context.makeCurrent(&surface);
        if (ok) {
            QOpenGLFramebufferObjectFormat format;
            format.setAttachment(QOpenGLFramebufferObject::Depth);
            fbo = std::make_unique<QOpenGLFramebufferObject>(kViewWidth, kViewHeight, format);
            ok = fbo->bind();
        }
    }
    QOpenGLContext context;
    QOffscreenSurface surface;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;
    bool ok = false;
};

// Made on first use; gone before the application object that its context needs.
std::unique_ptr<GlTarget>& TargetHolder() {
    static std::unique_ptr<GlTarget> target;
    return target;
}

GlTarget& Target() {
    if (!TargetHolder()) {
        TargetHolder() = std::make_unique<GlTarget>();
    }
    return *TargetHolder();
}

// The site plan, painted once.
struct GlScene {
    GlScene() {
        FillSitePlan(doc);
        Paint();
    }
    const PaintFrame& Paint() {
        const PaintFrame& frame = builder.Build(doc, kViewWidth, kViewHeight);
        DrawPaintFrame(frame, kViewWidth, kViewHeight);
        glFinish();
        return frame;
    }
    CZorader_ezDoc doc;
    PaintBuilder builder;
};

GlScene& Scene() {
    static GlScene scene;
    return scene;
}

const Wireframe& SceneWireframe() {
    return *Scene().builder.Build(Scene().doc, kViewWidth, kViewHeight).wireframe;
}

size_t VertexBytes(const Wireframe& wireframe) {
    return wireframe.vertices.size() * sizeof(float);
}

bool Ready(benchmark::State& state) {
    if (!Target().ok) {
        state.SkipWithError("no GL context");
    }
    return Target().ok;
}

// A paint that changed nothing: the kept wireframe drawn again.
void BM_GlPaintUnchanged(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    GlScene& scene = Scene();
    for (auto _ : state) {
        if (scene.Paint().wireframeRebuilt) {
            state.SkipWithError("the wireframe changed");
            break;
        }
    }
    state.counters["vertices"] = static_cast<double>(SceneWireframe().VertexCount());
}

// One shape of the million moved, then the paint.
void BM_GlPaintAfterEditOfOne(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    GlScene& scene = Scene();
    CShape& shape = *scene.doc.m_shapes[500'000];
    float step = 100.0f;
    for (auto _ : state) {
        scene.doc.TranslateShape(shape, {0, 0, 0}, {step, 0, 0});
        step = -step;
        scene.Paint();
    }
}

// Every shape moved (not timed), then the paint that draws the wireframe again; with
// `glOnly`, the core's rebuild of its vertex array is not timed either: the GL side
// alone, the upload of the new vertices (the driver takes them from the core's array)
// and their drawing.
void PaintAfterEditOfAll(benchmark::State& state, bool glOnly) {
    if (!Ready(state)) {
        return;
    }
    GlScene& scene = Scene();
    float step = 100.0f;
    for (auto _ : state) {
        state.PauseTiming();
        MoveEveryShape(scene.doc, step);
        if (!glOnly) {
            state.ResumeTiming();
            scene.Paint();
            continue;
        }
        const PaintFrame& frame = scene.builder.Build(scene.doc, kViewWidth, kViewHeight);
        if (!frame.wireframeRebuilt) {
            state.SkipWithError("the wireframe was not rebuilt");
            break;
        }
        state.ResumeTiming();
        DrawPaintFrame(frame, kViewWidth, kViewHeight);
        glFinish();
    }
    state.SetBytesProcessed(state.iterations() * VertexBytes(SceneWireframe()));
}

void BM_GlPaintAfterEditOfAll(benchmark::State& state) { PaintAfterEditOfAll(state, false); }
void BM_GlUploadAfterEditOfAll(benchmark::State& state) { PaintAfterEditOfAll(state, true); }

// Anchor: copying the bytes of the whole drawing's wireframe (as the view kept it
// before it came to hold only the shapes in view) once in memory.
void BM_GlAnchorCopyVertices(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    PaintBuilder whole(PaintOptions{false, false});
    g_displayListValid = 0;
    const Wireframe& wireframe = *whole.Build(Scene().doc, kViewWidth, kViewHeight).wireframe;
    std::vector<float> copy(wireframe.vertices.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), wireframe.vertices.data(), VertexBytes(wireframe));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * VertexBytes(wireframe));
}

BENCHMARK(BM_GlAnchorCopyVertices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlPaintUnchanged)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GlPaintAfterEditOfOne)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GlPaintAfterEditOfAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_GlUploadAfterEditOfAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// ---- the spread plan, seen from several views, both ways ----

enum Plan { kEmptyPlan, kSpread, kDense };
enum View { kStartView, kWholeView, kFarView, kCornerView };
enum Way { kToday, kNow };

float HalfSideOf(int plan) { return plan == kDense ? kDenseHalfSide : kSpreadHalfSide; }

// The camera of a view of a plan; `nudge` moves it by that many millimetres sideways.
void LookAt(int view, int plan, float nudge = 0.0f) {
    InitCameraDefaults();
    const float half = HalfSideOf(plan);
    switch (view) {
        case kWholeView:  // the square fills the window's height
            g_viewTranslate.z = static_cast<float>(-half / std::tan(15.0 * kRadiansPerDegree));
            break;
        case kFarView:
            g_viewTranslate.z = -4'900'000.0f;
            break;
        case kCornerView:  // 10 m above the plan's lower left corner, in the window's middle
            g_viewTranslate = {half, half, -10'000.0f};
            break;
        default:
            break;
    }
    g_viewTranslate.x += nudge;
}

struct PlanScene {
    explicit PlanScene(int plan) {
        if (plan != kEmptyPlan) {
            FillSpreadPlan(doc, HalfSideOf(plan));
        }
    }
    CZorader_ezDoc doc;
};

// Each made on first use and gone after the memory they were made in is given back.
PlanScene& PlanOf(int plan) {
    switch (plan) {
        case kSpread: {
            static PlanScene spread(kSpread);
            return spread;
        }
        case kDense: {
            static PlanScene dense(kDense);
            return dense;
        }
        default: {
            static PlanScene empty(kEmptyPlan);
            return empty;
        }
    }
}

PaintOptions OptionsOf(int way) {
    return way == kNow ? PaintOptions{} : PaintOptions{false, false};
}

double Milliseconds(std::chrono::steady_clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// One paint into the offscreen target, to the finished frame; `core` gets the
// processor time the core took to say what to draw (its own thread's, which the load
// of other work on the machine stretches less than wall time).
double ThreadCpuMilliseconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec * 1e-6;
}

const PaintFrame& PaintOnce(PaintBuilder& builder, const CZorader_ezDoc& doc, double& core) {
    const double start = ThreadCpuMilliseconds();
    const PaintFrame& frame = builder.Build(doc, kViewWidth, kViewHeight);
    core = ThreadCpuMilliseconds() - start;
    DrawPaintFrame(frame, kViewWidth, kViewHeight);
    glFinish();
    return frame;
}

// The best time of the runs, the core's share of that run, and the segments drawn.
void Report(benchmark::State& state, double best, double core, const PaintFrame* frame) {
    state.counters["best_ms"] = best;
    state.counters["core_ms"] = core;
    if (frame != nullptr && frame->wireframe != nullptr) {
        size_t segments = 0;
        for (size_t v = 1; v < frame->wireframe->VertexCount(); ++v) {
            segments += frame->wireframe->starts[v] == 0 ? 1 : 0;
        }
        state.counters["segments"] = static_cast<double>(segments);
    }
}

// The first frame after opening: a new view, no shape index yet.
void BM_GlFirstFrame(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    const auto plan = static_cast<int>(state.range(0));
    const auto view = static_cast<int>(state.range(1));
    const auto way = static_cast<int>(state.range(2));
    PlanScene& scene = PlanOf(plan);
    double best = std::numeric_limits<double>::infinity();
    for (auto _ : state) {
        state.PauseTiming();
        scene.doc.PickIndex() = ShapeIndex();
        auto builder = std::make_unique<PaintBuilder>(OptionsOf(way));
        LookAt(view, plan);
        g_displayListValid = 0;
        state.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        double core = 0.0;
        const PaintFrame& frame = PaintOnce(*builder, scene.doc, core);
        const double took = Milliseconds(std::chrono::steady_clock::now() - start);
        state.PauseTiming();
        if (took < best) {
            best = took;
            Report(state, best, core, &frame);
        }
        builder.reset();
        state.ResumeTiming();
    }
}

// Every other shape of the list selected, or none: a colour run per shape, as a view
// that colours shapes by their layers gives where the layers' shapes are interleaved.
void SelectEveryOther(CZorader_ezDoc& doc, bool on) {
    bool odd = false;
    for (const ShapeRef& shape : doc.m_shapes) {
        doc.SetSelected(*shape, on && odd);
        odd = !odd;
    }
}

// A paint after the view moved (by a millimetre, to and fro): the index is there.
void PaintMovedView(benchmark::State& state, bool runPerShape) {
    if (!Ready(state)) {
        return;
    }
    const auto plan = static_cast<int>(state.range(0));
    const auto view = static_cast<int>(state.range(1));
    const auto way = static_cast<int>(state.range(2));
    PlanScene& scene = PlanOf(plan);
    if (runPerShape) {
        SelectEveryOther(scene.doc, true);
    }
    PaintBuilder builder(OptionsOf(way));
    LookAt(view, plan);
    g_displayListValid = 0;
    double core = 0.0;
    PaintOnce(builder, scene.doc, core);
    double best = std::numeric_limits<double>::infinity();
    float nudge = 1.0f;
    for (auto _ : state) {
        LookAt(view, plan, nudge);
        nudge = -nudge;
        const auto start = std::chrono::steady_clock::now();
        const PaintFrame& frame = PaintOnce(builder, scene.doc, core);
        const double took = Milliseconds(std::chrono::steady_clock::now() - start);
        if (took < best) {
            best = took;
            state.PauseTiming();
            Report(state, best, core, &frame);
            state.ResumeTiming();
        }
    }
    if (runPerShape) {
        state.counters["runs"] = static_cast<double>(builder.Build(scene.doc, kViewWidth, kViewHeight).wireframe->runs.size());
        SelectEveryOther(scene.doc, false);
    }
}
void BM_GlPaintMovedView(benchmark::State& state) { PaintMovedView(state, false); }
void BM_GlPaintRunPerShape(benchmark::State& state) { PaintMovedView(state, true); }

void PlanArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"plan", "view", "way"});
    for (int plan : {kEmptyPlan, kSpread, kDense}) {
        for (int view : {kStartView, kWholeView, kFarView, kCornerView}) {
            for (int way : {kToday, kNow}) {
                if (plan != kEmptyPlan || way == kNow) {
                    b->Args({plan, view, way});
                }
            }
        }
    }
}

BENCHMARK(BM_GlFirstFrame)->Apply(PlanArgs)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_GlPaintMovedView)->Apply(PlanArgs)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
// The dense plan's whole extent, both ways, a colour run per shape.
BENCHMARK(BM_GlPaintRunPerShape)
    ->ArgNames({"plan", "view", "way"})
    ->Args({kDense, kWholeView, kToday})
    ->Args({kDense, kWholeView, kNow})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(2.0);

}  // namespace
int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(ViewSurfaceFormat());
    QGuiApplication app(argc, argv);
    // One program state for every scene: each scene's layers stay in the one table.
    marquetta::HeadlessPlatform platform;
    marquetta::ScopedPlatform scoped(platform);
    marquetta::InitProgramDefaults();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TargetHolder().reset();
    return 0;
}
