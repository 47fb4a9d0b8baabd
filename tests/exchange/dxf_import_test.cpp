// DXF import: the section switch, the entity machine, every entity kind, colours,
// layers, re-centring and the command's effect on the document.
#include "exchange/dxf_import.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <optional>

#include "app/program_defaults.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "model/render_settings.h"
#include "test_files.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

using testing::TempDir;
using testing::WriteBytes;

// A file whose ENTITIES section holds `body` (pairs written one per line with LF).
std::string Entities(const std::string& body) {
    return "0\nSECTION\n2\nENTITIES\n" + body + "0\nENDSEC\n0\nEOF\n";
}

std::string Crlf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

void ExpectPoint(const Float3& p, float x, float y, float z) {
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(p.z, z);
}

class DxfImportTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    // Reads without re-centring, so coordinates come out as converted.
    DxfReadSummary Read(const std::string& text) {
        DxfLineReader lines;
        lines.OpenText(text);
        return ReadDxfEntities(lines, doc);
    }

    // The whole import from a file.
    DxfImportResult Import(const std::string& text) {
        const std::string path = dir.File("in.dxf");
        WriteBytes(path, text);
        return ImportDxfFile(doc, path);
    }

    const CShape& Shape(size_t index) {
        EXPECT_LT(index, doc.m_shapes.size());
        auto it = doc.m_shapes.begin();
        std::advance(it, index);
        return **it;
    }

    TempDir dir;
    CZorader_ezDoc doc;
};

// ---- sections ----

TEST_F(DxfImportTest, BlocksMakeShapesOnlyWhereTheEntitiesSectionPlacesThem) {
    const std::string text =
        "0\nSECTION\n2\nHEADER\n9\n$EXTMIN\n10\n0\n0\nENDSEC\n"
        "0\nSECTION\n2\nBLOCKS\n0\nBLOCK\n8\nBLK\n2\nDOOR\n"
        "0\nLINE\n8\nINBLOCK\n10\n0\n20\n0\n30\n0\n11\n50\n21\n0\n31\n0\n0\nENDBLK\n"
        "0\nBLOCK\n2\nUNUSED\n0\nCIRCLE\n40\n5\n0\nENDBLK\n0\nENDSEC\n" +
        Entities("0\nINSERT\n8\nPLACED\n2\nDOOR\n10\n5\n20\n5\n30\n0\n");
    const DxfReadSummary summary = Read(text);
    EXPECT_TRUE(summary.entitiesSection);
    EXPECT_EQ(summary.shapesMade, 1u);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    ExpectPoint(Shape(0).m_pt[0], 5, 0, -5);
    ExpectPoint(Shape(0).m_pt[1], 55, 0, -5);
    EXPECT_EQ(Shape(0).m_strLayer, "INBLOCK");
    EXPECT_EQ(g_layerCount, 1);
}

TEST_F(DxfImportTest, WithoutEntitiesSectionNothingIsMade) {
    const DxfReadSummary summary =
        Read("0\nLINE\n10\n0\n20\n0\n11\n10\n21\n0\n0\nSECTION\n2\nentities\n0\nLINE\n11\n5\n");
    EXPECT_FALSE(summary.entitiesSection);
    EXPECT_TRUE(doc.m_shapes.empty());
}

TEST_F(DxfImportTest, TheEntitiesSectionEndsAtItsEndsec) {
    // ENDSEC ends the last entity and the section: a LINE in a later section is not
    // model space (blocks may follow, and they are no drawing of their own).
    Read(
        "0\nSECTION\n2\nENTITIES\n0\nLINE\n11\n5\n0\nENDSEC\n0\nSECTION\n2\nOBJECTS\n"
        "0\nDICTIONARY\n8\nNOTALAYER\n0\nLINE\n11\n7\n0\nENDSEC\n0\nEOF\n");
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_pt[1].x, 5.0f);
    EXPECT_EQ(Shape(0).m_strLayer, "0");
}

TEST_F(DxfImportTest, CodesThatAreNotNumbersNeverStopTheImport) {
    Read(Entities("0\nLINE\nxyz\n40\n11\n3\n\n\nx0\nLINE\n0\nCIRCLE\n10\n4\n40\nbad\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(0).m_nType, SHAPE_LINE);
    ExpectPoint(Shape(0).m_pt[1], 3, 0, 0);
    // A pair with a code that is not a number does not start an entity, even "LINE".
    EXPECT_EQ(Shape(1).m_nType, SHAPE_CIRCLE);
    EXPECT_EQ(Shape(1).m_pt[1].x, 0.0f);  // malformed radius reads as 0
}

TEST_F(DxfImportTest, AFileEndingInsideAnEntityStillFinishesIt) {
    Read("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\nA\n10\n0\n20\n0\n11\n2\n21\n0");
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    ExpectPoint(Shape(0).m_pt[1], 2, 0, 0);
    // A code line without its value ends the reading; that group is not applied.
    doc.DeleteAllShapes();
    Read("0\nSECTION\n2\nENTITIES\n0\nLINE\n11\n2\n21\n0\n11\n");
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    ExpectPoint(Shape(0).m_pt[1], 2, 0, 0);
}

// ---- LINE ----

TEST_F(DxfImportTest, LinesLongerThanOneUnitOnly) {
    Read(
        Entities("0\nLINE\n10\n0\n20\n0\n30\n0\n11\n1\n21\n0\n31\n0\n"
                 "0\nLINE\n10\n0\n20\n0\n30\n0\n11\n1.5\n21\n0\n31\n0\n"
                 "0\nLINE\n10\n0\n20\n0\n30\n0\n11\n0.6\n21\n0.8\n31\n0\n"
                 "0\nLINE\n10\n0\n20\n0\n30\n0\n11\n0\n21\n0\n31\n1.0000001\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    ExpectPoint(Shape(0).m_pt[1], 1.5f, 0, 0);
    ExpectPoint(Shape(1).m_pt[1], 0, 1.0000001f, 0);
}

TEST_F(DxfImportTest, PointsTurnFromZUpToYUp) {
    Read(Entities("0\nLINE\n10\n1\n20\n2\n30\n3\n11\n4\n21\n5\n31\n6\n"));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    const CShape& line = Shape(0);
    EXPECT_EQ(line.m_nType, SHAPE_LINE);
    EXPECT_EQ(line.m_bSelected, 0);
    ExpectPoint(line.m_pt[0], 1, 3, -2);
    ExpectPoint(line.m_pt[1], 4, 6, -5);
    EXPECT_EQ(line.m_strText, "");
    for (uint32_t r : line.m_reserved) {
        EXPECT_EQ(r, 0u);
    }
}

TEST_F(DxfImportTest, ThickLineBecomesAFaceWithItsFourCorners) {
    Read(Entities("0\nLINE\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n39\n5\n"));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    const CShape& face = Shape(0);
    EXPECT_EQ(face.m_nType, SHAPE_FACE);
    ExpectPoint(face.m_pt[0], 0, 0, 0);
    ExpectPoint(face.m_pt[1], 10, 0, 0);
    ExpectPoint(face.m_pt[2], 10, 5, 0);
    ExpectPoint(face.m_pt[3], 0, 5, 0);
    // (10,0,0) x (10,0,5) = (0,-50,0) in DXF: the drawing's +z.
    for (const Float3& n : face.m_normal) {
        ExpectPoint(n, 0, 0, 1);
    }
}

TEST_F(DxfImportTest, ThickLineFollowsItsExtrusionDirection) {
    // Extrusion (0,-2,0): the wall rises towards DXF -y by thickness x 2 (not normalised).
    Read(
        Entities("0\nLINE\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n39\n3\n"
                 "210\n0\n220\n-2\n230\n0\n"
                 // All three extrusion groups 0: straight up.
                 "0\nLINE\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n39\n-4\n"
                 "210\n0\n220\n0\n230\n0\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    ExpectPoint(Shape(0).m_pt[2], 10, 0, 6);
    ExpectPoint(Shape(0).m_pt[3], 0, 0, 6);
    // (10,0,0) x (10,-6,0) = (0,0,-60) in DXF: facing down.
    ExpectPoint(Shape(0).m_normal[0], 0, -1, 0);
    ExpectPoint(Shape(0).m_normal[3], 0, -1, 0);
    ExpectPoint(Shape(1).m_pt[2], 10, -4, 0);
    ExpectPoint(Shape(1).m_pt[3], 0, -4, 0);
}

TEST_F(DxfImportTest, ThickLineAlongItsExtrusionGetsAZeroNormal) {
    Read(Entities("0\nLINE\n10\n0\n20\n0\n30\n0\n11\n0\n21\n0\n31\n10\n39\n2\n"));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    const CShape& face = Shape(0);
    EXPECT_EQ(face.m_nType, SHAPE_FACE);
    ExpectPoint(face.m_pt[2], 0, 12, 0);
    for (const Float3& n : face.m_normal) {
        EXPECT_EQ(n, (Float3{0, 0, 0}));  // not NaN
    }
}

// ---- CIRCLE, ARC, TEXT ----

TEST_F(DxfImportTest, CircleAndArcKeepRadiusAndAngles) {
    Read(
        Entities("0\nCIRCLE\n10\n1\n20\n2\n30\n3\n40\n25\n"
                 "0\nARC\n10\n1\n20\n2\n30\n0\n40\n7\n50\n350\n51\n10\n"
                 "0\nARC\n10\n0\n20\n0\n30\n0\n40\n7\n50\n10\n51\n350\n"
                 "0\nARC\n10\n0\n20\n0\n30\n0\n40\n7\n50\n90\n51\n90\n"));
    ASSERT_EQ(doc.m_shapes.size(), 4u);
    EXPECT_EQ(Shape(0).m_nType, SHAPE_CIRCLE);
    ExpectPoint(Shape(0).m_pt[0], 1, 3, -2);
    ExpectPoint(Shape(0).m_pt[1], 25, 0, 0);
    EXPECT_EQ(Shape(1).m_nType, SHAPE_ARC);
    ExpectPoint(Shape(1).m_pt[1], 7, 350, 370);
    ExpectPoint(Shape(2).m_pt[1], 7, 10, 350);
    ExpectPoint(Shape(3).m_pt[1], 7, 90, 90);  // equal angles are left alone
}

TEST_F(DxfImportTest, TextWidthIsTheFactorTimesTheHeight) {
    Read(
        Entities("0\nTEXT\n10\n5\n20\n6\n30\n0\n40\n300\n50\n30\n1\nPLAN\n"
                 "0\nTEXT\n10\n0\n20\n0\n30\n0\n40\n300\n41\n0.5\n1\nHALF\n"
                 // No group 41 after one that had it: the factor does not carry over.
                 "0\nTEXT\n40\n200\n"
                 "0\nTEXT\n40\n100\n41\n0\n"));
    ASSERT_EQ(doc.m_shapes.size(), 4u);
    EXPECT_EQ(Shape(0).m_nType, SHAPE_TEXT);
    ExpectPoint(Shape(0).m_pt[0], 5, 0, -6);
    ExpectPoint(Shape(0).m_pt[1], 300, 300, 30);
    EXPECT_EQ(Shape(0).m_strText, "PLAN");
    ExpectPoint(Shape(1).m_pt[1], 300, 150, 0);
    ExpectPoint(Shape(2).m_pt[1], 200, 200, 0);
    ExpectPoint(Shape(3).m_pt[1], 100, 100, 0);
    // The text string carries over to a TEXT without group 1.
    EXPECT_EQ(Shape(2).m_strText, "HALF");
}

TEST_F(DxfImportTest, TextWithoutJustificationStandsAtItsInsertionPoint) {
    // Groups 11/21/31 are its alignment point, which a left-aligned text on its
    // baseline does not use, whichever comes first.
    Read(
        Entities("0\nTEXT\n10\n1\n20\n2\n30\n3\n11\n7\n21\n8\n40\n1\n1\nA\n"
                 "0\nTEXT\n11\n7\n21\n8\n31\n9\n10\n1\n20\n2\n40\n1\n1\nB\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    ExpectPoint(Shape(0).m_pt[0], 1, 3, -2);
    ExpectPoint(Shape(1).m_pt[0], 1, 0, -2);
}

TEST_F(DxfImportTest, OnlyTextsKeepTheirString) {
    Read(Entities("0\nTEXT\n1\nWORD\n40\n1\n0\nCIRCLE\n1\nIGNORED\n40\n2\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(0).m_strText, "WORD");
    EXPECT_EQ(Shape(1).m_strText, "");
}

// ---- SOLID and 3DFACE ----

TEST_F(DxfImportTest, CrossedSolidBecomesAFaceWithoutATwist) {
    // DXF lists a square solid's corners as 1, 2, 3, 4 = (0,0), (10,0), (0,10), (10,10).
    Read(
        Entities("0\nSOLID\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n"
                 "12\n0\n22\n10\n32\n0\n13\n10\n23\n10\n33\n0\n"));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    const CShape& face = Shape(0);
    EXPECT_EQ(face.m_nType, SHAPE_FACE);
    ExpectPoint(face.m_pt[0], 0, 0, 0);
    ExpectPoint(face.m_pt[1], 10, 0, 0);
    ExpectPoint(face.m_pt[2], 10, 0, -10);
    ExpectPoint(face.m_pt[3], 0, 0, -10);
    for (const Float3& n : face.m_normal) {
        ExpectPoint(n, 0, 1, 0);  // facing up
    }
}

TEST_F(DxfImportTest, SolidIsTakenFromItsOwnCoordinateSystem) {
    // Extrusion (0,0,-1): the entity's x axis is the world's -x, its y axis the world's y.
    Read(
        Entities("0\nSOLID\n10\n5\n20\n1\n30\n2\n11\n15\n21\n1\n31\n2\n"
                 "12\n5\n22\n11\n32\n2\n13\n15\n23\n11\n33\n2\n210\n0\n220\n0\n230\n-1\n"
                 // Extrusion (1,0,0): A = (0,1,0), B = (0,0,1).
                 "0\nSOLID\n10\n0\n20\n0\n30\n4\n11\n10\n21\n0\n31\n4\n"
                 "12\n0\n22\n10\n32\n4\n13\n10\n23\n10\n33\n4\n210\n1\n220\n0\n230\n0\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    ExpectPoint(Shape(0).m_pt[0], -5, -2, -1);
    ExpectPoint(Shape(0).m_pt[1], -15, -2, -1);
    ExpectPoint(Shape(0).m_pt[2], -15, -2, -11);
    ExpectPoint(Shape(0).m_pt[3], -5, -2, -11);
    // DXF (x, y, z) -> (4, x, y); drawing (4, y, -x).
    ExpectPoint(Shape(1).m_pt[0], 4, 0, 0);
    ExpectPoint(Shape(1).m_pt[1], 4, 0, -10);
    ExpectPoint(Shape(1).m_pt[2], 4, 10, -10);
    ExpectPoint(Shape(1).m_pt[3], 4, 10, 0);
    ExpectPoint(Shape(1).m_normal[0], 1, 0, 0);
}

TEST_F(DxfImportTest, SolidWithoutAnAxisOrShortFirstEdgeIsDropped) {
    Read(
        Entities("0\nSOLID\n10\n0\n20\n0\n11\n10\n21\n0\n210\n0\n220\n0\n230\n0\n"
                 "0\nSOLID\n10\n0\n20\n0\n11\n1\n21\n0\n12\n0\n22\n5\n"));
    EXPECT_TRUE(doc.m_shapes.empty());
}

TEST_F(DxfImportTest, FaceKeepsItsCornerOrderAndCarriesCorners3And4) {
    Read(
        Entities("0\n3DFACE\n10\n0\n20\n0\n30\n0\n11\n10\n21\n0\n31\n0\n"
                 "12\n10\n22\n10\n32\n0\n13\n0\n23\n10\n33\n0\n"
                 // Only corners 1 and 2: 3 and 4 are those of the face before.
                 "0\n3DFACE\n10\n0\n20\n0\n30\n1\n11\n10\n21\n0\n31\n1\n"
                 // Too short a first edge.
                 "0\n3DFACE\n10\n0\n20\n0\n11\n1\n21\n0\n12\n5\n22\n5\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    const CShape& face = Shape(0);
    ExpectPoint(face.m_pt[0], 0, 0, 0);
    ExpectPoint(face.m_pt[1], 10, 0, 0);
    ExpectPoint(face.m_pt[2], 10, 0, -10);
    ExpectPoint(face.m_pt[3], 0, 0, -10);
    // (c1 - c2) x (c2 - c3) = (-10,0,0) x (0,-10,0) = (0,0,100): up.
    ExpectPoint(face.m_normal[3], 0, 1, 0);
    ExpectPoint(Shape(1).m_pt[0], 0, 1, 0);
    ExpectPoint(Shape(1).m_pt[2], 10, 0, -10);
    ExpectPoint(Shape(1).m_pt[3], 0, 0, -10);
}

TEST_F(DxfImportTest, DegenerateFaceKeepsAZeroNormal) {
    Read(Entities("0\n3DFACE\n10\n0\n20\n0\n11\n10\n21\n0\n12\n20\n22\n0\n13\n0\n23\n0\n"));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_normal[0], (Float3{0, 0, 0}));
}

TEST_F(DxfImportTest, PerEntityValuesAreReset) {
    // The second LINE has no end point and no colour: both start from zero.
    Read(
        Entities("0\nLINE\n62\n1\n10\n5\n20\n0\n11\n10\n21\n0\n39\n2\n"
                 "0\nLINE\n10\n5\n20\n0\n"));
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_EQ(Shape(1).m_nType, SHAPE_LINE);  // thickness reset too
    ExpectPoint(Shape(1).m_pt[1], 0, 0, 0);
    EXPECT_EQ(Shape(1).m_attr[0], 1.0f);
    EXPECT_EQ(Shape(1).m_attr[1], 1.0f);
}

TEST_F(DxfImportTest, KindsTheDrawingCannotHoldAreSkippedWithTheirGroupsAndCounted) {
    const DxfImportResult result = Import(
        Entities("0\nPOINT\n8\nP\n10\n1\n20\n1\n"
                 "0\nWIPEOUT\n8\nW\n10\n0\n20\n0\n0\nIMAGE\n8\nI\n0\nIMAGE\n"
                 // Dimensions' definition points, and paper space, are nothing left out.
                 "0\nPOINT\n8\nDefpoints\n0\nIMAGE\n67\n1\n0\nATTDEF\n1\nTAG\n"));
    EXPECT_TRUE(result.replaced);
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_EQ(g_layerCount, 0);
    EXPECT_EQ(result.report, "取り込めなかった図形: POINT 1, WIPEOUT 1, IMAGE 2");
    EXPECT_EQ(DxfImportReportMessage(result).caption, "ＤＸＦ");
    EXPECT_TRUE(Import(Entities("0\nLINE\n11\n5\n")).report.empty());
}

// ---- colours and layers ----

TEST_F(DxfImportTest, ColourNumbersBecomePlainColours) {
    struct Case {
        const char* colour;  // nullptr: no group 62
        float r, g, b;
    };
    const Case cases[] = {
        {nullptr, 1, 1, 1}, {"0", 1, 1, 1}, {"7", 1, 1, 1},   {"1", 1, 0, 0},
        {"2", 1, 1, 0},     {"3", 0, 1, 0}, {"4", 0, 1, 0},   {"5", 0, 0, 1},
        {"6", 1, 0, 1},     {"8", 0, 1, 1}, {"256", 1, 1, 1}, {"-1", 0, 1, 1},
    };
    std::string body;
    for (const Case& c : cases) {
        body += "0\nCIRCLE\n40\n1\n";
        if (c.colour != nullptr) {
            body += std::string("62\n") + c.colour + "\n";
        }
    }
    Read(Entities(body));
    ASSERT_EQ(doc.m_shapes.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].colour ? cases[i].colour : "none");
        EXPECT_EQ(Shape(i).m_attr[0], cases[i].r);
        EXPECT_EQ(Shape(i).m_attr[1], cases[i].g);
        EXPECT_EQ(Shape(i).m_attr[2], cases[i].b);
    }
}

TEST_F(DxfImportTest, LayerCarriesOverAndTheTableIsRebuiltInOrderOfFirstUse) {
    EnsureLayer("OLD");
    g_layerAttributes[0][LAYER_RED] = 0.25;
    g_layerTextures[1] = "T_Kept";
    const DxfImportResult result =
        Import(Entities("0\nCIRCLE\n40\n1\n"  // before any group 8: layer "0"
                        "0\nCIRCLE\n8\nWALL\n40\n1\n"
                        "0\nCIRCLE\n40\n1\n"      // carries WALL
                        "0\nWIPEOUT\n8\nBLOCKS\n"  // not read by WIPEOUT
                        "0\nCIRCLE\n40\n1\n"      // still WALL
                        "0\nCIRCLE\n8\nwall\n40\n1\n"
                        "0\nCIRCLE\n8\nWALL\n40\n1\n"));
    ASSERT_TRUE(result.replaced);
    ASSERT_EQ(doc.m_shapes.size(), 6u);
    const char* expected[] = {"0", "WALL", "WALL", "WALL", "wall", "WALL"};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(Shape(i).m_strLayer, expected[i]) << i;
    }
    ASSERT_EQ(g_layerCount, 3);
    EXPECT_EQ(g_layerNames[0], "0");
    EXPECT_EQ(g_layerNames[1], "WALL");
    EXPECT_EQ(g_layerNames[2], "wall");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(g_layerAttributes[i],
                  (std::array<double, LAYER_ATTRIBUTE_COUNT>{1, 1, 1, 0, 0, 1}));
    }
    EXPECT_EQ(g_layerTextures[1], "T_Kept");  // EnsureLayer leaves textures alone
}

TEST_F(DxfImportTest, AtMost99LayersComeIntoBeing) {
    std::string body;
    for (int i = 0; i < 101; ++i) {
        body += "0\nCIRCLE\n8\nL" + std::to_string(i) + "\n40\n1\n";
    }
    Read(Entities(body));
    EXPECT_EQ(doc.m_shapes.size(), 101u);
    EXPECT_EQ(g_layerCount, 99);
    EXPECT_EQ(g_layerNames[98], "L98");
    EXPECT_EQ(Shape(100).m_strLayer, "L100");
}

TEST_F(DxfImportTest, Utf8FilesHaveTheirNamesAndTextsConverted) {
    const std::string wall = "\xE5\xA3\x81";       // 壁 in UTF-8
    const std::string smile = "\xF0\x9F\x98\x80";  // not in CP932
    const std::string body = "0\nTEXT\n8\n" + wall + "\n40\n1\n1\n" + wall + smile + "\n";
    const std::string header = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1024\n0\nENDSEC\n";
    Read(header + Entities(body));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_strLayer, Utf8ToCp932(wall));
    EXPECT_EQ(Shape(0).m_strLayer, "\x95\xC7");
    EXPECT_EQ(Shape(0).m_strText, "\x95\xC7?");
    EXPECT_EQ(g_layerNames[0], "\x95\xC7");

    // Before release AC1021 the bytes are taken as they are.
    doc.DeleteAllShapes();
    g_layerCount = 0;
    Read(
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1018\n9\n$DWGCODEPAGE\n3\nANSI_932\n"
        "0\nENDSEC\n" +
        Entities(body));
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(Shape(0).m_strLayer, wall);
    // Without a release at all, too; a group 1 that does not follow $ACADVER is not one.
    doc.DeleteAllShapes();
    Read("0\nSECTION\n2\nHEADER\n9\n$MENU\n1\nAC1032\n0\nENDSEC\n" + Entities(body));
    EXPECT_EQ(Shape(0).m_strLayer, wall);
}

// ---- the command ----

TEST_F(DxfImportTest, RecentringMovesThePlanExtentsToTheOrigin) {
    // Extents X 100..300, Y -50..50: moved by 200 in x only, two grid pitches of 100.
    g_gridPitch = 100;
    const DxfImportResult result =
        Import(Entities("0\nCIRCLE\n10\n100\n20\n-50\n30\n7\n40\n5\n"
                        "0\nTEXT\n10\n300\n20\n50\n30\n0\n40\n5\n1\nT\n"));
    ASSERT_TRUE(result.message.empty()) << result.message.text;
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    ExpectPoint(Shape(0).m_pt[0], -100, 7, 50);
    ExpectPoint(Shape(1).m_pt[0], 100, 0, -50);
    ExpectPoint(Shape(0).m_pt[1], 5, 0, 0);  // parameters do not move
    EXPECT_EQ(result.movedX, -200.0);
    EXPECT_EQ(result.movedY, 0.0);
    EXPECT_EQ(DxfImportStatusText(result), "DXF を読み込みました。図面を X -200 mm、Y 0 mm 移動しました");
}

TEST_F(DxfImportTest, RecentringMovesEveryPointOfLinesAndFaces) {
    // Extents X 0..20, Y 10..30: centre (10, 20) -> x -= 10, z += 20 on a grid of 10.
    g_gridPitch = 10;
    Import(
        Entities("0\nLINE\n10\n0\n20\n10\n11\n20\n21\n30\n"
                 "0\n3DFACE\n10\n0\n20\n10\n11\n20\n21\n10\n12\n20\n22\n30\n13\n0\n23\n30\n"
                 "0\nARC\n10\n10\n20\n20\n40\n3\n50\n0\n51\n90\n"));
    ASSERT_EQ(doc.m_shapes.size(), 3u);
    ExpectPoint(Shape(0).m_pt[0], -10, 0, 10);
    ExpectPoint(Shape(0).m_pt[1], 10, 0, -10);
    ExpectPoint(Shape(1).m_pt[0], -10, 0, 10);
    ExpectPoint(Shape(1).m_pt[2], 10, 0, -10);
    ExpectPoint(Shape(1).m_pt[3], -10, 0, -10);
    ExpectPoint(Shape(2).m_pt[0], 0, 0, 0);
    ExpectPoint(Shape(2).m_pt[1], 3, 0, 90);
}

TEST_F(DxfImportTest, ImportReplacesTheDrawingAndFollowsTheModifiedFlagRules) {
    doc.m_current.m_nType = SHAPE_LINE;
    doc.AddCurrentShape();
    doc.SetPathName("/somewhere/plan.trn");
    g_displayListValid = 1;
    g_skyTexture = "S_Kept";
    size_t shapesWhenCancelled = 99;
    const std::string path = dir.File("plan.dxf");
    WriteBytes(path, Crlf(Entities("0\nLINE\n11\n5\n")));
    const DxfImportResult result =
        ImportDxfFile(doc, path, [&] { shapesWhenCancelled = doc.m_shapes.size(); });
    EXPECT_EQ(shapesWhenCancelled, 1u);  // the cancel command runs before the drawing goes
    EXPECT_TRUE(result.replaced);
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(result.shapesMade, 1u);
    ASSERT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "無題");
    EXPECT_EQ(doc.GetPathName(), "");  // untitled: the next save asks for a name
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_NONE);
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_EQ(g_skyTexture, "S_Kept");

    // A file that makes no shape leaves an empty, unmodified drawing.
    const DxfImportResult empty = Import(Entities("0\nPOINT\n10\n1\n"));
    EXPECT_TRUE(empty.replaced);
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(g_layerCount, 0);
}

TEST_F(DxfImportTest, FileThatCannotBeOpenedChangesNothing) {
    EnsureLayer("KEEP");
    doc.m_current.m_nType = SHAPE_LINE;
    doc.AddCurrentShape();
    doc.SetPathName("/somewhere/plan.trn");
    bool cancelled = false;
    for (const std::string& path : {dir.File("missing.dxf"), dir.Path().string()}) {
        const DxfImportResult result = ImportDxfFile(doc, path, [&] { cancelled = true; });
        EXPECT_FALSE(result.replaced);
        EXPECT_EQ(result.message.text, path + " が開けません");
        EXPECT_EQ(result.message.caption, "ワーニング");
        EXPECT_EQ(result.message.icon, MessageIcon::Exclamation);
    }
    EXPECT_FALSE(cancelled);
    EXPECT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(doc.GetPathName(), "/somewhere/plan.trn");
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(g_layerCount, 1);
}

TEST_F(DxfImportTest, FileThatFailsPartWayChangesNothing) {
    const std::string utf8Header = "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1032\n0\nENDSEC\n";
    const struct {
        const char* what;
        std::string text;
        bool withoutCp932;
        const char* message;
    } cases[] = {
        {"a line beyond the bound", Entities("0\nLINE\n11\n5\n") + std::string(3 << 20, '9'), false,
         "予期しないﾌｧｲﾙ形式です。"},
        {"no line end at all", std::string(3 << 20, '0'), false, "予期しないﾌｧｲﾙ形式です。"},
        {"UTF-8 text on a system without CP932",
         utf8Header + Entities("0\nLINE\n11\n5\n0\nTEXT\n8\n\xE5\xA3\x81\n"), true, "CP932"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        InitProgramDefaults();
        EnsureLayer("KEEP");
        doc.NewDrawing();
        doc.m_current.m_nType = SHAPE_LINE;
        doc.AddCurrentShape();
        doc.SetPathName("/somewhere/plan.trn");
        doc.SetModifiedFlag(false);
        std::optional<testing::WithoutCp932> minimalSystem;
        if (c.withoutCp932) {
            minimalSystem.emplace();
        }
        const DxfImportResult result = Import(c.text);
        EXPECT_FALSE(result.replaced);
        EXPECT_NE(result.message.text.find(c.message), std::string::npos) << result.message.text;
        EXPECT_EQ(result.message.icon, MessageIcon::Exclamation);
        EXPECT_EQ(doc.m_shapes.size(), 1u);
        EXPECT_EQ(doc.GetPathName(), "/somewhere/plan.trn");
        EXPECT_FALSE(doc.IsModified());
        ASSERT_EQ(g_layerCount, 1);
        EXPECT_EQ(g_layerNames[0], "KEEP");
        // The same bytes from memory fail the same way.
        const DxfImportResult inMemory = ImportDxfBytes(doc, c.text, "in.dxf");
        EXPECT_FALSE(inMemory.replaced);
        EXPECT_NE(inMemory.message.text.find(c.message), std::string::npos);
        EXPECT_EQ(doc.m_shapes.size(), 1u);
        EXPECT_EQ(g_layerCount, 1);
    }
    // Plain ASCII needs no converter, whatever the release.
    testing::WithoutCp932 minimalSystem;
    EXPECT_TRUE(Import(utf8Header + Entities("0\nTEXT\n8\nA\n1\nB\n")).replaced);
}

TEST_F(DxfImportTest, EntityWithAValueNoFloatHoldsIsSkipped) {
    // Each number fits a float, but the product or quotient stored from it does not. The
    // line beside it must come out as if the entity were not there.
    const std::string line = "0\nLINE\n10\n0\n20\n0\n11\n100\n21\n0\n";
    g_gridPitch = 50;
    const struct {
        const char* what;
        std::string entity;
    } cases[] = {
        {"thickness times extrusion", "0\nLINE\n10\n0\n20\n0\n11\n10\n39\n3e38\n230\n3e38\n"},
        {"solid corner over a tiny extrusion",
         "0\nSOLID\n10\n0\n20\n0\n11\n3e38\n21\n0\n12\n0\n22\n5\n13\n5\n23\n5\n230\n2e-5\n"},
        {"width factor times height", "0\nTEXT\n10\n1e9\n40\n3e38\n41\n10\n1\nT\n"},
        {"face normal", "0\n3DFACE\n10\n-3e38\n11\n3e38\n12\n3e38\n22\n3e38\n13\n0\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DxfImportResult result = Import(Entities(c.entity + line));
        EXPECT_TRUE(result.message.empty()) << result.message.text;
        EXPECT_EQ(result.report, "取り込めなかった図形: 範囲外の数値 1");
        ASSERT_EQ(doc.m_shapes.size(), 1u);
        EXPECT_EQ(Shape(0).m_nType, SHAPE_LINE);
        ExpectPoint(Shape(0).m_pt[0], -50, 0, 0);
        ExpectPoint(Shape(0).m_pt[1], 50, 0, 0);
    }
}

TEST_F(DxfImportTest, SaveQuestionNamesTheDocument) {
    EXPECT_EQ(DxfImportSaveQuestion(doc), "無題 への変更を保存しますか？");
    doc.SetPathName("/home/me/site plan.trn");
    EXPECT_EQ(DxfImportSaveQuestion(doc), "site plan.trn への変更を保存しますか？");
}

TEST_F(DxfImportTest, CrLfAndLfFilesAndBytesInMemoryGiveTheSameShapes) {
    const std::string text =
        Entities("0\nLINE\n8\nA\n10\n0\n20\n0\n11\n9\n21\n9\n0\nTEXT\n8\nB\n40\n2\n1\nWORDS\n");
    Import(text);
    std::vector<CShape> lf;
    for (const auto& s : doc.m_shapes) {
        lf.push_back(*s);
    }
    for (const bool fromMemory : {false, true}) {
        if (fromMemory) {
            EXPECT_TRUE(ImportDxfBytes(doc, Crlf(text), "plan.dxf").replaced);
        } else {
            Import(Crlf(text));
        }
        ASSERT_EQ(doc.m_shapes.size(), lf.size());
        size_t i = 0;
        for (const auto& s : doc.m_shapes) {
            EXPECT_EQ(*s, lf[i++]);
        }
    }
    EXPECT_EQ(lf[1].m_strText, "WORDS");
    EXPECT_EQ(lf[1].m_strLayer, "B");
}

}  // namespace
}  // namespace marquetta
