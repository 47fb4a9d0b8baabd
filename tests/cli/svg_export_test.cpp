#include "cli/svg_export.h"

#include <gtest/gtest.h>

#include "app/program_defaults.h"
#include "model/layers.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

class SvgExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitProgramDefaults();
        EnsureLayer("0");
    }
    void Add(int type, Float3 p0, Float3 p1) {
        doc.m_current.m_nType = type;
        doc.m_current.m_strLayer = "0";
        doc.m_current.m_pt[0] = p0;
        doc.m_current.m_pt[1] = p1;
        doc.AddCurrentShape();
    }
    CZorader_ezDoc doc;
};

TEST_F(SvgExportTest, PageInMillimetresWithThePrintedStrokes) {
    Add(SHAPE_LINE, {0, 0, 0}, {1000, 0, 0});
    Add(SHAPE_LINE, {-10500, 0, -14850}, {-10487, 0, -14000});
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"210mm\" height=\"297mm\" "
        "viewBox=\"0 0 210 297\">\n"
        "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        "<g fill=\"none\" stroke=\"black\" stroke-width=\"0.18\" stroke-linecap=\"round\" "
        "stroke-linejoin=\"round\">\n"
        "<path d=\"M105 148.5L115 148.5\"/>\n"
        "<path d=\"M0 0L0.1 8.5\"/>\n"
        "</g>\n</svg>\n";
    EXPECT_EQ(PrintedPageSvg(doc), expected);
}

TEST_F(SvgExportTest, FollowsTheSheetAndJoinsAPolylineIntoOnePath) {
    g_paperWidth = 420;
    g_paperHeight = 297;
    g_scaleDenominator = 50;
    Add(SHAPE_CIRCLE, {0, 0, 0}, {500, 0, 0});
    const std::string svg = PrintedPageSvg(doc);
    EXPECT_NE(svg.find("width=\"420mm\" height=\"297mm\" viewBox=\"0 0 420 297\""),
              std::string::npos);
    // One path: the start at 10 mm right of the centre, 36 lines, back to the start.
    const size_t path = svg.find("<path d=\"M220 148.5L");
    ASSERT_NE(path, std::string::npos) << svg;
    EXPECT_EQ(svg.find("<path", path + 1), std::string::npos);
    const std::string d = svg.substr(path, svg.find("\"/>", path) - path);
    EXPECT_EQ(std::count(d.begin(), d.end(), 'L'), 36);
    EXPECT_EQ(d.substr(d.rfind('L')), "L220 148.5");
}

}  // namespace
}  // namespace marquetta
