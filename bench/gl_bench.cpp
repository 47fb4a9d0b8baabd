// The wireframe of a million shapes on the GL side, under Xvfb with Mesa: compiling it
// into the view's display list after an edit, and replaying the list on a paint that
// changed nothing (a mouse move). The anchor copies the same vertex bytes in memory.
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

GlTarget& Target() {
    static GlTarget target;
    return target;
}

// The site plan with its wireframe built once, and the display list.
struct GlScene {
    GlScene() {
        InitProgramDefaults();
        FillSitePlan(doc);
        frame = &builder.Build(doc, kViewWidth, kViewHeight);
        list.name = glGenLists(1);
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    PaintBuilder builder;
    const PaintFrame* frame = nullptr;
    WireframeList list;
};

GlScene& Scene() {
    static GlScene scene;
    return scene;
}

size_t VertexBytes(const Wireframe& wireframe) {
    return wireframe.vertices.size() * sizeof(float);
}

// An edit's paint: the list compiled again from the rebuilt wireframe, drawn, finished.
void BM_GlCompileWireframe(benchmark::State& state) {
    if (!Target().ok) {
        state.SkipWithError("no GL context");
        return;
    }
    GlScene& scene = Scene();
    PaintFrame frame = *scene.frame;
    frame.wireframeRebuilt = true;
    for (auto _ : state) {
        DrawPaintFrame(frame, kViewWidth, kViewHeight, scene.list);
        glFinish();
    }
    state.SetBytesProcessed(state.iterations() * VertexBytes(*frame.wireframe));
    state.counters["vertices"] = static_cast<double>(frame.wireframe->VertexCount());
}

// A paint that changed nothing: the list replayed, drawn, finished.
void BM_GlReplayWireframe(benchmark::State& state) {
    if (!Target().ok) {
        state.SkipWithError("no GL context");
        return;
    }
    GlScene& scene = Scene();
    PaintFrame frame = *scene.frame;
    frame.wireframeRebuilt = true;
    DrawPaintFrame(frame, kViewWidth, kViewHeight, scene.list);
    frame.wireframeRebuilt = false;
    for (auto _ : state) {
        DrawPaintFrame(frame, kViewWidth, kViewHeight, scene.list);
        glFinish();
    }
}

// Anchor: copying the wireframe's bytes once in memory.
void BM_GlAnchorCopyVertices(benchmark::State& state) {
    if (!Target().ok) {
        state.SkipWithError("no GL context");
        return;
    }
    const Wireframe& wireframe = *Scene().frame->wireframe;
    std::vector<float> copy(wireframe.vertices.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), wireframe.vertices.data(), VertexBytes(wireframe));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * VertexBytes(wireframe));
}

BENCHMARK(BM_GlAnchorCopyVertices)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GlCompileWireframe)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_GlReplayWireframe)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    QSurfaceFormat::setDefaultFormat(ViewSurfaceFormat());
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
