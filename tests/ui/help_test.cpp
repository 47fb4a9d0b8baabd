#include "ui/help.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

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

TEST_F(HelpTest, WithoutTheHelpFileOpensTheManual) {
    const std::string manual = ManualIndexPath();
    ASSERT_EQ(manual, std::filesystem::canonical(std::filesystem::path(MARQUETTA_SOURCE_DIR) /
                                                 "doc/manual/index.html")
                          .string());
    // A folder of the help file's name is no help file either.
    std::filesystem::create_directory(dir.File(kHelpFileName));
    const std::string cannotOpen = "マニュアルをブラウザで開けませんでした。\n" + manual +
                                   "\nをブラウザで開いてください。";
    // The opener starts or not, then answers (its end); the user is told where the
    // manual is when it could not be opened, with what the opener said.
    struct Case {
        const char* what;
        bool starts;
        bool exited;
        int status;
        std::string output;
        std::string message;  // empty: none
    };
    const std::string noMethod = "xdg-open: no method available for opening '" + manual + "'";
    const Case cases[] = {
        {"opened", true, true, 0, "", ""},
        {"opener missing", false, true, 0, "", cannotOpen},
        {"no browser", true, true, 3, noMethod + "\n", cannotOpen + "\n\n" + noMethod},
        {"opener killed", true, false, 9, "", cannotOpen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        platform.ClearCalls();
        platform.SetOpenWithDesktopResult(c.starts);
        OpenHelp();
        ASSERT_EQ(Opens().size(), 1u);
        EXPECT_EQ(Opens()[0].text, manual);
        // Nothing is said before the opener has answered.
        if (c.starts) {
            EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::MessageBox).empty());
            ProgramEnd end;
            end.exited = c.exited;
            end.status = c.status;
            end.output = c.output;
            ASSERT_TRUE(platform.FinishProgram(end));
        }
        const auto messages = platform.CallsOf(PlatformCall::Kind::MessageBox);
        ASSERT_EQ(messages.size(), c.message.empty() ? 0u : 1u);
        if (!c.message.empty()) {
            EXPECT_EQ(messages[0].text, c.message);
        }
    }
}

TEST_F(HelpTest, OpensTheManualWhenTheWorkingDirectoryIsGone) {
    const std::filesystem::path gone = dir.Path() / "gone";
    std::filesystem::create_directory(gone);
    std::filesystem::current_path(gone);
    std::filesystem::remove(gone);
    EXPECT_EQ(HelpFilePath(), "");
    OpenHelp();
    ASSERT_EQ(Opens().size(), 1u);
    EXPECT_EQ(Opens()[0].text, ManualIndexPath());
}

TEST_F(HelpTest, FindsTheInstalledManualFirstThenTheSourceCopy) {
    const std::filesystem::path prefix = dir.Path() / "usr";
    const std::filesystem::path installed = prefix / "share/doc/marquetta/manual";
    const std::filesystem::path source = dir.Path() / "src/doc/manual";
    std::filesystem::create_directories(prefix / "bin");
    std::filesystem::create_directories(installed);
    std::filesystem::create_directories(source);
    const std::filesystem::path real = std::filesystem::canonical(dir.Path());
    EXPECT_EQ(FindManual(prefix / "bin", source), "");
    testing::WriteBytes((source / "index.html").string(), "source");
    EXPECT_EQ(FindManual(prefix / "bin", source), (real / "src/doc/manual/index.html").string());
    testing::WriteBytes((installed / "index.html").string(), "installed");
    EXPECT_EQ(FindManual(prefix / "bin", source),
              (real / "usr/share/doc/marquetta/manual/index.html").string());
    EXPECT_EQ(FindManual("", ""), "");
}

TEST(AboutTest, SaysTheVersionAndWhereTheManualIs) {
    const std::string text = AboutText();
    EXPECT_NE(text.find(std::string("バージョン ") + ProgramVersion()), std::string::npos);
    EXPECT_NE(text.find("マニュアル: " + ManualIndexPath()), std::string::npos);
    EXPECT_TRUE(std::regex_match(ProgramVersion(), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
}

}  // namespace
}  // namespace marquetta
