// A click on a drawing of a million shapes: picking a shape, snapping to a vertex (and
// to each kind of snap target) and a small selection window, each for a click that
// hits and one that hits nothing, at
// the start-up view, zoomed in on one shape, and from the far plane. Each is measured
// through the pick index (walk:0) and, as its anchor, through the walk over the whole
// list that defines the answer (walk:1).
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>

#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "edit/picking.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "site_scene.h"
#include "view/camera.h"

namespace {

using namespace marquetta;
using namespace marquetta::bench;

enum ViewKind { kStartView, kZoomedView, kFarView };

// The million shapes, made once for every benchmark here.
struct PickScene {
    PickScene() {
        InitProgramDefaults();
        FillSitePlan(doc);
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
};

PickScene& Scene() {
    static PickScene scene;
    return scene;
}

// The last line shorter than 3 m: zoomed in on it, both its ends are in view.
const CShape& LastShortLine(const CZorader_ezDoc& doc) {
    const CShape* last = nullptr;
    for (const auto& shape : doc.m_shapes) {
        const double dx = shape->m_pt[1].x - double{shape->m_pt[0].x};
        const double dz = shape->m_pt[1].z - double{shape->m_pt[0].z};
        if (shape->m_nType == SHAPE_LINE && dx * dx + dz * dz < 3000.0 * 3000.0) {
            last = shape.get();
        }
    }
    return *last;
}

Double3 Midpoint(const CShape& line) {
    return {(line.m_pt[0].x + double{line.m_pt[1].x}) / 2, 0.0,
            (line.m_pt[0].z + double{line.m_pt[1].z}) / 2};
}

// Sets the camera of the view and captures its transforms as a paint would.
void SetView(ViewKind kind, const CZorader_ezDoc& doc) {
    InitCameraDefaults();
    if (kind == kZoomedView) {
        const Double3 m = Midpoint(LastShortLine(doc));
        // Looking straight down from 10 m, eye-space x is world x and eye-space y is -z.
        g_viewTranslate = {static_cast<float>(-m.x), static_cast<float>(m.z), -10000.0f};
    } else if (kind == kFarView) {
        g_viewTranslate = {0.0f, 0.0f, -4'900'000.0f};
    }
    ComputePaintTransforms(kViewWidth, kViewHeight);
}

bool Inside(double wx, double wy, double margin) {
    return wx > margin && wx < kViewWidth - margin && wy > margin && wy < kViewHeight - margin;
}

// The mouse pixel (y from the top) of a line's midpoint: the last line of the list
// that shows there, so that a walk in list order meets it last.
bool HitPixel(const CZorader_ezDoc& doc, Double2& pixel) {
    bool found = false;
    for (const auto& shape : doc.m_shapes) {
        if (shape->m_nType != SHAPE_LINE) {
            continue;
        }
        const Double3 m = Midpoint(*shape);
        double wx = 0, wy = 0, wz = 0;
        if (ProjectCaptured(m.x, m.y, m.z, wx, wy, wz) && Inside(wx, wy, 40.0)) {
            pixel = {wx, kViewHeight - wy};
            found = true;
        }
    }
    return found;
}

// A pixel where nothing is picked, no vertex and no grid point is in reach.
bool MissPixel(CZorader_ezDoc& doc, Double2& pixel) {
    for (int k = 0; k < 500; ++k) {
        const Double2 p{101.5 + (k * 37) % 800, 97.5 + (k * 53) % 560};
        Double3 snapped;
        if (ShapeAtPixel(doc, p.x, p.y, false, PickWalk::Linear) == nullptr &&
            !VertexNearPixel(doc, p.x, p.y, snapped, PickWalk::Linear) && !snapPoint(doc, p.x, p.y, snapped)) {
            pixel = p;
            return true;
        }
    }
    return false;
}

struct Click {
    Double2 pixel;
    bool ok = false;
};

Click Prepare(benchmark::State& state, bool hit) {
    PickScene& scene = Scene();
    SetView(static_cast<ViewKind>(state.range(0)), scene.doc);
    Click click;
    click.ok = hit ? HitPixel(scene.doc, click.pixel) : MissPixel(scene.doc, click.pixel);
    if (!click.ok) {
        state.SkipWithError("no such pixel in this view");
    }
    return click;
}

PickWalk Walk(const benchmark::State& state) {
    return state.range(2) == 1 ? PickWalk::Linear : PickWalk::Indexed;
}

void BM_PickClick(benchmark::State& state) {
    const bool hit = state.range(1) == 1;
    const Click click = Prepare(state, hit);
    const CZorader_ezDoc& doc = Scene().doc;
    for (auto _ : state) {
        if (!click.ok) {
            break;
        }
        if ((ShapeAtPixel(doc, click.pixel.x, click.pixel.y, false, Walk(state)) != nullptr) != hit) {
            state.SkipWithError("the click did not answer as expected");
            break;
        }
    }
}

void BM_SnapClick(benchmark::State& state) {
    const bool hit = state.range(1) == 1;
    Click click = Prepare(state, hit);
    const CZorader_ezDoc& doc = Scene().doc;
    if (hit && click.ok) {
        // The start of the last line that shows it.
        click.ok = false;
        for (const auto& shape : doc.m_shapes) {
            double wx = 0, wy = 0, wz = 0;
            if (shape->m_nType == SHAPE_LINE &&
                ProjectCaptured(shape->m_pt[0].x, shape->m_pt[0].y, shape->m_pt[0].z, wx, wy,
                                wz) &&
                Inside(wx, wy, 10.0)) {
                click.pixel = {wx, kViewHeight - wy};
                click.ok = true;
            }
        }
        if (!click.ok) {
            state.SkipWithError("no vertex to snap to in this view");
        }
    }
    for (auto _ : state) {
        if (!click.ok) {
            break;
        }
        Double3 point;
        if (VertexNearPixel(doc, click.pixel.x, click.pixel.y, point, Walk(state)) != hit) {
            state.SkipWithError("the snap did not answer as expected");
            break;
        }
    }
}

// Each kind of snap alone (range 3: the SnapKind), with the step's first point a
// little way off for the perpendicular, at the pixel of a line's midpoint: through the
// index and, as its anchor, by the walk over the whole list.
void BM_SnapKind(benchmark::State& state) {
    const Click click = Prepare(state, true);
    const CZorader_ezDoc& doc = Scene().doc;
    const auto kind = static_cast<SnapKind>(state.range(1));
    Double3 from;
    GroundPointUnder(click.pixel.x + 40, click.pixel.y + 30, from);
    bool found = false;
    for (auto _ : state) {
        if (!click.ok) {
            break;
        }
        found = FindSnap(doc, click.pixel.x, click.pixel.y, &from, false, SnapBit(kind), Walk(state)).has_value();
    }
    state.counters["found"] = found ? 1 : 0;
}

void SnapKindArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"view", "kind", "walk"});
    for (int view : {kStartView, kZoomedView, kFarView}) {
        for (int kind = 0; kind < kSwitchableSnapKinds; ++kind) {
            for (int walk : {0, 1}) {
                b->Args({view, kind, walk});
            }
        }
    }
    b->Unit(benchmark::kMillisecond);
}

// The worst a pixel can hold: `range(0)` lines 10 m long all through one point (a
// fan), every one of them and every pair of them within reach of the click at that
// point. Each kind alone (range 1), through the index and, as its anchor, by the walk.
void BM_SnapCrowded(benchmark::State& state) {
    Scene();  // the platform and the program's defaults
    const auto lines = static_cast<int>(state.range(0));
    static std::map<int, std::unique_ptr<CZorader_ezDoc>> fans;
    std::unique_ptr<CZorader_ezDoc>& fan = fans[lines];
    if (fan == nullptr) {
        fan = std::make_unique<CZorader_ezDoc>();
        EnsureLayer("0");
        for (int i = 0; i < lines; ++i) {
            const double a = 3.14159265358979 * i / lines;
            auto line = std::make_unique<CShape>();
            line->m_nType = SHAPE_LINE;
            line->m_strLayer = "0";
            line->m_pt[0] = {static_cast<float>(-5000 * std::cos(a)), 0, static_cast<float>(-5000 * std::sin(a))};
            line->m_pt[1] = {static_cast<float>(5000 * std::cos(a)), 0, static_cast<float>(5000 * std::sin(a))};
            fan->AppendShape(std::move(line));
        }
    }
    SetView(kStartView, *fan);
    double wx = 0, wy = 0, wz = 0;
    ProjectCaptured(0, 0, 0, wx, wy, wz);
    const Double2 pixel{wx + 1, kViewHeight - wy + 1};
    Double3 from;
    GroundPointUnder(pixel.x + 40, pixel.y + 30, from);
    const auto kind = static_cast<SnapKind>(state.range(1));
    bool found = false;
    for (auto _ : state) {
        found = FindSnap(*fan, pixel.x, pixel.y, &from, false, SnapBit(kind), Walk(state)).has_value();
    }
    state.counters["found"] = found ? 1 : 0;
}

void SnapCrowdedArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"lines", "kind", "walk"});
    for (int lines : {100, 1000, 4000}) {
        for (int kind = 0; kind < kSwitchableSnapKinds; ++kind) {
            for (int walk : {0, 1}) {
                b->Args({lines, kind, walk});
            }
        }
    }
    b->Unit(benchmark::kMillisecond);
}

// A window of 64 x 64 pixels about the click.
void BM_SelectWindow(benchmark::State& state) {
    const bool hit = state.range(1) == 1;
    const Click click = Prepare(state, hit);
    const CZorader_ezDoc& doc = Scene().doc;
    size_t inside = 0;
    for (auto _ : state) {
        if (!click.ok) {
            break;
        }
        inside = ShapesInWindow(doc, {click.pixel.x - 32, click.pixel.y - 32},
                                {click.pixel.x + 32, click.pixel.y + 32}, Walk(state))
                     .size();
    }
    state.counters["inside"] = static_cast<double>(inside);
}

// The whole click of the program on a shape: found through the index, selected, and
// on the next click deselected, which asks whether any shape is still selected.
void BM_PickToggle(benchmark::State& state) {
    const Click click = Prepare(state, true);
    CZorader_ezDoc& doc = Scene().doc;
    for (auto _ : state) {
        if (!click.ok || !pickToggle(doc, click.pixel.x, click.pixel.y)) {
            state.SkipWithError("the click did not hit");
            break;
        }
    }
    doc.DeselectAll();
}

// The index built from nothing, as the first click after opening a drawing does.
void BM_PickIndexBuild(benchmark::State& state) {
    PickScene& scene = Scene();
    SetView(kStartView, scene.doc);
    for (auto _ : state) {
        state.PauseTiming();
        scene.doc.PickIndex() = ShapeIndex();
        state.ResumeTiming();
        benchmark::DoNotOptimize(ShapeAtPixel(scene.doc, 1.5, 1.5, false));
    }
}

// Anchor: the least any walk over the list does, projecting one point of every shape.
void BM_PickAnchorProjectAll(benchmark::State& state) {
    PickScene& scene = Scene();
    SetView(kStartView, scene.doc);
    for (auto _ : state) {
        int inside = 0;
        for (const auto& shape : scene.doc.m_shapes) {
            double wx = 0, wy = 0, wz = 0;
            ProjectCaptured(shape->m_pt[0].x, shape->m_pt[0].y, shape->m_pt[0].z, wx, wy, wz);
            inside += Inside(wx, wy, 0.0) ? 1 : 0;
        }
        benchmark::DoNotOptimize(inside);
    }
}

void ViewArgs(benchmark::internal::Benchmark* b) {
    b->ArgNames({"view", "hit", "walk"});
    for (int view : {kStartView, kZoomedView, kFarView}) {
        for (int hit : {0, 1}) {
            for (int walk : {0, 1}) {
                b->Args({view, hit, walk});
            }
        }
    }
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_PickAnchorProjectAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickClick)->Apply(ViewArgs);
BENCHMARK(BM_SnapClick)->Apply(ViewArgs);
BENCHMARK(BM_SelectWindow)->Apply(ViewArgs);
BENCHMARK(BM_SnapKind)->Apply(SnapKindArgs);
BENCHMARK(BM_SnapCrowded)->Apply(SnapCrowdedArgs);
BENCHMARK(BM_PickToggle)->ArgNames({"view"})->Arg(kStartView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PickIndexBuild)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
