#include "edit/navigation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "edit/picking.h"
#include "platform/command_ids.h"
#include "platform/keys.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class NavigationTest : public ViewFixture {
  protected:
    void Run(int id) { ASSERT_TRUE(view.Commands().Run(id)); }
    const NavigationState& Nav() const { return view.Navigation(); }
};

TEST_F(NavigationTest, MiddleDragOf96PixelsPans5000AtTheStartDistance) {
    ASSERT_EQ(g_viewTranslate.z, -50000.0f);
    view.OnMButtonDown(100, 200);
    EXPECT_EQ(Nav().panDrag, 1);
    EXPECT_EQ(platform.Cursor(), CursorShape::SizeAll);
    EXPECT_TRUE(platform.MouseCaptured());
    view.OnMouseMove(150, 200);
    view.OnMouseMove(196, 200);
    EXPECT_EQ(g_viewTranslate.x, 5000.0f);
    EXPECT_EQ(g_viewTranslate.y, 0.0f);
    // Upward on the screen raises y.
    view.OnMouseMove(196, 104);
    EXPECT_EQ(g_viewTranslate.y, 5000.0f);
    view.OnMButtonUp(196, 104);
    EXPECT_EQ(Nav().panDrag, 0);
    EXPECT_EQ(platform.Cursor(), CursorShape::Arrow);
    EXPECT_FALSE(platform.MouseCaptured());
    view.OnMouseMove(300, 300);
    EXPECT_EQ(g_viewTranslate.x, 5000.0f);
}

TEST_F(NavigationTest, PanIsTheSameShareOfAnyViewingDistance) {
    g_viewTranslate.z = -9600.0f;
    view.OnMButtonDown(0, 0);
    view.OnMouseMove(-10, 0);
    EXPECT_FLOAT_EQ(g_viewTranslate.x, -100.0f);
}

TEST_F(NavigationTest, ShiftRightDragPansWithoutEndingTheLineChain) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    view.OnRButtonDown(300, 300, MOD_SHIFT, MOUSE_RIGHT);
    EXPECT_EQ(Nav().panDrag, 2);
    view.OnMouseMove(300, 204);
    EXPECT_EQ(g_viewTranslate.y, 5000.0f);
    view.OnRButtonUp(300, 204);
    EXPECT_EQ(Nav().panDrag, 0);
    EXPECT_FALSE(platform.MouseCaptured());
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_LINE);
    EXPECT_EQ(firstPoint, (Double3{0, 0, 0}));
    // With another button held the Shift press is no pan.
    view.OnRButtonDown(300, 300, MOD_SHIFT, MOUSE_RIGHT | MOUSE_LEFT);
    EXPECT_EQ(Nav().panDrag, 0);
    view.OnRButtonUp(300, 300);
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_LINE);
}

TEST_F(NavigationTest, PanningMovesThePendingWindowCornerAndTheRubberBandFollowsAfter) {
    Click(700, 500);  // nothing there: a selection window opens
    ASSERT_EQ(rubberBand, 1);
    view.OnMButtonDown(400, 300);
    view.OnMouseMove(496, 290);
    EXPECT_EQ(firstScreenPoint, (Double2{796, 490}));
    // The cursor point was computed with the camera already moved.
    const Double3 afterPan = cursorPoint;
    ASSERT_TRUE(computeCursorPoint(496, 290, false));
    EXPECT_EQ(afterPan, cursorPoint);
    EXPECT_EQ(lastScreenPoint, (Double2{496, 290}));
}

TEST_F(NavigationTest, WheelZoomsSixPercentANotch) {
    firstScreenPoint = {500, 400};
    view.OnMouseWheel(120, 400, 300);  // at the window centre
    EXPECT_FLOAT_EQ(g_viewTranslate.z, -47000.0f);
    EXPECT_DOUBLE_EQ(firstScreenPoint.x, 400 + 100 * -50000.0 / -47000.0);
    EXPECT_DOUBLE_EQ(firstScreenPoint.y, 300 + 100 * -50000.0 / -47000.0);
    g_viewTranslate.z = -50000.0f;
    view.OnMouseWheel(-120, 400, 300);
    EXPECT_FLOAT_EQ(g_viewTranslate.z, -53000.0f);
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 2u);
}

// Close enough for a part of 10 mm to fill the window, and no closer.
TEST_F(NavigationTest, ZoomNeverComesTo5OrCloser) {
    g_viewTranslate.z = -5.2f;
    firstScreenPoint = {500, 400};
    view.OnMouseWheel(120, 400, 300);  // would be 4.888
    EXPECT_EQ(g_viewTranslate.z, -5.2f);
    EXPECT_EQ(firstScreenPoint, (Double2{500, 400}));
    EXPECT_EQ(CountOf(PlatformCall::Kind::InvalidateView), 1u);
    view.OnMouseWheel(40, 400, 300);  // 5.096 is still allowed
    EXPECT_FLOAT_EQ(g_viewTranslate.z, -5.096f);
    // Exactly 5 is refused as well.
    g_viewTranslate.z = -10.0f;
    view.OnMouseWheel(1000, 400, 300);
    EXPECT_EQ(g_viewTranslate.z, -10.0f);
}

// The ground point under the cursor stays under it, wherever the cursor is and
// whichever way the wheel turns; the first corner of a pending window scales about it.
TEST_F(NavigationTest, WheelKeepsTheGroundPointUnderTheCursor) {
    const struct {
        int x, y, delta;
    } cases[] = {{100, 80, 120}, {700, 520, 120}, {650, 90, -360}, {400, 300, 240}, {0, 599, 120}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " " << c.delta);
        g_viewTranslate = {1234.0f, -567.0f, -20000.0f};
        Paint();
        ASSERT_TRUE(computeCursorPoint(c.x, c.y, false));
        const Double3 under = cursorPoint;
        firstScreenPoint = {c.x + 50.0, c.y - 30.0};
        const double oldZ = g_viewTranslate.z;
        view.OnMouseWheel(c.delta, c.x, c.y);
        const double ratio = oldZ / g_viewTranslate.z;
        EXPECT_NE(ratio, 1.0);
        Paint();
        const Double2 p = PixelOf(under.x, under.y, under.z);
        EXPECT_NEAR(p.x, c.x, 0.5);
        EXPECT_NEAR(p.y, c.y, 0.5);
        EXPECT_NEAR(firstScreenPoint.x, c.x + 50.0 * ratio, 1e-9);
        EXPECT_NEAR(firstScreenPoint.y, c.y - 30.0 * ratio, 1e-9);
    }
}

// At the farthest zoom a few presses or drags would pass the largest float and lose
// the picture until Home: every pan and zoom stops short, keeps the camera and the
// first screen point as they were, and says so.
TEST_F(NavigationTest, NoPanOrZoomTakesTheCameraBeyondSinglePrecision) {
    const struct {
        const char* name;
        std::function<void()> once;
    } cases[] = {
        {"left", [&] { view.OnKeyDown(KEY_LEFT); }},
        {"right", [&] { view.OnKeyDown(KEY_RIGHT); }},
        {"up", [&] { view.OnKeyDown(KEY_UP); }},
        {"down", [&] { view.OnKeyDown(KEY_DOWN); }},
        {"page down", [&] { view.OnKeyDown(KEY_PAGE_DOWN); }},
        {"wheel back", [&] { view.OnMouseWheel(-1200, 100, 100); }},
        {"middle drag",
         [&] {
             view.OnMButtonDown(400, 300);
             view.OnMouseMove(700, 50);
             view.OnMButtonUp(700, 50);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_viewTranslate = {0.0f, 0.0f, -3e38f};
        firstScreenPoint = {500.0, 400.0};
        platform.SetPrompt("");
        Float3 last = g_viewTranslate;
        Double2 lastScreen = firstScreenPoint;
        bool refused = false;
        for (int i = 0; i < 40 && !refused; ++i) {
            last = g_viewTranslate;
            lastScreen = firstScreenPoint;
            c.once();
            refused = platform.Prompt() == kPromptViewLimit;
        }
        ASSERT_TRUE(refused);
        EXPECT_EQ(g_viewTranslate, last);
        EXPECT_EQ(firstScreenPoint, lastScreen);
        EXPECT_TRUE(std::isfinite(g_viewTranslate.x) && std::isfinite(g_viewTranslate.y) &&
                    std::isfinite(g_viewTranslate.z));
    }
}

TEST_F(NavigationTest, ZoomCommandArmsExactlyOneLeftDrag) {
    Run(ID_LINE);
    Run(ID_VIEW_ZOOM);
    EXPECT_EQ(Nav().zoomMode, 1);
    EXPECT_EQ(platform.Cursor(), CursorShape::SizeVertical);
    EXPECT_TRUE(platform.MouseCaptured());
    view.OnLButtonDown(400, 300);
    EXPECT_EQ(Nav().zoomMode, 2);
    EXPECT_EQ(stepPending, 1);
    view.OnMouseMove(400, 200);  // 100 pixels up: 20 % closer
    EXPECT_FLOAT_EQ(g_viewTranslate.z, -40000.0f);
    view.OnLButtonUp(400, 200);
    EXPECT_EQ(Nav().zoomMode, 0);
    EXPECT_EQ(stepPending, 0);
    EXPECT_FALSE(platform.MouseCaptured());
    EXPECT_EQ(platform.Cursor(), CursorShape::Arrow);
    // The press drew nothing; the next click is the line's first point.
    EXPECT_EQ(basePointSet, 0);
    ClickWorld(0, 0);
    EXPECT_EQ(basePointSet, 1);
    EXPECT_FLOAT_EQ(g_viewTranslate.z, -40000.0f);
}

TEST_F(NavigationTest, LeftZoomInTheMiddleOfAStepKeepsTheStep) {
    Run(ID_LINE);
    ClickWorld(0, 0);
    Run(ID_VIEW_ZOOM);
    view.OnLButtonDown(400, 300);
    view.OnMouseMove(400, 350);  // down: farther away
    EXPECT_FLOAT_EQ(g_viewTranslate.z, -55000.0f);
    view.OnLButtonUp(400, 350);
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(firstPoint, (Double3{0, 0, 0}));
    EXPECT_TRUE(doc.m_shapes.empty());
}

TEST_F(NavigationTest, MoveViewCommandArmsExactlyOneLeftDrag) {
    Run(ID_LINE);
    Run(ID_VIEW_MOVE);
    EXPECT_EQ(Nav().moveViewArmed, 1);
    EXPECT_EQ(platform.Cursor(), CursorShape::SizeAll);
    EXPECT_TRUE(platform.MouseCaptured());
    view.OnLButtonDown(100, 100);
    view.OnMouseMove(196, 100);
    EXPECT_EQ(g_viewTranslate.x, 5000.0f);
    view.OnLButtonUp(196, 100);
    EXPECT_EQ(Nav().moveViewArmed, 0);
    EXPECT_EQ(Nav().panDrag, 0);
    EXPECT_FALSE(platform.MouseCaptured());
    EXPECT_EQ(stepPending, 0);  // the drag was no click of the line command
    view.OnMouseMove(300, 100);
    EXPECT_EQ(g_viewTranslate.x, 5000.0f);
    Paint();
    ClickWorld(0, 0);
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(firstPoint, (Double3{0, 0, 0}));
}

TEST_F(NavigationTest, CtrlRightZoomBorrowsTheStepOnlyWhileItLasts) {
    view.OnRButtonDown(400, 300, MOD_CTRL, MOUSE_RIGHT);
    EXPECT_EQ(Nav().zoomMode, 3);
    EXPECT_EQ(stepPending, 1);
    view.OnMouseMove(400, 250);
    EXPECT_FLOAT_EQ(g_viewTranslate.z, -45000.0f);
    // No left click edits while it lasts.
    view.OnLButtonDown(400, 300);
    EXPECT_EQ(rubberBand, 0);
    view.OnRButtonUp(400, 250);
    EXPECT_EQ(Nav().zoomMode, 0);
    EXPECT_EQ(stepPending, 0);
    EXPECT_FALSE(platform.MouseCaptured());

    // In the middle of a line the rubber band keeps following.
    Run(ID_LINE);
    ClickWorld(0, 0);
    view.OnRButtonDown(400, 300, MOD_CTRL, MOUSE_RIGHT);
    EXPECT_EQ(stepPending, 2);
    view.OnMouseMove(410, 300);
    EXPECT_EQ(lastScreenPoint, (Double2{410, 300}));
    view.OnRButtonUp(410, 300);
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_LINE);
}

TEST_F(NavigationTest, EscDuringACtrlRightZoomLeavesNoStepBehind) {
    view.OnRButtonDown(400, 300, MOD_CTRL, MOUSE_RIGHT);
    Run(ID_CANCEL);
    view.OnRButtonUp(400, 300);
    EXPECT_EQ(stepPending, 0);
    Click(700, 500);
    EXPECT_EQ(stepPending, 1);  // a selection window opens as usual
}

TEST_F(NavigationTest, NavigationPressesWaitWhileAModeIsArmed) {
    Run(ID_VIEW_MOVE);
    view.OnMButtonDown(100, 100);
    view.OnRButtonDown(100, 100, MOD_SHIFT, MOUSE_RIGHT);
    EXPECT_EQ(Nav().panDrag, 0);
    view.OnRButtonUp(100, 100);
    EXPECT_EQ(Nav().moveViewArmed, 1);
    EXPECT_TRUE(platform.MouseCaptured());
}

}  // namespace
}  // namespace marquetta
