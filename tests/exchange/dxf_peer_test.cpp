// DXF against an independent implementation: files written by ezdxf (R12, R2000 and
// R2018, with LF and with CR LF line ends) import with the expected shapes, and every
// file the export writes is read by ezdxf without errors and holds the same entities.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "app/program_defaults.h"
#include "exchange/dxf_import.h"
#include "exchange/dxf_writer.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "test_files.h"
#include "test_shapes.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// ezdxf is installed for Debian's own Python, which need not be first on the PATH.
constexpr const char* kPython = "/usr/bin/python3";

bool HaveEzdxf() {
    const std::string command = std::string(kPython) + " -c 'import ezdxf' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

int RunPython(const TempDir& dir, const std::string& script, const std::string& args) {
    const std::string path = dir.File("script.py");
    WriteBytes(path, script);
    const std::string command = std::string(kPython) + " '" + path + "' " + args;
    return std::system(command.c_str());
}

std::string ToCrlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

// The kinds the import has always read, a polyline, a block and a point it skips, in
// one file per release.
constexpr const char* kWriteScript = R"PY(
import sys, ezdxf
folder = sys.argv[1]
for version in ("R12", "R2000", "R2018"):
    doc = ezdxf.new(version, units=4)  # millimetres
    msp = doc.modelspace()
    block = doc.blocks.new(name="DOOR")
    block.add_line((0, 0), (900, 0), dxfattribs={"layer": "INBLOCK"})
    msp.add_line((1, 2, 3), (4, 5, 6), dxfattribs={"layer": "WALL", "color": 1})
    msp.add_line((0, 0, 0), (10, 0, 0), dxfattribs={"layer": "WALL", "thickness": 5})
    msp.add_circle((1, 2, 3), 25, dxfattribs={"layer": "C", "color": 4})
    msp.add_arc((0, 0, 0), 7, 350, 10, dxfattribs={"layer": "A", "color": 8})
    msp.add_text("PLAN", dxfattribs={"layer": "T", "height": 300, "width": 0.5,
                                     "rotation": 30, "insert": (5, 6, 0)})
    msp.add_solid([(0, 0), (10, 0), (0, 10), (10, 10)], dxfattribs={"layer": "S"})
    msp.add_3dface([(0, 0, 0), (10, 0, 0), (10, 10, 0), (0, 10, 0)],
                   dxfattribs={"layer": "F", "color": 5})
    msp.add_point((3, 3), dxfattribs={"layer": "SKIPPED"})
    msp.add_polyline2d([(0, 0), (50, 0), (50, 50)], dxfattribs={"layer": "POLY"})
    msp.add_blockref("DOOR", (100, 100), dxfattribs={"layer": "DOORS"})
    if version == "R2018":
        msp.add_text("\u56f3\u9762", dxfattribs={"layer": "\u58c1", "height": 2,
                                                   "insert": (0, 0)})
    doc.saveas(f"{folder}/{version}.dxf")
)PY";

void ExpectPoint(const Float3& p, float x, float y, float z) {
    EXPECT_FLOAT_EQ(p.x, x);
    EXPECT_FLOAT_EQ(p.y, y);
    EXPECT_FLOAT_EQ(p.z, z);
}

void ExpectColour(const CShape& s, float r, float g, float b) {
    EXPECT_EQ(s.m_attr[0], r);
    EXPECT_EQ(s.m_attr[1], g);
    EXPECT_EQ(s.m_attr[2], b);
}

void ExpectSquareFace(const CShape& face) {
    EXPECT_EQ(face.m_nType, SHAPE_FACE);
    ExpectPoint(face.m_pt[0], 0, 0, 0);
    ExpectPoint(face.m_pt[1], 10, 0, 0);
    ExpectPoint(face.m_pt[2], 10, 0, -10);
    ExpectPoint(face.m_pt[3], 0, 0, -10);
    ExpectPoint(face.m_normal[0], 0, 1, 0);
}

class DxfPeerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // The setup script installs the peer: without it the test fails, never skips.
        ASSERT_TRUE(HaveEzdxf()) << kPython
                                 << " cannot import ezdxf (scripts/setup.sh installs it)";
        InitProgramDefaults();
    }

    TempDir dir;
};

TEST_F(DxfPeerTest, FilesWrittenByEzdxfImportWithTheExpectedShapes) {
    ASSERT_EQ(RunPython(dir, kWriteScript, "'" + dir.Path().string() + "'"), 0);
    for (const char* version : {"R12", "R2000", "R2018"}) {
        const std::string lf = ReadBytes(dir.File(std::string(version) + ".dxf"));
        ASSERT_FALSE(lf.empty()) << version;
        for (bool crlf : {false, true}) {
            SCOPED_TRACE(std::string(version) + (crlf ? " CR LF" : " LF"));
            InitProgramDefaults();
            CZorader_ezDoc doc;
            DxfLineReader lines;
            lines.OpenText(crlf ? ToCrlf(lf) : lf);
            const DxfReadSummary summary = ReadDxfEntities(lines, doc);
            EXPECT_TRUE(summary.entitiesSection);
            const bool utf8 = std::string(version) == "R2018";
            ASSERT_EQ(doc.m_shapes.size(), utf8 ? 11u : 10u);
            std::vector<const CShape*> s;
            for (const auto& shape : doc.m_shapes) {
                s.push_back(shape.get());
            }

            EXPECT_EQ(s[0]->m_nType, SHAPE_LINE);
            EXPECT_EQ(s[0]->m_strLayer, "WALL");
            ExpectPoint(s[0]->m_pt[0], 1, 3, -2);
            ExpectPoint(s[0]->m_pt[1], 4, 6, -5);
            ExpectColour(*s[0], 1, 0, 0);

            EXPECT_EQ(s[1]->m_nType, SHAPE_FACE);
            ExpectPoint(s[1]->m_pt[2], 10, 5, 0);
            ExpectPoint(s[1]->m_pt[3], 0, 5, 0);
            ExpectPoint(s[1]->m_normal[0], 0, 0, 1);
            ExpectColour(*s[1], 1, 1, 1);

            EXPECT_EQ(s[2]->m_nType, SHAPE_CIRCLE);
            EXPECT_EQ(s[2]->m_strLayer, "C");
            ExpectPoint(s[2]->m_pt[0], 1, 3, -2);
            ExpectPoint(s[2]->m_pt[1], 25, 0, 0);
            ExpectColour(*s[2], 0, 1, 0);

            EXPECT_EQ(s[3]->m_nType, SHAPE_ARC);
            ExpectPoint(s[3]->m_pt[1], 7, 350, 370);
            ExpectColour(*s[3], 0, 1, 1);

            EXPECT_EQ(s[4]->m_nType, SHAPE_TEXT);
            EXPECT_EQ(s[4]->m_strText, "PLAN");
            ExpectPoint(s[4]->m_pt[0], 5, 0, -6);
            ExpectPoint(s[4]->m_pt[1], 300, 150, 30);

            EXPECT_EQ(s[5]->m_strLayer, "S");
            ExpectSquareFace(*s[5]);
            EXPECT_EQ(s[6]->m_strLayer, "F");
            ExpectSquareFace(*s[6]);
            ExpectColour(*s[6], 0, 0, 1);

            // The polyline's two segments, and the door's line where the block is placed.
            EXPECT_EQ(s[7]->m_strLayer, "POLY");
            ExpectPoint(s[8]->m_pt[1], 50, 0, -50);
            EXPECT_EQ(s[9]->m_strLayer, "INBLOCK");
            ExpectPoint(s[9]->m_pt[0], 100, 0, -100);
            ExpectPoint(s[9]->m_pt[1], 1000, 0, -100);

            std::vector<std::string> layers = {"WALL", "C", "A", "T", "S", "F", "POLY", "INBLOCK"};
            if (utf8) {
                EXPECT_EQ(s[10]->m_strLayer, "\x95\xC7");
                EXPECT_EQ(s[10]->m_strText, Utf8ToCp932("図面"));
                layers.push_back("\x95\xC7");
            }
            ASSERT_EQ(g_layerCount, static_cast<int>(layers.size()));
            for (size_t i = 0; i < layers.size(); ++i) {
                EXPECT_EQ(g_layerNames[i], layers[i]);
            }
        }
    }
}

// Reads a file with ezdxf, audits it, and lists its entities one per line.
constexpr const char* kReadScript = R"PY(
import sys, ezdxf
doc = ezdxf.readfile(sys.argv[1])
auditor = doc.audit()
if auditor.has_errors:
    for e in auditor.errors:
        print("AUDIT", e.code, e.message, file=sys.stderr)
    sys.exit(3)
def p(v):
    return "(" + ",".join("%g" % c for c in v) + ")"
out = []
for e in doc.modelspace():
    t = e.dxftype()
    d = e.dxf
    head = "%s %s" % (t, d.layer)
    if t == "LINE":
        out.append("%s %s %s" % (head, p(d.start), p(d.end)))
    elif t == "CIRCLE":
        out.append("%s %s %g" % (head, p(d.center), d.radius))
    elif t == "ARC":
        out.append("%s %s %g %g %g" % (head, p(d.center), d.radius, d.start_angle, d.end_angle))
    elif t == "3DFACE":
        out.append("%s %s %s %s %s" % (head, p(d.vtx0), p(d.vtx1), p(d.vtx2), p(d.vtx3)))
    elif t == "TEXT":
        out.append("%s %s %g %g %g %s" % (head, p(d.insert), d.height, d.rotation, d.width,
                                          d.text))
    else:
        out.append(head)
with open(sys.argv[2], "w", encoding="utf-8", errors="surrogateescape") as f:
    f.write("\n".join(out) + "\n")
)PY";

TEST_F(DxfPeerTest, ExportedFilesAreReadByEzdxfWithTheSameEntities) {
    CZorader_ezDoc doc;
    auto add = [&](ShapeType type, const std::string& layer,
                   std::initializer_list<Float3> points) -> CShape& {
        return testing::AddShape(doc, type, layer, points);
    };
    add(SHAPE_LINE, "WALL", {{1, 2, 3}, {4, 5, 6}});
    add(SHAPE_CIRCLE, "C", {{10.5f, 0, -20}, {7, 0, 0}});
    add(SHAPE_ARC, "A", {{0, 1, 0}, {3, 350, 370}});
    add(SHAPE_FACE, "F", {{0, 0, 0}, {10, 0, 0}, {10, 5, -3}, {0, 5, -3}});
    add(SHAPE_TEXT, "T", {{5, 0, -6}, {300, 150, 30}}).m_strText = "HALF WIDE";
    add(SHAPE_TEXT, "T", {{0, 0, 0}, {2, 2, 0}}).m_strText = "SQUARE";

    const std::string expected =
        "LINE WALL (1,-3,2) (4,-6,5)\n"
        "CIRCLE C (10.5,20,0) 7\n"
        "ARC A (0,-0,1) 3 350 370\n"
        "3DFACE F (0,-0,0) (10,-0,0) (10,3,5) (0,3,5)\n"
        "TEXT T (5,6,0) 300 30 0.5 HALF WIDE\n"
        "TEXT T (0,-0,0) 2 0 1 SQUARE\n";

    // The same file on its own, and as written through the command-line tool.
    const std::string path = dir.File("plan.dxf");
    ASSERT_TRUE(ExportDxfFile(doc, path).written);
    ASSERT_EQ(RunPython(dir, kReadScript, "'" + path + "' '" + dir.File("seen.txt") + "'"), 0);
    EXPECT_EQ(ReadBytes(dir.File("seen.txt")), expected);

    // An empty drawing and one with CP932 names are read without errors too.
    CZorader_ezDoc empty;
    ASSERT_TRUE(ExportDxfFile(empty, dir.File("empty.dxf")).written);
    ASSERT_EQ(RunPython(dir, kReadScript,
                        "'" + dir.File("empty.dxf") + "' '" + dir.File("empty.txt") + "'"),
              0);
    EXPECT_EQ(ReadBytes(dir.File("empty.txt")), "\n");
    // Japanese names and texts, half-width katakana too, come back as the same
    // characters: the file says that it is written in CP932.
    CZorader_ezDoc japanese;
    testing::AddShape(japanese, SHAPE_LINE, Utf8ToCp932("ｶﾍﾞ"), {{0, 0, 0}, {1, 0, 0}});
    CShape& text = japanese.m_current;
    text.m_nType = SHAPE_TEXT;
    text.m_pt[1] = {1, 1, 0};
    japanese.SetCurrentLayer(Utf8ToCp932("壁"));
    japanese.SetCurrentText(Utf8ToCp932("図面ﾃｽﾄ①"));
    japanese.AddCurrentShape();
    ASSERT_TRUE(ExportDxfFile(japanese, dir.File("jp.dxf")).written);
    ASSERT_EQ(
        RunPython(dir, kReadScript, "'" + dir.File("jp.dxf") + "' '" + dir.File("jp.txt") + "'"),
        0);
    EXPECT_EQ(ReadBytes(dir.File("jp.txt")),
              "LINE ｶﾍﾞ (0,-0,0) (1,-0,0)\n"
              "TEXT 壁 (0,-0,0) 1 0 1 図面ﾃｽﾄ①\n");
}

}  // namespace
}  // namespace marquetta
