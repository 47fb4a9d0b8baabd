// The pick index must never change an answer: after any sequence of edits made through
// the document's operations, every click, snap and window finds exactly what the walk
// over the whole list finds, from any camera.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/program_defaults.h"
#include "edit/picking.h"
#include "model/document.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "view/camera.h"

namespace marquetta {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;
const std::string kLayers[] = {"0", "walls", "doors"};

class PickIndexTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        for (const std::string& layer : kLayers) {
            EnsureLayer(layer);
        }
    }

    double Uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); }
    Float3 Point(double height = 0.0) {
        return {static_cast<float>(Uniform(-20000, 20000)), static_cast<float>(height),
                static_cast<float>(Uniform(-20000, 20000))};
    }
    CShape& AnyShape() { return *doc.m_shapes[static_cast<size_t>(Below(static_cast<int>(doc.m_shapes.size())))]; }

    void AddRandomShape() {
        CShape& t = doc.m_current;
        t.m_nType = 1 + Below(5);
        const double height = Below(3) == 0 ? Uniform(-3000, 3000) : 0.0;
        for (Float3& p : t.m_pt) {
            p = Point(height);
        }
        switch (t.m_nType) {
            case SHAPE_CIRCLE:
            case SHAPE_ARC:
                t.m_pt[1] = {static_cast<float>(Uniform(-3000, 3000)), static_cast<float>(Uniform(-400, 400)),
                             static_cast<float>(Uniform(-400, 400))};
                break;
            case SHAPE_TEXT:
                t.m_pt[1] = {static_cast<float>(Uniform(100, 3000)), static_cast<float>(Uniform(-2000, 3000)),
                             static_cast<float>(Uniform(0, 360))};
                break;
            default:
                break;
        }
        doc.SetCurrentLayer(kLayers[Below(3)]);
        doc.SetCurrentText(t.m_nType == SHAPE_TEXT ? std::string(Below(2) ? "AB" : "\x88\x9f" "x") : "");
        doc.AddCurrentShape();
    }

    void EditAtRandom() {
        const int edit = doc.m_shapes.empty() ? 0 : Below(13) - 2;
        switch (edit) {
            case -2:
            case -1:
            case 0:
            case 1:
            case 2:
                AddRandomShape();
                break;
            case 3:
                doc.TranslateShape(AnyShape(), {0, 0, 0}, Point());
                break;
            case 4:
                doc.SetShapePoints(AnyShape(), {Point(), Point(), Point(), Point()});
                break;
            case 5:
                for (int i = 0; i < 2; ++i) {
                    doc.SetSelected(AnyShape(), true);
                }
                doc.EraseSelected();
                break;
            case 6:
                doc.RemoveShape(&AnyShape());
                break;
            case 7:
                doc.InsertShape(static_cast<size_t>(Below(static_cast<int>(doc.m_shapes.size()))),
                                AnyShape());
                break;
            case 8:
                doc.AddTranslatedCopy(AnyShape(), {0, 0, 0}, Point());
                break;
            case 9:
                SetLayerVisible(Below(3), Below(2) == 0);
                break;
            case 10:
                if (Below(150) == 0) {
                    // A drawing read from a file replaces the list as a whole.
                    ShapeList read;
                    for (int i = 0; i < 40; ++i) {
                        CShape& s = read.AppendEmpty();
                        s.m_nType = SHAPE_LINE;
                        s.m_strLayer = kLayers[Below(3)];
                        s.m_pt[0] = Point();
                        s.m_pt[1] = Point();
                    }
                    doc.ReplaceShapes(std::move(read));
                } else {
                    doc.SetSelected(AnyShape(), Below(2) == 0);
                }
                break;
        }
    }

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

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    std::mt19937 random{20240611};
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
    // The comparison meant something: the index was used, and clicks hit, snapped
    // and selected shapes.
    EXPECT_GT(doc.PickIndex().Builds(), 0u);
    EXPECT_GT(hits, 200);
    EXPECT_GT(snaps, 200);
    EXPECT_GT(selected, 200);
}

}  // namespace
}  // namespace marquetta
