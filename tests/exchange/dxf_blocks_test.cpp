// DXF import of what CAD programs write beyond plain entities: blocks placed by base
// point, scale, rotation, their own coordinate system and grids; colours by layer and
// by block; units; paper space; polylines; justified texts; the bound on expansion,
// blocks that refer to themselves and hostile values; re-centring on the grid.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "app/program_defaults.h"
#include "exchange/dxf_import.h"
#include "model/layers.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

// A file with a LAYER table of `layers` entries, the block definitions `blocks`
// ("0\nBLOCK\n..." to "0\nENDBLK\n" each), model space `entities` and a header.
std::string Drawing(const std::string& entities, const std::string& blocks = "",
                    const std::string& layers = "", const std::string& header = "") {
    return "0\nSECTION\n2\nHEADER\n" + header + "0\nENDSEC\n" +
           "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLAYER\n70\n1\n" + layers +
           "0\nENDTAB\n0\nENDSEC\n0\nSECTION\n2\nBLOCKS\n" + blocks +
           "0\nENDSEC\n0\nSECTION\n2\nENTITIES\n" + entities + "0\nENDSEC\n0\nEOF\n";
}

std::string Block(const std::string& name, const std::string& content,
                  const std::string& base = "10\n0\n20\n0\n30\n0\n") {
    return "0\nBLOCK\n8\n0\n2\n" + name + "\n70\n0\n" + base + content + "0\nENDBLK\n";
}

void ExpectNear(const Float3& p, float x, float y, float z) {
    EXPECT_NEAR(p.x, x, 1e-3);
    EXPECT_NEAR(p.y, y, 1e-3);
    EXPECT_NEAR(p.z, z, 1e-3);
}

class DxfBlocksTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    // Reads without re-centring, so coordinates come out as converted.
    DxfReadSummary Read(const std::string& text) {
        doc.DeleteAllShapes();
        g_layerCount = 0;
        DxfLineReader lines;
        lines.OpenText(text);
        return ReadDxfEntities(lines, doc);
    }

    const CShape& Shape(size_t index) {
        EXPECT_LT(index, doc.m_shapes.size());
        auto it = doc.m_shapes.begin();
        std::advance(it, std::min(index, doc.m_shapes.size() - 1));
        return **it;
    }

    CZorader_ezDoc doc;
};

TEST_F(DxfBlocksTest, BlocksArePlacedByBasePointScaleRotationAndGrid) {
    // A line from the base point 10 along x, and a quarter arc of radius 5 about it.
    const std::string blocks =
        Block("B", "0\nLINE\n10\n10\n20\n0\n11\n20\n21\n0\n"
                   "0\nARC\n10\n10\n20\n0\n40\n5\n50\n0\n51\n90\n",
              "10\n10\n20\n0\n30\n0\n");
    struct Case {
        const char* what;
        const char* insert;  // groups after "0\nINSERT\n2\nB\n10\n100\n20\n0\n"
        size_t shapes;
        Float3 end;        // of the first line, drawing coordinates
        Float3 arc;        // radius, start, end of the first copy's arc
    };
    const Case cases[] = {
        {"as defined", "", 2, {110, 0, 0}, {5, 0, 90}},
        {"turned", "50\n90\n", 2, {100, 0, -10}, {5, 90, 180}},
        {"mirrored in x", "41\n-1\n", 2, {90, 0, 0}, {5, 90, 180}},
        {"mirrored in y", "42\n-1\n", 2, {110, 0, 0}, {5, 270, 360}},
        {"scaled", "41\n2\n42\n2\n43\n2\n", 2, {120, 0, 0}, {10, 0, 90}},
        {"seen from below", "230\n-1\n", 2, {-110, 0, 0}, {5, 90, 180}},
        {"a grid of 3 x 2", "70\n3\n71\n2\n44\n50\n45\n30\n", 12, {110, 0, 0}, {5, 0, 90}},
        {"a grid turned", "50\n90\n70\n2\n44\n50\n", 4, {100, 0, -10}, {5, 90, 180}},
        {"copies on top of each other", "70\n1000\n71\n1000\n", 2, {110, 0, 0}, {5, 0, 90}},
        {"no rows at all", "70\n0\n71\n-5\n44\n10\n45\n10\n", 2, {110, 0, 0}, {5, 0, 90}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Read(Drawing(std::string("0\nINSERT\n2\nB\n10\n100\n20\n0\n") + c.insert, blocks));
        ASSERT_EQ(doc.m_shapes.size(), c.shapes);
        EXPECT_EQ(Shape(0).m_nType, SHAPE_LINE);
        ExpectNear(Shape(0).m_pt[1], c.end.x, c.end.y, c.end.z);
        EXPECT_EQ(Shape(1).m_nType, SHAPE_ARC);
        ExpectNear(Shape(1).m_pt[1], c.arc.x, c.arc.y, c.arc.z);
    }
    // The last copy of the grid: column 3, row 2.
    Read(Drawing("0\nINSERT\n2\nB\n10\n100\n20\n0\n70\n3\n71\n2\n44\n50\n45\n30\n", blocks));
    ExpectNear(Shape(10).m_pt[0], 200, 0, -30);
    // An uneven scale squeezes the arc into lines within the tolerance.
    Read(Drawing("0\nINSERT\n2\nB\n10\n100\n20\n0\n41\n2\n", blocks));
    ASSERT_GT(doc.m_shapes.size(), 3u);
    ExpectNear(Shape(1).m_pt[0], 110, 0, 0);
    ExpectNear(doc.m_shapes.back()->m_pt[1], 100, 0, -5);
}

TEST_F(DxfBlocksTest, ColoursComeFromLayersAndBlocks) {
    const std::string layers =
        "0\nLAYER\n2\nWALL\n70\n0\n62\n1\n"
        "0\nLAYER\n2\nFURN\n70\n0\n62\n8\n"
        "0\nLAYER\n2\nWOOD\n70\n0\n62\n3\n420\n13143040\n"  // true colour C88C00
        "0\nLAYER\n2\nOFF\n70\n0\n62\n-5\n"
        "0\nLAYER\n2\nFROZEN\n70\n1\n62\n5\n"
        "0\nLAYER\n2\nHUGE\n70\n0\n62\n-2147483648\n";  // off, no colour of the palette
    const std::string blocks =
        Block("CHAIR", "0\nLINE\n8\n0\n62\n0\n11\n5\n"  // by block, on the reference's layer
                       "0\nLINE\n8\n0\n11\n6\n"         // by layer: the reference's layer
                       "0\nLINE\n8\nWOOD\n62\n0\n11\n7\n")
        + Block("SET", "0\nINSERT\n8\n0\n2\nCHAIR\n62\n0\n");
    Read(Drawing(
        "0\nLINE\n8\nWALL\n11\n5\n"             // no colour: by layer
        "0\nLINE\n8\nFURN\n62\n256\n11\n5\n"    // by layer
        "0\nLINE\n8\nwall\n62\n2\n11\n5\n"      // its own colour, the plain yellow
        "0\nLINE\n8\nOFF\n11\n5\n0\nLINE\n8\nFROZEN\n11\n5\n0\nLINE\n8\nNEW\n11\n5\n"
        "0\nLINE\n8\nHUGE\n11\n5\n"
        "0\nINSERT\n8\nFURN\n2\nCHAIR\n62\n1\n"  // red
        "0\nINSERT\n8\nWALL\n2\nSET\n420\n255\n",  // blue through two blocks
        blocks, layers));
    struct Expected {
        const char* layer;
        float r, g, b;
    };
    const float grey = 128.0f / 255.0f;
    const Expected expected[] = {
        {"WALL", 1, 0, 0}, {"FURN", grey, grey, grey}, {"wall", 1, 1, 0},
        {"OFF", 0, 0, 1},  {"FROZEN", 0, 0, 1},        {"NEW", 1, 1, 1},
        {"HUGE", 1, 1, 1},
        {"FURN", 1, 0, 0}, {"FURN", grey, grey, grey}, {"WOOD", 1, 0, 0},
        {"WALL", 0, 0, 1}, {"WALL", 1, 0, 0},          {"WOOD", 0, 0, 1},
    };
    ASSERT_EQ(doc.m_shapes.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Shape(i).m_strLayer, expected[i].layer);
        EXPECT_NEAR(Shape(i).m_attr[0], expected[i].r, 1e-6);
        EXPECT_NEAR(Shape(i).m_attr[1], expected[i].g, 1e-6);
        EXPECT_NEAR(Shape(i).m_attr[2], expected[i].b, 1e-6);
    }
    // The layers take the file's colours and visibility; "wall" is found in any case.
    const std::array<double, 4> table[] = {
        {1, 0, 0, 1}, {grey, grey, grey, 1}, {1, 0, 0, 1}, {0, 0, 1, 0}, {0, 0, 1, 0}, {1, 1, 1, 1},
        {1, 1, 1, 0}, {200.0 / 255, 140.0 / 255, 0, 1},
    };
    ASSERT_EQ(g_layerCount, 8);
    for (int i = 0; i < 8; ++i) {
        SCOPED_TRACE(g_layerNames[i]);
        EXPECT_NEAR(g_layerAttributes[i][LAYER_RED], table[i][0], 1e-6);
        EXPECT_NEAR(g_layerAttributes[i][LAYER_GREEN], table[i][1], 1e-6);
        EXPECT_NEAR(g_layerAttributes[i][LAYER_BLUE], table[i][2], 1e-6);
        EXPECT_EQ(g_layerAttributes[i][LAYER_VISIBLE], table[i][3]);
    }
}

TEST_F(DxfBlocksTest, BlocksThatCannotBePlacedAreLeftOutAndCounted) {
    const std::string blocks =
        Block("SELF", "0\nLINE\n11\n5\n0\nINSERT\n2\nSELF\n")
        + Block("A", "0\nLINE\n11\n6\n0\nINSERT\n2\nB\n") + Block("B", "0\nINSERT\n2\nA\n")
        + "0\nBLOCK\n2\nXREF\n70\n4\n1\nother.dwg\n0\nENDBLK\n"
        + Block("*Paper_Space", "0\nLINE\n11\n7\n") + Block("ODD", "0\nIMAGE\n0\nIMAGE\n");
    const DxfImportResult result = [&] {
        CZorader_ezDoc imported;
        return ImportDxfBytes(imported, Drawing(
            "0\nINSERT\n2\nSELF\n0\nINSERT\n2\nA\n0\nINSERT\n2\nB\n0\nINSERT\n2\nXREF\n"
            "0\nINSERT\n2\nMISSING\n0\nINSERT\n2\n*Paper_Space\n0\nINSERT\n2\nodd\n"
            "0\nLINE\n67\n1\n11\n9\n", blocks), "in.dxf");
    }();
    ASSERT_TRUE(result.replaced) << result.message.text;
    // SELF's line once; A's line twice (from A, and from B through A).
    EXPECT_EQ(result.shapesMade, 3u);
    EXPECT_EQ(result.report,
              "取り込めなかった図形: IMAGE 2, 自分を参照するブロック 3, 定義のないブロック 2, "
              "外部参照 1");
}

TEST_F(DxfBlocksTest, BlocksThatWouldGrowPastTheBoundAreRefusedAndChangeNothing) {
    // Ten levels of 10 x 10 grids: 10^20 lines.
    std::string blocks = Block("L0", "0\nLINE\n11\n5\n");
    for (int level = 1; level <= 10; ++level) {
        blocks += Block("L" + std::to_string(level),
                        "0\nINSERT\n2\nL" + std::to_string(level - 1) +
                            "\n70\n10\n71\n10\n44\n10\n45\n10\n");
    }
    EnsureLayer("KEPT");
    doc.m_current.m_nType = SHAPE_LINE;
    doc.AddCurrentShape();
    // Within the estimate, but past the shapes it makes: 20 copies of 10 lines.
    std::string twenty;
    for (int i = 0; i < 20; ++i) {
        twenty += "0\nINSERT\n2\nL1\n";
    }
    // A few bytes of curves ask for many lines too: ellipses of a kilometre (thousands of
    // lines each) in model space, and a spline of many spans in a block never placed.
    std::string spline = "0\nSPLINE\n71\n1\n";
    for (int i = 0; i < 200; ++i) {
        spline += "10\n" + std::to_string(i) + "\n20\n" + std::to_string(i % 2) + "\n";
    }
    struct Case {
        std::string text;
        uint64_t bound;
        const char* why;
    };
    const Case cases[] = {
        {Drawing("0\nINSERT\n2\nL10\n", blocks), kDxfExpansionBound, "ブロックを展開すると"},
        {Drawing(twenty, Block("L1", "0\nINSERT\n2\nL0\n70\n10\n44\n10\n") +
                             Block("L0", "0\nLINE\n11\n5\n")),
         150, "ブロックを展開すると"},
        {Drawing("0\nELLIPSE\n11\n1e6\n40\n0.5\n0\nELLIPSE\n11\n1e6\n40\n0.5\n"), 2000,
         "曲線を直線に置き換えると"},
        {Drawing("", Block("S", spline)), 150, "曲線を直線に置き換えると"},
    };
    for (const Case& c : cases) {
        const DxfImportResult result = ImportDxfBytes(doc, c.text, "nested.dxf", {}, c.bound);
        EXPECT_FALSE(result.replaced);
        EXPECT_EQ(result.message.text, std::string("nested.dxf は、") + c.why + "図形が " +
                                           std::to_string(c.bound) + " 個を超えるため読み込めません");
        EXPECT_EQ(result.message.icon, MessageIcon::Exclamation);
        EXPECT_EQ(doc.m_shapes.size(), 1u);
        ASSERT_EQ(g_layerCount, 1);
        EXPECT_EQ(g_layerNames[0], "KEPT");
    }
    // The same file is read with room enough.
    EXPECT_TRUE(ImportDxfBytes(doc, cases[1].text, "nested.dxf", {}, 400).replaced);
    EXPECT_EQ(doc.m_shapes.size(), 200u);
}

TEST_F(DxfBlocksTest, HostileValuesNeverReachTheDrawing) {
    const std::string emptyGrid = "0\nINSERT\n2\nEMPTY\n70\n32767\n71\n32767\n44\n1\n45\n1\n";
    const std::string blocks = Block("B", "0\nCIRCLE\n40\n5\n0\nLINE\n11\n20\n") +
                               Block("EMPTY", "") + Block("HOLDS_EMPTY", emptyGrid);
    struct Case {
        const char* what;
        std::string entities;
        size_t shapes;
        const char* report = nullptr;  // what the user is told, where it matters
    };
    const Case cases[] = {
        {"bulges beyond reason", "0\nLWPOLYLINE\n70\n1\n10\n0\n20\n0\n42\n1e300\n10\n10\n20\n0\n"
                                 "42\n-1e-300\n10\n10\n20\n10\n42\nnan\n", 3},
        {"a scale past any float", "0\nINSERT\n2\nB\n41\n3e38\n42\n3e38\n", 0,
         "取り込めなかった図形: 範囲外の数値 2"},
        // Each entity left out is counted once, the squeezed circle too (not each of the
        // lines it would have become).
        {"an uneven scale past any float", "0\nINSERT\n2\nB\n41\n3e38\n", 0,
         "取り込めなかった図形: 範囲外の数値 2"},
        // A billion copies of nothing, at the top and inside a block: placed at once.
        {"a vast grid of an empty block", emptyGrid, 0},
        {"a vast grid of an empty block inside another", "0\nINSERT\n2\nHOLDS_EMPTY\n", 0},
        {"a scale of nothing", "0\nINSERT\n2\nB\n41\n0\n42\n0\n43\n0\n", 0},
        {"a grid of no rows and of columns below none",
         "0\nINSERT\n2\nB\n70\n-5\n71\n0\n44\n10\n45\n10\n", 2},
        // The second copy's line is too short to tell from its start there.
        {"a grid spaced past any float", "0\nINSERT\n2\nB\n70\n3\n44\n3e38\n", 3},
        {"an ellipse with no ratio", "0\nELLIPSE\n11\n10\n40\nnan\n", 0},
        {"an ellipse with endless parameters", "0\nELLIPSE\n11\n10\n40\n0.5\n41\n1e30\n", 0},
        {"a spline of degree 99", "0\nSPLINE\n71\n99\n10\n0\n10\n5\n10\n9\n", 0},
        {"a spline with knots falling and weights of zero",
         "0\nSPLINE\n71\n2\n40\n3\n40\n2\n40\n1\n40\n0\n40\n0\n40\n0\n41\n0\n41\n0\n41\n0\n"
         "10\n0\n20\n0\n10\n5\n20\n5\n10\n10\n20\n0\n", 16},
        {"a mesh larger than its vertices", "0\nPOLYLINE\n70\n16\n71\n1000000\n72\n1000000\n"
                                            "0\nVERTEX\n10\n1\n0\nVERTEX\n10\n2\n0\nSEQEND\n", 0},
        {"a polyface naming vertices it lacks", "0\nPOLYLINE\n70\n64\n0\nVERTEX\n70\n192\n"
                                                "0\nVERTEX\n70\n128\n71\n1\n72\n-99\n73\n2147483647\n"
                                                "0\nSEQEND\n", 0},
        {"a hatch counting more than it holds", "0\nHATCH\n91\n1e6\n92\n2\n93\n1e8\n10\n0\n20\n0\n"
                                                "10\n5\n20\n0\n10\n5\n20\n5\n", 3},
        {"a text as high as a float", "0\nTEXT\n72\n2\n11\n5\n40\n3e38\n41\n10\n1\nABC\n", 0},
        {"a multi-line text with no end of codes", "0\nMTEXT\n40\n5\n1\n\\S1/\\\\fArial|{\\H\n", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CZorader_ezDoc imported;
        const DxfImportResult result = ImportDxfBytes(imported, Drawing(c.entities, blocks), "in.dxf");
        ASSERT_TRUE(result.replaced) << result.message.text;
        EXPECT_EQ(imported.m_shapes.size(), c.shapes);
        if (c.report != nullptr) {
            EXPECT_EQ(result.report, c.report);
        }
        for (const auto& shape : imported.m_shapes) {
            for (const Float3* points : {shape->m_pt, shape->m_normal}) {
                for (int i = 0; i < 4; ++i) {
                    EXPECT_TRUE(std::isfinite(points[i].x) && std::isfinite(points[i].y) &&
                                std::isfinite(points[i].z));
                }
            }
        }
    }
}

// Plain lines, circles and arcs of model space go straight to shapes; inside a block
// they go through the block's primitives. Both ways must make the very same shapes.
TEST_F(DxfBlocksTest, ModelSpaceAndABlockPlacedAsDefinedMakeTheSameShapes) {
    const std::string entities =
        "0\nLINE\n8\nA\n62\n1\n10\n-3.5\n20\n2\n30\n1\n11\n40\n21\n-7\n31\n0\n"
        "0\nLINE\n8\nB\n10\n0\n20\n0\n11\n0.5\n21\n0.5\n"              // too short
        "0\nLINE\n8\nA\n39\n20\n10\n0\n20\n0\n11\n10\n21\n0\n"          // a wall
        "0\nCIRCLE\n8\nB\n62\n5\n10\n-0.0\n20\n12.25\n30\n3\n40\n4\n"
        "0\nARC\n8\nA\n10\n7\n20\n-1\n40\n2.5\n50\n300\n51\n30\n"        // across 0°
        "0\nARC\n8\nB\n10\n7\n20\n-1\n40\n2.5\n50\n10\n51\n80\n230\n-1\n"  // below
        "0\nCIRCLE\n8\nA\n62\n3\n10\n1e300\n20\n0\n40\n1\n";  // at x 0: no float holds it
    const std::string layers = "0\nLAYER\n2\nA\n70\n0\n62\n4\n0\nLAYER\n2\nB\n70\n0\n62\n6\n";
    // In inches the short line is long enough.
    for (const auto& [units, shapes] : {std::pair{"", 6u}, std::pair{"9\n$INSUNITS\n70\n1\n", 7u}}) {
        SCOPED_TRACE(shapes);
        Read(Drawing(entities, "", layers, units));
        std::vector<CShape> direct;
        for (const auto& shape : doc.m_shapes) {
            direct.push_back(*shape);
        }
        Read(Drawing("0\nINSERT\n8\nA\n2\nK\n10\n0\n20\n0\n", Block("K", entities), layers,
                     units));
        ASSERT_EQ(doc.m_shapes.size(), direct.size());
        ASSERT_EQ(direct.size(), shapes);
        size_t i = 0;
        for (const auto& shape : doc.m_shapes) {
            SCOPED_TRACE(i);
            const CShape& expected = direct[i++];
            EXPECT_EQ(shape->m_nType, expected.m_nType);
            EXPECT_EQ(shape->m_strLayer, expected.m_strLayer);
            EXPECT_EQ(0, std::memcmp(shape->m_attr, expected.m_attr, sizeof expected.m_attr));
            // Bit for bit: a negative zero where the other has none shows too.
            const bool face = expected.m_nType == SHAPE_FACE;
            const size_t points = face ? 4 : 2;
            EXPECT_EQ(0, std::memcmp(shape->m_pt, expected.m_pt, points * sizeof(Float3)));
            EXPECT_EQ(0, std::memcmp(shape->m_normal, expected.m_normal,
                                     face ? sizeof expected.m_normal : 0));
        }
    }
}

TEST_F(DxfBlocksTest, UnitsScaleTheDrawingToMillimetres) {
    struct Case {
        const char* units;  // $INSUNITS, nullptr: none
        double scale;
        const char* name;
    };
    const Case cases[] = {
        {nullptr, 1, ""}, {"0", 1, ""},     {"4", 1, ""},         {"1", 25.4, "インチ"},
        {"2", 304.8, "フィート"}, {"5", 10, "cm"}, {"6", 1000, "m"}, {"7", 1e6, "km"}, {"99", 1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units ? c.units : "none");
        const std::string header = c.units ? std::string("9\n$INSUNITS\n70\n") + c.units + "\n" : "";
        CZorader_ezDoc imported;
        g_gridPitch = 0.5;  // fine enough to keep every point where it is
        const DxfImportResult result = ImportDxfBytes(
            imported,
            Drawing("0\nCIRCLE\n10\n2\n20\n0\n30\n1\n40\n3\n0\nTEXT\n10\n-2\n40\n0.5\n1\nT\n", "", "",
                    header),
            "in.dxf");
        ASSERT_EQ(imported.m_shapes.size(), 2u);
        const CShape& circle = *imported.m_shapes.front();
        const CShape& text = *imported.m_shapes.back();
        EXPECT_NEAR(circle.m_pt[0].x - text.m_pt[0].x, 4 * c.scale, 1e-6 * c.scale);
        EXPECT_NEAR(circle.m_pt[0].y, c.scale, 1e-6 * c.scale);
        EXPECT_NEAR(circle.m_pt[1].x, 3 * c.scale, 1e-6 * c.scale);
        EXPECT_NEAR(text.m_pt[1].x, 0.5 * c.scale, 1e-6 * c.scale);
        EXPECT_EQ(result.units, c.name);
        if (c.scale != 1) {
            EXPECT_NE(DxfImportStatusText(result).find("（単位 " + result.units + " を mm に換算）"),
                      std::string::npos);
        }
    }
}

TEST_F(DxfBlocksTest, PolylinesBecomeLinesArcsAndFaces) {
    struct Case {
        const char* what;
        const char* entities;
        std::vector<int> types;
    };
    const Case cases[] = {
        {"closed, with a bulge and a segment of no length",
         "0\nLWPOLYLINE\n70\n1\n10\n0\n20\n0\n10\n10\n20\n0\n42\n1\n10\n10\n20\n10\n10\n10\n20\n10\n",
         {1, 3, 1}},
        {"with a thickness: walls", "0\nLWPOLYLINE\n39\n2500\n10\n0\n20\n0\n10\n10\n20\n0\n42\n1\n"
                                    "10\n10\n20\n10\n", {4, 3}},
        {"2-D with a bulge", "0\nPOLYLINE\n66\n1\n10\n0\n20\n0\n30\n7\n0\nVERTEX\n10\n0\n20\n0\n42\n-1\n"
                             "0\nVERTEX\n10\n10\n20\n0\n0\nVERTEX\n10\n10\n20\n5\n0\nSEQEND\n", {3, 1}},
        {"3-D, closed", "0\nPOLYLINE\n70\n9\n0\nVERTEX\n10\n0\n20\n0\n30\n0\n0\nVERTEX\n10\n5\n30\n5\n"
                        "0\nVERTEX\n10\n5\n20\n5\n30\n5\n0\nSEQEND\n", {1, 1, 1}},
        {"a polygon mesh of 2 x 3", "0\nPOLYLINE\n70\n16\n71\n2\n72\n3\n"
                                    "0\nVERTEX\n10\n0\n0\nVERTEX\n10\n1\n0\nVERTEX\n10\n2\n"
                                    "0\nVERTEX\n20\n1\n0\nVERTEX\n10\n1\n20\n1\n0\nVERTEX\n10\n2\n20\n1\n"
                                    "0\nSEQEND\n", {4, 4}},
        {"a polyface of a triangle and a quad",
         "0\nPOLYLINE\n70\n64\n0\nVERTEX\n70\n192\n0\nVERTEX\n70\n192\n10\n5\n0\nVERTEX\n70\n192\n"
         "10\n5\n20\n5\n0\nVERTEX\n70\n192\n20\n5\n0\nVERTEX\n70\n128\n71\n1\n72\n2\n73\n3\n"
         "0\nVERTEX\n70\n128\n71\n1\n72\n-2\n73\n3\n74\n4\n0\nSEQEND\n", {4, 4}},
        {"ended by the next entity, without SEQEND",
         "0\nPOLYLINE\n0\nVERTEX\n10\n0\n0\nVERTEX\n10\n5\n0\nCIRCLE\n40\n1\n", {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Read(Drawing(c.entities));
        std::vector<int> types;
        for (const auto& shape : doc.m_shapes) {
            types.push_back(shape->m_nType);
        }
        EXPECT_EQ(types, c.types);
    }
    // The bulge of 1 is a half circle to the right of the way from (10,0) to (10,10).
    Read(Drawing(cases[0].entities));
    ExpectNear(Shape(1).m_pt[0], 10, 0, -5);
    ExpectNear(Shape(1).m_pt[1], 5, 270, 450);
    Read(Drawing(cases[2].entities));
    ExpectNear(Shape(0).m_pt[0], 5, 7, 0);  // at the polyline's elevation
    ExpectNear(Shape(0).m_pt[1], 5, 0, 180);
}

TEST_F(DxfBlocksTest, JustifiedTextsStandByTheirAlignmentPoint) {
    // "ABCD" is two widths long in the stroke font: 20 for a height of 10.
    struct Case {
        const char* groups;
        Float3 point;   // where the text starts, drawing coordinates
        Float3 size;    // height, width, angle
    };
    const Case cases[] = {
        {"72\n1\n", {90, 0, 0}, {10, 10, 0}},
        {"72\n2\n", {80, 0, 0}, {10, 10, 0}},
        {"72\n4\n", {90, 0, 5}, {10, 10, 0}},
        {"73\n3\n", {100, 0, 10}, {10, 10, 0}},
        {"72\n2\n73\n2\n50\n90\n", {105, 0, 20}, {10, 10, 90}},
        {"72\n3\n10\n0\n20\n0\n", {0, 0, 0}, {50, 50, 0}},   // aligned from (0,0) to (100,0)
        {"72\n5\n10\n0\n20\n-100\n", {0, 0, 100}, {10, 70.710678f, 45}},  // fit
        {"72\n1\n31\n4\n", {90, 4, 0}, {10, 10, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.groups);
        Read(Drawing(std::string("0\nTEXT\n40\n10\n1\nABCD\n11\n100\n21\n0\n") + c.groups));
        ASSERT_EQ(doc.m_shapes.size(), 1u);
        ExpectNear(Shape(0).m_pt[0], c.point.x, c.point.y, c.point.z);
        ExpectNear(Shape(0).m_pt[1], c.size.x, c.size.y, c.size.z);
    }
    // An MTEXT: one text per line, 1.2 heights apart, placed by its attachment point.
    Read(Drawing("0\nMTEXT\n10\n100\n20\n0\n40\n10\n71\n5\n1\nABCD\\PAB\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    ExpectNear(Shape(0).m_pt[0], 90, 0, -1);
    ExpectNear(Shape(1).m_pt[0], 95, 0, 11);
}

TEST_F(DxfBlocksTest, PaperSpaceIsNotDrawn) {
    Read(Drawing("0\nLINE\n67\n1\n11\n5\n0\nPOLYLINE\n67\n1\n0\nVERTEX\n10\n0\n0\nVERTEX\n10\n5\n"
                 "0\nSEQEND\n0\nINSERT\n67\n1\n2\nB\n0\nLINE\n11\n7\n",
                 Block("B", "0\nLINE\n11\n5\n")));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_pt[1].x, 7.0f);
}

TEST_F(DxfBlocksTest, RecentringKeepsAPlanFarAwayOnItsGridAndPrecise) {
    // 10 km off the origin, where a float keeps whole millimetres only: the line's half
    // millimetres survive, and its ends stay on the grid's multiples of 910.
    const double x0 = 910.0 * 10989, y0 = 910.0 * 21978;
    char text[256];
    std::snprintf(text, sizeof text,
                  "0\nLINE\n10\n%.1f\n20\n%.2f\n11\n%.1f\n21\n%.2f\n0\nLINE\n10\n%.1f\n20\n%.1f\n"
                  "11\n%.1f\n21\n%.1f\n",
                  x0 + 0.5, y0 + 0.25, x0 + 100.5, y0 + 0.25, x0, y0, x0 + 900, y0 + 1820);
    const DxfImportResult result = ImportDxfBytes(doc, Drawing(text), "far.dxf");
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(result.movedX, -x0);
    EXPECT_EQ(result.movedY, -(y0 + 910));
    EXPECT_EQ(Shape(0).m_pt[0], (Float3{0.5f, 0, 909.75f}));
    EXPECT_EQ(Shape(0).m_pt[1], (Float3{100.5f, 0, 909.75f}));
    EXPECT_EQ(Shape(1).m_pt[0], (Float3{0, 0, 910}));
    EXPECT_EQ(Shape(1).m_pt[1], (Float3{900, 0, -910}));
    EXPECT_EQ(DxfImportStatusText(result), "DXF を読み込みました。図面を X -9999990 mm、Y -20000890 mm 移動しました");
}

}  // namespace
}  // namespace marquetta
