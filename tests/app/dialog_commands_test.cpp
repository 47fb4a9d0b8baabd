#include "app/dialog_commands.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "test_files.h"
#include "ui/help.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

class DialogCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    void Type(const std::string& text) { platform.QueueDialog({{text}, true}); }
    std::vector<PlatformCall> Dialogs() const {
        return platform.CallsOf(PlatformCall::Kind::RunDialog);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    std::unique_ptr<AppController> app = std::make_unique<AppController>();
};

TEST_F(DialogCommandsTest, GridCommandRunsTheGridDialog) {
    EXPECT_TRUE(app->Query(ID_GRID_PITCH).enabled);
    g_gridOn = 0;
    Type("1000");
    ASSERT_TRUE(app->Execute(ID_GRID_PITCH));
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].caption, "グリッド");
    EXPECT_EQ(Dialogs()[0].dialogFields.at(0).text, "910");
    EXPECT_EQ(g_gridPitch, 1000.0);
    EXPECT_EQ(app->Query(ID_GRID_TOGGLE).text, "GRD:1000");
    Type("10000");
    app->Execute(ID_GRID_PITCH);
    EXPECT_EQ(app->Query(ID_GRID_TOGGLE).text, "GRD:1000");
}

TEST_F(DialogCommandsTest, ScaleButtonRunsTheScaleDialogAndShowsTheScale) {
    EXPECT_TRUE(app->Query(ID_SCALE).enabled);
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/100");
    Type("999");
    ASSERT_TRUE(app->Execute(ID_SCALE));
    ASSERT_EQ(Dialogs().size(), 1u);
    EXPECT_EQ(Dialogs()[0].caption, "縮尺");
    EXPECT_EQ(Dialogs()[0].dialogFields.at(0).text, "100");
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/999");
    Type("1000");
    app->Execute(ID_SCALE);
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/999");
    Type("0");
    app->Execute(ID_SCALE);
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/999");
    Type("1");
    app->Execute(ID_SCALE);
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/1");
    g_scaleDenominator = 49.99;
    EXPECT_EQ(app->Query(ID_SCALE).text, "SCL:1/49");
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::MessageBox).empty());
}

TEST_F(DialogCommandsTest, HelpOpensTheHelpFileSilently) {
    EXPECT_TRUE(app->Query(ID_HELP).enabled);
    testing::TempDir dir;
    const testing::ScopedWorkingDirectory inside(dir.Path());
    testing::WriteBytes(dir.File(kHelpFileName), "help");
    platform.SetOpenWithDesktopResult(false);
    ASSERT_TRUE(app->Execute(ID_HELP));
    const auto opens = platform.CallsOf(PlatformCall::Kind::OpenWithDesktop);
    ASSERT_EQ(opens.size(), 1u);
    EXPECT_EQ(std::filesystem::path(opens[0].text).filename(), "Marquetta_034.hlp");
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::MessageBox).empty());
}

TEST_F(DialogCommandsTest, RegistersOnTheGivenTargets) {
    CommandTarget frame;
    CommandTarget help;
    RegisterDialogCommands(frame, help);
    EXPECT_TRUE(frame.Knows(ID_GRID_PITCH));
    EXPECT_TRUE(frame.Knows(ID_SCALE));
    EXPECT_FALSE(frame.Knows(ID_HELP));
    EXPECT_TRUE(help.Knows(ID_HELP));
    EXPECT_FALSE(help.Knows(ID_SCALE));
}

}  // namespace
}  // namespace marquetta
