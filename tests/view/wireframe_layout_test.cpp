// The wireframe kept in step with the drawing list: after any edits made through the
// document's operations it draws exactly what a wireframe made afresh draws, in the
// same order and colours, while most paints draw again only what changed.
#include <gtest/gtest.h>

#include <utility>
#include <limits>
#include <vector>

#include "random_drawing.h"
#include "model/layers.h"
#include "view/camera.h"
#include "view/paint_frame.h"
#include "view/shape_outline.h"

namespace marquetta {
namespace {

// Every segment the runs draw, as its two vertices, in drawing order, with its colour;
// cut into chunks of a few segments as the painter cuts them.
std::vector<std::pair<Float3, PaintColor>> Drawn(const Wireframe& w) {
    std::vector<std::pair<Float3, PaintColor>> drawn;
    uint32_t chunk[6];
    for (const WireframeRun& run : w.runs) {
        const uint32_t end = run.firstVertex + run.vertexCount;
        for (uint32_t next = run.firstVertex; next < end;) {
            const size_t count = w.Segments(next, end, chunk, 6);
            for (size_t i = 0; i < count; ++i) {
                const float* p = &w.vertices[3 * size_t{chunk[i]}];
                drawn.push_back({{p[0], p[1], p[2]}, run.color});
            }
        }
    }
    return drawn;
}

class WireframeLayoutTest : public RandomDrawing {
  protected:
    // The kept wireframe, brought up to date, draws what a new one draws.
    void PaintAndCompare(int round) {
        const std::vector<std::pair<Float3, PaintColor>> drawn = Drawn(*kept.Build(doc, 800, 600).wireframe);
        PaintBuilder fresh;
        g_displayListValid = 0;
        ASSERT_EQ(drawn, Drawn(*fresh.Build(doc, 800, 600).wireframe)) << "round " << round;
    }
    PaintBuilder kept;
};

// Cameras the rounds look through in turn: the start-up view, the whole drawing, a
// corner close up (shapes move in and out of view), from below the ground.
void LookThrough(int view) {
    InitCameraDefaults();
    switch (view) {
        case 1:
            g_viewTranslate.z = -400000.0f;
            break;
        case 2:
            g_viewTranslate = {-15000.0f, 12000.0f, -8000.0f};
            break;
        case 3:
            g_elevation = -90.0;
            break;
        default:
            break;
    }
}

TEST_F(WireframeLayoutTest, EditsDrawAsAWireframeMadeAfresh) {
    for (int round = 0; round < 300; ++round) {
        LookThrough(round / 20 % 4);
        const int edits = round % 25 == 0 ? 300 : 1 + Below(6);
        for (int e = 0; e < edits; ++e) {
            EditAtRandom();
        }
        ASSERT_NO_FATAL_FAILURE(PaintAndCompare(round));
    }
    // Drawing, moving, selecting and erasing draw again only what they changed, while
    // everything stays in view.
    LookThrough(1);
    ASSERT_NO_FATAL_FAILURE(PaintAndCompare(-1));
    const size_t rebuilds = kept.WireframeRebuilds();
    for (int round = 0; round < 50; ++round) {
        AddRandomShape();
        doc.TranslateShape(AnyShape(), {0, 0, 0}, Point());
        doc.SetSelected(AnyShape(), true);
        if (round % 5 == 0) {
            doc.EraseSelected();
        }
        ASSERT_NO_FATAL_FAILURE(PaintAndCompare(round));
    }
    EXPECT_EQ(kept.WireframeRebuilds(), rebuilds);
}

// Draws each shape in its layer's colour and a selected one magenta, as a view that
// colours by layer does.
class LayerColourSource final : public WireframeSource {
  public:
    void Emit(const CShape& shape, Wireframe& out) const override {
        EmitOutline(shape, OutlineDetail(), out);
    }
    LayerLook LookOf(const std::string& layer) const override {
        LayerLook look{IsLayerVisible(layer), {{1, 1, 1, 1}}};
        const int slot = FindLayer(layer);
        for (int c = 0; c < 3 && slot < g_layerCount; ++c) {
            look.color.rgba[c] = static_cast<float>(g_layerAttributes[slot][c]);
        }
        return look;
    }
    PaintColor ColorOf(const CShape& shape, const LayerLook& layer) const override {
        return shape.IsSelected() ? PaintColor{{1, 0, 1, 1}} : layer.color;
    }
    bool MayShow(const CShape&) const override { return true; }
    bool Candidates(const ShapeList&, std::vector<uint32_t>&) const override { return false; }
    size_t VertexEstimate(const CShape&) const override { return 2; }
};

TEST_F(WireframeLayoutTest, LayerGivenAnotherColourAmidEditsDrawsInIt) {
    const LayerColourSource source;
    WireframeLayout layout;
    Wireframe kept;
    for (int round = 0; round < 200; ++round) {
        for (int e = 1 + Below(3); e > 0; --e) {
            EditAtRandom();
        }
        if (Below(2) == 0) {
            const int layer = Below(3);
            LayerAppearance look = GetLayerAppearance(layer);
            look.red = Uniform(0, 1);
            look.blue = Uniform(0, 1);
            SetLayerAppearance(layer, look);
        }
        layout.Update(doc.m_shapes, true, false, source, kept);
        WireframeLayout freshLayout;
        Wireframe fresh;
        freshLayout.Update(doc.m_shapes, true, false, source, fresh);
        ASSERT_EQ(Drawn(kept), Drawn(fresh)) << "round " << round;
    }
}

TEST(WireframePenTest, LayerColoursTooDarkForTheBackgroundAreLightened) {
    struct Case {
        double red, green, blue;
        uint32_t pen;
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const Case cases[] = {
        {1.0, 1.0, 1.0, 0xFFFFFF}, {0.0, 1.0, 0.0, 0x00FF00},  // bright enough as they are
        {0.0, 0.0, 0.0, 0x808080},                              // black: grey
        {1.0, 0.0, 0.0, 0xFF4949},  // red, brightness 0.30: a fifth of the way to white
        {0.0, 0.3, 0.3, 0x5E8E8E},  // the background's own colour
        {nan, 2.0, -1.0, 0x00FF00},  // held to 0-1 first
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LayerPen(c.red, c.green, c.blue), c.pen) << c.red << " " << c.green << " " << c.blue;
    }
    InitLayerDefaults();
    AddLayer("walls");
    SetLayerAppearance(0, {0.0, 0.0, 0.0, 0.0, 0.0, {}});
    g_colorByLayer = 0;
    EXPECT_EQ(PenOfLayer("walls"), kWhitePen);
    g_colorByLayer = 1;
    EXPECT_EQ(PenOfLayer("walls"), 0x808080u);
    EXPECT_EQ(PenOfLayer("not a layer"), kWhitePen);
    g_colorByLayer = 0;
}

}  // namespace
}  // namespace marquetta
