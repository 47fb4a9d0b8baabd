#include "ui/text_dialog.h"

#include <gtest/gtest.h>

#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "platform/platform.h"

namespace marquetta {
namespace {

// "文字" in CP932 and in UTF-8.
const std::string kMojiCp932 = "\x95\xb6\x8e\x9a";
const std::string kMojiUtf8 = "文字";

class TextDialogTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    std::unique_ptr<TextDialog> Make() {
        return std::make_unique<TextDialog>(lastText, lastTextHeight, lastTextWidth, lastTextAngle,
                                            textHistory);
    }

    // Fills the fields as typed and presses OK.
    std::optional<DialogRefusal> Ok(TextDialog& dialog, const std::string& text,
                                    const std::string& height, const std::string& width,
                                    const std::string& angle) {
        dialog.Fields()[kTextField].text = text;
        dialog.Fields()[kTextHeightField].text = height;
        dialog.Fields()[kTextWidthField].text = width;
        dialog.Fields()[kTextAngleField].text = angle;
        return dialog.Validate();
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
};

const std::string kRangeSize = "0.1 から 10000000000 までの数字を入力してください。";
const std::string kRangeAngle = "-360 から 360 までの数字を入力してください。";
const std::string kNotNumber = "数字を入力してください。";

TEST_F(TextDialogTest, FieldsArePresetFromTheLastText) {
    lastText = kMojiCp932;
    lastTextHeight = 0.1;
    lastTextWidth = 1234.5;
    lastTextAngle = -30;
    auto dialog = Make();
    EXPECT_EQ(dialog->Title(), "文字");
    std::vector<DialogField>& fields = dialog->Fields();
    ASSERT_EQ(fields.size(), 4u);
    EXPECT_EQ(fields[0].kind, DialogField::Kind::ComboBox);
    EXPECT_EQ(fields[0].label, "");
    EXPECT_EQ(fields[0].text, kMojiUtf8);
    EXPECT_EQ(fields[0].maxLength, 250);
    EXPECT_EQ(fields[1].kind, DialogField::Kind::Edit);
    EXPECT_EQ(fields[1].label, "高さ：");
    EXPECT_EQ(fields[1].text, "0.1");
    EXPECT_EQ(fields[2].label, "幅：");
    EXPECT_EQ(fields[2].text, "1234.5");
    EXPECT_EQ(fields[3].label, "角度：");
    EXPECT_EQ(fields[3].text, "-30");
    // Before OK the accessors give the presets.
    EXPECT_EQ(dialog->Text(), kMojiCp932);
    EXPECT_EQ(dialog->Height(), 0.1);
    EXPECT_EQ(dialog->Angle(), -30.0);
}

TEST_F(TextDialogTest, DoublesShowFifteenSignificantDigits) {
    EXPECT_EQ(FormatDialogDouble(300.0), "300");
    EXPECT_EQ(FormatDialogDouble(1.0 / 3.0), "0.333333333333333");
    EXPECT_EQ(FormatDialogDouble(123456789012345678.0), "1.23456789012346e+17");
    EXPECT_EQ(FormatDialogDouble(1e10), "10000000000");
}

TEST_F(TextDialogTest, HistoryListsTenLinesBlankOnesLast) {
    textHistory[0] = kMojiCp932;
    textHistory[1] = "A";
    auto dialog = Make();
    const std::vector<std::string>& list = dialog->Fields()[0].choices;
    ASSERT_EQ(list.size(), 10u);
    EXPECT_EQ(list[0], kMojiUtf8);
    EXPECT_EQ(list[1], "A");
    for (size_t i = 2; i < 10; ++i) {
        EXPECT_EQ(list[i], "") << i;
    }
    // An empty history is ten blank lines.
    textHistory = {};
    EXPECT_EQ(Make()->Fields()[0].choices, std::vector<std::string>(10));
}

TEST_F(TextDialogTest, OkStoresTheValuesAndTheTextAsCp932) {
    auto dialog = Make();
    EXPECT_FALSE(Ok(*dialog, kMojiUtf8, " 12.5 ", "1e3", "+45").has_value());
    EXPECT_EQ(dialog->Text(), kMojiCp932);
    EXPECT_EQ(dialog->Height(), 12.5);
    EXPECT_EQ(dialog->Width(), 1000.0);
    EXPECT_EQ(dialog->Angle(), 45.0);
    // An empty text passes; the text command makes nothing of it.
    EXPECT_FALSE(Ok(*dialog, "", "1", "1", "0").has_value());
    EXPECT_EQ(dialog->Text(), "");
}

TEST_F(TextDialogTest, BoundsAreInclusive) {
    auto dialog = Make();
    EXPECT_FALSE(Ok(*dialog, "a", "0.1", "0.1", "-360").has_value());
    EXPECT_EQ(dialog->Height(), 0.1);
    EXPECT_EQ(dialog->Width(), 0.1);
    EXPECT_EQ(dialog->Angle(), -360.0);
    EXPECT_FALSE(Ok(*dialog, "a", "1e10", "10000000000", "360").has_value());
    EXPECT_EQ(dialog->Height(), 1e10);
    EXPECT_EQ(dialog->Width(), 1e10);
    EXPECT_EQ(dialog->Angle(), 360.0);
}

TEST_F(TextDialogTest, OutOfRangeValuesAreRefusedOnTheirField) {
    auto dialog = Make();
    struct Case {
        const char* height;
        const char* width;
        const char* angle;
        size_t field;
        const std::string& message;
    };
    const Case cases[] = {
        {"0.09", "1", "0", kTextHeightField, kRangeSize},
        {"10000000001", "1", "0", kTextHeightField, kRangeSize},
        {"1e999", "1", "0", kTextHeightField, kRangeSize},
        {"1", "0.0999", "0", kTextWidthField, kRangeSize},
        {"1", "1", "-360.001", kTextAngleField, kRangeAngle},
        {"1", "1", "360.5", kTextAngleField, kRangeAngle},
    };
    for (const Case& c : cases) {
        const std::optional<DialogRefusal> refusal = Ok(*dialog, "a", c.height, c.width, c.angle);
        ASSERT_TRUE(refusal.has_value()) << c.height << " " << c.width << " " << c.angle;
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->field, c.field);
    }
}

TEST_F(TextDialogTest, TextThatIsNotANumberIsRefused) {
    auto dialog = Make();
    for (const char* bad : {"", " ", "abc", "12mm", "1 2", "inf", "nan", "0x10", "1,5"}) {
        std::optional<DialogRefusal> refusal = Ok(*dialog, "a", bad, "1", "0");
        ASSERT_TRUE(refusal.has_value()) << bad;
        EXPECT_EQ(refusal->message, kNotNumber) << bad;
        EXPECT_EQ(refusal->field, kTextHeightField);
        refusal = Ok(*dialog, "a", "1", bad, "0");
        ASSERT_TRUE(refusal.has_value()) << bad;
        EXPECT_EQ(refusal->field, kTextWidthField);
        refusal = Ok(*dialog, "a", "1", "1", bad);
        ASSERT_TRUE(refusal.has_value()) << bad;
        EXPECT_EQ(refusal->message, kNotNumber) << bad;
        EXPECT_EQ(refusal->field, kTextAngleField);
    }
}

TEST_F(TextDialogTest, FieldsAreCheckedInOrder) {
    auto dialog = Make();
    EXPECT_EQ(Ok(*dialog, std::string(251, 'x'), "0", "x", "999").value().field, kTextField);
    EXPECT_EQ(Ok(*dialog, "a", "0", "x", "999").value().field, kTextHeightField);
    EXPECT_EQ(Ok(*dialog, "a", "1", "x", "999").value().field, kTextWidthField);
}

TEST_F(TextDialogTest, TextLimitCountsCharacters) {
    auto dialog = Make();
    std::optional<DialogRefusal> refusal = Ok(*dialog, std::string(251, 'x'), "1", "1", "0");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->message, "250 文字以内で入力してください。");
    EXPECT_EQ(refusal->field, kTextField);
    EXPECT_FALSE(Ok(*dialog, std::string(250, 'x'), "1", "1", "0").has_value());
    EXPECT_EQ(dialog->Text(), std::string(250, 'x'));
    // 250 Japanese characters are 750 bytes of UTF-8 and 500 of CP932, and pass.
    std::string japanese;
    for (int i = 0; i < 125; ++i) {
        japanese += kMojiUtf8;
    }
    EXPECT_EQ(Utf8Length(japanese), 250u);
    EXPECT_FALSE(Ok(*dialog, japanese, "1", "1", "0").has_value());
    EXPECT_EQ(dialog->Text().size(), 500u);
    EXPECT_TRUE(Ok(*dialog, japanese + "x", "1", "1", "0").has_value());
}

TEST_F(TextDialogTest, CharactersCp932CannotHoldAreRefusedByName) {
    lastText = "old";
    auto dialog = Make();
    const std::optional<DialogRefusal> refusal = Ok(*dialog, "A한€한", "1", "1", "0");
    ASSERT_TRUE(refusal.has_value());
    EXPECT_EQ(refusal->message, "「한€」は図面に保存できない文字です。");
    EXPECT_EQ(refusal->field, kTextField);
    EXPECT_EQ(dialog->Text(), "old");
    // What was typed stays in the field for the user to mend.
    EXPECT_EQ(dialog->Fields()[kTextField].text, "A한€한");
    EXPECT_FALSE(Ok(*dialog, "A①", "1", "1", "0").has_value());
    EXPECT_EQ(dialog->Text(), "A\x87\x40");
}

TEST_F(TextDialogTest, RefusedOkLeavesThePresets) {
    lastTextHeight = 300;
    lastText = "old";
    auto dialog = Make();
    ASSERT_TRUE(Ok(*dialog, "new", "500", "1", "999").has_value());
    EXPECT_EQ(dialog->Text(), "old");
    EXPECT_EQ(dialog->Height(), 300.0);
}

TEST_F(TextDialogTest, RunThroughThePlatformUntilTheInputPasses) {
    auto dialog = Make();
    platform.QueueDialog({{"abc", "0.09"}, true});
    platform.QueueDialog({{"abc", "0.1"}, true});
    ASSERT_TRUE(CurrentPlatform().RunDialog(*dialog));
    const auto messages = platform.CallsOf(PlatformCall::Kind::MessageBox);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, kRangeSize);
    EXPECT_EQ(dialog->Text(), "abc");
    EXPECT_EQ(dialog->Height(), 0.1);
    EXPECT_EQ(dialog->Width(), 300.0);
}

}  // namespace
}  // namespace marquetta
