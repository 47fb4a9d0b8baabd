#include "view/paint_frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "test_shapes.h"
#include "view/camera.h"
#include "view/shape_outline.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

class PaintFrameTest : public ::testing::Test {
protected:
    void SetUp() override { InitProgramDefaults(); }

    CShape& Add(int type, Float3 p0, Float3 p1, const std::string& layer = "0") {
        g_displayListValid = 0;
        return testing::AddShape(doc, type, layer, {p0, p1});
    }

    const PaintFrame& Paint() { return builder.Build(doc, 800, 600); }

    static Float3 Vertex(const std::vector<float>& v, size_t i) {
        return {v[3 * i], v[3 * i + 1], v[3 * i + 2]};
    }
    static bool IsColor(const WireframeRun& run, const float (&color)[4]) {
        return std::equal(color, color + 4, run.color.rgba);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    PaintBuilder builder;
};

TEST_F(PaintFrameTest, FirstPaintMeasuresThePaperOnce) {
    platform.SetPrinterPaper(PrinterPaper{5000, 3000, 600, 300});
    EXPECT_TRUE(Paint().paperMeasured);
    EXPECT_DOUBLE_EQ(g_paperWidth, 5000 * 25.4 / 600);
    EXPECT_DOUBLE_EQ(g_paperHeight, 3000 * 25.4 / 300);
    EXPECT_EQ(g_paperPending, 0);
    EXPECT_FALSE(Paint().paperMeasured);
    // A printer without a resolution leaves the size.
    platform.SetPrinterPaper(PrinterPaper{100, 100, 0, -1});
    g_paperPending = 1;
    Paint();
    EXPECT_DOUBLE_EQ(g_paperWidth, 5000 * 25.4 / 600);
}

TEST_F(PaintFrameTest, NoPrinterEndsTheProgramAfterTheMessage) {
    platform.SetPrinterPaper(std::nullopt);
    EXPECT_THROW(Paint(), HeadlessTermination);
    const auto& calls = platform.Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].kind, PlatformCall::Kind::MessageBox);
    EXPECT_EQ(calls[0].text,
              "通常使うプリンタが設定されていません。\nコントロールパネルでプリンタを追加して下さい。\n"
              "強制的に終了します。");
    EXPECT_EQ(calls[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(calls[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(calls[1].kind, PlatformCall::Kind::TerminateProcess);
}

TEST_F(PaintFrameTest, GridShowsItsVisiblePointsOrTheSheetsEdges) {
    const PaintFrame& frame = Paint();
    // The start-up view: every column, the rows but the outer two at top and bottom.
    ASSERT_EQ(frame.gridPoints.size(), 23u * 29u * 3u);
    EXPECT_EQ(Vertex(frame.gridPoints, 0), (Float3{-11 * 910.0f, 0, -14 * 910.0f}));
    EXPECT_EQ(Vertex(frame.gridPoints, 29), (Float3{-10 * 910.0f, 0, -14 * 910.0f}));
    EXPECT_FALSE(frame.gridTooFine);
    EXPECT_TRUE(frame.sheetOutline.empty());
    // Points a couple of pixels apart: none, but the sheet's edges.
    g_gridPitch = 100;
    EXPECT_TRUE(Paint().gridPoints.empty());
    EXPECT_TRUE(Paint().gridTooFine);
    EXPECT_EQ(Vertex(Paint().sheetOutline, 0), (Float3{-10500, 0, -14850}));
    g_gridOn = 0;
    EXPECT_FALSE(Paint().gridTooFine);
    EXPECT_TRUE(Paint().sheetOutline.empty());
}

TEST_F(PaintFrameTest, GridOffStillDrawsPreviews) {
    g_gridOn = 0;
    doc.m_current.m_nType = SHAPE_LINE;
    rubberBand = 1;
    firstPoint = {1, 0, 2};
    cursorPoint = {3, 0, 4};
    const PaintFrame& frame = Paint();
    EXPECT_TRUE(frame.gridPoints.empty());
    ASSERT_EQ(frame.previewSegments.size(), 6u);
    EXPECT_EQ(Vertex(frame.previewSegments, 1), (Float3{3, 0, 4}));
    rubberBand = 0;
    EXPECT_TRUE(Paint().previewSegments.empty());
}

TEST_F(PaintFrameTest, HiddenLayersAreNeitherDrawnNorCompiled) {
    Add(SHAPE_LINE, {0, 0, 0}, {1, 0, 0});
    Add(SHAPE_LINE, {5, 0, 0}, {6, 0, 0}, "hidden");
    g_layerAttributes[FindLayer("hidden")][LAYER_VISIBLE] = 0.0;
    const PaintFrame& frame = Paint();
    ASSERT_TRUE(frame.wireframeRebuilt);
    EXPECT_EQ(frame.wireframe->VertexCount(), 2u);
    EXPECT_EQ(g_displayListValid, 1);
    // Showing the layer again only counts once the wireframe is marked stale.
    g_layerAttributes[FindLayer("hidden")][LAYER_VISIBLE] = 1.0;
    EXPECT_FALSE(Paint().wireframeRebuilt);
    EXPECT_EQ(Paint().wireframe->VertexCount(), 2u);
    g_displayListValid = 0;
    EXPECT_EQ(Paint().wireframe->VertexCount(), 4u);
}

TEST_F(PaintFrameTest, SelectionTurnsMagentaOnlyAfterTheWireframeIsStale) {
    Add(SHAPE_LINE, {0, 0, 0}, {1, 0, 0});
    CShape& second = Add(SHAPE_LINE, {2, 0, 0}, {3, 0, 0});
    Paint();
    second.m_bSelected = 1;
    const PaintFrame& replay = Paint();
    ASSERT_EQ(replay.wireframe->runs.size(), 1u);
    EXPECT_TRUE(IsColor(replay.wireframe->runs[0], kShapeColor));
    g_displayListValid = 0;
    const Wireframe& rebuilt = *Paint().wireframe;
    ASSERT_EQ(rebuilt.runs.size(), 2u);
    EXPECT_TRUE(IsColor(rebuilt.runs[0], kShapeColor));
    EXPECT_TRUE(IsColor(rebuilt.runs[1], kSelectedColor));
    EXPECT_EQ(rebuilt.runs[1].firstVertex, 2u);
    EXPECT_EQ(rebuilt.runs[1].vertexCount, 2u);
    // Only 1 counts as selected.
    second.m_bSelected = 2;
    g_displayListValid = 0;
    EXPECT_EQ(Paint().wireframe->runs.size(), 1u);
}

TEST_F(PaintFrameTest, CircleLiesOnTheGroundWhateverItsCentreHeight) {
    Add(SHAPE_CIRCLE, {100, 500, 200}, {50, 0, 0});
    const Wireframe& w = *Paint().wireframe;
    // One closed polyline from the point at 0 degrees, every vertex on the circle.
    ASSERT_GE(w.VertexCount(), 5u);
    EXPECT_EQ(std::count(w.starts.begin(), w.starts.end(), 1), 1);
    EXPECT_EQ(Vertex(w.vertices, 0), (Float3{150, 0, 200}));
    EXPECT_EQ(Vertex(w.vertices, w.VertexCount() - 1), (Float3{150, 0, 200}));
    for (size_t i = 0; i < w.VertexCount(); ++i) {
        const Float3 v = Vertex(w.vertices, i);
        EXPECT_EQ(v.y, 0.0f);
        EXPECT_NEAR(std::hypot(v.x - 100.0, v.z - 200.0), 50.0, 1e-3);
    }
}

TEST_F(PaintFrameTest, ArcsRunFromTheirStartToTheirEnd) {
    const auto arcPoint = [](double degrees) {
        const double a = degrees * kRadiansPerDegree;
        return Float3{static_cast<float>(1000 * std::cos(a)), 0.0f, static_cast<float>(-1000 * std::sin(a))};
    };
    const struct {
        float start, end;
        Float3 first, last;
    } arcs[] = {
        {350, 370, arcPoint(350), arcPoint(370)},  // through 360
        {30, 10, arcPoint(30), arcPoint(10)},      // the end not above the start: the chord
        {0, 1e30f, arcPoint(0), arcPoint(0)},      // stored nonsense: one turn
    };
    for (const auto& arc : arcs) {
        doc.DeleteAllShapes();
        Add(SHAPE_ARC, {0, 500, 0}, {1000, arc.start, arc.end});
        const Wireframe& w = *Paint().wireframe;
        ASSERT_GE(w.VertexCount(), 2u) << arc.start;
        EXPECT_EQ(std::count(w.starts.begin(), w.starts.end(), 1), 1);
        EXPECT_LE(w.VertexCount(), 1u + kMaxEvenSegments);
        EXPECT_EQ(Vertex(w.vertices, 0), arc.first) << arc.start;
        const Float3 last = Vertex(w.vertices, w.VertexCount() - 1);
        EXPECT_NEAR(last.x, arc.last.x, 1e-2) << arc.start;
        EXPECT_NEAR(last.z, arc.last.z, 1e-2) << arc.start;
        for (size_t i = 0; i < w.VertexCount(); ++i) {
            EXPECT_EQ(Vertex(w.vertices, i).y, 0.0f);
        }
    }
    // 370 degrees lies toward -z for arcs: the arc through 360 ends below the x axis.
    doc.DeleteAllShapes();
    Add(SHAPE_ARC, {0, 0, 0}, {1000, 350, 370});
    const Wireframe& through = *Paint().wireframe;
    EXPECT_GT(Vertex(through.vertices, 0).z, 0.0f);
    EXPECT_LT(Vertex(through.vertices, through.VertexCount() - 1).z, 0.0f);
    doc.DeleteAllShapes();
    Add(SHAPE_ARC, {0, 0, 0}, {1000, 30, 10});
    EXPECT_EQ(Paint().wireframe->VertexCount(), 2u);
}

TEST_F(PaintFrameTest, FacesAreOutlinedAndTextIsStroked) {
    CShape& face = Add(SHAPE_FACE, {0, 0, 0}, {10, 0, 0});
    face.m_pt[2] = {10, 0, 10};
    face.m_pt[3] = {0, 0, 10};
    CShape& text = Add(SHAPE_TEXT, {0, 0, 0}, {300, 300, 0});
    text.m_strText = "A";
    const Wireframe& w = *Paint().wireframe;
    // The outline closes on its first corner.
    EXPECT_EQ(Vertex(w.vertices, 4), (Float3{0, 0, 0}));
    EXPECT_GT(w.VertexCount(), 5u);
    // The text's strokes stay within its 300 x 300 cell, above the baseline (toward -z).
    for (size_t i = 5; i < w.VertexCount(); ++i) {
        EXPECT_GE(Vertex(w.vertices, i).x, 0.0f);
        EXPECT_LE(Vertex(w.vertices, i).x, 150.0f);
        EXPECT_LE(Vertex(w.vertices, i).z, 0.0f);
    }
}

TEST_F(PaintFrameTest, ShadedModeDrawsOnlyFacesInLayerColours) {
    g_shaded = 1;
    Add(SHAPE_LINE, {0, 0, 0}, {1, 0, 0}, "walls");
    g_layerAttributes[0][LAYER_RED] = 0.5;
    CShape& face = Add(SHAPE_FACE, {0, 0, 0}, {10, 0, 0}, "walls");
    face.m_normal[0] = {0, 1, 0};
    CShape& outside = Add(SHAPE_FACE, {0, 0, 0}, {10, 0, 0}, "unlisted");
    outside.m_strLayer = "not in the table";
    g_layerAttributes[g_layerCount][LAYER_VISIBLE] = 1.0;
    const PaintFrame& frame = Paint();
    EXPECT_EQ(frame.wireframe, nullptr);
    ASSERT_EQ(frame.faces.size(), 2u);
    EXPECT_EQ(frame.faces[0].color[0], 0.5f);
    EXPECT_EQ(frame.faces[0].normals[0], (Float3{0, 1, 0}));
    EXPECT_EQ(frame.faces[1].color[0], 1.0f);
    EXPECT_FALSE(frame.gridPoints.empty());

    // A selected face follows the cursor while a move is under way.
    face.m_bSelected = 1;
    rubberBand = 1;
    editState = EDIT_MOVE;
    firstPoint = {1, 0, 1};
    cursorPoint = {4, 0, -1};
    EXPECT_EQ(Paint().faces[0].corners[1], (Float3{13, 0, -2}));
    EXPECT_EQ(Paint().faces[1].corners[1], (Float3{10, 0, 0}));
}

TEST_F(PaintFrameTest, CirclePreviewAtTheFirstPointsHeight) {
    doc.m_current.m_nType = SHAPE_CIRCLE;
    rubberBand = 1;
    firstPoint = {0, 7, 0};
    cursorPoint = {3, 7, 4};
    const PaintFrame& frame = Paint();
    ASSERT_EQ(frame.previewSegments.size(), 72u * 3u);
    EXPECT_EQ(Vertex(frame.previewSegments, 0), (Float3{5, 7, 0}));
}

TEST_F(PaintFrameTest, ArcPreviewFollowsTheCursorAngleAndDirection) {
    doc.m_current.m_nType = SHAPE_ARC;
    rubberBand = 1;
    arcStartGiven = 1;
    arcStartAngle = 0;
    arcRadius = 10;
    firstPoint = {0, 0, 0};
    // 90 degrees, measured with the program's pi: just below 90.
    cursorPoint = {0, 0, -5};
    const std::vector<float> forward = Paint().previewSegments;
    ASSERT_EQ(forward.size() / 3, 2u * 9u);  // 0, 10, ..., 80, 89.99...
    EXPECT_NEAR(Vertex(forward, 17).z, -10.0f, 1e-4);
    arcReversed = 1;  // from 89.99... through 90, 100, ..., 360 to 360
    const std::vector<float> reversed = Paint().previewSegments;
    ASSERT_EQ(reversed.size() / 3, 2u * 29u);
    EXPECT_NEAR(Vertex(reversed, 0).z, -10.0f, 1e-4);
    // Cursor below the start angle: the sweep goes past 360.
    arcReversed = 0;
    arcStartAngle = 300;
    cursorPoint = {5, 0, 0};
    EXPECT_EQ(Paint().previewSegments.size() / 3, 2u * 7u);
}

TEST_F(PaintFrameTest, ArcPreviewWithoutADirectionShowsNothing) {
    doc.m_current.m_nType = SHAPE_ARC;
    rubberBand = 1;
    arcStartGiven = 1;
    firstPoint = {100, 0, 200};
    const struct {
        double startAngle;  // NaN: the start was taken on the centre
        double radius;
        Double3 cursor;
    } cases[] = {
        {30, 50, {100, 0, 200}},           // cursor on the centre
        {std::nan(""), 0, {100, 0, 200}},  // both on it
        {std::nan(""), 0, {150, 0, 200}},  // start on it
    };
    for (const auto& c : cases) {
        arcStartAngle = c.startAngle;
        arcRadius = c.radius;
        cursorPoint = c.cursor;
        EXPECT_TRUE(Paint().previewSegments.empty()) << c.cursor.x << " " << c.startAngle;
    }
}

TEST_F(PaintFrameTest, SelectionWindowIsDrawnOnlyWhileIdle) {
    rubberBand = 1;
    firstScreenPoint = {10, 20};
    lastScreenPoint = {110, 220};
    const PaintFrame& frame = Paint();
    ASSERT_EQ(frame.overlaySegments.size(), 8u * 3u);
    EXPECT_EQ(Vertex(frame.overlaySegments, 0), (Float3{10, 580, 0}));
    EXPECT_EQ(Vertex(frame.overlaySegments, 3), (Float3{110, 380, 0}));
    editState = EDIT_COPY;
    EXPECT_TRUE(Paint().overlaySegments.empty());
    editState = EDIT_IDLE;
    doc.m_current.m_nType = SHAPE_LINE;
    EXPECT_TRUE(Paint().overlaySegments.empty());
}

TEST_F(PaintFrameTest, FrameCarriesTheCapturedTransforms) {
    const PaintFrame& frame = Paint();
    EXPECT_EQ(frame.viewport[2], 800);
    EXPECT_EQ(frame.viewport[3], 600);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(frame.projection[i], g_projectionMatrix[i]);
        EXPECT_EQ(frame.modelview[i], g_modelviewMatrix[i]);
    }
}

}  // namespace
}  // namespace marquetta
