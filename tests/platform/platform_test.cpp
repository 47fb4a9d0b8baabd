#include "platform/platform.h"

#include <gtest/gtest.h>

#include "app/program_defaults.h"

namespace marquetta {
namespace {

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }
    HeadlessPlatform platform_;
};

TEST_F(PlatformTest, RecordsEveryCallInOrder) {
    platform_.SetPrompt("【直線】－始点");
    platform_.Beep(BeepKind::Exclamation);
    platform_.InvalidateView();
    platform_.MessageBox("本文", "見出し", MessageIcon::Information, MessageButtons::OkCancel);
    platform_.Beep(BeepKind::Default);

    const auto& calls = platform_.Calls();
    ASSERT_EQ(calls.size(), 5u);
    EXPECT_EQ(calls[0].kind, PlatformCall::Kind::SetPrompt);
    EXPECT_EQ(calls[0].text, "【直線】－始点");
    EXPECT_EQ(calls[1].kind, PlatformCall::Kind::Beep);
    EXPECT_EQ(calls[1].beep, BeepKind::Exclamation);
    EXPECT_EQ(calls[2].kind, PlatformCall::Kind::InvalidateView);
    EXPECT_EQ(calls[3].kind, PlatformCall::Kind::MessageBox);
    EXPECT_EQ(calls[3].text, "本文");
    EXPECT_EQ(calls[3].caption, "見出し");
    EXPECT_EQ(calls[3].icon, MessageIcon::Information);
    EXPECT_EQ(calls[3].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(calls[4].beep, BeepKind::Default);

    EXPECT_EQ(platform_.CallsOf(PlatformCall::Kind::Beep).size(), 2u);
    platform_.ClearCalls();
    EXPECT_TRUE(platform_.Calls().empty());
}

TEST_F(PlatformTest, PromptKeepsTheLastText) {
    EXPECT_EQ(platform_.Prompt(), "");
    platform_.SetPrompt("一");
    platform_.SetPrompt("二");
    EXPECT_EQ(platform_.Prompt(), "二");
    platform_.SetPrompt("");
    EXPECT_EQ(platform_.Prompt(), "");
}

TEST_F(PlatformTest, MessageBoxesTakeScriptedAnswersInOrderThenTheFirstButton) {
    platform_.QueueAnswer(MessageAnswer::No);
    platform_.QueueAnswer(MessageAnswer::Cancel);
    EXPECT_EQ(platform_.PendingAnswers(), 2u);
    EXPECT_EQ(platform_.MessageBox("a", "c", MessageIcon::Question, MessageButtons::YesNoCancel),
              MessageAnswer::No);
    EXPECT_EQ(platform_.MessageBox("b", "c", MessageIcon::Question, MessageButtons::OkCancel),
              MessageAnswer::Cancel);
    EXPECT_EQ(platform_.PendingAnswers(), 0u);
    EXPECT_EQ(platform_.MessageBox("c", "c", MessageIcon::None, MessageButtons::YesNo),
              MessageAnswer::Yes);
    EXPECT_EQ(platform_.MessageBox("d", "c", MessageIcon::None, MessageButtons::OkCancel),
              MessageAnswer::Ok);
    EXPECT_EQ(platform_.MessageBox("e", "c", MessageIcon::Exclamation, MessageButtons::Ok),
              MessageAnswer::Ok);
    const auto boxes = platform_.CallsOf(PlatformCall::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 5u);
    EXPECT_EQ(boxes[0].answer, MessageAnswer::No);
    EXPECT_EQ(boxes[1].answer, MessageAnswer::Cancel);
    EXPECT_EQ(boxes[2].answer, MessageAnswer::Yes);
    EXPECT_EQ(boxes[4].text, "e");
}

TEST_F(PlatformTest, ScopedPlatformNestsAndRestores) {
    Platform& fallback = CurrentPlatform();
    {
        ScopedPlatform outer(platform_);
        EXPECT_EQ(&CurrentPlatform(), &platform_);
        HeadlessPlatform inner;
        {
            ScopedPlatform scope(inner);
            CurrentPlatform().Beep(BeepKind::Default);
        }
        EXPECT_EQ(&CurrentPlatform(), &platform_);
        EXPECT_EQ(inner.Calls().size(), 1u);
        EXPECT_TRUE(platform_.Calls().empty());
    }
    EXPECT_EQ(&CurrentPlatform(), &fallback);

    SetCurrentPlatform(&platform_);
    EXPECT_EQ(&CurrentPlatform(), &platform_);
    SetCurrentPlatform(nullptr);
    EXPECT_EQ(&CurrentPlatform(), &fallback);
}

}  // namespace
}  // namespace marquetta
