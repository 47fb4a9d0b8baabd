#include "view/printed_page.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/program_defaults.h"
#include "model/layers.h"
#include "test_shapes.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

struct PenCall {
    bool draw;  // LineTo, else MoveTo
    int x;
    int y;
    bool operator==(const PenCall&) const = default;
};

class RecordingPen : public PrintPen {
public:
    void MoveTo(int x, int y) override { calls.push_back({false, x, y}); }
    void LineTo(int x, int y) override { calls.push_back({true, x, y}); }
    std::vector<PenCall> calls;
};

class PrintedPageTest : public ::testing::Test {
protected:
    void SetUp() override { InitProgramDefaults(); }

    CShape& Add(int type, Float3 p0, Float3 p1, const std::string& layer = "0") {
        return testing::AddShape(doc, type, layer, {p0, p1});
    }

    std::vector<PenCall> Print() {
        RecordingPen pen;
        PrintDrawing(doc, pen);
        return pen.calls;
    }

    CZorader_ezDoc doc;
};

TEST_F(PrintedPageTest, OneMetreAtOneToHundredIsTenMillimetresFromTheCentre) {
    Add(SHAPE_LINE, {0, 0, 0}, {1000, 0, 0});
    // A4 portrait: the centre is 105 mm right of and 148.5 mm below the top-left corner.
    EXPECT_EQ(Print(), (std::vector<PenCall>{{false, 1050, -1485}, {true, 1150, -1485}}));
    EXPECT_EQ(g_printOffsetX, 10500.0);
    EXPECT_EQ(g_printOffsetY, -14850.0);
    EXPECT_EQ(g_printUnit, 10.0);
}

TEST_F(PrintedPageTest, TopOfTheSheetAndTruncationTowardZero) {
    Add(SHAPE_LINE, {-10500, 0, -14850}, {-10509, 500, 14859});
    const std::vector<PenCall> calls = Print();
    EXPECT_EQ(calls[0], (PenCall{false, 0, 0}));
    // -0.9 truncates to 0 and -2970.9 to -2970: toward zero, not down.
    EXPECT_EQ(calls[1], (PenCall{true, 0, -2970}));
    g_scaleDenominator = 50;
    doc.m_shapes.front()->m_pt[0] = {0, 0, -7425};
    EXPECT_EQ(Print()[0], (PenCall{false, 1050, 0}));
}

TEST_F(PrintedPageTest, FacesAndHiddenLayersAreLeftOutSelectionIsIgnored) {
    Add(SHAPE_FACE, {0, 0, 0}, {1000, 0, 0});
    Add(SHAPE_LINE, {0, 0, 0}, {1000, 0, 0}, "hidden");
    g_layerAttributes[FindLayer("hidden")][LAYER_VISIBLE] = 0.0;
    Add(SHAPE_LINE, {0, 0, 0}, {2000, 0, 0}).m_bSelected = 1;
    EXPECT_EQ(Print(), (std::vector<PenCall>{{false, 1050, -1485}, {true, 1250, -1485}}));
}

TEST_F(PrintedPageTest, CircleAndArcPaths) {
    Add(SHAPE_CIRCLE, {0, 0, 0}, {1000, 0, 0});
    std::vector<PenCall> calls = Print();
    ASSERT_EQ(calls.size(), 37u);
    EXPECT_EQ(calls.front(), (PenCall{false, 1150, -1485}));
    EXPECT_EQ(calls.back(), (PenCall{true, 1150, -1485}));
    // 90 degrees of a circle lies toward +z, down the page; with pi taken as 3.1415927
    // its cosine is a hair below 0, which truncates to the unit to the left.
    EXPECT_EQ(calls[9], (PenCall{true, 1049, -1585}));

    doc.DeleteAllShapes();
    Add(SHAPE_ARC, {0, 0, 0}, {1000, 0, 90});
    calls = Print();
    ASSERT_EQ(calls.size(), 11u);  // the start, 10..90, then the end
    EXPECT_EQ(calls.front(), (PenCall{false, 1150, -1485}));
    // 90 degrees of an arc lies toward -z, up the page.
    EXPECT_EQ(calls.back(), (PenCall{true, 1049, -1385}));
}

TEST_F(PrintedPageTest, TextPrintsThroughTheSameMapping) {
    CShape& text = Add(SHAPE_TEXT, {0, 0, 0}, {1000, 1000, 0});
    text.m_strText = "A";
    const std::vector<PenCall> calls = Print();
    ASSERT_FALSE(calls.empty());
    // The glyph stands on the baseline at the centre: right of it and above it.
    for (const PenCall& c : calls) {
        EXPECT_GE(c.x, 1050);
        EXPECT_LE(c.x, 1050 + 100);
        EXPECT_GE(c.y, -1485);
        EXPECT_LE(c.y, -1485 + 100);
    }
}

}  // namespace
}  // namespace marquetta
