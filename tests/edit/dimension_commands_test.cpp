#include "edit/dimension_commands.h"

#include <gtest/gtest.h>

#include <string>

#include "edit/dimension_geometry.h"
#include "platform/command_ids.h"
#include "ui/dimension_settings_dialog.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class DimensionCommandsTest : public ViewFixture {
  protected:
    void Run(int id) { ASSERT_TRUE(view.Commands().Run(id)); }
    // A click that snaps to the vertex there (the measured points are exact).
    void SnapClick(double x, double z) {
        g_snapOn = 1;
        ClickWorld(x, z);
        g_snapOn = 0;
    }
    const CShape* LastText() const {
        const CShape* text = nullptr;
        for (const auto& shape : doc.m_shapes) {
            if (shape->m_nType == SHAPE_TEXT) {
                text = shape.get();
            }
        }
        return text;
    }
};

// Each command, clicked as a user would, adds its lines and text on the current layer
// as one step: one undo takes the whole dimension away. The command then waits for
// the next dimension until the right button ends it.
TEST_F(DimensionCommandsTest, EachCommandMakesOneStepOnTheCurrentLayer) {
    const struct {
        int command;
        std::string text;
        const char* promptAfter;
    } cases[] = {
        {ID_DIM_LINEAR, "3600", kPromptDimLinearFirst},
        {ID_DIM_ALIGNED, "3600", kPromptDimAlignedFirst},
        {ID_DIM_RADIUS, "R1000", kPromptDimRadiusPick},
        {ID_DIM_DIAMETER, "\x83\xD3" "2000", kPromptDimDiameterPick},
        {ID_DIM_ANGLE, "90\x81\x8B", kPromptDimAngleFirst},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        doc.DeleteAllShapes();
        AddLine({0, 0, 0}, {3600, 0, 0});
        AddLine({0, 0, 0}, {0, 0, -3600});
        AddShape(SHAPE_CIRCLE, {8000, 0, 0}, {1000, 0, 0});
        doc.ChooseCurrentLayer("寸法");
        Run(c.command);
        switch (c.command) {
            case ID_DIM_LINEAR:
            case ID_DIM_ALIGNED:
                SnapClick(0, 0);
                SnapClick(3600, 0);
                ClickWorld(1800, -1500);
                break;
            case ID_DIM_RADIUS:
            case ID_DIM_DIAMETER:
                ClickWorld(8707.1, -707.1);  // off the vertices of its outline
                ClickWorld(8500, -200);
                break;
            default:
                ClickWorld(2000, 0);
                ClickWorld(0, -2000);
                ClickWorld(1000, -1000);
                break;
        }
        ASSERT_GT(doc.m_shapes.size(), size_t{3});
        const CShape* text = LastText();
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->m_strText, c.text);
        for (size_t i = 3; i < doc.m_shapes.size(); ++i) {
            EXPECT_EQ(Shape(i).m_strLayer, "寸法");
        }
        EXPECT_EQ(platform.Prompt(), c.promptAfter);
        EXPECT_EQ(editState, EDIT_DIMENSION);
        ASSERT_TRUE(app.Execute(ID_EDIT_UNDO));
        EXPECT_EQ(doc.m_shapes.size(), size_t{3});
        Run(c.command);
        RightClick(400, 300);
        EXPECT_EQ(editState, EDIT_IDLE);
        EXPECT_EQ(platform.Prompt(), "");
    }
}

// While the place is chosen the whole dimension, text included, follows the cursor in
// red; measuring shows the one segment from the last point. Neither opens a window.
TEST_F(DimensionCommandsTest, PreviewFollowsTheCursorWithoutAWindow) {
    AddLine({0, 0, 0}, {3600, 0, 0});
    const struct {
        int command;
        size_t fewestSegments, mostSegments;
    } cases[] = {{ID_DIM_LINEAR, 5 + 8, 200}, {ID_MEASURE, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.command);
        Run(c.command);
        SnapClick(0, 0);
        if (c.command != ID_MEASURE) {
            SnapClick(3600, 0);
        }
        const Double2 p = PixelOf(1800, 0, -2000);
        view.OnMouseMove(Px(p.x), Px(p.y));
        const PaintFrame& frame = view.OnPaint(kWidth, kHeight);
        const size_t segments = frame.previewSegments.size() / 6;
        EXPECT_GE(segments, c.fewestSegments);
        EXPECT_LE(segments, c.mostSegments);
        EXPECT_TRUE(frame.overlaySegments.empty());
        RightClick(400, 300);
    }
}

// A draw command given while dimensioning or measuring ends it, pending point and all:
// the line starts afresh and the right button then ends the line as ever.
TEST_F(DimensionCommandsTest, ADrawCommandEndsDimensioningAndMeasuring) {
    AddLine({0, 0, 0}, {3600, 0, 0});
    for (const int command : {ID_DIM_ALIGNED, ID_MEASURE}) {
        SCOPED_TRACE(command);
        Run(command);
        SnapClick(0, 0);
        ASSERT_EQ(stepPending, 1);
        Run(ID_LINE);
        EXPECT_EQ(editState, EDIT_IDLE);
        EXPECT_EQ(stepPending, 0);
        SnapClick(3600, 0);
        EXPECT_EQ(stepPending, 1);
        RightClick(400, 300);
        EXPECT_EQ(doc.m_current.m_nType, SHAPE_NONE);
        EXPECT_EQ(doc.m_shapes.size(), size_t{1});
    }
}

// Points typed relative to the last one ("@") serve as the clicks would: a length
// dimension's second point, and a measured point.
TEST_F(DimensionCommandsTest, TypedRelativePointsServeAsClicks) {
    AddLine({0, 0, 0}, {3600, 0, 0});
    Run(ID_DIM_LINEAR);
    SnapClick(0, 0);
    platform.QueueDialog({{"3600,0"}});
    Run(ID_RELATIVE_ENTRY);
    EXPECT_EQ(platform.Prompt(), kPromptDimLinearPlace);
    platform.QueueDialog({{"0,1000"}});
    Run(ID_RELATIVE_ENTRY);
    ASSERT_EQ(doc.m_shapes.size(), size_t{7});
    EXPECT_EQ(Shape(6).m_strText, "3600");
    EXPECT_FLOAT_EQ(Shape(1).m_pt[0].z, -1000.0f);  // the dimension line, 1000 north
    RightClick(400, 300);

    Run(ID_MEASURE);
    SnapClick(3600, 0);
    platform.QueueDialog({{"0,-2500"}});
    Run(ID_RELATIVE_ENTRY);
    EXPECT_NE(platform.Prompt().find("距離=2500.0 角度=270.0° 合計=2500.0"), std::string::npos)
        << platform.Prompt();
    RightClick(400, 300);
}

// A click that cannot serve is refused with the warning beep and a prompt that says
// why; nothing is added and the step waits for the click again.
TEST_F(DimensionCommandsTest, BadClicksAreRefusedWithTheReason) {
    const struct {
        const char* name;
        int command;
        std::vector<Double2> clicks;  // world (x, z); the last one is refused
        const char* why;
    } cases[] = {
        {"the same point twice", ID_DIM_ALIGNED, {{0, 0}, {0, 0}}, kPromptDimCoincident},
        {"a line for a radius", ID_DIM_RADIUS, {{1800, 0}}, kPromptDimNeedsCircle},
        {"a circle for an angle", ID_DIM_ANGLE, {{8707.1, -707.1}}, kPromptDimNeedsLine},
        {"parallel lines", ID_DIM_ANGLE, {{1800, 0}, {1800, -2000}}, kPromptDimParallel},
        {"vertical points, horizontal place", ID_DIM_LINEAR, {{0, 0}, {0, -2000}, {0, -3000}},
         kPromptDimZeroLength},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        AddLine({0, 0, 0}, {3600, 0, 0});
        AddLine({0, 0, -2000}, {3600, 0, -2000});
        AddShape(SHAPE_CIRCLE, {8000, 0, 0}, {1000, 0, 0});
        Run(c.command);
        platform.ClearCalls();
        for (const Double2& p : c.clicks) {
            // The measured points snap; the place is where the click lands.
            if (c.command == ID_DIM_LINEAR && &p != &c.clicks.back()) {
                SnapClick(p.x, p.y);
            } else {
                ClickWorld(p.x, p.y);
            }
        }
        EXPECT_EQ(Beeps(BeepKind::Exclamation), size_t{1});
        EXPECT_EQ(platform.Prompt(), c.why);
        EXPECT_EQ(doc.m_shapes.size(), size_t{3});
        EXPECT_EQ(stepPending, c.clicks.size() > 1 ? 1 : 0);
        RightClick(400, 300);
    }
}

// Measuring says each distance and angle from the previous click and the running
// total, and a Shift+click the size of one shape; the drawing is left untouched.
TEST_F(DimensionCommandsTest, MeasureSaysDistancesAndShapeSizes) {
    AddLine({0, 0, 0}, {3000, 0, 0});
    AddLine({3000, 0, 0}, {3000, 0, -4000});
    AddShape(SHAPE_CIRCLE, {8000, 0, 0}, {1000, 0, 0});
    AddShape(SHAPE_ARC, {0, 0, 5000}, {1000, 0, 90});
    doc.SetModifiedFlag(false);
    Run(ID_MEASURE);
    EXPECT_EQ(platform.Prompt(), kPromptMeasureFirst);
    SnapClick(0, 0);
    SnapClick(3000, 0);
    EXPECT_NE(platform.Prompt().find("距離=3000.0 角度=0.0° 合計=3000.0"), std::string::npos)
        << platform.Prompt();
    SnapClick(3000, -4000);
    EXPECT_NE(platform.Prompt().find("距離=4000.0 角度=90.0° 合計=7000.0"), std::string::npos)
        << platform.Prompt();
    // The status bar adds the cursor's distance to the total (the cursor lies within a
    // pixel of the last point).
    view.OnMouseMove(Px(PixelOf(3000, 0, -4000).x), Px(PixelOf(3000, 0, -4000).y));
    EXPECT_NE(view.CursorReadoutText().find("  合計=70"), std::string::npos) << view.CursorReadoutText();

    const struct {
        double x, z;
        const char* text;
    } shapes[] = {{8707.1, -707.1, "半径=1000.0 円周=6283.2"},
                  {1000, 0, "長さ=3000.0"},
                  {707.1, 4292.9, "長さ=1570.8 半径=1000.0"}};
    for (const auto& s : shapes) {
        const Double2 p = PixelOf(s.x, 0, s.z);
        view.OnMouseMove(Px(p.x), Px(p.y));
        view.OnLButtonDown(Px(p.x), Px(p.y), MOD_SHIFT);
        view.OnLButtonUp(Px(p.x), Px(p.y));
        EXPECT_EQ(platform.Prompt(), std::string("【測定】") + s.text);
    }
    RightClick(400, 300);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(doc.m_shapes.size(), size_t{4});
    EXPECT_FALSE(doc.IsModified());
}

// The settings dialog refuses each value outside its range, naming the range; an
// accepted OK becomes the style of new dimensions and is read back at the next start.
TEST_F(DimensionCommandsTest, SettingsDialogRangesAndRemembering) {
    const struct {
        size_t field;
        const char* value;
        const char* message;
    } refused[] = {
        {kDimTextHeightField, "0.1", "0.5 から 20 までの数字を入力してください。"},
        {kDimEndSizeField, "25", "0.5 から 20 までの数字を入力してください。"},
        {kDimGapField, "-1", "0 から 20 までの数字を入力してください。"},
        {kDimOvershootField, "nan", "数字を入力してください。"},
        {kDimDecimalsField, "5", "0 から 4 までの整数を入力してください。"},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.value);
        DimensionSettingsDialog dialog(g_dimensionStyle);
        dialog.Fields()[r.field].text = r.value;
        const auto refusal = dialog.Validate();
        ASSERT_TRUE(refusal.has_value());
        EXPECT_EQ(refusal->message, r.message);
        EXPECT_EQ(refusal->field, r.field);
    }
    platform.QueueDialog({{"3.5", kDimEndArrow, "3", "0", "1.5", "1"}});
    Run(ID_DIM_SETTINGS);
    DimensionStyle expected{3.5, DimensionEnd::Arrow, 3.0, 0.0, 1.5, 1};
    EXPECT_EQ(g_dimensionStyle, expected);
    InitDimensionDefaults();
    EXPECT_EQ(g_dimensionStyle, DimensionStyle{});
    LoadDimensionSettings();
    EXPECT_EQ(g_dimensionStyle, expected);
}

}  // namespace
}  // namespace marquetta
