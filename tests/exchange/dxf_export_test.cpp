// DXF export: the preamble and every entity byte for byte, the extension check, the
// messages, and a failed export that leaves the old file alone.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "app/program_defaults.h"
#include "exchange/dxf_import.h"
#include "exchange/dxf_writer.h"
#include "model/layers.h"
#include "test_files.h"
#include "test_shapes.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// LF-separated lines as the file holds them, with CR LF.
std::string Crlf(const std::string& lf) {
    std::string out;
    for (char c : lf) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

// The documented preamble, string by string.
std::string Preamble() {
    return Crlf(
        "999\nCreated by Marquetta\n"
        "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\nAC1009\n"
        "9\n$EXTMIN\n10\n -100000\n20\n -100000\n"
        "9\n$EXTMAX\n10\n 100000\n20\n 100000\n9\n$LTSCALE\n40\n18.0\n"
        "9\n$DWGCODEPAGE\n3\nANSI_932\n0\nENDSEC\n"
        "0\nSECTION\n2\nTABLES\n0\nTABLE\n2\nLTYPE\n70\n1\n0\nLTYPE\n2\nDASHED2\n70\n64\n"
        "3\n----    ----    ----    ----\n72\n65\n73\n2\n40\n5.0\n49\n2.5\n49\n-2.5\n"
        "0\nENDTAB\n"
        "0\nTABLE\n2\nSTYLE\n70\n1\n0\nSTYLE\n2\nSTANDARD\n70\n64\n40\n0.0\n41\n1.0\n"
        "42\n0.0\n50\n0.0\n71\n0\n3\nTXT\n4\nBIGFONT\n0\nENDTAB\n0\nENDSEC\n"
        "0\nSECTION\n2\nENTITIES\n");
}

const std::string kEnd = "0\r\nENDSEC\r\n0\r\nEOF\r\n";

class DxfExportTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    CShape& Add(ShapeType type, const std::string& layer, std::initializer_list<Float3> points) {
        return testing::AddShape(doc, type, layer, points);
    }

    // The entities part of the exported file.
    std::string ExportedEntities() {
        const std::string path = dir.File("out.dxf");
        const DxfExportResult result = ExportDxfFile(doc, path);
        EXPECT_TRUE(result.written) << result.message.text;
        const std::string bytes = ReadBytes(path);
        const std::string preamble = Preamble();
        EXPECT_EQ(bytes.substr(0, preamble.size()), preamble);
        EXPECT_GE(bytes.size(), preamble.size() + kEnd.size());
        EXPECT_EQ(bytes.substr(bytes.size() - kEnd.size()), kEnd);
        return bytes.substr(preamble.size(), bytes.size() - preamble.size() - kEnd.size());
    }

    TempDir dir;
    CZorader_ezDoc doc;
};

TEST_F(DxfExportTest, EmptyDrawingIsThePreambleAndTheEnd) {
    const std::string path = dir.File("empty.dxf");
    const DxfExportResult result = ExportDxfFile(doc, path);
    ASSERT_TRUE(result.written);
    EXPECT_EQ(result.message.text, "DXFデータの書き込みが完了しました");
    EXPECT_EQ(result.message.caption, "ＤＸＦ");
    EXPECT_EQ(result.message.icon, MessageIcon::Information);
    EXPECT_EQ(ReadBytes(path), Preamble() + kEnd);
    EXPECT_EQ(ReadBytes(path).size(), 551u + 19u);  // 96 preamble lines, 4 closing ones
}

TEST_F(DxfExportTest, LineIsWrittenAsXMinusZY) {
    Add(SHAPE_LINE, "0", {{1, 2, 3}, {4, 5, 6}});
    EXPECT_EQ(ExportedEntities(), Crlf("0\nLINE\n8\n0\n6\n0\n62\n7\n"
                                       "10\n1.000000\n20\n-3.000000\n30\n2.000000\n"
                                       "11\n4.000000\n21\n-6.000000\n31\n5.000000\n"));
}

TEST_F(DxfExportTest, CircleArcAndFace) {
    Add(SHAPE_CIRCLE, "C", {{10.5f, 0, -20.25f}, {7, 99, 99}});
    Add(SHAPE_ARC, "A", {{0, 1, 0}, {3, 350, 370}});
    Add(SHAPE_FACE, "F", {{0, 0, 0}, {1, 0, 0}, {1, 2, -3}, {0.125f, 2, 0}});
    EXPECT_EQ(ExportedEntities(), Crlf("0\nCIRCLE\n8\nC\n6\n0\n62\n7\n"
                                       "10\n10.500000\n20\n20.250000\n30\n0.000000\n40\n7.000000\n"
                                       "0\nARC\n8\nA\n6\n0\n62\n7\n"
                                       "10\n0.000000\n20\n-0.000000\n30\n1.000000\n40\n3.000000\n"
                                       "50\n350.000000\n51\n370.000000\n"
                                       "0\n3DFACE\n8\nF\n6\n0\n62\n7\n"
                                       "10\n0.000000\n20\n-0.000000\n30\n0.000000\n"
                                       "11\n1.000000\n21\n-0.000000\n31\n0.000000\n"
                                       "12\n1.000000\n22\n3.000000\n32\n2.000000\n"
                                       "13\n0.125000\n23\n-0.000000\n33\n2.000000\n"));
}

TEST_F(DxfExportTest, TextWritesGroup41OnlyWhenWidthDiffersFromHeight) {
    Add(SHAPE_TEXT, "T", {{1, 0, 0}, {300, 300, 45}}).m_strText = "SAME";
    Add(SHAPE_TEXT, "T", {{0, 0, 0}, {300, 150, 0}}).m_strText = "HALF";
    Add(SHAPE_TEXT, "T", {{0, 0, 0}, {0, 150, 0}});  // height 0: no factor to write
    EXPECT_EQ(ExportedEntities(),
              Crlf("0\nTEXT\n8\nT\n6\n0\n62\n7\n10\n1.000000\n20\n-0.000000\n30\n0.000000\n"
                   "40\n300.000000\n50\n45.000000\n1\nSAME\n"
                   "0\nTEXT\n8\nT\n6\n0\n62\n7\n10\n0.000000\n20\n-0.000000\n30\n0.000000\n"
                   "40\n300.000000\n50\n0.000000\n41\n0.500000\n1\nHALF\n"
                   "0\nTEXT\n8\nT\n6\n0\n62\n7\n10\n0.000000\n20\n-0.000000\n30\n0.000000\n"
                   "40\n0.000000\n50\n0.000000\n1\n\n"));
}

TEST_F(DxfExportTest, EveryShapeInListOrderWhateverItsLayerOrKind) {
    EnsureLayer("HIDDEN");
    g_layerAttributes[0][LAYER_VISIBLE] = 0.0;
    Add(SHAPE_CIRCLE, "HIDDEN", {{0, 0, 0}, {1, 0, 0}});
    Add(static_cast<ShapeType>(6), "X", {});
    Add(SHAPE_NONE, "X", {});
    Add(SHAPE_LINE, "Z", {});
    const std::string entities = ExportedEntities();
    EXPECT_EQ(entities.find("0\r\nCIRCLE\r\n8\r\nHIDDEN\r\n"), 0u);
    EXPECT_NE(entities.find("0\r\nLINE\r\n8\r\nZ\r\n"), std::string::npos);
    EXPECT_EQ(entities.find("\r\nX\r\n"), std::string::npos);
}

TEST_F(DxfExportTest, NamesAndTextsAreWrittenAsStoredBarLineBreaks) {
    // CP932 bytes as they are, even a name that DXF readers may not like.
    CShape& text = Add(SHAPE_TEXT, "\x95\xC7 <A>", {{0, 0, 0}, {1, 1, 0}});
    text.m_strText = "two\r\nlines\nhere\x95\xC7";
    const std::string entities = ExportedEntities();
    EXPECT_NE(entities.find("8\r\n\x95\xC7 <A>\r\n"), std::string::npos);
    // A line break inside a value would shift every later pair of the file.
    EXPECT_NE(entities.find("1\r\ntwo  lines here\x95\xC7\r\n"), std::string::npos) << entities;
}

TEST_F(DxfExportTest, ExtensionIsASubstringInLowerOrUpperCase) {
    EXPECT_TRUE(HasDxfExtension("a.dxf"));
    EXPECT_TRUE(HasDxfExtension("a.DXF"));
    EXPECT_TRUE(HasDxfExtension("a.dxf.bak"));
    EXPECT_TRUE(HasDxfExtension("/x.dxfiles/plan"));
    EXPECT_FALSE(HasDxfExtension("a.Dxf"));
    EXPECT_FALSE(HasDxfExtension("a.dxF"));
    EXPECT_FALSE(HasDxfExtension("adxf"));
    EXPECT_FALSE(HasDxfExtension(""));

    Add(SHAPE_LINE, "0", {{0, 0, 0}, {5, 0, 0}});
    const DxfExportResult bak = ExportDxfFile(doc, dir.File("a.dxf.bak"));
    EXPECT_TRUE(bak.written);
    EXPECT_TRUE(std::filesystem::exists(dir.File("a.dxf.bak")));

    const DxfExportResult refused = ExportDxfFile(doc, dir.File("a.Dxf"));
    EXPECT_FALSE(refused.written);
    EXPECT_EQ(refused.message.text, "ファイル拡張子が不正です");
    EXPECT_EQ(refused.message.caption, "ワーニング");
    EXPECT_EQ(refused.message.icon, MessageIcon::Exclamation);
    EXPECT_FALSE(std::filesystem::exists(dir.File("a.Dxf")));
}

TEST_F(DxfExportTest, ExistingFileIsOverwritten) {
    const std::string path = dir.File("plan.DXF");
    WriteBytes(path, "old contents that are longer than nothing at all");
    ASSERT_TRUE(ExportDxfFile(doc, path).written);
    EXPECT_EQ(ReadBytes(path), Preamble() + kEnd);
}

TEST_F(DxfExportTest, FileThatCannotBeCreatedIsNotReportedAsWritten) {
    Add(SHAPE_LINE, "0", {{0, 0, 0}, {5, 0, 0}});
    const std::string path = dir.File("no/such/folder/plan.dxf");
    const DxfExportResult result = ExportDxfFile(doc, path);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message.text, path + " が開けません");
    EXPECT_EQ(result.message.caption, "ワーニング");
    EXPECT_EQ(result.message.icon, MessageIcon::Exclamation);
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(DxfExportTest, TargetThatCannotBeReplacedKeepsItsContents) {
    // A folder named like a DXF file cannot be replaced by one.
    const std::string path = dir.File("folder.dxf");
    std::filesystem::create_directory(path);
    WriteBytes(path + "/inside.txt", "old");
    const DxfExportResult result = ExportDxfFile(doc, path);
    EXPECT_FALSE(result.written);
    EXPECT_EQ(result.message.text, path + " が開けません");
    EXPECT_EQ(ReadBytes(path + "/inside.txt"), "old");
}

TEST_F(DxfExportTest, ExportedDrawingImportsBackToTheSameShapes) {
    Add(SHAPE_LINE, "WALL", {{-100, 0, 50}, {100, 0, -50}});
    Add(SHAPE_ARC, "ARC", {{0, 0, 0}, {30, 10, 200}});
    CShape& text = Add(SHAPE_TEXT, "TXT", {{-20, 0, 10}, {300, 150, 30}});
    text.m_strText = "NOTE";
    Add(SHAPE_FACE, "FACE", {{-50, 0, 0}, {50, 0, 0}, {50, 20, 0}, {-50, 20, 0}});
    const std::string path = dir.File("round.dxf");
    ASSERT_TRUE(ExportDxfFile(doc, path).written);

    CZorader_ezDoc back;
    const DxfImportResult imported = ImportDxfFile(back, path);
    ASSERT_TRUE(imported.message.empty()) << imported.message.text;
    ASSERT_EQ(back.m_shapes.size(), doc.m_shapes.size());
    auto it = back.m_shapes.begin();
    for (const auto& original : doc.m_shapes) {
        const CShape& copy = **it++;
        SCOPED_TRACE(original->m_strLayer);
        EXPECT_EQ(copy.m_nType, original->m_nType);
        EXPECT_EQ(copy.m_strLayer, original->m_strLayer);
        EXPECT_EQ(copy.m_strText, original->m_strText);
        const int points = original->m_nType == SHAPE_FACE ? 4 : 2;
        for (int i = 0; i < points; ++i) {
            EXPECT_FLOAT_EQ(copy.m_pt[i].x, original->m_pt[i].x);
            EXPECT_FLOAT_EQ(copy.m_pt[i].y, original->m_pt[i].y);
            EXPECT_FLOAT_EQ(copy.m_pt[i].z, original->m_pt[i].z);
        }
    }
}

}  // namespace
}  // namespace marquetta
