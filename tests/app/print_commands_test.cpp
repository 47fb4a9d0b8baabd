#include "app/print_commands.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "app/app_controller.h"
#include "app/program_defaults.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

class PrintCommandsTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    void AddLine(Float3 from, Float3 to, const std::string& layer = "0") {
        CZorader_ezDoc& doc = app->Document();
        EnsureLayer(layer);
        doc.m_current = CShape{};
        doc.m_current.m_nType = SHAPE_LINE;
        doc.m_current.m_strLayer = layer;
        doc.m_current.m_pt[0] = from;
        doc.m_current.m_pt[1] = to;
        doc.AddCurrentShape();
    }
    std::vector<PlatformCall> Calls(PlatformCall::Kind kind) const {
        return platform.CallsOf(kind);
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    std::unique_ptr<AppController> app = std::make_unique<AppController>();
};

// The 1 m line at 1:100 on A4 portrait: 10 mm from the centre of the printable area.
const std::vector<PenStep> kTenMillimetreLine = {{false, 1050, -1485}, {true, 1150, -1485}};

TEST_F(PrintCommandsTest, AllFourCommandsAreAvailable) {
    for (int id :
         {ID_FILE_PRINT, ID_FILE_PRINT_DIRECT, ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_SETUP}) {
        EXPECT_TRUE(app->Query(id).enabled) << id;
    }
}

TEST_F(PrintCommandsTest, PrintAsksFirstAndDrawsThePrintedPage) {
    AddLine({0, 0, 0}, {1000, 0, 0});
    ASSERT_TRUE(app->Execute(ID_FILE_PRINT));
    const std::vector<PlatformCall> jobs = Calls(PlatformCall::Kind::PrintPage);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_TRUE(jobs[0].askFirst);
    EXPECT_EQ(platform.PrintedPage(), kTenMillimetreLine);
    EXPECT_TRUE(Calls(PlatformCall::Kind::MessageBox).empty());
}

TEST_F(PrintCommandsTest, DirectPrintDoesNotAsk) {
    AddLine({0, 0, 0}, {1000, 0, 0});
    ASSERT_TRUE(app->Execute(ID_FILE_PRINT_DIRECT));
    const std::vector<PlatformCall> jobs = Calls(PlatformCall::Kind::PrintPage);
    ASSERT_EQ(jobs.size(), 1u);
    EXPECT_FALSE(jobs[0].askFirst);
    EXPECT_EQ(platform.PrintedPage(), kTenMillimetreLine);
}

TEST_F(PrintCommandsTest, PagePrintsTheVisibleDrawingOnly) {
    AddLine({0, 0, 0}, {1000, 0, 0});
    AddLine({0, 0, 0}, {0, 0, -1000}, "hidden");
    g_layerAttributes[FindLayer("hidden")][LAYER_VISIBLE] = 0.0;
    CZorader_ezDoc& doc = app->Document();
    doc.m_current = CShape{};
    doc.m_current.m_nType = SHAPE_FACE;
    doc.m_current.m_strLayer = "0";
    doc.m_current.m_pt[1] = {1000, 0, 1000};
    doc.AddCurrentShape();
    app->Execute(ID_FILE_PRINT);
    EXPECT_EQ(platform.PrintedPage(), kTenMillimetreLine);
}

TEST_F(PrintCommandsTest, CancelledJobIsSilentFailedJobIsReported) {
    AddLine({0, 0, 0}, {1000, 0, 0});
    platform.QueuePrintResult(PrintResult::Cancelled);
    app->Execute(ID_FILE_PRINT);
    EXPECT_TRUE(platform.PrintedPage().empty());
    EXPECT_TRUE(Calls(PlatformCall::Kind::MessageBox).empty());

    platform.QueuePrintResult(PrintResult::Failed);
    app->Execute(ID_FILE_PRINT_DIRECT);
    const std::vector<PlatformCall> messages = Calls(PlatformCall::Kind::MessageBox);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "印刷を開始できませんでした。");
    EXPECT_EQ(messages[0].caption, "Marquetta");
    EXPECT_EQ(messages[0].icon, MessageIcon::Exclamation);
    EXPECT_EQ(messages[0].buttons, MessageButtons::Ok);
}

TEST_F(PrintCommandsTest, SetUpMeasuresThePaperAgainWhateverWasChosen) {
    g_paperPending = 0;
    ASSERT_TRUE(app->Execute(ID_FILE_PRINT_SETUP));  // cancelled: nothing queued
    EXPECT_EQ(Calls(PlatformCall::Kind::PrinterSetup).size(), 1u);
    EXPECT_EQ(g_paperPending, 1);
    EXPECT_EQ(Calls(PlatformCall::Kind::InvalidateView).size(), 1u);
    EXPECT_EQ(g_paperWidth, 210.0);

    g_paperPending = 0;
    platform.ClearCalls();
    platform.QueuePrinterSetup(PrinterPaper{2970.0, 2100.0, 254.0, 254.0});
    app->Execute(ID_FILE_PRINT_SETUP);
    EXPECT_EQ(g_paperPending, 1);
    ASSERT_EQ(platform.Calls().size(), 2u);
    // The repaint is asked for after the set-up, so that it measures the new paper.
    EXPECT_EQ(platform.Calls()[0].kind, PlatformCall::Kind::PrinterSetup);
    EXPECT_EQ(platform.Calls()[1].kind, PlatformCall::Kind::InvalidateView);
}

TEST_F(PrintCommandsTest, LandscapePaperFromSetUpMovesTheNextPrint) {
    AddLine({0, 0, 0}, {1000, 0, 0});
    platform.QueuePrinterSetup(PrinterPaper{2970.0, 2100.0, 254.0, 254.0});
    app->Execute(ID_FILE_PRINT_SETUP);
    MeasurePaper();  // what the repaint does
    EXPECT_DOUBLE_EQ(g_paperWidth, 297.0);
    EXPECT_DOUBLE_EQ(g_paperHeight, 210.0);
    app->Execute(ID_FILE_PRINT_DIRECT);
    EXPECT_EQ(platform.PrintedPage(),
              (std::vector<PenStep>{{false, 1485, -1050}, {true, 1585, -1050}}));
}

TEST_F(PrintCommandsTest, PreviewDrawsThePageAndKeepsThePageCount) {
    AddLine({0, 0, 0}, {1000, 0, 0});
    ASSERT_TRUE(app->Execute(ID_FILE_PRINT_PREVIEW));
    std::vector<PlatformCall> previews = Calls(PlatformCall::Kind::PreviewPage);
    ASSERT_EQ(previews.size(), 1u);
    EXPECT_EQ(previews[0].previewPages, 1);
    EXPECT_EQ(platform.PrintedPage(), kTenMillimetreLine);
    EXPECT_TRUE(Calls(PlatformCall::Kind::PrintPage).empty());
    EXPECT_EQ(platform.ReadSetting("Settings", "PreviewPages"), "1");

    platform.SetPreviewAnswer(2);
    app->Execute(ID_FILE_PRINT_PREVIEW);
    EXPECT_EQ(platform.ReadSetting("Settings", "PreviewPages"), "2");
    platform.SetPreviewAnswer(std::nullopt);
    app->Execute(ID_FILE_PRINT_PREVIEW);
    previews = Calls(PlatformCall::Kind::PreviewPage);
    ASSERT_EQ(previews.size(), 3u);
    EXPECT_EQ(previews[2].previewPages, 2);
    EXPECT_EQ(platform.ReadSetting("Settings", "PreviewPages"), "2");
}

TEST_F(PrintCommandsTest, StoredPreviewPagesHeldToOneOrTwo) {
    const auto stored = [this](const char* text) {
        platform.WriteSetting("Settings", "PreviewPages", text);
        return StoredPreviewPages();
    };
    EXPECT_EQ(StoredPreviewPages(), 1);  // never written
    EXPECT_EQ(stored("1"), 1);
    EXPECT_EQ(stored("2"), 2);
    EXPECT_EQ(stored("7"), 2);
    EXPECT_EQ(stored("0"), 1);
    EXPECT_EQ(stored("-2"), 1);
    EXPECT_EQ(stored("two"), 1);
}

}  // namespace
}  // namespace marquetta
