#include "ui/help.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/program_defaults.h"
#include "platform/platform.h"
#include "test_files.h"

namespace marquetta {
namespace {

// Runs a test inside a fresh working directory, and goes back afterwards.
class HelpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        previous = std::filesystem::current_path();
        std::filesystem::current_path(dir.Path());
    }
    void TearDown() override { std::filesystem::current_path(previous); }

    std::vector<PlatformCall> Opens() const {
        return platform.CallsOf(PlatformCall::Kind::OpenWithDesktop);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    testing::TempDir dir;
    std::filesystem::path previous;
};

TEST_F(HelpTest, OpensTheFileOfTheWorkingDirectoryByItsAbsolutePath) {
    testing::WriteBytes(dir.File(kHelpFileName), "help");
    const std::string expected =
        (std::filesystem::canonical(dir.Path()) / "Marquetta_034.hlp").string();
    EXPECT_EQ(HelpFilePath(), expected);
    OpenHelp();
    ASSERT_EQ(Opens().size(), 1u);
    EXPECT_EQ(Opens()[0].text, expected);
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::MessageBox).empty());
}

TEST_F(HelpTest, SilentWhenTheDesktopCannotOpenIt) {
    testing::WriteBytes(dir.File(kHelpFileName), "help");
    platform.SetOpenWithDesktopResult(false);
    OpenHelp();
    EXPECT_EQ(Opens().size(), 1u);
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::MessageBox).empty());
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::Beep).empty());
}

TEST_F(HelpTest, SilentAndNotOpenedWhenMissing) {
    OpenHelp();
    // A folder of that name is no help file either.
    std::filesystem::create_directory(dir.File(kHelpFileName));
    OpenHelp();
    EXPECT_TRUE(Opens().empty());
    EXPECT_TRUE(platform.Calls().empty());
}

TEST_F(HelpTest, SilentWhenTheWorkingDirectoryIsGone) {
    const std::filesystem::path gone = dir.Path() / "gone";
    std::filesystem::create_directory(gone);
    std::filesystem::current_path(gone);
    std::filesystem::remove(gone);
    EXPECT_EQ(HelpFilePath(), "");
    OpenHelp();
    EXPECT_TRUE(platform.Calls().empty());
}

}  // namespace
}  // namespace marquetta
