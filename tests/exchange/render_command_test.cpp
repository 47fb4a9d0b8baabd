#include "exchange/render_command.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "app/program_defaults.h"
#include "platform/platform.h"
#include "test_files.h"
#include "test_shapes.h"
#include "view/camera.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::ScopedWorkingDirectory;
using testing::TempDir;
using testing::WriteBytes;

void WriteProgram(const std::string& path, mode_t mode) {
    WriteBytes(path, "#!/bin/sh\n");
    ::chmod(path.c_str(), mode);
}

class RenderCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        ComputePaintTransforms(320, 200);
        g_rendererPath = "/opt/pov/bin/povray";
    }
    std::string Folder() const { return std::filesystem::canonical(dir.Path()).string(); }
    std::vector<PlatformCall> Messages() const {
        return platform.CallsOf(PlatformCall::Kind::MessageBox);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    TempDir dir;
    ScopedWorkingDirectory in{dir.Path()};
    CZorader_ezDoc doc;
};

// The launch itself (arguments, folder) is checked by the desktop test with a
// stand-in renderer; here what follows its end, and the failures.
TEST_F(RenderCommandTest, TheEndOfTheRendererShowsThePictureOrTheError) {
    RenderDrawing(doc);
    WriteBytes(dir.File("TEMP.png"), "picture");  // as the renderer writes it
    ASSERT_TRUE(platform.FinishProgram({}));
    const auto pictures = platform.CallsOf(PlatformCall::Kind::ShowPicture);
    ASSERT_EQ(pictures.size(), 1u);
    EXPECT_EQ(pictures[0].text, Folder() + "/TEMP.png");
    EXPECT_TRUE(Messages().empty());

    RenderDrawing(doc);
    ASSERT_TRUE(platform.FinishProgram({true, 1, "File 'TEMP.pov' line 40:\nParse Error: x\n"}));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].caption, "ワーニング");
    EXPECT_EQ(Messages()[0].text, "POV-Ray がエラーで終了しました（終了コード 1）\n\n"
                                  "File 'TEMP.pov' line 40:\nParse Error: x");

    RenderDrawing(doc);
    WriteBytes(dir.File("TEMP.png"), "not a picture");
    platform.SetShowPictureResult(false);
    ASSERT_TRUE(platform.FinishProgram({}));
    EXPECT_EQ(Messages().back().text, Folder() + "/TEMP.png が開けません");
    EXPECT_FALSE(platform.FinishProgram({}));
}

// A renderer that ends well but writes no picture (a "povray.ini" that turns the file
// off) must not bring back the picture of an earlier render: that one is removed before
// the start, and one that cannot be removed stops the command.
TEST_F(RenderCommandTest, AnEarlierPictureIsNeverShownAsTheNewOne) {
    WriteBytes(dir.File("TEMP.png"), "earlier picture");
    RenderDrawing(doc);
    EXPECT_FALSE(std::filesystem::exists(dir.File("TEMP.png")));
    ASSERT_TRUE(platform.FinishProgram({true, 0, "Render Options\n  Output file: off\n"}));
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::ShowPicture).empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "POV-Ray は終了しましたが、画像 " + Folder() +
                                      "/TEMP.png を書き出していません\n\n"
                                      "Render Options\n  Output file: off");

    std::filesystem::create_directories(dir.File("TEMP.png/inside"));
    RenderDrawing(doc);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::StartProgram).size(), 1u);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1].text.rfind("以前の画像 " + Folder() +
                                           "/TEMP.png を削除できないため、レンダリングできません（",
                                       0),
              0u)
        << Messages()[1].text;
    EXPECT_FALSE(RenderRunning());
}

// One renderer at a time: while it runs a second render command neither rewrites the
// scene it reads nor starts another; after its end the next one starts.
TEST_F(RenderCommandTest, ASecondRenderWaitsForTheFirst) {
    EXPECT_FALSE(RenderRunning());
    RenderDrawing(doc);
    EXPECT_TRUE(RenderRunning());
    WriteBytes(dir.File("TEMP.pov"), "the scene being read");
    RenderDrawing(doc);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::StartProgram).size(), 1u);
    EXPECT_EQ(ReadBytes(dir.File("TEMP.pov")), "the scene being read");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              "POV-Ray がレンダリング中です。終わってからもう一度レンダリングしてください。");

    ASSERT_TRUE(platform.FinishProgram({true, 1, ""}));
    EXPECT_FALSE(RenderRunning());
    RenderDrawing(doc);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::StartProgram).size(), 2u);
    EXPECT_TRUE(RenderRunning());
}

TEST_F(RenderCommandTest, FailuresAreToldAndStopTheCommandWhereTheyMust) {
    // No renderer: the scene is still written, and the user learns why nothing starts.
    g_rendererPath.clear();
    RenderDrawing(doc);
    EXPECT_FALSE(ReadBytes(dir.File("TEMP.pov")).empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NE(Messages()[0].text.find(Folder() + "/TEMP.pov"), std::string::npos);
    EXPECT_NE(Messages()[0].text.find("povray"), std::string::npos);

    g_rendererPath = "/opt/pov/bin/povray";
    platform.SetStartProgramResult(false);
    RenderDrawing(doc);
    EXPECT_EQ(Messages().back().text, "/opt/pov/bin/povray を起動できません");
    EXPECT_FALSE(RenderRunning());

    // A scene that cannot be written: no renderer starts on an old one.
    platform.SetStartProgramResult(true);
    std::filesystem::remove(dir.File("TEMP.pov"));
    std::filesystem::create_directory(dir.File("TEMP.pov"));
    RenderDrawing(doc);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::StartProgram).size(), 1u);  // the refused one
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_EQ(Messages()[2].text, dir.File("TEMP.pov") + " が開けません");
    EXPECT_EQ(Messages()[2].caption, "ワーニング");
}

// The scene is the program's own scratch file: a link named TEMP.pov, symbolic or hard,
// is replaced by the scene, and the file it points to is never written (nor created).
TEST_F(RenderCommandTest, SceneReplacesALinkOfItsNameNeverItsTarget) {
    g_rendererPath.clear();
    const std::string victim = dir.File("someone's.txt");
    const struct {
        const char* what;
        std::function<void()> link;
        bool victimThere;
    } cases[] = {
        {"a symbolic link to a file", [&] { std::filesystem::create_symlink(victim, "TEMP.pov"); },
         true},
        {"a relative symbolic link to no file yet",
         [&] { std::filesystem::create_symlink("someone's.txt", "TEMP.pov"); }, false},
        {"a hard link", [&] { std::filesystem::create_hard_link(victim, "TEMP.pov"); }, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(dir.File("TEMP.pov"));
        std::filesystem::remove(victim);
        if (c.victimThere) {
            WriteBytes(victim, "kept");
        }
        c.link();
        RenderDrawing(doc);
        EXPECT_FALSE(std::filesystem::is_symlink(dir.File("TEMP.pov")));
        EXPECT_NE(ReadBytes(dir.File("TEMP.pov")).find("camera"), std::string::npos);
        EXPECT_EQ(std::filesystem::exists(victim), c.victimThere);
        if (c.victimThere) {
            EXPECT_EQ(ReadBytes(victim), "kept");
        }
    }
}

TEST_F(RenderCommandTest, RendererIsTheFirstExecutableOnThePath) {
    for (const char* folder : {"a", "b", "c"}) {
        std::filesystem::create_directory(dir.File(folder));
    }
    std::filesystem::create_directory(dir.File("a/povray"));  // a folder
    WriteProgram(dir.File("b/povray"), 0644);                 // not executable
    WriteProgram(dir.File("c/povray"), 0755);
    WriteProgram(dir.File("povray"), 0755);
    const std::string a = dir.File("a"), b = dir.File("b");
    EXPECT_EQ(FindProgramOnPath(a + ":" + b + ":c", "povray"), Folder() + "/c/povray");
    // An empty entry is the current folder.
    EXPECT_EQ(FindProgramOnPath(a + "::c", "povray"), Folder() + "/povray");
    EXPECT_EQ(FindProgramOnPath(a + ":" + b, "povray"), "");
}

TEST(LastLinesTest, LastLinesWithText) {
    struct Case {
        const char* output;
        size_t count;
        const char* lines;
    };
    const Case cases[] = {
        {"", 3, ""},
        {"one\ntwo\nthree\nfour\n", 2, "three\nfour"},
        {"one\r\n\r\n \t \ntwo", 5, "one\ntwo"},
        {"50%\r60%\r70%\rdone", 2, "70%\ndone"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LastLines(c.output, c.count), c.lines) << c.output;
    }
}

}  // namespace
}  // namespace marquetta
