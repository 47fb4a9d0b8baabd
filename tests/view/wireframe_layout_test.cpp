// The wireframe kept in step with the drawing list: after any edits made through the
// document's operations it draws exactly what a wireframe made afresh draws, in the
// same order and colours, while most paints draw again only what changed.
#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

#include "random_drawing.h"
#include "model/layers.h"
#include "view/paint_frame.h"
#include "view/wireframe_layout.h"

namespace marquetta {
namespace {

// Every segment the runs draw, as its two vertices, in drawing order, with its colour
// (kMagenta, or the pen); cut into chunks of a few segments as the painter cuts them.
constexpr uint32_t kMagenta = 0x1000000;
std::vector<std::pair<Float3, uint32_t>> Drawn(const Wireframe& w) {
    std::vector<std::pair<Float3, uint32_t>> drawn;
    uint32_t chunk[6];
    for (const WireframeRun& run : w.runs) {
        const uint32_t end = run.firstVertex + run.vertexCount;
        for (uint32_t next = run.firstVertex; next < end;) {
            const size_t count = w.Segments(next, end, chunk, 6);
            for (size_t i = 0; i < count; ++i) {
                const float* p = &w.vertices[3 * size_t{chunk[i]}];
                drawn.push_back({{p[0], p[1], p[2]}, run.selected ? kMagenta : run.pen});
            }
        }
    }
    return drawn;
}

class WireframeLayoutTest : public RandomDrawing {
  protected:
    // The kept wireframe, brought up to date, draws what a new one draws.
    void PaintAndCompare(int round) {
        const std::vector<std::pair<Float3, uint32_t>> drawn = Drawn(*kept.Build(doc, 800, 600).wireframe);
        PaintBuilder fresh;
        g_displayListValid = 0;
        ASSERT_EQ(drawn, Drawn(*fresh.Build(doc, 800, 600).wireframe)) << "round " << round;
    }
    PaintBuilder kept;
};

TEST_F(WireframeLayoutTest, EditsDrawAsAWireframeMadeAfresh) {
    // Each layer in a colour of its own, shown from round 150 on.
    for (int layer = 0; layer < 3; ++layer) {
        SetLayerAppearance(layer, {0.2 * layer, 1.0 - 0.3 * layer, 0.5, 0.0, 0.0, {}});
    }
    for (int round = 0; round < 300; ++round) {
        g_colorByLayer = round >= 150 ? 1 : 0;
        const int edits = round % 25 == 0 ? 300 : 1 + Below(6);
        for (int e = 0; e < edits; ++e) {
            EditAtRandom();
        }
        ASSERT_NO_FATAL_FAILURE(PaintAndCompare(round));
    }
    // Drawing, moving, selecting, putting on another shown layer and erasing draw again
    // only what they changed.
    for (int layer = 0; layer < 3; ++layer) {
        SetLayerVisible(layer, true);
    }
    ASSERT_NO_FATAL_FAILURE(PaintAndCompare(300));
    const size_t rebuilds = kept.WireframeRebuilds();
    const char* const layers[] = {"0", "walls", "doors"};
    for (int round = 0; round < 50; ++round) {
        AddRandomShape();
        doc.TranslateShape(AnyShape(), {0, 0, 0}, Point());
        doc.SetShapeLayer(AnyShape(), layers[round % 3]);
        doc.SetSelected(AnyShape(), true);
        if (round % 5 == 0) {
            doc.EraseSelected();
        }
        ASSERT_NO_FATAL_FAILURE(PaintAndCompare(round));
    }
    EXPECT_EQ(kept.WireframeRebuilds(), rebuilds);
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
