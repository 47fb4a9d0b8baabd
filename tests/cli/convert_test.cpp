#include "cli/convert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "app/program_defaults.h"
#include "cli/json_dump.h"
#include "model/cp932.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "model/render_settings.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class ConvertTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        // Drawing data is CP932.
        const std::string wall = Utf8ToCp932("壁");
        EnsureLayer(wall);
        g_layerTextures[0] = "T_\"Stone\"\\1";
        doc.SetCurrentLayer(wall);
        doc.m_current.m_nType = SHAPE_TEXT;
        doc.m_current.m_bSelected = 1;
        doc.m_current.m_attr[0] = 0.1f;
        doc.m_current.m_pt[0] = {1.5f, 0, -2};
        doc.m_current.m_pt[1] = {300, 300, 45};
        doc.SetCurrentText(Utf8ToCp932("図面\tA"));
        doc.AddCurrentShape();
        input = dir.File("plan.TRN");
        EXPECT_TRUE(SaveDrawingFile(doc, input).ok());
        InitProgramDefaults();
    }

    int Run(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return RunConvert(args, out, err);
    }

    TempDir dir;
    CZorader_ezDoc doc;
    std::string input;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(ConvertTest, JsonDumpOfAWholeDrawing) {
    ASSERT_EQ(Run({input, dir.File("plan.Json")}), 0) << err.str();
    const std::string expected = R"({
  "banner": "Tarno_III V0.08     ",
  "sky": "S_Cloud1",
  "ground": "pigment { color White } finish { reflection 0.3 }",
  "north": 0,
  "season": 0,
  "latitude": 36,
  "hour": 10,
  "layers": [
    {"name": "壁", "red": 1, "green": 1, "blue": 1, "transparency": 0, "reflection": 0, "visible": 1, "texture": "T_\"Stone\"\\1"}
  ],
  "shapes": [
    {"type": 5, "selected": 1, "layer": "壁", "attr": [0.100000001, 0, 0], "points": [[1.5, 0, -2], [300, 300, 45], [0, 0, 0], [0, 0, 0]], "normals": [[0, 0, 0], [0, 0, 0], [0, 0, 0], [0, 0, 0]], "text": "図面\tA"}
  ]
}
)";
    EXPECT_EQ(ReadBytes(dir.File("plan.Json")), expected);
}

TEST_F(ConvertTest, EmptyDrawingAndOddNumbersStayValidJson) {
    CZorader_ezDoc empty;
    g_sunHour = 1.0 / 3.0;
    g_layerCount = 0;
    EXPECT_EQ(DrawingToJson(empty).substr(DrawingToJson(empty).find("\"hour\"")),
              "\"hour\": 0.33333333333333331,\n  \"layers\": [],\n  \"shapes\": []\n}\n");
    empty.m_current.m_nType = SHAPE_LINE;
    empty.m_current.m_pt[0].x = std::numeric_limits<float>::infinity();
    empty.m_current.m_pt[0].y = std::numeric_limits<float>::quiet_NaN();
    empty.m_current.m_strText = std::string("\x01\x82", 2);  // control byte, cut-off lead byte
    empty.AddCurrentShape();
    const std::string json = DrawingToJson(empty);
    EXPECT_NE(json.find("[[\"Infinity\", \"NaN\", 0]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"text\": \"\\u0001\xEF\xBF\xBD\""), std::string::npos) << json;
}

TEST_F(ConvertTest, NativeToNativeKeepsTheBytes) {
    ASSERT_EQ(Run({input, dir.File("copy.trn")}), 0) << err.str();
    EXPECT_EQ(ReadBytes(dir.File("copy.trn")), ReadBytes(input));
}

TEST_F(ConvertTest, UnreadableInputWritesNothing) {
    const std::string target = dir.File("out.json");
    WriteBytes(dir.File("broken.trn"), ReadBytes(input).substr(0, 60));
    WriteBytes(dir.File("empty.trn"), "");
    WriteBytes(dir.File("other.trn"), "\x05hello");
    struct Case {
        std::string in;
        std::string message;
    };
    const Case cases[] = {
        {dir.File("missing.trn"), "このﾌｧｲﾙが見つかりません。"},
        {dir.File("broken.trn"), "予期しないﾌｧｲﾙ形式です。"},
        {dir.File("empty.trn"), "is empty"},
        {dir.File("other.trn"), "is not a Marquetta drawing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.in);
        EXPECT_EQ(Run({c.in, target}), 1);
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
        EXPECT_FALSE(std::filesystem::exists(target));
    }
    EXPECT_EQ(Run({input, dir.File("no/such/folder/out.json")}), 1);
    EXPECT_NE(err.str().find("このﾌｧｲﾙが見つかりません。"), std::string::npos);
    // A folder that exists but takes no file: the file could not be written.
    EXPECT_EQ(Run({input, "/proc/x.json"}), 1);
    EXPECT_EQ(err.str(), "/proc/x.json は使用中または読み取り専用のため、書き込めません。\n");
}

TEST_F(ConvertTest, UsageAndHelp) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find(".json"), std::string::npos);
    EXPECT_NE(out.str().find(".dxf   a DXF file, imported exactly as"), std::string::npos);
    EXPECT_NE(out.str().find(".dxf   a DXF file, as the program's DXF export"), std::string::npos);
    EXPECT_EQ(Run({input}), 2);
    EXPECT_EQ(Run({input, dir.File("x.png")}), 2);
    EXPECT_EQ(Run({dir.File("x.pov"), dir.File("x.json")}), 2);
    EXPECT_EQ(Run({dir.File("x.json"), dir.File("x.trn")}), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.json")));
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.trn")));
    for (const char* bad : {"0", "-5", "abc", "1e999", ""}) {
        EXPECT_EQ(Run({"--scale", bad, input, dir.File("x.svg")}), 2) << bad;
    }
    for (const char* bad : {"210", "210,", ",297", "210;297", "210,0"}) {
        EXPECT_EQ(Run({"--paper", bad, input, dir.File("x.svg")}), 2) << bad;
    }
    EXPECT_EQ(Run({input, dir.File("x.svg"), "--scale"}), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.svg")));
}

TEST_F(ConvertTest, PovSceneForTheStartUpCameraAtTheChosenSize) {
    ASSERT_EQ(Run({"--size", "320,240", input, dir.File("scene.POV")}), 0) << err.str();
    const std::string scene = ReadBytes(dir.File("scene.POV"));
    EXPECT_EQ(scene.substr(0, 39), "//Created by Tarno_IIILT\n//W=320 H=240\n");
    EXPECT_NE(scene.find("  location <-0.000000, 50000.000000, 0.001160>\n"), std::string::npos);
    // The drawing's layer, with its texture.
    EXPECT_NE(scene.find("#declare mat0 = texture {//" + Utf8ToCp932("壁") + "\n  T_\"Stone\"\\1\n}"),
              std::string::npos);
    ASSERT_EQ(Run({input, dir.File("default.pov")}), 0) << err.str();
    EXPECT_EQ(ReadBytes(dir.File("default.pov")).substr(25, 13), "//W=640 H=480");
    for (const char* bad : {"320", "0,240", "320.5,240", "320,-1", "100001,10", "a,b"}) {
        EXPECT_EQ(Run({"--size", bad, input, dir.File("bad.pov")}), 2) << bad;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("bad.pov")));
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find("--size W,H"), std::string::npos);
    EXPECT_NE(out.str().find(".pov   the POV-Ray scene"), std::string::npos);
}

TEST_F(ConvertTest, SvgIsThePrintedPageAtTheChosenSheetAndScale) {
    ASSERT_EQ(Run({"--paper", "420,297", "--scale", "50", input, dir.File("page.SVG")}), 0)
        << err.str();
    const std::string svg = ReadBytes(dir.File("page.SVG"));
    EXPECT_NE(svg.find("width=\"420mm\" height=\"297mm\""), std::string::npos);
    // The text stands at (1.5, -2): at 1:50 that is 0.03 mm right of and 0.04 mm above
    // the sheet's centre, truncated to the 0.1 mm grid of the printer.
    EXPECT_NE(svg.find("<path d=\"M210"), std::string::npos) << svg;
    ASSERT_EQ(Run({input, dir.File("default.svg")}), 0) << err.str();
    EXPECT_NE(ReadBytes(dir.File("default.svg")).find("width=\"210mm\" height=\"297mm\""),
              std::string::npos);
}

// A DXF plan becomes a native drawing re-centred as the import command does it (by a
// whole grid pitch of 910 here), and
// goes back out through the export; any letter case of the extension is accepted.
TEST_F(ConvertTest, DxfInAndOut) {
    const std::string dxf =
        "0\nSECTION\n2\nENTITIES\n"
        "0\nLINE\n8\nWALL\n10\n810\n20\n-50\n30\n0\n11\n1010\n21\n50\n31\n0\n"
        "0\nCIRCLE\n8\nTREE\n10\n910\n20\n0\n30\n0\n40\n25\n"
        "0\nENDSEC\n0\nEOF\n";
    WriteBytes(dir.File("plan.DXF"), dxf);
    ASSERT_EQ(Run({dir.File("plan.DXF"), dir.File("plan.trn")}), 0) << err.str();
    CZorader_ezDoc loaded;
    ASSERT_TRUE(LoadDrawingFile(loaded, dir.File("plan.trn")).ok());
    ASSERT_EQ(loaded.m_shapes.size(), 2u);
    const CShape& line = *loaded.m_shapes.front();
    EXPECT_EQ(line.m_nType, SHAPE_LINE);
    EXPECT_EQ(line.m_strLayer, "WALL");
    EXPECT_EQ(line.m_pt[0], (Float3{-100, 0, 50}));
    EXPECT_EQ(line.m_pt[1], (Float3{100, 0, -50}));
    EXPECT_EQ(loaded.m_shapes.back()->m_pt[0], (Float3{0, 0, 0}));
    ASSERT_EQ(g_layerCount, 2);
    EXPECT_EQ(g_layerNames[0], "WALL");
    EXPECT_EQ(g_layerNames[1], "TREE");

    ASSERT_EQ(Run({dir.File("plan.trn"), dir.File("back.Dxf")}), 0) << err.str();
    const std::string back = ReadBytes(dir.File("back.Dxf"));
    EXPECT_NE(back.find("0\r\nLINE\r\n8\r\nWALL\r\n6\r\n0\r\n62\r\n7\r\n10\r\n-100.000000\r\n"
                        "20\r\n-50.000000\r\n30\r\n0.000000\r\n11\r\n100.000000\r\n"
                        "21\r\n50.000000\r\n"),
              std::string::npos)
        << back;
    EXPECT_EQ(back.substr(back.size() - 19), "0\r\nENDSEC\r\n0\r\nEOF\r\n");

    // DXF to DXF goes through the same drawing.
    ASSERT_EQ(Run({dir.File("back.Dxf"), dir.File("again.dxf")}), 0) << err.str();
    EXPECT_EQ(ReadBytes(dir.File("again.dxf")), back);
    EXPECT_EQ(err.str(), "");

    // What the drawing cannot hold is reported on standard error; the rest converts.
    WriteBytes(dir.File("image.dxf"),
               "0\nSECTION\n2\nENTITIES\n0\nIMAGE\n0\nLINE\n11\n5\n0\nENDSEC\n0\nEOF\n");
    ASSERT_EQ(Run({dir.File("image.dxf"), dir.File("image.trn")}), 0) << err.str();
    EXPECT_EQ(err.str(),
              "marquetta-convert: " + dir.File("image.dxf") + ": 取り込めなかった図形: IMAGE 1\n");
}

TEST_F(ConvertTest, UnusableDxfInputWritesNothing) {
    const std::string target = dir.File("out.trn");
    WriteBytes(dir.File("notes.dxf"), "999\nno sections at all\n");
    EXPECT_EQ(Run({dir.File("notes.dxf"), target}), 1);
    EXPECT_NE(err.str().find("has no ENTITIES section"), std::string::npos) << err.str();
    EXPECT_EQ(Run({dir.File("missing.dxf"), target}), 1);
    EXPECT_NE(err.str().find(dir.File("missing.dxf") + " が開けません"), std::string::npos)
        << err.str();
    EXPECT_FALSE(std::filesystem::exists(target));
    // An ENTITIES section without a supported entity is a real, empty drawing.
    WriteBytes(dir.File("empty.dxf"), "0\nSECTION\n2\nENTITIES\n0\nENDSEC\n0\nEOF\n");
    EXPECT_EQ(Run({dir.File("empty.dxf"), target}), 0) << err.str();
    EXPECT_TRUE(std::filesystem::exists(target));
}

// The real program's JSON is read by an independent parser and the values compared.
TEST_F(ConvertTest, ProgramOutputParsesAsJson) {
    // The setup script installs the peer: without it the test fails, never skips.
    ASSERT_EQ(std::system("python3 -c 'import json' 2>/dev/null"), 0)
        << "python3 is not installed (scripts/setup.sh installs it)";
    const std::string json = dir.File("plan.json");
    const std::string command =
        std::string(MARQUETTA_CONVERT_EXE) + " '" + input + "' '" + json +
        "' && python3 -c \"import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); "
        "s=d['shapes'][0]; assert d['layers'][0]['name']=='\\u58c1', d; "
        "assert s['points'][1]==[300,300,45] and s['attr'][0]==0.100000001, s; "
        "assert s['text']=='\\u56f3\\u9762\\tA', s\" '" +
        json + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace marquetta
