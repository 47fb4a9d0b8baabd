// Fillet, chamfer, trim and rectangle driven by the user's clicks and typing: what they
// make, what they refuse and say, and undo and redo of each as one step.
#include "edit/corner_commands.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/command_table.h"
#include "edit/draw_commands.h"
#include "platform/command_ids.h"
#include "ui/corner_dialogs.h"
#include "ui/relative_entry.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class CornerTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        g_snapOn = 0;
    }
    void Run(int id) { ASSERT_TRUE(app.Execute(id)); }
    std::vector<CShape> Shapes() const {
        std::vector<CShape> shapes;
        for (const auto& shape : doc.m_shapes) {
            shapes.push_back(*shape);
        }
        return shapes;
    }
    // Two walls meeting at (4000, 0): one along +X on layer "W", one up the plan.
    void TwoWalls() {
        AddLine({0, 0, 0}, {4000, 0, 0}, "W");
        AddLine({4000, 0, 0}, {4000, 0, -4000});
    }
    void Fillet(const char* radius) {
        platform.QueueDialog({{radius}, true});
        Run(ID_FILLET);
        ClickWorld(2000, 0);
        ClickWorld(4000, -2000);
    }
    void Chamfer(const char* distances) {
        platform.QueueDialog({{distances}, true});
        Run(ID_CHAMFER);
        ClickWorld(2000, 0);
        ClickWorld(4000, -2000);
    }
};

void ExpectPoint(const Float3& got, const Float3& want) {
    EXPECT_FLOAT_EQ(got.x, want.x);
    EXPECT_FLOAT_EQ(got.y, want.y);
    EXPECT_FLOAT_EQ(got.z, want.z);
}

TEST_F(CornerTest, FilletTrimsBothLinesAndAddsTheArcOnTheFirstLinesLayer) {
    TwoWalls();
    platform.QueueDialog({{"1000"}, true});
    Run(ID_FILLET);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::RunDialog).back().caption, "半径");
    EXPECT_EQ(platform.Prompt(), kPromptFilletFirst);
    ClickWorld(2000, 0);
    EXPECT_EQ(Shape(0).m_bSelected, 1);  // the first line shows as picked
    EXPECT_EQ(platform.Prompt(), kPromptFilletSecond);
    ClickWorld(4000, -2000);
    EXPECT_EQ(platform.Prompt(), kPromptFilletFirst);  // the next corner
    ASSERT_EQ(doc.m_shapes.size(), 3u);
    // Lengths 3000 each: both walls end 1000 short of the corner.
    ExpectPoint(Shape(0).m_pt[0], {0, 0, 0});
    ExpectPoint(Shape(0).m_pt[1], {3000, 0, 0});
    ExpectPoint(Shape(1).m_pt[0], {4000, 0, -1000});
    ExpectPoint(Shape(1).m_pt[1], {4000, 0, -4000});
    const CShape& arc = Shape(2);
    EXPECT_EQ(arc.m_nType, SHAPE_ARC);
    EXPECT_EQ(arc.m_strLayer, "W");
    ExpectPoint(arc.m_pt[0], {3000, 0, -1000});
    ExpectPoint(arc.m_pt[1], {1000, 270, 360});
    EXPECT_EQ(Shape(0).m_bSelected, 0);
    EXPECT_EQ(selectionExists, 0);

    RightClick(400, 300);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(platform.Prompt(), "");
}

TEST_F(CornerTest, SharpCornersAndChamfers) {
    const struct {
        const char* name;
        int command;
        const char* typed;
        Float3 end1, end2;
        bool joined;
    } cases[] = {
        {"fillet 0", ID_FILLET, "0", {4000, 0, 0}, {4000, 0, 0}, false},
        {"chamfer 1000", ID_CHAMFER, "1000", {3000, 0, 0}, {4000, 0, -1000}, true},
        {"chamfer 1000,2000", ID_CHAMFER, "1000,2000", {3000, 0, 0}, {4000, 0, -2000}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        AddLine({0, 0, 0}, {3000, 0, 0}, "W");  // short of the corner: extended
        AddLine({4000, 0, 0}, {4000, 0, -4000});
        c.command == ID_FILLET ? Fillet(c.typed) : Chamfer(c.typed);
        ASSERT_EQ(doc.m_shapes.size(), c.joined ? 3u : 2u);
        ExpectPoint(Shape(0).m_pt[1], c.end1);
        ExpectPoint(Shape(1).m_pt[0], c.end2);
        if (c.joined) {
            EXPECT_EQ(Shape(2).m_nType, SHAPE_LINE);
            EXPECT_EQ(Shape(2).m_strLayer, "W");
            ExpectPoint(Shape(2).m_pt[0], c.end1);
            ExpectPoint(Shape(2).m_pt[1], c.end2);
        }
        Run(ID_CANCEL);
    }
}

TEST_F(CornerTest, RefusalsSayWhyAndChangeNothing) {
    const struct {
        const char* name;
        int command;
        const char* typed;
        Float3 second0, second1;
        double clickX, clickZ;
        const char* prompt;
    } cases[] = {
        {"parallel", ID_FILLET, "100", {0, 0, -2000}, {4000, 0, -2000}, 2000, -2000,
         kPromptCornerParallel},
        {"radius too large", ID_FILLET, "5000", {4000, 0, 0}, {4000, 0, -4000}, 4000, -2000,
         kPromptFilletTooLarge},
        {"chamfer too large", ID_CHAMFER, "100,4000", {4000, 0, 0}, {4000, 0, -4000}, 4000, -2000,
         kPromptChamferTooLarge},
        {"the same line", ID_FILLET, "100", {4000, 0, 0}, {4000, 0, -4000}, 1000, 0,
         kPromptCornerSameLine},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        AddLine({0, 0, 0}, {4000, 0, 0});
        AddLine(c.second0, c.second1);
        doc.History().Clear();
        const std::vector<CShape> before = Shapes();
        platform.QueueDialog({{c.typed}, true});
        Run(c.command);
        ClickWorld(2000, 0);
        platform.ClearCalls();
        ClickWorld(c.clickX, c.clickZ);
        EXPECT_EQ(platform.Prompt(), c.prompt);
        EXPECT_EQ(Beeps(BeepKind::Exclamation), 1u);
        doc.DeselectAll();
        EXPECT_EQ(Shapes(), before);
        EXPECT_FALSE(doc.History().CanUndo());
        Run(ID_CANCEL);
    }
}

TEST_F(CornerTest, ACornerBeyondSinglePrecisionIsRefused) {
    // Nearly parallel lines that would meet only at x = 6e38.
    CShape& first = AddLine({0, 0, 0}, {1, 0, 0});
    CShape& second = AddLine({3e38f, 0, 1e30f}, {3.3e38f, 0, 0.9e30f});
    const std::vector<CShape> before = Shapes();
    EXPECT_FALSE(FilletLines(doc, first, {0.5, 0, 0}, second, {3.1e38, 0, 0.97e30}, 0));
    EXPECT_EQ(platform.Prompt(), kPromptBeyondRange);
    EXPECT_EQ(Shapes(), before);
}

TEST_F(CornerTest, ValuesAreReadWholeAndRemembered) {
    // Each text typed into the chamfer dialog (up to two numbers, 0 to 999999.9).
    const struct {
        const char* typed;
        std::optional<std::vector<double>> values;
    } cases[] = {
        {"10", std::vector<double>{10}},          {" 0 ", std::vector<double>{0}},
        {"10,20", std::vector<double>{10, 20}},   {"10 20", std::vector<double>{10, 20}},
        {"1,2,3", std::nullopt},                  {"nan", std::nullopt},
        {"inf", std::nullopt},                    {"0x10", std::nullopt},
        {"-5", std::nullopt},                     {"1e39", std::nullopt},
        {"1000000", std::nullopt},                {"10mm", std::nullopt},
        {",", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        platform.QueueDialog({{c.typed}, true});
        if (!c.values) {
            platform.QueueDialog({{}, false});  // Cancel after the refusal
        }
        const auto distances = AskChamferDistances();
        ASSERT_EQ(distances.has_value(), c.values.has_value());
        if (c.values) {
            EXPECT_EQ(distances->front(), c.values->front());
            EXPECT_EQ(distances->back(), c.values->back());
        }
    }
    // Each refused text kept the dialog open with a message; Cancel then starts nothing.
    EXPECT_EQ(CountOf(PlatformCall::Kind::MessageBox), 9u);
    platform.QueueDialog({{"inf"}, true});
    platform.QueueDialog({{}, false});
    Run(ID_FILLET);
    EXPECT_EQ(editState, EDIT_IDLE);
    // A value taken opens the next dialog and heads its list.
    platform.QueueDialog({{"250"}, true});
    Run(ID_FILLET);
    platform.QueueDialog({{"300"}, true});
    Run(ID_FILLET);
    const std::vector<PlatformCall> dialogs = platform.CallsOf(PlatformCall::Kind::RunDialog);
    EXPECT_EQ(dialogs.back().dialogFields[0].text, "250");
    EXPECT_EQ(FilletRadiusHistory(), (std::vector<std::string>{"300", "250"}));
}

TEST_F(CornerTest, TrimCutsTheClickedPartAwayAndRefusesShapesApart) {
    CShape& ring = AddShape(SHAPE_CIRCLE, {0, 0, 0}, {2000, 0, 0});
    AddLine({0, 0, 3000}, {0, 0, -3000});
    AddLine({-4000, 0, -2500}, {4000, 0, -2500});  // crosses the edge, not the ring
    AddLine({-4000, 0, 5000}, {4000, 0, 5000});    // crosses nothing
    Run(ID_TRIM);
    EXPECT_EQ(platform.Prompt(), kPromptTrimEdge);
    ClickWorld(0, -2800);
    EXPECT_EQ(Shape(1).m_bSelected, 1);
    EXPECT_EQ(platform.Prompt(), kPromptTrimTarget);
    // The right half of the circle goes: the arc keeps the circle's place in the list.
    // (A circle is picked between the points it is drawn through, 10 degrees apart.)
    ClickWorld(1992, 174);
    EXPECT_EQ(Shape(0).m_nType, SHAPE_ARC);
    ExpectPoint(Shape(0).m_pt[0], {0, 0, 0});
    ExpectPoint(Shape(0).m_pt[1], {2000, 90, 270});
    EXPECT_NE(&Shape(0), &ring);
    // The part of the upper line right of the edge.
    ClickWorld(3000, -2500);
    ExpectPoint(Shape(2).m_pt[0], {-4000, 0, -2500});
    ExpectPoint(Shape(2).m_pt[1], {0, 0, -2500});
    platform.ClearCalls();
    ClickWorld(3000, 5000);
    EXPECT_EQ(platform.Prompt(), kPromptTrimNoCrossing);
    EXPECT_EQ(Beeps(BeepKind::Exclamation), 1u);
    ExpectPoint(Shape(3).m_pt[1], {4000, 0, 5000});
    RightClick(400, 300);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(Shape(1).m_bSelected, 0);
    EXPECT_EQ(selectionExists, 0);
}

TEST_F(CornerTest, RectangleByClicksOrTypedCorner) {
    EXPECT_EQ(TranslateAccelerator('R', MOD_NONE, 0), ID_RECTANGLE);
    doc.ChooseCurrentLayer("R");
    Run(ID_RECTANGLE);
    EXPECT_EQ(platform.Prompt(), kPromptRectangleFirst);
    ClickWorld(0, 0);
    EXPECT_EQ(platform.Prompt(), kPromptRectangleSecond);
    const Double3 a = firstPoint;
    // The rubber band is the rectangle: four sides, no selection window.
    const Double2 p = PixelOf(3000, 0, -2000);
    view.OnMouseMove(Px(p.x), Px(p.y));
    const PaintFrame& frame = view.OnPaint(kWidth, kHeight);
    EXPECT_EQ(frame.previewSegments.size(), 4u * 2 * 3);
    EXPECT_TRUE(frame.overlaySegments.empty());
    // A corner on the same level as the first makes no rectangle.
    ClickWorld(3000, 0);
    EXPECT_EQ(platform.Prompt(), kPromptRectangleFlat);
    EXPECT_TRUE(doc.m_shapes.empty());
    platform.QueueDialog({{"@3000,2000"}, true});
    Run(ID_RELATIVE_ENTRY);
    ASSERT_EQ(doc.m_shapes.size(), 4u);
    const Float3 corners[4] = {Narrow(a), Narrow(Double3{a.x + 3000, a.y, a.z}),
                               Narrow(Double3{a.x + 3000, a.y, a.z - 2000}),
                               Narrow(Double3{a.x, a.y, a.z - 2000})};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Shape(i).m_nType, SHAPE_LINE);
        EXPECT_EQ(Shape(i).m_strLayer, "R");
        ExpectPoint(Shape(i).m_pt[0], corners[i]);
        ExpectPoint(Shape(i).m_pt[1], corners[(i + 1) % 4]);
    }
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(platform.Prompt(), "");
    EXPECT_EQ(doc.History().NextUndo(), StepKind::Rectangle);
}

TEST_F(CornerTest, EachCommandIsOneUndoStep) {
    const struct {
        const char* name;
        std::function<void()> draw;
        std::function<void()> act;
        StepKind kind;
    } cases[] = {
        {"fillet", [&] { TwoWalls(); }, [&] { Fillet("1000"); }, StepKind::Fillet},
        {"chamfer", [&] { TwoWalls(); }, [&] { Chamfer("500,1000"); }, StepKind::Chamfer},
        {"trim a circle",
         [&] {
             AddShape(SHAPE_CIRCLE, {0, 0, 0}, {2000, 0, 0});
             AddLine({0, 0, 3000}, {0, 0, -3000});
         },
         [&] {
             Run(ID_TRIM);
             ClickWorld(0, -2800);
             ClickWorld(-1992, 174);
             RightClick(400, 300);
         },
         StepKind::Trim},
        {"trim a line in two",
         [&] {
             AddLine({-4000, 0, 0}, {4000, 0, 0});
             AddShape(SHAPE_CIRCLE, {0, 0, 0}, {2000, 0, 0});
         },
         [&] {
             Run(ID_TRIM);
             ClickWorld(174, -1992);
             ClickWorld(1000, 0);
         },
         StepKind::Trim},
        {"rectangle", [] {},
         [&] {
             Run(ID_RECTANGLE);
             ClickWorld(0, 0);
             ClickWorld(3000, -2000);
         },
         StepKind::Rectangle},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Run(ID_CANCEL);
        doc.DeleteAllShapes();
        c.draw();
        doc.History().Clear();
        const std::vector<CShape> before = Shapes();
        c.act();
        doc.DeselectAll();
        const std::vector<CShape> after = Shapes();
        EXPECT_NE(after, before);
        EXPECT_EQ(doc.History().StepCount(), 1u);
        EXPECT_EQ(doc.History().NextUndo(), c.kind);
        Run(ID_EDIT_UNDO);
        EXPECT_EQ(Shapes(), before);
        Run(ID_EDIT_REDO);
        EXPECT_EQ(Shapes(), after);
    }
}

}  // namespace
}  // namespace marquetta
