// The pick index must never change an answer: after any sequence of edits made through
// the document's operations, every click, snap and window finds exactly what the walk
// over the whole list finds, from any camera.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "edit/picking.h"
#include "random_drawing.h"
#include "view/camera.h"

namespace marquetta {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

class PickIndexTest : public RandomDrawing {
  protected:
    // Any camera: mostly looking down, sometimes tilted so that shapes lie behind the
    // eye and project mirrored.
    void MoveCamera() {
        const bool tilted = Below(2) == 0;
        g_viewTranslate = {static_cast<float>(Uniform(-8000, 8000)), static_cast<float>(Uniform(-8000, 8000)),
                           static_cast<float>(-Uniform(tilted ? 500 : 3000, tilted ? 20000 : 120000))};
        g_elevation = tilted ? Uniform(-30, 180) : 90.0;
        g_azimuth = Uniform(0, 360);
        ComputePaintTransforms(kWidth, kHeight);
    }

    // A pixel on or near a shape now and then, so that clicks do hit.
    Double2 ClickPixel() {
        if (!doc.m_shapes.empty() && Below(2) == 0) {
            const CShape& s = AnyShape();
            const Float3& p = s.m_pt[Below(2)];
            double wx, wy, wz;
            if (ProjectCaptured(p.x, p.y, p.z, wx, wy, wz)) {
                return {wx + Uniform(-4, 4), kHeight - wy + Uniform(-4, 4)};
            }
        }
        return {Uniform(-20, kWidth + 20), Uniform(-20, kHeight + 20)};
    }

};

TEST_F(PickIndexTest, RandomEditsAndClicksAnswerAsTheWalkOverTheList) {
    int hits = 0, snaps = 0, selected = 0;
    for (int round = 0; round < 150; ++round) {
        const int edits = round % 10 == 0 ? 200 : 1 + Below(12);
        for (int e = 0; e < edits; ++e) {
            EditAtRandom();
        }
        MoveCamera();
        for (int click = 0; click < 24; ++click) {
            const Double2 p = ClickPixel();
            for (bool linesOnly : {false, true}) {
                CShape* indexed = ShapeAtPixel(doc, p.x, p.y, linesOnly, PickWalk::Indexed);
                ASSERT_EQ(indexed, ShapeAtPixel(doc, p.x, p.y, linesOnly, PickWalk::Linear))
                    << "round " << round << " click " << click;
                hits += indexed != nullptr;
            }
            Double3 a{1, 2, 3}, b{1, 2, 3};
            const bool found = VertexNearPixel(doc, p.x, p.y, a, PickWalk::Indexed);
            ASSERT_EQ(found, VertexNearPixel(doc, p.x, p.y, b, PickWalk::Linear));
            ASSERT_EQ(a, b);
            snaps += found;
        }
        for (int window = 0; window < 3; ++window) {
            const Double2 c1 = ClickPixel(), c2{Uniform(0, kWidth), Uniform(0, kHeight)};
            const std::vector<CShape*> inside = ShapesInWindow(doc, c1, c2, PickWalk::Indexed);
            ASSERT_EQ(inside, ShapesInWindow(doc, c1, c2, PickWalk::Linear));
            selected += static_cast<int>(inside.size());
        }
    }
    // The comparison meant something: the index was used, steps were undone and
    // redone, and clicks hit, snapped and selected shapes.
    EXPECT_GT(doc.PickIndex().Builds(), 0u);
    EXPECT_GT(undone, 50);
    EXPECT_GT(redone, 50);
    EXPECT_GT(hits, 200);
    EXPECT_GT(snaps, 200);
    EXPECT_GT(selected, 200);
}

// Every kind of snap, alone and all together, with and without ortho, finds through
// the index exactly what the walk over the whole list finds.
TEST_F(PickIndexTest, SnapKindsAnswerAsTheWalkOverTheList) {
    const int all = (1 << kSwitchableSnapKinds) - 1;
    int found[kSwitchableSnapKinds] = {};
    for (int round = 0; round < 60; ++round) {
        const int edits = round % 10 == 0 ? 150 : 1 + Below(12);
        for (int e = 0; e < edits; ++e) {
            EditAtRandom();
        }
        MoveCamera();
        for (int click = 0; click < 12; ++click) {
            const Double2 p = ClickPixel();
            const Double3 from{Uniform(-8000, 8000), 0.0, Uniform(-8000, 8000)};
            for (int kinds = 1; kinds <= all; kinds = kinds == all ? all + 1 : std::min(all, kinds * 2)) {
                for (bool ortho : {false, true}) {
                    const std::optional<SnapHit> a = FindSnap(doc, p.x, p.y, &from, ortho, kinds, PickWalk::Indexed);
                    const std::optional<SnapHit> b = FindSnap(doc, p.x, p.y, &from, ortho, kinds, PickWalk::Linear);
                    ASSERT_EQ(a.has_value(), b.has_value()) << "round " << round << " kinds " << kinds;
                    if (a) {
                        ASSERT_EQ(a->kind, b->kind);
                        ASSERT_EQ(a->point, b->point);
                        found[static_cast<int>(a->kind)] += 1;
                    }
                }
            }
        }
    }
    // Each kind found something.
    for (int k = 0; k < kSwitchableSnapKinds; ++k) {
        EXPECT_GT(found[k], 0) << SnapKindName(static_cast<SnapKind>(k));
    }
}

}  // namespace
}  // namespace marquetta
