#include "ui/render_settings_dialog.h"

#include <gtest/gtest.h>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "model/cp932.h"
#include "model/render_settings.h"
#include "platform/command_ids.h"
#include "platform/platform.h"

namespace marquetta {
namespace {

class RenderSettingsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    // The six fields in the order shown: sky, ground, north, latitude, hour, season.
    void Type(std::vector<std::string> fields, bool ok = true) {
        platform.QueueDialog({std::move(fields), ok});
    }
    std::vector<PlatformCall> Messages() const {
        return platform.CallsOf(PlatformCall::Kind::MessageBox);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
};

TEST_F(RenderSettingsDialogTest, OpensWithTheSettings) {
    g_sunNorth = 359.9;  // shown as a whole number
    g_sunLatitude = 35.25;
    struct Season {
        double declination;
        const char* name;  // by exact value, or none
    };
    for (const Season s : {Season{-1, "なし"}, Season{0, "春分，秋分"}, Season{30, "夏至"},
                           Season{-30, "冬至"}, Season{23.44, ""}}) {
        g_sunSeason = s.declination;
        RenderSettingsDialog dialog;
        std::vector<std::string> texts;
        for (const DialogField& field : dialog.Fields()) {
            texts.push_back(field.text);
        }
        EXPECT_EQ(texts, (std::vector<std::string>{
                             "S_Cloud1", "pigment { color White } finish { reflection 0.3 }",
                             "359", "35.25", "10", s.name}));
    }
    RenderSettingsDialog dialog;
    const std::vector<DialogField>& f = dialog.Fields();
    EXPECT_EQ(f[kSkyField].choices.size(), 15u);
    EXPECT_EQ(f[kSkyField].choices[14], "pigment { Clouds} ");
    const int ranges[][2] = {{0, 360}, {-90, 90}, {0, 24}};
    for (size_t i = kNorthField; i <= kHourField; ++i) {
        ASSERT_TRUE(f[i].spin);
        EXPECT_EQ(f[i].spin->minimum, ranges[i - kNorthField][0]);
        EXPECT_EQ(f[i].spin->maximum, ranges[i - kNorthField][1]);
    }
}

TEST_F(RenderSettingsDialogTest, OkStoresTheSixSettings) {
    struct Case {
        std::vector<std::string> fields;
        double north, latitude, hour, season;
    };
    const Case cases[] = {
        {{"", "pigment { Gray50 }", "359", "-33.5", "6.25", "夏至"}, 359, -33.5, 6.25, 30},
        {{"S_Cloud2", "g", " 7 ", "1e1", "0", "冬至"}, 7, 10, 0, -30},
        {{"S_Cloud2", "g", "360", "90", "24", "春分，秋分"}, 360, 90, 24, 0},
        // Any other season text is none.
        {{"S_Cloud2", "g", "0", "0", "12", "夏至 "}, 0, 0, 12, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields[5]);
        Type(c.fields);
        ASSERT_TRUE(RunRenderSettingsDialog());
        EXPECT_EQ(g_skyTexture, c.fields[0]);
        EXPECT_EQ(g_groundTexture, c.fields[1]);
        EXPECT_EQ(g_sunNorth, c.north);
        EXPECT_EQ(g_sunLatitude, c.latitude);
        EXPECT_EQ(g_sunHour, c.hour);
        EXPECT_EQ(g_sunSeason, c.season);
    }
    // Texts go into the drawing as CP932.
    Type({"pigment { color rgb <1,0,0> } // 夕焼け"});
    ASSERT_TRUE(RunRenderSettingsDialog());
    EXPECT_EQ(g_skyTexture, Utf8ToCp932("pigment { color rgb <1,0,0> } // 夕焼け"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(RenderSettingsDialogTest, OkRefusesTheFirstBadFieldInOrder) {
    struct Case {
        const char* north;
        const char* latitude;
        const char* hour;
        const char* message;
        size_t field;
    };
    const Case cases[] = {
        {"12.5", "x", "x", "整数を入力してください。", kNorthField},
        {"361", "x", "0", "0 から 360 までの整数を入力してください。", kNorthField},
        {"99999999999", "0", "0", "0 から 360 までの整数を入力してください。", kNorthField},
        {"0", "abc", "x", "数字を入力してください。", kLatitudeField},
        {"0", "-90.5", "x", "-90 から 90 までの数字を入力してください。", kLatitudeField},
        {"0", "1e999", "0", "-90 から 90 までの数字を入力してください。", kLatitudeField},
        {"0", "90", "", "数字を入力してください。", kHourField},
        {"0", "90", "24.01", "0 から 24 までの数字を入力してください。", kHourField},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.north) + " " + c.latitude + " " + c.hour);
        RenderSettingsDialog dialog;
        dialog.Fields()[kNorthField].text = c.north;
        dialog.Fields()[kLatitudeField].text = c.latitude;
        dialog.Fields()[kHourField].text = c.hour;
        const std::optional<DialogRefusal> refusal = dialog.Validate();
        ASSERT_TRUE(refusal);
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->field, c.field);
    }
}

TEST_F(RenderSettingsDialogTest, TexturesCp932CannotHoldAreRefusedUntouchedOnesKept) {
    g_groundTexture = "T_\x82";  // a lead byte without its trail, from a file
    RenderSettingsDialog dialog;
    dialog.Fields()[kSkyField].text = "S_Cloud€";
    const std::optional<DialogRefusal> refusal = dialog.Validate();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->message, "「€」は図面に保存できない文字です。");
    EXPECT_EQ(refusal->field, kSkyField);
    dialog.Fields()[kSkyField].text = "S_Cloud2";
    ASSERT_FALSE(dialog.Validate());
    dialog.Store();
    EXPECT_EQ(g_skyTexture, "S_Cloud2");
    EXPECT_EQ(g_groundTexture, "T_\x82");
}

TEST_F(RenderSettingsDialogTest, CancelStoresNothingAndAChangeIsAStepThatRepaintsNothing) {
    AppController app;
    // A refused OK, then Cancel.
    Type({"S_Cloud3", "g", "400", "0", "0", "夏至"});
    Type({}, false);
    app.Execute(ID_RENDER_SETTINGS);
    EXPECT_EQ(Messages().size(), 1u);
    EXPECT_EQ(g_skyTexture, "S_Cloud1");
    EXPECT_EQ(g_sunSeason, 0.0);
    EXPECT_EQ(g_sunHour, 10.0);

    EXPECT_FALSE(app.Document().IsModified());
    EXPECT_FALSE(app.Document().History().CanUndo());

    // The settings are not drawn: an accepted OK repaints nothing. They are saved with
    // the drawing, so a change marks it modified and is a step; OK without a change is
    // neither.
    for (const bool change : {false, true}) {
        platform.ClearCalls();
        Type({change ? "S_Cloud3" : "S_Cloud1"});
        app.Execute(ID_RENDER_SETTINGS);
        EXPECT_EQ(g_skyTexture, change ? "S_Cloud3" : "S_Cloud1");
        EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::InvalidateView).empty());
        EXPECT_EQ(app.Document().IsModified(), change);
        EXPECT_EQ(app.Document().History().NextUndo(),
                  change ? std::optional(StepKind::RenderSettings) : std::nullopt);
    }
}

}  // namespace
}  // namespace marquetta
