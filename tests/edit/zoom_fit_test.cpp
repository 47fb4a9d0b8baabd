#include "edit/zoom_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "app/command_table.h"
#include "platform/command_ids.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class ZoomFitTest : public ViewFixture {
  protected:
    // The window rectangle (pixels, y from the top) that the points appear in.
    struct Rect {
        double left, top, right, bottom;
    };
    static Rect PixelsOf(const std::vector<Double3>& points) {
        Rect r{1e300, 1e300, -1e300, -1e300};
        for (const Double3& p : points) {
            const Double2 px = PixelOf(p.x, p.y, p.z);
            r = {std::min(r.left, px.x), std::min(r.top, px.y), std::max(r.right, px.x),
                 std::max(r.bottom, px.y)};
        }
        return r;
    }
};

// The extents fill the window's width or height less the margin on each side, centred,
// looking straight down, whatever the camera was before.
TEST_F(ZoomFitTest, FramesTheExtentsInThePlanView) {
    const double inner = 1.0 / (1.0 + 2.0 * kFitMargin);
    const struct {
        const char* name;
        std::vector<std::pair<Float3, Float3>> lines;
        std::vector<Double3> corners;  // what must fill the window
        bool fillsWidth;
    } cases[] = {
        {"empty: the sheet", {}, {{-10500, 0, -14850}, {10500, 0, 14850}}, false},
        {"one point", {{{300, 0, -200}, {300, 0, -200}}}, {{250, 0, -250}, {350, 0, -150}}, false},
        {"wide", {{{-1e6, 0, 5000}, {3e6, 0, 5000}}, {{0, 0, 0}, {0, 0, 9000}}},
         {{-1e6, 0, 0}, {3e6, 0, 9000}}, true},
        {"tall", {{{40, 0, -60}, {40, 0, 20}}, {{35, 0, 0}, {45, 0, 0}}}, {{35, 0, -60}, {45, 0, 20}},
         false},
        {"a part of 10 mm", {{{0, 0, 0}, {10, 0, 0}}, {{0, 0, 0}, {0, 0, 4}}}, {{0, 0, 0}, {10, 0, 4}},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        doc.DeleteAllShapes();
        for (const auto& [a, b] : c.lines) {
            AddLine(a, b);
        }
        g_elevation = 30.0;
        g_azimuth = 45.0;
        g_viewTranslate = {5.0f, 7.0f, -123456.0f};
        ASSERT_TRUE(view.Commands().Run(ID_ZOOM_FIT));
        EXPECT_EQ(g_elevation, 90.0);
        EXPECT_EQ(g_azimuth, 0.0);
        Paint();
        const Rect r = PixelsOf(c.corners);
        EXPECT_NEAR((r.left + r.right) * 0.5, kWidth * 0.5, 0.5);
        EXPECT_NEAR((r.top + r.bottom) * 0.5, kHeight * 0.5, 0.5);
        if (c.fillsWidth) {
            EXPECT_NEAR(r.right - r.left, kWidth * inner, 1.0);
            EXPECT_LE(r.bottom - r.top, kHeight * inner + 1.0);
        } else {
            EXPECT_NEAR(r.bottom - r.top, kHeight * inner, 1.0);
            EXPECT_LE(r.right - r.left, kWidth * inner + 1.0);
        }
    }
}

TEST_F(ZoomFitTest, LeavesOutHiddenLayersAndIsTheZKey) {
    AddLine({0, 0, 0}, {100, 0, 0});
    AddLine({1e6, 0, 1e6}, {2e6, 0, 1e6}, "far");
    HideLayer("far");
    ASSERT_EQ(TranslateAccelerator('Z', MOD_NONE, 'z'), ID_ZOOM_FIT);
    view.Commands().Run(ID_ZOOM_FIT);
    EXPECT_FLOAT_EQ(g_viewTranslate.x, -50.0f);
    EXPECT_LT(-g_viewTranslate.z, 1000.0f);
}

// A pending step keeps its first corner on the point it marks.
TEST_F(ZoomFitTest, PendingWindowCornerFollowsThePicture) {
    AddLine({0, 0, 0}, {1000, 0, 0});
    Click(700, 500);  // empty: a selection window opens
    ASSERT_EQ(stepPending, 1);
    const Double3 corner = firstPoint;
    view.Commands().Run(ID_ZOOM_FIT);
    Paint();
    const Double2 p = PixelOf(corner.x, corner.y, corner.z);
    EXPECT_NEAR(firstScreenPoint.x, p.x, 1e-6);
    EXPECT_NEAR(firstScreenPoint.y, p.y, 1e-6);
}

}  // namespace
}  // namespace marquetta
