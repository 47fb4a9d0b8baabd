#include "edit/picking.h"

#include <gtest/gtest.h>

#include <cmath>

#include "text/text_layout.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class PickingTest : public ViewFixture {};

// ---- The point under the cursor ------------------------------------------------------

TEST_F(PickingTest, CursorPointLiesOnTheGroundUnderThePixel) {
    // At the start-up camera world +X is to the right and world -Z up the screen.
    ASSERT_TRUE(computeCursorPoint(400, 300, false));
    EXPECT_NEAR(cursorPoint.x, 0.0, 1e-6);
    EXPECT_NEAR(cursorPoint.y, 0.0, 1e-6);
    EXPECT_NEAR(cursorPoint.z, 0.0, 0.01);
    ASSERT_TRUE(computeCursorPoint(500, 250, false));
    EXPECT_GT(cursorPoint.x, 0.0);
    EXPECT_LT(cursorPoint.z, 0.0);
    // The point projects back onto the pixel, also after a pan and a zoom.
    for (const Float3 translate : {Float3{0, 0, -50000}, Float3{1234, -567, -20000}}) {
        g_viewTranslate = translate;
        Paint();
        for (const auto& [x, y] : {std::pair{13, 577}, std::pair{400, 300}, std::pair{790, 20}}) {
            ASSERT_TRUE(computeCursorPoint(x, y, false));
            const Double2 back = PixelOf(cursorPoint.x, cursorPoint.y, cursorPoint.z);
            EXPECT_NEAR(back.x, x, 1e-4);
            EXPECT_NEAR(back.y, y, 1e-4);
            EXPECT_NEAR(cursorPoint.y, 0.0, 1e-6);
        }
    }
}

TEST_F(PickingTest, CursorPointRemembersTheFirstPointOnlyWhenAsked) {
    ASSERT_TRUE(computeCursorPoint(420, 310, true));
    EXPECT_EQ(firstPoint, cursorPoint);
    EXPECT_EQ(firstScreenPoint, (Double2{420, 310}));
    EXPECT_EQ(lastScreenPoint, (Double2{420, 310}));
    const Double3 first = firstPoint;
    ASSERT_TRUE(computeCursorPoint(100, 50, false));
    EXPECT_EQ(firstPoint, first);
    EXPECT_EQ(firstScreenPoint, (Double2{420, 310}));
    EXPECT_EQ(lastScreenPoint, (Double2{100, 50}));
    EXPECT_NE(cursorPoint, first);
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 2u);
}

TEST_F(PickingTest, RayParallelToTheGroundKeepsThePreviousPoint) {
    ASSERT_TRUE(computeCursorPoint(500, 200, true));
    const Double3 before = cursorPoint;
    platform.ClearCalls();
    // Looking at the horizon: the ray through the middle row never meets the ground.
    g_elevation = 0.0;
    Paint();
    EXPECT_FALSE(computeCursorPoint(400, 300, true));
    EXPECT_EQ(cursorPoint, before);
    EXPECT_EQ(firstScreenPoint, (Double2{500, 200}));
    EXPECT_EQ(lastScreenPoint, (Double2{500, 200}));
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 0u);
}

TEST_F(PickingTest, NoCursorPointBeforeTheFirstPaint) {
    InitProgramDefaults();  // nothing captured
    EXPECT_FALSE(computeCursorPoint(400, 300, true));
    EXPECT_EQ(cursorPoint, Double3{});
}

// ---- Snapping ------------------------------------------------------------------------

TEST_F(PickingTest, SnapTakesALineEndWithinTwoPixelsAndTheGridAtThree) {
    AddLine({-2000, 0, 0}, {100, 0, 0});
    const Double2 end = PixelOf(100, 0, 0);
    ASSERT_DOUBLE_EQ(end.y, 300.0);  // the ground's z = 0 row is the middle row
    Double3 p;
    ASSERT_TRUE(snapPoint(doc, Px(end.x), 298, p));
    EXPECT_EQ(p, (Double3{100, 0, 0}));
    EXPECT_EQ(Beeps(BeepKind::Default), 1u);
    // Three pixels off is outside the vertex square; the grid point at the origin lies
    // within four pixels.
    ASSERT_TRUE(snapPoint(doc, Px(end.x), 297, p));
    EXPECT_EQ(p, (Double3{0, 0, 0}));
    EXPECT_EQ(Beeps(BeepKind::Default), 2u);
    // The grid square is strict too.
    EXPECT_FALSE(snapPoint(doc, 400, 304, p));
    EXPECT_TRUE(snapPoint(doc, 400, 303, p));
    EXPECT_EQ(p, (Double3{0, 0, 0}));
    // Without the grid the click finds nothing: the exclamation beep, the point alone.
    g_gridOn = 0;
    p = {7, 7, 7};
    platform.ClearCalls();
    EXPECT_FALSE(snapPoint(doc, Px(end.x), 297, p));
    EXPECT_EQ(p, (Double3{7, 7, 7}));
    EXPECT_EQ(Beeps(BeepKind::Exclamation), 1u);
    EXPECT_EQ(Beeps(BeepKind::Default), 0u);
    // Sideways the square is strict as well: the origin lies on the pixel column 400.
    AddLine({0, 0, 0}, {0, 0, 9100});
    EXPECT_FALSE(snapPoint(doc, 397, 300, p));
    ASSERT_TRUE(snapPoint(doc, 398, 300, p));
    EXPECT_EQ(p, (Double3{0, 0, 0}));
}

TEST_F(PickingTest, SnapTakesTheFirstShapeInListOrderNotTheNearest) {
    AddLine({-3000, 0, -3000}, {120, 0, 0});
    AddLine({-3000, 0, 3000}, {100, 0, 0});
    const Double2 second = PixelOf(100, 0, 0);  // both ends lie within half a pixel
    Double3 p;
    ASSERT_TRUE(snapPoint(doc, Px(second.x), Px(second.y), p));
    EXPECT_EQ(p, (Double3{120, 0, 0}));
}

TEST_F(PickingTest, SnapUsesArcEndsWithTheProgramsPiAndSkipsHiddenLayers) {
    AddShape(SHAPE_ARC, {0, 0, 0}, {4550, 0, 90});
    const double a = 90 * kRadiansPerDegree;
    const Double3 end{4550 * std::cos(a), 0.0, -4550 * std::sin(a)};
    EXPECT_NE(end.x, 0.0);
    const Double2 pixel = PixelOf(end.x, end.y, end.z);
    Double3 p;
    ASSERT_TRUE(snapPoint(doc, Px(pixel.x), Px(pixel.y), p));
    EXPECT_EQ(p, end);
    // A line end on a hidden layer is not a target; the grid is the next choice.
    AddLine({-1000, 0, -1000}, {300, 0, 0}, "hidden");
    HideLayer("hidden");
    const Double2 hidden = PixelOf(300, 0, 0);
    g_gridOn = 0;
    EXPECT_FALSE(snapPoint(doc, Px(hidden.x), Px(hidden.y), p));
}

TEST_F(PickingTest, GridSnapWalksColumnsOutsideAndRowsInside) {
    // A fine grid puts several points inside the four-pixel square; the first of the
    // walk (smallest column, then smallest row) wins.
    g_gridPitch = 100.0;
    Double3 p;
    ASSERT_TRUE(snapPoint(doc, 400, 300, p));
    EXPECT_EQ(p, (Double3{-100, 0, -100}));
}

// ---- Click picking -------------------------------------------------------------------

TEST_F(PickingTest, ClickTwoPixelsBesideALinePicksItAndThreeDoesNot) {
    CShape& line = AddLine({-4550, 0, 0}, {4550, 0, 0});
    EXPECT_FALSE(pickToggle(doc, 400, 303));
    EXPECT_FALSE(pickToggle(doc, 400, 297));
    EXPECT_EQ(line.m_bSelected, 0);
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 0u);
    ASSERT_TRUE(pickToggle(doc, 400, 302));
    EXPECT_EQ(line.m_bSelected, 1);
    EXPECT_EQ(selectionExists, 1);
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 1u);
    // The second click deselects it.
    ASSERT_TRUE(pickToggle(doc, 400, 298));
    EXPECT_EQ(line.m_bSelected, 0);
    EXPECT_EQ(selectionExists, 0);
}

TEST_F(PickingTest, ClickOnALinesExtensionMissesIt) {
    AddLine({-4550, 0, 0}, {4550, 0, 0});
    const Double2 beyond = PixelOf(6000, 0, 0);
    EXPECT_FALSE(pickToggle(doc, Px(beyond.x), 300));
}

TEST_F(PickingTest, FirstShapeHitTakesTheClickAndTheWalkStops) {
    CShape& first = AddLine({0, 0, 0}, {4550, 0, 0});
    CShape& second = AddLine({4550, 0, 0}, {4550, 0, -4550});
    CShape& other = AddLine({0, 0, 910}, {4550, 0, 910});
    other.m_bSelected = 1;
    const Double2 corner = PixelOf(4550, 0, 0);
    // Just left of the shared corner, inside both lines' reach.
    ASSERT_TRUE(pickToggle(doc, Px(corner.x) - 2, Px(corner.y) - 1));
    EXPECT_EQ(first.m_bSelected, 1);
    EXPECT_EQ(second.m_bSelected, 0);
    // Deselecting recomputes the flag from the whole list: another shape is selected.
    ASSERT_TRUE(pickToggle(doc, Px(corner.x) - 2, Px(corner.y) - 1));
    EXPECT_EQ(first.m_bSelected, 0);
    EXPECT_EQ(selectionExists, 1);
}

TEST_F(PickingTest, HiddenShapesAndFacesAreNeverPicked) {
    AddLine({-4550, 0, 0}, {4550, 0, 0}, "hidden");
    HideLayer("hidden");
    CShape face;
    face.m_nType = SHAPE_FACE;
    face.m_strLayer = "0";
    face.m_pt[0] = {-4550, 0, 0};
    face.m_pt[1] = {4550, 0, 0};
    face.m_pt[2] = {4550, 0, -4550};
    face.m_pt[3] = {-4550, 0, -4550};
    EnsureLayer("0");
    doc.AppendShape(std::make_unique<CShape>(face));
    EXPECT_FALSE(pickToggle(doc, 400, 300));
    EXPECT_FALSE(pickToggle(doc, 400, 301));
}

TEST_F(PickingTest, CirclesArePickedOnTheirChordsOnly) {
    // Raised toward the eye; a circle is still tested where the view draws it, on the
    // ground.
    CShape& circle = AddShape(SHAPE_CIRCLE, {0, 20000, 0}, {4550, 0, 0});
    EXPECT_FALSE(pickToggle(doc, 400, 300));  // the centre
    // The middle of the chord between 40 and 50 degrees.
    const double a = 40 * kRadiansPerDegree, b = 50 * kRadiansPerDegree;
    const Double2 mid =
        PixelOf(4550 * (std::cos(a) + std::cos(b)) / 2, 0, 4550 * (std::sin(a) + std::sin(b)) / 2);
    ASSERT_TRUE(pickToggle(doc, Px(mid.x), Px(mid.y)));
    EXPECT_EQ(circle.m_bSelected, 1);
}

TEST_F(PickingTest, ArcsArePickedBetweenTheirEndsOnly) {
    CShape& arc = AddShape(SHAPE_ARC, {0, 0, 0}, {4550, 0, 90});
    // 45 degrees lies on the arc (toward -Z); 225 degrees on its circle but not the arc.
    const double a = 45 * kRadiansPerDegree;
    const Double2 on = PixelOf(4550 * std::cos(a), 0, -4550 * std::sin(a));
    const Double2 off = PixelOf(-4550 * std::cos(a), 0, 4550 * std::sin(a));
    EXPECT_FALSE(pickToggle(doc, Px(off.x), Px(off.y)));
    ASSERT_TRUE(pickToggle(doc, Px(on.x), Px(on.y)));
    EXPECT_EQ(arc.m_bSelected, 1);
}

TEST_F(PickingTest, TextsArePickedOnTheirStrokes) {
    CShape& text = AddShape(SHAPE_TEXT, {-2000, 0, 1000}, {3000, 3000, 0});
    text.m_strText = "A";
    // The middle of the letter's first stroke, as the view draws it.
    std::vector<float> strokes;
    ASSERT_EQ(DrawStrokeText(text.m_strText, -2000, 1000, 3000, 3000, 0, TextTarget::View(strokes)),
              1);
    ASSERT_GE(strokes.size(), 6u);
    const Double2 mid = PixelOf((strokes[0] + strokes[3]) / 2, 0, (strokes[2] + strokes[5]) / 2);
    EXPECT_FALSE(pickToggle(doc, 700, 100));
    ASSERT_TRUE(pickToggle(doc, Px(mid.x), Px(mid.y)));
    EXPECT_EQ(text.m_bSelected, 1);
}

TEST_F(PickingTest, PickLineTakesOnlyLinesAndRemembersTheLine) {
    AddShape(SHAPE_CIRCLE, {0, 0, 0}, {4550, 0, 0});
    CShape& line = AddLine({4550, 0, 4550}, {4550, 0, -4550});
    const Double2 p = PixelOf(4550, 0, 0);  // where the circle meets the line
    ASSERT_TRUE(pickLine(doc, Px(p.x), Px(p.y)));
    EXPECT_EQ(pickedLine, &line);
    EXPECT_EQ(line.m_bSelected, 1);
    EXPECT_EQ(Shape(0).m_bSelected, 0);
    pickedLine = nullptr;
    EXPECT_FALSE(pickLine(doc, 400, 300));
    EXPECT_EQ(pickedLine, nullptr);
}

// ---- Window selection ----------------------------------------------------------------

// Opened to the right along either diagonal, the window takes what lies wholly inside;
// opened to the left it is a crossing window and takes the line it cuts too.
TEST_F(PickingTest, WindowSelectsWhatLiesWhollyInsideAndCrossingWhatItTouches) {
    CShape& inside = AddLine({-910, 0, -910}, {910, 0, -910});
    CShape& half = AddLine({-910, 0, 910}, {9100, 0, 910});
    CShape& circle = AddShape(SHAPE_CIRCLE, {0, 0, 0}, {455, 0, 0});
    CShape& hidden = AddLine({-455, 0, 0}, {455, 0, 0}, "hidden");
    HideLayer("hidden");
    const Double2 a = PixelOf(-2000, 0, -2000);
    const Double2 b = PixelOf(2000, 0, 2000);
    for (int direction = 0; direction < 3; ++direction) {
        for (const auto& shape : doc.m_shapes) {
            shape->m_bSelected = 0;
        }
        selectionExists = 0;
        if (direction == 0) {
            selectInWindow(doc, a, b);
        } else if (direction == 1) {
            selectInWindow(doc, {a.x, b.y}, {b.x, a.y});  // the other diagonal
        } else {
            selectInWindow(doc, {b.x, a.y}, {a.x, b.y});  // right to left: crossing
        }
        EXPECT_EQ(inside.m_bSelected, 1);
        EXPECT_EQ(circle.m_bSelected, 1);
        EXPECT_EQ(half.m_bSelected, direction == 2 ? 1 : 0);
        EXPECT_EQ(hidden.m_bSelected, 0);
        EXPECT_EQ(selectionExists, 1);
    }
}

TEST_F(PickingTest, WindowEdgesAreExclusiveAndNothingIsDeselected) {
    CShape& line = AddLine({0, 0, 0}, {910, 0, -910});
    CShape& selected = AddLine({-9100, 0, 0}, {9100, 0, 0});
    selected.m_bSelected = 1;
    const Double2 origin = PixelOf(0, 0, 0);
    ASSERT_EQ(origin.x, 400.0);
    // The line's start lies on the window's left edge.
    selectInWindow(doc, {400, 100}, {600, 310});
    EXPECT_EQ(line.m_bSelected, 0);
    EXPECT_EQ(selected.m_bSelected, 1);
    selectInWindow(doc, {399, 100}, {600, 310});
    EXPECT_EQ(line.m_bSelected, 1);
}

TEST_F(PickingTest, WindowTakesTextsByTheirWholeBox) {
    CShape& text = AddShape(SHAPE_TEXT, {0, 0, 0}, {910, 910, 0});
    text.m_strText = "AB";  // a box 910 long and 910 high, toward +X and -Z
    selectInWindow(doc, PixelOf(-100, 0, -1000), PixelOf(800, 0, 100));
    EXPECT_EQ(text.m_bSelected, 0);
    selectInWindow(doc, PixelOf(-100, 0, -1000), PixelOf(1000, 0, 100));
    EXPECT_EQ(text.m_bSelected, 1);
}

}  // namespace
}  // namespace marquetta
