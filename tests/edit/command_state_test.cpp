#include "edit/command_state.h"

#include <gtest/gtest.h>

#include <cmath>

#include "edit/draw_commands.h"
#include "edit/offset_stretch.h"
#include "platform/command_ids.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class CommandStateTest : public ViewFixture {
  protected:
    void Run(int id) { ASSERT_TRUE(view.Commands().Run(id)); }
    int Type() const { return doc.m_current.m_nType; }
};

TEST_F(CommandStateTest, DrawCommandsSetTheTypeAndThePrompt) {
    const struct {
        int id;
        int type;
        const char* prompt;
    } commands[] = {{ID_LINE, SHAPE_LINE, "【直線】－始点"},
                    {ID_CIRCLE, SHAPE_CIRCLE, "【円】－中心点"},
                    {ID_ARC, SHAPE_ARC, "【円弧】－中心点"},
                    {ID_TEXT, SHAPE_TEXT, "【文字】－始点"}};
    for (const auto& c : commands) {
        Run(c.id);
        EXPECT_EQ(Type(), c.type);
        EXPECT_EQ(platform.Prompt(), c.prompt);
        EXPECT_EQ(editState, EDIT_IDLE);
    }
    for (int id : {ID_LINE, ID_CIRCLE, ID_ARC, ID_TEXT, ID_CANCEL, ID_VIEW_MOVE, ID_VIEW_ZOOM}) {
        EXPECT_TRUE(view.Commands().Knows(id)) << id;
    }
}

// A selection, seen or not, never blocks drawing: a draw command lets go of it and
// starts. Offset and stretch, which work on lines picked one at a time, refuse and say
// why.
TEST_F(CommandStateTest, DrawCommandsLetGoOfASelectionAndOffsetAndStretchSayWhyNot) {
    const struct {
        int id;
        int type;
        const char* prompt;
    } commands[] = {{ID_LINE, SHAPE_LINE, "【直線】－始点"},
                    {ID_CIRCLE, SHAPE_CIRCLE, "【円】－中心点"},
                    {ID_ARC, SHAPE_ARC, "【円弧】－中心点"},
                    {ID_TEXT, SHAPE_TEXT, "【文字】－始点"},
                    {ID_OFFSET, SHAPE_NONE, kPromptOffsetSelection},
                    {ID_STRETCH, SHAPE_NONE, kPromptStretchSelection}};
    for (const auto& c : commands) {
        doc.DeleteAllShapes();
        Run(ID_CANCEL);
        // One shape seen, one on a layer hidden since it was selected.
        AddLine({0, 0, 0}, {910, 0, 0}).m_bSelected = 1;
        AddLine({0, 0, 910}, {910, 0, 910}, "hidden").m_bSelected = 1;
        HideLayer("hidden");
        selectionExists = 1;
        platform.ClearCalls();
        Run(c.id);
        const bool draws = c.type != SHAPE_NONE;
        EXPECT_EQ(Type(), c.type) << c.prompt;
        EXPECT_EQ(platform.Prompt(), c.prompt);
        EXPECT_EQ(selectionExists, draws ? 0 : 1) << c.prompt;
        EXPECT_EQ(Shape(0).m_bSelected + Shape(1).m_bSelected, draws ? 0 : 2) << c.prompt;
        EXPECT_EQ(editState, EDIT_IDLE);
        EXPECT_EQ(CountOf(PlatformCall::Kind::RunDialog), 0u);  // no width asked for
    }
    // The line goes on to draw; undone, the selection it let go of comes back.
    Run(ID_CANCEL);
    AddLine({0, 0, -910}, {910, 0, -910}).m_bSelected = 1;
    selectionExists = 1;
    Run(ID_LINE);
    ClickWorld(0, -1820);
    ClickWorld(910, -1820);
    ASSERT_EQ(doc.m_shapes.size(), 4u);
    EXPECT_EQ(Shape(3).m_pt[1], (Float3{910, 0, -1820}));
    ASSERT_TRUE(app.Execute(ID_EDIT_UNDO));
    EXPECT_EQ(doc.m_shapes.size(), 3u);
    EXPECT_EQ(Shape(2).m_bSelected, 1);
    EXPECT_EQ(selectionExists, 1);
}

TEST_F(CommandStateTest, LineChainSnapsToTheGridAndSkipsZeroLengthSegments) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(rubberBand, 1);
    EXPECT_EQ(basePointSet, 1);
    EXPECT_EQ(firstPoint, (Double3{0, 0, 0}));
    EXPECT_EQ(platform.Prompt(), "【直線】－終点(右クリックで終了)");
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_FALSE(doc.IsModified());
    ClickWorld(910, 0);
    ClickWorld(910, 0);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    const CShape& line = Shape(0);
    EXPECT_EQ(line.m_nType, SHAPE_LINE);
    EXPECT_EQ(line.m_pt[0], (Float3{0, 0, 0}));
    EXPECT_EQ(line.m_pt[1], (Float3{910, 0, 0}));
    EXPECT_EQ(line.m_strLayer, "0");
    EXPECT_EQ(line.m_attr[0], 1.0f);
    EXPECT_EQ(line.m_attr[2], 1.0f);
    EXPECT_EQ(line.m_bSelected, 0);
    EXPECT_TRUE(line.m_strText.empty());
    EXPECT_EQ(FindLayer("0"), 0);
    // The chain goes on from the end, under the same prompt.
    EXPECT_EQ(firstPoint, (Double3{910, 0, 0}));
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(Type(), SHAPE_LINE);
    EXPECT_EQ(platform.Prompt(), "【直線】－終点(右クリックで終了)");
    ClickWorld(910, -1820);
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(1).m_pt[0], (Float3{910, 0, 0}));
    EXPECT_EQ(Shape(1).m_pt[1], (Float3{910, 0, -1820}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(g_displayListValid, 0);
}

TEST_F(CommandStateTest, WithoutSnapTheSecondPointIsWhereTheMouseLastMoved) {
    g_snapOn = 0;
    Run(ID_LINE);
    ClickWorld(0, 0);
    view.OnMouseMove(500, 300);
    const Double3 moved = cursorPoint;
    view.OnLButtonDown(520, 280);  // no move reported for the press pixel
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_pt[1].x, static_cast<float>(moved.x));
    EXPECT_EQ(Shape(0).m_pt[1].z, static_cast<float>(moved.z));
    EXPECT_EQ(Beeps(BeepKind::Default) + Beeps(BeepKind::Exclamation), 0u);
}

TEST_F(CommandStateTest, SnapRefusalAtTheFirstStepLeavesNothingPending) {
    g_gridOn = 0;
    Run(ID_CIRCLE);
    Click(410, 290);
    EXPECT_EQ(Beeps(BeepKind::Exclamation), 1u);
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(rubberBand, 0);
    EXPECT_EQ(platform.Prompt(), "【円】－中心点");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(CommandStateTest, SnapRefusalAtTheSecondStepKeepsItPendingAndStillEndsTheStep) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    g_gridOn = 0;
    g_displayListValid = 1;
    Click(410, 290);
    EXPECT_EQ(Beeps(BeepKind::Exclamation), 1u);
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(rubberBand, 1);
    EXPECT_EQ(firstPoint, (Double3{0, 0, 0}));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(g_displayListValid, 0);
}

TEST_F(CommandStateTest, RightPressEndsTheChainAndReleaseEndsTheCommand) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    ClickWorld(910, 0);
    view.OnRButtonDown(300, 300, MOD_NONE, MOUSE_RIGHT);
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(rubberBand, 0);
    EXPECT_EQ(basePointSet, 0);
    EXPECT_EQ(Type(), SHAPE_LINE);
    EXPECT_FALSE(platform.MouseCaptured());
    view.OnRButtonUp(300, 300);
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(platform.Prompt(), "");
    EXPECT_EQ(doc.m_shapes.size(), 1u);
}

TEST_F(CommandStateTest, RightClickBeforeTheFirstPointEndsTheLineCommand) {
    Run(ID_LINE);
    RightClick(300, 300);
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(platform.Prompt(), "");
}

TEST_F(CommandStateTest, RightClickWithShiftOrCtrlLeavesTheChainAlone) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    RightClick(300, 300, MOD_SHIFT);
    RightClick(300, 300, MOD_CTRL);
    RightClick(300, 300, MOD_SHIFT | MOD_CTRL);
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(rubberBand, 1);
    EXPECT_EQ(basePointSet, 1);
    EXPECT_EQ(Type(), SHAPE_LINE);
    EXPECT_FALSE(platform.MouseCaptured());
}

TEST_F(CommandStateTest, RightClickDuringACircleStepOnlyDrags) {
    Run(ID_CIRCLE);
    ClickWorld(0, 0);
    view.OnRButtonDown(300, 300, MOD_NONE, MOUSE_RIGHT);
    EXPECT_TRUE(platform.MouseCaptured());
    view.OnRButtonUp(300, 300);
    EXPECT_FALSE(platform.MouseCaptured());
    EXPECT_EQ(platform.Cursor(), CursorShape::Arrow);
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(Type(), SHAPE_CIRCLE);
    EXPECT_EQ(platform.Prompt(), "【円】－半径");
}

TEST_F(CommandStateTest, CircleTakesItsCentreFromAPendingLineChain) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    ClickWorld(910, 0);
    Run(ID_CIRCLE);
    EXPECT_EQ(firstPoint, (Double3{910, 0, 0}));
    EXPECT_EQ(stepPending, 1);
    ClickWorld(910, 1820);
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    const CShape& circle = Shape(1);
    EXPECT_EQ(circle.m_nType, SHAPE_CIRCLE);
    EXPECT_EQ(circle.m_pt[0], (Float3{910, 0, 0}));
    EXPECT_EQ(circle.m_pt[1], (Float3{1820, 0, 0}));
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(platform.Prompt(), "");
}

TEST_F(CommandStateTest, CircleCommandEndsAfterOneCircleEvenWhenTooSmall) {
    Run(ID_CIRCLE);
    ClickWorld(0, 0);
    EXPECT_EQ(platform.Prompt(), "【円】－半径");
    ClickWorld(0, 0);
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(platform.Prompt(), "");
    // The next click selects again.
    ClickWorld(0, 0);
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(rubberBand, 1);  // an empty spot opens a selection window
}

TEST_F(CommandStateTest, TextChosenWhileAStepIsPendingPlacesTheTextAtTheNextClick) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    Run(ID_TEXT);
    platform.QueueDialog({{"X"}, true});
    ClickWorld(910, 910);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_nType, SHAPE_TEXT);
    EXPECT_EQ(Shape(0).m_pt[0], (Float3{910, 0, 910}));
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(rubberBand, 0);
}

// ---- Arcs ----------------------------------------------------------------------------

class ArcTest : public CommandStateTest {
  protected:
    // Centre at the origin, start and end clicked at grid points.
    void DrawArc(double sx, double sz, double ex, double ez) {
        Run(ID_ARC);
        ClickWorld(0, 0);
        EXPECT_EQ(platform.Prompt(), "【円弧】－始点");
        ClickWorld(sx, sz);
        EXPECT_EQ(arcStartGiven, 1);
        EXPECT_EQ(basePointSet, 1);
        EXPECT_EQ(stepPending, 1);
        EXPECT_EQ(platform.Prompt(), "【円弧】－終点(D:逆廻り)");
        ClickWorld(ex, ez);
        EXPECT_EQ(arcStartGiven, 0);
        EXPECT_EQ(basePointSet, 0);
        EXPECT_EQ(Type(), SHAPE_NONE);
        EXPECT_EQ(platform.Prompt(), "");
    }
};

TEST_F(ArcTest, StartAndEndAnglesRunCounterclockwiseInPlan) {
    DrawArc(910, 0, 0, -910);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_nType, SHAPE_ARC);
    EXPECT_EQ(Shape(0).m_pt[0], (Float3{0, 0, 0}));
    EXPECT_EQ(Shape(0).m_pt[1], (Float3{910, 0, 90}));
    EXPECT_DOUBLE_EQ(arcStartAngle, 0.0);
    EXPECT_DOUBLE_EQ(arcRadius, 910.0);
}

TEST_F(ArcTest, ReversedArcExchangesItsEnds) {
    arcReversed = 1;
    DrawArc(910, 0, 0, -910);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_pt[1], (Float3{910, 90, 360}));
    EXPECT_EQ(arcReversed, 1);  // it carries over to the next arc
}

TEST_F(ArcTest, StartBelowTheCentreInPlanIsTwoHundredSeventy) {
    DrawArc(0, 910, 910, 0);
    // 360 - 90, with the program's own pi in the degrees.
    EXPECT_DOUBLE_EQ(arcStartAngle, 360.0 - std::acos(0.0) * kDegreesPerRadian);
    EXPECT_NEAR(arcStartAngle, 270.0, 1e-5);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_pt[1], (Float3{910, 270, 360}));
}

TEST_F(ArcTest, RadiusComesFromTheStartClickAndTheEndOnlyGivesADirection) {
    DrawArc(910, 0, 0, -2730);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_pt[1].x, 910.0f);
}

TEST_F(ArcTest, EndAtTheStartDirectionOrOnTheCentreMakesNoArc) {
    DrawArc(910, 0, 1820, 0);  // e == s
    DrawArc(0, 0, 910, 0);     // start on the centre: no radius
    DrawArc(910, 0, 0, 0);     // end on the centre: no direction
    EXPECT_TRUE(doc.m_shapes.empty());
}

TEST_F(ArcTest, EndBeforeTheStartGoesOnPastThreeSixty) {
    Run(ID_ARC);
    ClickWorld(0, 0);  // the centre exactly, snapped
    g_snapOn = 0;
    const double s = 350 * kRadiansPerDegree, e = 10 * kRadiansPerDegree;
    cursorPoint = {1000 * std::cos(s), 0, -1000 * std::sin(s)};
    view.OnLButtonDown(0, 0);
    EXPECT_NEAR(arcStartAngle, 350.0, 1e-5);
    cursorPoint = {500 * std::cos(e), 0, -500 * std::sin(e)};
    view.OnLButtonDown(0, 0);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_NEAR(Shape(0).m_pt[1].y, 350.0f, 1e-4);
    EXPECT_NEAR(Shape(0).m_pt[1].z, 370.0f, 1e-4);
}

TEST_F(ArcTest, AngleRulesAsComputed) {
    EXPECT_DOUBLE_EQ(DirectionAngle(1, 0, 1), 0.0);
    EXPECT_DOUBLE_EQ(DirectionAngle(0, -1, 1), std::acos(0.0) * kDegreesPerRadian);
    EXPECT_DOUBLE_EQ(DirectionAngle(0, 1, 1), 360.0 - std::acos(0.0) * kDegreesPerRadian);
    EXPECT_DOUBLE_EQ(DirectionAngle(-1, 0, 1), std::acos(-1.0) * kDegreesPerRadian);
    ArcAngles a = ArcEndAngles(350, 10, false);
    EXPECT_EQ(a.start, 350.0);
    EXPECT_EQ(a.end, 370.0);
    a = ArcEndAngles(0, 90, true);
    EXPECT_EQ(a.start, 90.0);
    EXPECT_EQ(a.end, 360.0);
    // Reversing 350 -> 370 gives 10 -> 350.
    a = ArcEndAngles(350, 10, true);
    EXPECT_EQ(a.start, 10.0);
    EXPECT_EQ(a.end, 350.0);
    // The old start passes through single precision on its way to the end.
    a = ArcEndAngles(0.1, 200, true);
    EXPECT_EQ(a.start, 200.0);
    EXPECT_EQ(a.end, static_cast<double>(0.1f) + 360.0);
}

TEST_F(ArcTest, EscDuringTheEndStepStartsTheNextArcAtTheCentre) {
    Run(ID_ARC);
    ClickWorld(0, 0);
    ClickWorld(910, 0);
    Run(ID_CANCEL);
    EXPECT_EQ(arcStartGiven, 0);
    Run(ID_ARC);
    ClickWorld(1820, 0);
    EXPECT_EQ(firstPoint, (Double3{1820, 0, 0}));
    EXPECT_EQ(platform.Prompt(), "【円弧】－始点");
    EXPECT_EQ(arcStartGiven, 0);
}

TEST_F(ArcTest, AnArcAbandonedForALineDoesNotLendItsStartToTheNextArc) {
    for (const bool chainEnded : {true, false}) {
        doc.DeleteAllShapes();
        Run(ID_ARC);
        ClickWorld(0, 0);
        ClickWorld(910, 0);  // start given
        Run(ID_LINE);
        ClickWorld(0, -910);  // finishes a line from the centre
        if (chainEnded) {
            RightClick(300, 300);
        }
        Run(ID_ARC);
        EXPECT_EQ(arcStartGiven, 0);
        // Under the centre prompt the preview is the circle of a centre, not an arc.
        EXPECT_EQ(view.OnPaint(kWidth, kHeight).previewSegments.size(),
                  chainEnded ? 0u : 2u * kCircleSegments * 3u);
        ClickWorld(0, 0);
        ClickWorld(0, -910);
        // Without the right click the line's end stays pending as the centre: the first
        // click gives the start, the second lies on the centre and makes no arc.
        EXPECT_EQ(arcStartGiven, chainEnded ? 1 : 0);
        ASSERT_EQ(doc.m_shapes.size(), 1u) << chainEnded;
        EXPECT_EQ(Shape(0).m_nType, SHAPE_LINE);
        Run(ID_CANCEL);
    }
}

// ---- Texts ---------------------------------------------------------------------------

class TextCommandTest : public CommandStateTest {
  protected:
    void PlaceText(double x, double z, HeadlessPlatform::DialogInput input) {
        Run(ID_TEXT);
        platform.QueueDialog(std::move(input));
        ClickWorld(x, z);
    }
};

TEST_F(TextCommandTest, TextIsPlacedThroughTheDialog) {
    PlaceText(910, -910, {{"ABC", "500", "400", "-30"}, true});
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    const CShape& text = Shape(0);
    EXPECT_EQ(text.m_nType, SHAPE_TEXT);
    EXPECT_EQ(text.m_pt[0], (Float3{910, 0, -910}));
    EXPECT_EQ(text.m_pt[1], (Float3{500, 400, 330}));
    EXPECT_EQ(text.m_strText, "ABC");
    EXPECT_EQ(text.m_strLayer, "0");
    EXPECT_EQ(lastText, "ABC");
    EXPECT_EQ(lastTextHeight, 500.0);
    EXPECT_EQ(lastTextWidth, 400.0);
    EXPECT_EQ(lastTextAngle, 330.0);
    EXPECT_EQ(textHistory[0], "ABC");
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(platform.Prompt(), "");
    EXPECT_TRUE(doc.IsModified());
    // The dialog opened with the last values.
    const auto dialogs = platform.CallsOf(PlatformCall::Kind::RunDialog);
    ASSERT_EQ(dialogs.size(), 1u);
    EXPECT_EQ(dialogs[0].dialogFields[1].text, "300");
    // The next text dialog presets what was typed.
    PlaceText(0, 0, {{}, true});
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(1).m_strText, "ABC");
    EXPECT_EQ(Shape(1).m_pt[1], (Float3{500, 400, 330}));
}

TEST_F(TextCommandTest, AngleIsBroughtIntoRangeOnce) {
    PlaceText(0, 0, {{"A", "300", "300", "360"}, true});
    PlaceText(0, 0, {{"A", "300", "300", "-360"}, true});
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(0).m_pt[1].z, 0.0f);
    EXPECT_EQ(Shape(1).m_pt[1].z, 0.0f);
    EXPECT_EQ(NormalizeTextAngle(-30), 330.0);
    EXPECT_EQ(NormalizeTextAngle(359.5), 359.5);
}

TEST_F(TextCommandTest, CancelOrAnEmptyTextMakesNothingButEndsTheCommand) {
    PlaceText(0, 0, {{"A"}, false});
    PlaceText(0, 0, {{""}, true});
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(platform.Prompt(), "");
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_TRUE(textHistory[0].empty());
}

TEST_F(TextCommandTest, HistoryKeepsItsOrderForAKnownTextAndDropsTheEleventh) {
    for (int i = 0; i < 10; ++i) {
        PlaceText(0, 0, {{std::string(1, char('a' + i))}, true});
    }
    EXPECT_EQ(textHistory[0], "j");
    EXPECT_EQ(textHistory[9], "a");
    PlaceText(0, 0, {{"e"}, true});
    EXPECT_EQ(textHistory[0], "j");
    EXPECT_EQ(textHistory[5], "e");
    PlaceText(0, 0, {{"k"}, true});
    EXPECT_EQ(textHistory[0], "k");
    EXPECT_EQ(textHistory[1], "j");
    EXPECT_EQ(textHistory[9], "b");
}

TEST_F(TextCommandTest, RefusedSnapOpensNoDialog) {
    g_gridOn = 0;
    Run(ID_TEXT);
    platform.QueueDialog({{"A"}, true});
    Click(410, 290);
    EXPECT_EQ(CountOf(PlatformCall::Kind::RunDialog), 0u);
    EXPECT_EQ(Type(), SHAPE_TEXT);
    EXPECT_EQ(platform.Prompt(), "【文字】－始点");
}

// ---- Selection clicks, cancel and the right button of the modify states --------------

TEST_F(CommandStateTest, IdleClicksToggleShapesAndOpenAndCloseAWindow) {
    AddLine({-4550, 0, 0}, {4550, 0, 0});
    CShape& small = AddLine({910, 0, -910}, {1820, 0, -1820});
    Click(0, 302);  // misses the line's end... and every other shape
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(rubberBand, 1);
    EXPECT_EQ(firstScreenPoint, (Double2{0, 302}));
    Run(ID_CANCEL);
    Click(400, 302);  // on the long line
    EXPECT_EQ(Shape(0).m_bSelected, 1);
    EXPECT_EQ(stepPending, 0);
    EXPECT_FALSE(doc.IsModified());
    // A window from below right to above left around the short line.
    const Double2 a = PixelOf(2000, 0, -500);
    const Double2 b = PixelOf(500, 0, -2000);
    Click(Px(a.x), Px(a.y));
    EXPECT_EQ(stepPending, 1);
    Click(Px(b.x), Px(b.y));
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(rubberBand, 0);
    EXPECT_EQ(small.m_bSelected, 1);
    EXPECT_EQ(Shape(0).m_bSelected, 1);
    EXPECT_EQ(selectionExists, 1);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(g_displayListValid, 0);
}

TEST_F(CommandStateTest, CancelResetsEverythingButTheArcDirectionAndOffsetWidth) {
    AddLine({0, 0, 0}, {910, 0, 0}, "hidden").m_bSelected = 1;
    HideLayer("hidden");
    stepPending = rubberBand = basePointSet = selectionExists = continuousCopy = 1;
    arcStartGiven = arcReversed = 1;
    offsetWidth = 250.0;
    editState = EDIT_COPY;
    doc.m_current.m_nType = SHAPE_ARC;
    g_displayListValid = 1;
    Run(ID_CANCEL);
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(rubberBand, 0);
    EXPECT_EQ(Type(), SHAPE_NONE);
    EXPECT_EQ(continuousCopy, 0);
    EXPECT_EQ(Shape(0).m_bSelected, 0);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(selectionExists, 0);
    EXPECT_EQ(basePointSet, 0);
    EXPECT_EQ(arcStartGiven, 0);
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_EQ(arcReversed, 1);
    EXPECT_EQ(offsetWidth, 250.0);
    EXPECT_EQ(platform.Prompt(), "");
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 1u);
}

TEST_F(CommandStateTest, RightReleaseMovesTheModifyStatesOn) {
    editState = EDIT_MOVE_SELECT;
    RightClick(300, 300);
    EXPECT_EQ(editState, EDIT_MOVE);
    EXPECT_EQ(platform.Prompt(), "【移動】－基点");
    editState = EDIT_COPY_SELECT;
    RightClick(300, 300);
    EXPECT_EQ(editState, EDIT_COPY);
    EXPECT_EQ(platform.Prompt(), "【複写】－基点(M:連続)");
    // In copy state 3 a right click cancels everything.
    AddLine({0, 0, 0}, {910, 0, 0}).m_bSelected = 1;
    selectionExists = continuousCopy = stepPending = 1;
    RightClick(300, 300);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(continuousCopy, 0);
    EXPECT_EQ(selectionExists, 0);
    EXPECT_EQ(Shape(0).m_bSelected, 0);
    EXPECT_EQ(stepPending, 0);
    EXPECT_FALSE(platform.MouseCaptured());
}

TEST_F(CommandStateTest, RightClickEndsOffsetAndStretchOnlyAtTheirWaitingSteps) {
    editState = EDIT_OFFSET;
    stepPending = 1;  // the side step: nothing
    RightClick(300, 300);
    EXPECT_EQ(editState, EDIT_OFFSET);
    EXPECT_EQ(stepPending, 1);
    stepPending = 0;
    RightClick(300, 300);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(platform.Prompt(), "");

    CShape& boundary = AddLine({0, 0, 0}, {910, 0, 0});
    CShape& other = AddLine({0, 0, 910}, {910, 0, 910});
    boundary.m_bSelected = other.m_bSelected = 1;
    boundaryLine = &boundary;
    editState = EDIT_STRETCH;
    stepPending = 1;
    selectionExists = 1;
    RightClick(300, 300);
    EXPECT_EQ(editState, EDIT_IDLE);
    EXPECT_EQ(stepPending, 0);
    EXPECT_EQ(boundary.m_bSelected, 0);
    EXPECT_EQ(other.m_bSelected, 1);
    EXPECT_EQ(selectionExists, 1);
}

TEST_F(CommandStateTest, DrawCommandServesClicksEvenWithAModifyStateSet) {
    Run(ID_LINE);
    editState = EDIT_MOVE;
    ClickWorld(0, 0);
    ClickWorld(910, 0);
    EXPECT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(editState, EDIT_MOVE);
}

}  // namespace
}  // namespace marquetta
