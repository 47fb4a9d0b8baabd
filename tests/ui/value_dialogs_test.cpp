#include "ui/value_dialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <tuple>

#include "app/program_defaults.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

class ValueDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    // Types `text` into the next dialog and presses OK.
    void Type(const std::string& text) { platform.QueueDialog({{text}, true}); }
    void Cancel() { platform.QueueDialog({{}, false}); }
    size_t Repaints() const { return platform.CallsOf(PlatformCall::Kind::InvalidateView).size(); }
    std::vector<DialogField> LastDialogFields() const {
        const auto runs = platform.CallsOf(PlatformCall::Kind::RunDialog);
        return runs.empty() ? std::vector<DialogField>{} : runs.back().dialogFields;
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
};

TEST_F(ValueDialogTest, DialogsHaveTheirTitlesLabelsAndPresets) {
    GridDialog grid;
    EXPECT_EQ(grid.Title(), "グリッド");
    ASSERT_EQ(grid.Fields().size(), 1u);
    EXPECT_EQ(grid.Fields()[0].kind, DialogField::Kind::ComboBox);
    EXPECT_EQ(grid.Fields()[0].label, "ＧＲＤ：");
    EXPECT_EQ(grid.Fields()[0].choices, (std::vector<std::string>{"455", "910", "1000"}));
    EXPECT_EQ(grid.Fields()[0].text, "");
    EXPECT_EQ(grid.Fields()[0].maxLength, 0);

    ScaleDialog scale;
    EXPECT_EQ(scale.Title(), "縮尺");
    ASSERT_EQ(scale.Fields().size(), 1u);
    EXPECT_EQ(scale.Fields()[0].label, "ＳＣＬ：１／");
    EXPECT_EQ(scale.Fields()[0].choices,
              (std::vector<std::string>{"10", "20", "30", "50", "100", "200", "300", "500"}));

    OffsetWidthDialog offset;
    EXPECT_EQ(offset.Title(), "複線の幅入力");
    ASSERT_EQ(offset.Fields().size(), 1u);
    EXPECT_EQ(offset.Fields()[0].label, "W=");
    EXPECT_TRUE(offset.Fields()[0].choices.empty());
    EXPECT_EQ(offset.Fields()[0].text, "");
    // The single-value dialogs check nothing themselves.
    offset.SetText("abc");
    EXPECT_FALSE(offset.Validate().has_value());
    EXPECT_EQ(offset.Text(), "abc");
}

TEST_F(ValueDialogTest, IntegersReadAsCAndPresetTruncated) {
    EXPECT_EQ(ReadLeadingInteger("910mm"), 910);
    EXPECT_EQ(ReadLeadingInteger("  \t+17"), 17);
    EXPECT_EQ(ReadLeadingInteger("-5"), -5);
    EXPECT_EQ(ReadLeadingInteger("12.9"), 12);
    for (const char* none : {"", "mm910", "-", "+-3"}) {
        EXPECT_EQ(ReadLeadingInteger(none), 0) << none;
    }
    EXPECT_EQ(ReadLeadingInteger("-2147483648"), std::numeric_limits<int>::min());
    // Too long for an int: held at the limit, never wrapped round into a small value
    // (2^32 + 10 would otherwise read as 10).
    EXPECT_EQ(ReadLeadingInteger("4294967306"), std::numeric_limits<int>::max());
    EXPECT_EQ(ReadLeadingInteger("-4294967306"), std::numeric_limits<int>::min());
    // The preset: "%d" of the value truncated toward zero, held inside an int.
    EXPECT_EQ(FormatTruncated(455.7), "455");
    EXPECT_EQ(FormatTruncated(-2.9), "-2");
    EXPECT_EQ(FormatTruncated(1e20), "2147483647");
    EXPECT_EQ(FormatTruncated(std::nan("")), "0");
}

TEST_F(ValueDialogTest, WholeFieldIntegersAndSpinSteps) {
    const std::pair<const char*, std::optional<int>> readings[] = {
        {"0", 0},      {" +255\t", 255}, {"-7", -7},         {"", std::nullopt},
        {"+", std::nullopt}, {"1 2", std::nullopt}, {"3x", std::nullopt}, {"1.0", std::nullopt},
        {"99999999999", std::numeric_limits<int>::max()},
    };
    for (const auto& [text, value] : readings) {
        EXPECT_EQ(ReadDialogInteger(text), value) << text;
    }
    const SpinRange range{0, 255};
    const std::tuple<const char*, int, const char*> steps[] = {
        {"0", 1, "1"},   {"0", -1, "0"},   {"255", 1, "255"}, {"254", 1, "255"},
        {"300", -1, "254"}, {"-9", 1, "1"}, {"abc", 1, "1"},  {"12mm", -1, "11"},
    };
    for (const auto& [text, step, result] : steps) {
        EXPECT_EQ(StepSpinText(text, step, range), result) << text << " " << step;
    }
}

TEST_F(ValueDialogTest, LeadingDoubleReading) {
    size_t used = 99;
    EXPECT_EQ(ReadLeadingDouble("  2.5xyz", &used), 2.5);
    EXPECT_EQ(used, 5u);
    EXPECT_EQ(ReadLeadingDouble("-.5"), -0.5);
    EXPECT_EQ(ReadLeadingDouble("1E-1"), 0.1);
    // An exponent without digits is not part of the number.
    EXPECT_EQ(ReadLeadingDouble("2e", &used), 2.0);
    EXPECT_EQ(used, 1u);
    EXPECT_EQ(ReadLeadingDouble("0x10", &used), 0.0);
    EXPECT_EQ(used, 1u);
    for (const char* text : {"", " ", ".", "-", "+.", "e5", "inf", "nan", "-infinity", "abc"}) {
        EXPECT_FALSE(ReadLeadingDouble(text, &used).has_value()) << text;
        EXPECT_EQ(used, 0u) << text;
    }
    EXPECT_EQ(ReadLeadingDouble("1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadLeadingDouble("-1e999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(ReadLeadingDouble("1e-999"), 0.0);
}

TEST_F(ValueDialogTest, OffsetWidthReading) {
    EXPECT_EQ(ReadOffsetWidth("2,5"), 2.0);  // the comma is a blank: only 2 is read
    EXPECT_EQ(ReadOffsetWidth("-12.5mm"), -12.5);
    EXPECT_EQ(ReadOffsetWidth("0.005"), 0.005);
    EXPECT_EQ(ReadOffsetWidth("abc"), 0.0);
    // A width beyond any double would put the copy at infinity: read as nothing.
    EXPECT_EQ(ReadOffsetWidth("1e400"), 0.0);
    EXPECT_EQ(ReadOffsetWidth("inf"), 0.0);
}

TEST_F(ValueDialogTest, AskOffsetWidthOpensEmptyAndReadsOnOk) {
    Type("3,5");
    EXPECT_EQ(AskOffsetWidth(), 3.0);
    const std::vector<DialogField> fields = LastDialogFields();
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].text, "");
    Cancel();
    EXPECT_FALSE(AskOffsetWidth().has_value());
    Type("x");
    EXPECT_EQ(AskOffsetWidth(), 0.0);
}

TEST_F(ValueDialogTest, GridBoundsAndReading) {
    g_gridPitch = 500;
    for (const char* refused : {"9", "10000", "0", "-10", "", "abc", "4294967306"}) {
        Type(refused);
        EXPECT_FALSE(RunGridDialog()) << refused;
        EXPECT_EQ(g_gridPitch, 500.0) << refused;
    }
    EXPECT_EQ(Repaints(), 0u);
    Type("10");
    EXPECT_TRUE(RunGridDialog());
    EXPECT_EQ(g_gridPitch, 10.0);
    Type("9999");
    EXPECT_TRUE(RunGridDialog());
    EXPECT_EQ(g_gridPitch, 9999.0);
    Type("910mm");
    EXPECT_TRUE(RunGridDialog());
    EXPECT_EQ(g_gridPitch, 910.0);
    Type(" 455.9");
    EXPECT_TRUE(RunGridDialog());
    EXPECT_EQ(g_gridPitch, 455.0);
    EXPECT_EQ(Repaints(), 4u);
}

TEST_F(ValueDialogTest, GridPresetIsTheTruncatedPitch) {
    g_gridPitch = 455.7;
    Cancel();
    EXPECT_FALSE(RunGridDialog());
    const std::vector<DialogField> fields = LastDialogFields();
    ASSERT_EQ(fields.size(), 1u);
    EXPECT_EQ(fields[0].text, "455");
    EXPECT_EQ(g_gridPitch, 455.7);
    // OK on the unchanged preset takes the truncated pitch.
    platform.QueueDialog({{}, true});
    EXPECT_TRUE(RunGridDialog());
    EXPECT_EQ(g_gridPitch, 455.0);
}

TEST_F(ValueDialogTest, AcceptedGridSwitchesTheGridOn) {
    g_gridOn = 0;
    Type("9");
    RunGridDialog();
    EXPECT_EQ(g_gridOn, 0);
    Cancel();
    RunGridDialog();
    EXPECT_EQ(g_gridOn, 0);
    g_displayListValid = 1;
    Type("1000");
    EXPECT_TRUE(RunGridDialog());
    EXPECT_EQ(g_gridOn, 1);
    EXPECT_EQ(g_gridPitch, 1000.0);
    EXPECT_EQ(Repaints(), 1u);
    // The grid is drawn afresh at every paint; the shapes' list need not be rebuilt.
    EXPECT_EQ(g_displayListValid, 1);
}

TEST_F(ValueDialogTest, ScaleBoundsAndPreset) {
    g_scaleDenominator = 250.9;
    platform.QueueDialog({{"20"}, false});  // Cancel ignores what was typed
    EXPECT_FALSE(RunScaleDialog());
    for (const char* refused : {"0", "1000", "-1", "x"}) {
        Type(refused);
        EXPECT_FALSE(RunScaleDialog()) << refused;
        EXPECT_EQ(g_scaleDenominator, 250.9) << refused;
    }
    EXPECT_EQ(LastDialogFields().at(0).text, "250");
    Type("1");
    EXPECT_TRUE(RunScaleDialog());
    EXPECT_EQ(g_scaleDenominator, 1.0);
    Type("999");
    EXPECT_TRUE(RunScaleDialog());
    EXPECT_EQ(g_scaleDenominator, 999.0);
    EXPECT_EQ(Repaints(), 2u);
    // Out-of-range values are dropped without a word, and the grid is left alone.
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::MessageBox).empty());
    EXPECT_EQ(g_gridPitch, 910.0);
}

}  // namespace
}  // namespace marquetta
