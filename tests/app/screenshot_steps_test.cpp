#include "app/screenshot_steps.h"

#include <gtest/gtest.h>

namespace marquetta {
namespace {

TEST(ScreenshotStepsTest, ParsesEachKindAndRefusesWrongSteps) {
    using Kind = ScreenshotStep::Kind;
    std::string error;
    const std::optional<std::vector<ScreenshotStep>> steps = ParseScreenshotSteps(
        "cmd:32791;click:3640,-2730.5;;rclick:0,0;move:-1,2;wheel:-3;type:1820, 910;row:1;key:Return", error);
    ASSERT_TRUE(steps.has_value()) << error;
    const struct {
        Kind kind;
        int number;
        double x, y;
        const char* text;
    } expected[] = {
        {Kind::Command, 32791, 0, 0, ""}, {Kind::Click, 0, 3640, -2730.5, ""},
        {Kind::RightClick, 0, 0, 0, ""},  {Kind::Move, 0, -1, 2, ""},
        {Kind::Wheel, -3, 0, 0, ""},      {Kind::Type, 0, 0, 0, "1820, 910"},
        {Kind::OpenRow, 1, 0, 0, ""},     {Kind::Key, 0, 0, 0, "Return"},
    };
    ASSERT_EQ(steps->size(), std::size(expected));
    for (size_t i = 0; i < steps->size(); ++i) {
        const ScreenshotStep& step = (*steps)[i];
        EXPECT_EQ(step.kind, expected[i].kind) << i;
        EXPECT_EQ(step.number, expected[i].number) << i;
        EXPECT_EQ(step.x, expected[i].x) << i;
        EXPECT_EQ(step.y, expected[i].y) << i;
        EXPECT_EQ(step.text, expected[i].text) << i;
    }
    EXPECT_TRUE(ParseScreenshotSteps("", error)->empty());

    for (const char* wrong : {"cmd", "cmd:", "cmd:12x", "click:5", "click:a,b", "wheel:1.5",
                              "type:", "row:-1", "press:1", "key:Tab"}) {
        error.clear();
        EXPECT_FALSE(ParseScreenshotSteps(std::string("cmd:1;") + wrong, error)) << wrong;
        EXPECT_NE(error.find(wrong), std::string::npos) << error;
    }
}

}  // namespace
}  // namespace marquetta
