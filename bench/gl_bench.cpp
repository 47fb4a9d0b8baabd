// The wireframe of a million shapes on the GL side, under Xvfb with Mesa: a paint that
// changed nothing (a mouse move), a paint after moving one shape and after moving
// every shape, each from the core's paint to the finished frame, and the GL side of the
// last alone (the core's rebuild of its vertex array is measured by paint_bench). The
// wireframe is drawn from the core's own vertex array: no second copy is kept. The anchor copies the wireframe's vertex bytes in memory.
// Run under a display: xvfb-run build/bench/marquetta_gl_bench
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <cstring>
#include <memory>
#include <vector>

#include "app/program_defaults.h"
#include "gui/gl_context_check.h"
#include "gui/gl_frame_painter.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "site_scene.h"
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
        InitProgramDefaults();
        FillSitePlan(doc);
        Paint();
    }
    const PaintFrame& Paint() {
        const PaintFrame& frame = builder.Build(doc, kViewWidth, kViewHeight);
        DrawPaintFrame(frame, kViewWidth, kViewHeight);
        glFinish();
        return frame;
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
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

// Anchor: copying the wireframe's bytes once in memory.
void BM_GlAnchorCopyVertices(benchmark::State& state) {
    if (!Ready(state)) {
        return;
    }
    const Wireframe& wireframe = SceneWireframe();
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

}  // namespace
int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(ViewSurfaceFormat());
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    TargetHolder().reset();
    return 0;
}
