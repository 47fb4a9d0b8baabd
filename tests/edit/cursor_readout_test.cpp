#include "edit/cursor_readout.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/command_ids.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

// X is east (world x) and Y north (world -z); the angle runs counter-clockwise from east.
TEST(CursorReadoutTest, ReadsThePlanAsADrafterDoes) {
    const struct {
        Double3 point;
        std::optional<Double3> first;
        const char* text;
    } cases[] = {
        {{1234.56, 0, -678.04}, std::nullopt, "X=1234.6 Y=678.0"},
        {{-5, 0, 0}, std::nullopt, "X=-5.0 Y=0.0"},
        {{100, 0, -100}, Double3{100, 0, 0}, "X=100.0 Y=100.0  距離=100.0 角度=90.0°"},  // north
        {{0, 0, 100}, Double3{0, 0, -100}, "X=0.0 Y=-100.0  距離=200.0 角度=270.0°"},    // south
        {{-100, 0, 0}, Double3{100, 0, 100}, "X=-100.0 Y=0.0  距離=223.6 角度=153.4°"},
        {{100, 0, 1e-4}, Double3{0, 0, 0}, "X=100.0 Y=0.0  距離=100.0 角度=0.0°"},  // not -0.0, 360.0
        {{3, 0, 4}, Double3{3, 0, 4}, "X=3.0 Y=-4.0  距離=0.0 角度=0.0°"},
        {{3000, 0, 0}, Double3{0, 0, 0}, "X=3000.0 Y=0.0  距離=3000.0 角度=0.0°"},  // due east: -0
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CursorReadout(c.point, c.first ? &*c.first : nullptr), c.text);
    }
}

class CursorReadoutViewTest : public ViewFixture {};

// The pane follows the mouse; during a line, it measures from the line's start.
TEST_F(CursorReadoutViewTest, FollowsTheMouseAndMeasuresFromTheFirstPoint) {
    EXPECT_EQ(view.CursorReadoutText(), "");
    const Double2 a = PixelOf(0, 0, 0);
    view.OnMouseMove(Px(a.x), Px(a.y));
    EXPECT_EQ(view.CursorReadoutText().substr(0, 5), "X=0.0");
    ASSERT_TRUE(view.Commands().Run(ID_LINE));
    g_snapOn = 0;
    ClickWorld(0, 0);
    view.OnMouseMove(Px(a.x), Px(a.y) - 100);  // up the screen is north
    const std::string text = view.CursorReadoutText();
    EXPECT_NE(text.find("角度=90.0°"), std::string::npos) << text;
    EXPECT_NE(text.find("距離="), std::string::npos) << text;
    RightClick(0, 0);
    view.OnMouseMove(Px(a.x), Px(a.y) - 100);
    EXPECT_EQ(view.CursorReadoutText().find("距離="), std::string::npos);
}

}  // namespace
}  // namespace marquetta
