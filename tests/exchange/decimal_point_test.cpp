// The desktop runs in the user's locale, where "%f" may write a decimal comma. The
// files written and the numbers typed into dialogs keep the point.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "app/program_defaults.h"
#include "exchange/dxf_writer.h"
#include "exchange/pov_scene.h"
#include "test_files.h"
#include "test_shapes.h"
#include "ui/text_dialog.h"
#include "view/camera.h"

namespace marquetta {
namespace {

// The setup script makes this locale; its decimal separator is a comma.
constexpr const char* kCommaLocale = "de_DE.UTF-8";

class DecimalPointTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        ComputePaintTransforms(640, 480);
        ASSERT_NE(std::setlocale(LC_ALL, kCommaLocale), nullptr)
            << kCommaLocale << " is missing: run scripts/setup.sh";
        char text[16];
        std::snprintf(text, sizeof text, "%.1f", 1.5);
        ASSERT_STREQ(text, "1,5");  // the locale really writes a comma
    }
    void TearDown() override { std::setlocale(LC_ALL, "C"); }

    CZorader_ezDoc doc;
    testing::TempDir dir;
};

TEST_F(DecimalPointTest, FilesAndDialogNumbersKeepThePoint) {
    CShape& line = testing::AddShape(doc, SHAPE_LINE, "0", {{1.5F, 0.0F, 2.25F}, {3.0F, 0.0F, 4.0F}});
    const std::string dxf = DxfText({&line});
    EXPECT_NE(dxf.find("\r\n1.500000\r\n"), std::string::npos) << dxf;
    EXPECT_EQ(dxf.find(','), std::string::npos);

    ASSERT_TRUE(WriteDxfFile(doc, dir.File("a.dxf")).ok());
    EXPECT_EQ(testing::ReadBytes(dir.File("a.dxf")).find(','), std::string::npos);

    ASSERT_TRUE(WritePovScene(doc, dir.File("TEMP.pov")).ok());
    const std::string scene = testing::ReadBytes(dir.File("TEMP.pov"));
    EXPECT_NE(scene.find("angle 39.320121"), std::string::npos);

    EXPECT_EQ(FormatDialogDouble(2.5), "2.5");
    EXPECT_EQ(ReadDialogDouble("2.5"), 2.5);
    // The locale is the user's again afterwards.
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", 1.5);
    EXPECT_STREQ(text, "1,5");
}

}  // namespace
}  // namespace marquetta
