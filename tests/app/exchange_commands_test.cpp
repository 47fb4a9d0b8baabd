#include <gtest/gtest.h>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "edit/editing_state.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr const char* kLineDxf =
    "0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nwalls\n10\n1770\n20\n0\n30\n0\n11\n1870\n21\n0\n31\n0\n"
    "0\nENDSEC\n0\nEOF\n";

class ExchangeCommandsTest : public ::testing::Test {
protected:
    void SetUp() override { InitProgramDefaults(); }

    void AddLine() {
        EnsureLayer("0");
        app.Document().SetCurrentLayer("0");
        app.Document().m_current.m_nType = SHAPE_LINE;
        app.Document().m_current.m_pt[1] = {10, 0, 0};
        app.Document().AddCurrentShape();
        app.Document().m_current.m_nType = SHAPE_NONE;
    }
    std::vector<PlatformCall> Messages() const {
        return platform.CallsOf(PlatformCall::Kind::MessageBox);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    TempDir dir;
    AppController app;
};

TEST_F(ExchangeCommandsTest, DxfImportAsksToSaveThenReplacesTheDrawing) {
    AddLine();
    const std::string dxf = dir.File("site.dxf");
    WriteBytes(dxf, kLineDxf);

    platform.QueueFileName(dxf);
    platform.QueueAnswer(MessageAnswer::Cancel);
    app.Execute(ID_DXF_IMPORT);
    EXPECT_EQ(app.Document().m_shapes.size(), 1u);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "無題 への変更を保存しますか？");

    platform.QueueFileName(dxf);
    platform.QueueAnswer(MessageAnswer::No);
    app.Execute(ID_DXF_IMPORT);
    ASSERT_EQ(app.Document().m_shapes.size(), 1u);
    EXPECT_EQ(app.Document().m_shapes.front()->m_strLayer, "walls");
    // Re-centred by two grid pitches: the line from 1770 to 1870 now runs from -50 to 50,
    // and the status line says so.
    EXPECT_EQ(app.Document().m_shapes.front()->m_pt[0].x, -50.0f);
    EXPECT_EQ(platform.Prompt(), "DXF を読み込みました。図面を X -1820 mm、Y 0 mm 移動しました");
    EXPECT_EQ(app.WindowTitle(), "無題 - Marquetta");
    EXPECT_EQ(app.Document().GetPathName(), "");
    EXPECT_EQ(platform.Cursor(), CursorShape::Arrow);
    EXPECT_FALSE(platform.MouseCaptured());
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::CaptureMouse).size(), 1u);

    // The imported drawing counts as modified. Saving it needs a name: cancelling the
    // save dialog stops the import before anything is lost.
    platform.QueueFileName(dir.File("missing.dxf"));
    platform.QueueAnswer(MessageAnswer::Yes);
    app.Execute(ID_DXF_IMPORT);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::AskFileName).back().fileDialog.save, true);
    EXPECT_EQ(app.Document().m_shapes.size(), 1u);

    // A file that cannot be opened leaves the drawing.
    platform.QueueFileName(dir.File("missing.dxf"));
    platform.QueueAnswer(MessageAnswer::No);
    app.Execute(ID_DXF_IMPORT);
    EXPECT_EQ(app.Document().m_shapes.size(), 1u);
    EXPECT_EQ(Messages().back().text, dir.File("missing.dxf") + " が開けません");
    EXPECT_EQ(Messages().back().caption, "ワーニング");

    // After an import that left something out, the user is told what and how much.
    const std::string image = dir.File("image.dxf");
    WriteBytes(image, "0\nSECTION\n2\nENTITIES\n0\nIMAGE\n0\n3DSOLID\n0\nIMAGE\n0\nENDSEC\n");
    platform.QueueFileName(image);
    platform.QueueAnswer(MessageAnswer::No);
    app.Execute(ID_DXF_IMPORT);
    EXPECT_TRUE(app.Document().m_shapes.empty());
    EXPECT_EQ(Messages().back().text, "取り込めなかった図形: IMAGE 2, 3DSOLID 1");
    EXPECT_EQ(Messages().back().caption, "ＤＸＦ");
    EXPECT_EQ(Messages().back().icon, MessageIcon::Information);
    EXPECT_EQ(platform.Prompt(), "DXF を読み込みました。図面は移動していません");
}

TEST_F(ExchangeCommandsTest, DxfExportChecksTheExtensionAndReports) {
    AddLine();
    platform.QueueFileName(dir.File("plan.txt"));
    app.Execute(ID_DXF_EXPORT);
    EXPECT_EQ(Messages().back().text, "ファイル拡張子が不正です");
    EXPECT_FALSE(std::filesystem::exists(dir.File("plan.txt")));

    platform.QueueFileName(dir.File("plan.dxf"));
    app.Execute(ID_DXF_EXPORT);
    EXPECT_EQ(Messages().back().text, "DXFデータの書き込みが完了しました");
    EXPECT_EQ(Messages().back().caption, "ＤＸＦ");
    EXPECT_NE(ReadBytes(dir.File("plan.dxf")).find("LINE\r\n"), std::string::npos);
}

// The export's dialog offers the drawing's name with ".dxf".
TEST_F(ExchangeCommandsTest, DxfExportOffersTheDrawingsName) {
    const struct {
        const char* drawing;  // empty: untitled
        const char* offered;
    } cases[] = {{"", "無題.dxf"},
                 {"plan.trn", "plan.dxf"},
                 {"PLAN.TRN", "PLAN.dxf"},
                 {"site.v2", "site.v2.dxf"},
                 {"平面図.trn", "平面図.dxf"}};
    for (const auto& c : cases) {
        app.Document().SetPathName(*c.drawing ? dir.File(c.drawing) : "");
        app.Execute(ID_DXF_EXPORT);
        const auto dialogs = platform.CallsOf(PlatformCall::Kind::AskFileName);
        ASSERT_FALSE(dialogs.empty());
        EXPECT_EQ(dialogs.back().fileDialog.initialName, c.offered) << c.drawing;
    }
}

TEST_F(ExchangeCommandsTest, InsertAddsTheFilesShapesSelected) {
    AddLine();
    const std::string path = dir.File("part.trn");
    ASSERT_TRUE(SaveDrawingFile(app.Document(), path).ok());
    app.Document().m_shapes.front()->m_bSelected = 0;
    platform.QueueFileName(path);
    app.Execute(ID_INSERT_FILE);
    ASSERT_EQ(app.Document().m_shapes.size(), 2u);
    EXPECT_EQ(app.Document().m_shapes.back()->m_bSelected, 1);
    EXPECT_EQ(selectionExists, 1);
    EXPECT_EQ(g_displayListValid, 0);

    WriteBytes(dir.File("short.trn"), ReadBytes(path).substr(0, 140));
    platform.QueueFileName(dir.File("short.trn"));
    app.Execute(ID_INSERT_FILE);
    EXPECT_EQ(app.Document().m_shapes.size(), 2u);
    EXPECT_EQ(Messages().back().text, "予期しないﾌｧｲﾙ形式です。");

    // A drawing without shapes inserts nothing to select.
    CZorader_ezDoc empty;
    ASSERT_TRUE(SaveDrawingFile(empty, dir.File("empty.trn")).ok());
    platform.QueueFileName(dir.File("empty.trn"));
    app.Execute(ID_INSERT_FILE);
    EXPECT_EQ(app.Document().m_shapes.size(), 2u);
    EXPECT_EQ(selectionExists, 0);
}

}  // namespace
}  // namespace marquetta
