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
}

TEST_F(ConvertTest, UsageAndHelp) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(out.str().find(".json"), std::string::npos);
    EXPECT_EQ(Run({input}), 2);
    EXPECT_EQ(Run({input, dir.File("x.dxf")}), 2);
    EXPECT_EQ(Run({dir.File("x.dxf"), dir.File("x.json")}), 2);
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.json")));
}

// The real program's JSON is read by an independent parser and the values compared.
TEST_F(ConvertTest, ProgramOutputParsesAsJson) {
    if (std::system("python3 -c 'import json' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3 is not installed";
    }
    const std::string json = dir.File("plan.json");
    const std::string command = std::string(MARQUETTA_CONVERT_EXE) + " '" + input + "' '" +
                                json + "' && python3 -c \"import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); "
                                "s=d['shapes'][0]; assert d['layers'][0]['name']=='\\u58c1', d; "
                                "assert s['points'][1]==[300,300,45] and s['attr'][0]==0.100000001, s; "
                                "assert s['text']=='\\u56f3\\u9762\\tA', s\" '" + json + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

}  // namespace
}  // namespace marquetta
