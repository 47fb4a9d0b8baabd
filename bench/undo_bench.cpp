// Undo and redo of an erase and of a move of a million lines, as Ctrl+Z and Ctrl+Y run
// them (the cancel of the running command included), beside the anchor they must stay
// within: one rebuild of the wireframe of the same drawing. Run them together:
//   build/bench/marquetta_bench --benchmark_filter='Undo|Redo|Anchor'
#include <benchmark/benchmark.h>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "edit/shape_transform.h"
#include "edit/transform_commands.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "view/paint_frame.h"

namespace {

using namespace marquetta;

constexpr int kShapes = 1'000'000;

// The program with a million lines on a headless desktop, and one step of `kind`
// (erase or move of every line) done.
struct UndoScene {
    explicit UndoScene(bool erase) {
        InitProgramDefaults();
        CZorader_ezDoc& doc = app.Document();
        EnsureLayer("0");
        doc.SetCurrentLayer("0");
        doc.m_current.m_nType = SHAPE_LINE;
        for (int i = 0; i < kShapes; ++i) {
            const float x = static_cast<float>(i % 1000) * 10.0f;
            const float z = static_cast<float>(i / 1000) * 10.0f;
            doc.m_current.m_pt[0] = {x, 0, z};
            doc.m_current.m_pt[1] = {x + 8, 0, z + 8};
            doc.AddCurrentShape();
        }
        doc.m_current.m_nType = SHAPE_NONE;
        doc.History().Clear();
        app.Execute(ID_EDIT_SELECT_ALL);
        if (erase) {
            app.Execute(ID_ERASE);
        } else {
            app.Execute(ID_MOVE);
            firstPoint = {0, 0, 0};
            MoveSelectionTo(doc, {100, 0, 100});
        }
    }
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    AppController app;
};

void TimeUndoOrRedo(benchmark::State& state, bool erase, bool undo) {
    UndoScene scene(erase);
    const int timed = undo ? ID_EDIT_UNDO : ID_EDIT_REDO;
    const int untimed = undo ? ID_EDIT_REDO : ID_EDIT_UNDO;
    if (!undo) {
        scene.app.Execute(ID_EDIT_UNDO);
    }
    for (auto _ : state) {
        if (!scene.app.Execute(timed)) {
            state.SkipWithError("nothing to undo or redo");
            break;
        }
        state.PauseTiming();
        scene.app.Execute(untimed);
        state.ResumeTiming();
    }
}

void BM_UndoErase(benchmark::State& state) { TimeUndoOrRedo(state, true, true); }
void BM_RedoErase(benchmark::State& state) { TimeUndoOrRedo(state, true, false); }
void BM_UndoMove(benchmark::State& state) { TimeUndoOrRedo(state, false, true); }
void BM_RedoMove(benchmark::State& state) { TimeUndoOrRedo(state, false, false); }

// The anchor: the wireframe of the same million lines built again, as the paint after
// any change builds it.
void BM_AnchorWireframeRebuild(benchmark::State& state) {
    UndoScene scene(false);
    PaintBuilder builder;
    for (auto _ : state) {
        g_displayListValid = 0;
        benchmark::DoNotOptimize(builder.Build(scene.app.Document(), 1024, 768).wireframe);
    }
}

// A rotation of every shape of a million, one in `range(0)` of them a face (turned with
// its normals), as the rotate command does it, beside the move of the same selection
// (which leaves faces where they are).
void TimeTurnOrMove(benchmark::State& state, bool turn) {
    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    InitProgramDefaults();
    CZorader_ezDoc doc;
    EnsureLayer("0");
    doc.SetCurrentLayer("0");
    const int every = static_cast<int>(state.range(0));
    for (int i = 0; i < kShapes; ++i) {
        const float x = static_cast<float>(i % 1000) * 10.0f;
        const float z = static_cast<float>(i / 1000) * 10.0f;
        doc.m_current.m_nType = i % every == 0 ? SHAPE_FACE : SHAPE_LINE;
        doc.m_current.m_pt[0] = {x, 0, z};
        doc.m_current.m_pt[1] = {x + 8, 0, z + 8};
        doc.m_current.m_pt[2] = {x + 8, 8, z + 8};
        doc.m_current.m_pt[3] = {x, 8, z};
        for (Float3& normal : doc.m_current.m_normal) {
            normal = {0.7071f, 0, -0.7071f};
        }
        doc.AddCurrentShape();
    }
    doc.History().Clear();
    doc.SelectAllVisible();
    for (auto _ : state) {
        if (!turn) {
            firstPoint = {0, 0, 0};
            MoveSelectionTo(doc, {100, 0, 100});
        } else if (!TransformSelection(doc, ShapeTransform::Rotation({5000, 0, 5000}, 30), false)) {
            state.SkipWithError("the rotation was refused");
            break;
        }
        state.PauseTiming();
        doc.History().Clear();
        doc.SelectAllVisible();
        state.ResumeTiming();
    }
    // The second shape, a line, has turned or moved from where it was made (10, 0, 0).
    state.counters["line_x"] = (*std::next(doc.m_shapes.begin()))->m_pt[0].x;
}

void BM_RotateWithFaces(benchmark::State& state) { TimeTurnOrMove(state, true); }

void BM_AnchorMoveWithFaces(benchmark::State& state) { TimeTurnOrMove(state, false); }

BENCHMARK(BM_RotateWithFaces)->ArgName("every")->Arg(1000)->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AnchorMoveWithFaces)->ArgName("every")->Arg(10)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_AnchorWireframeRebuild)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_UndoErase)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RedoErase)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_UndoMove)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_RedoMove)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
