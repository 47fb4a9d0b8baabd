#include "model/native_file.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>

#include "app/program_defaults.h"
#include "model/layers.h"
#include "model/render_settings.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const char* const kGround = "pigment { color White } finish { reflection 0.3 }";
const std::string kBadFormat = "予期しないﾌｧｲﾙ形式です。";

// The settings part of a file with the start-up rendering settings.
Bytes DefaultHeader() {
    Bytes b;
    b.u8(0x14).text("Tarno_III V0.08     ").str("S_Cloud1").str(kGround);
    b.f64(0).f64(0).f64(36).f64(10);
    return b;
}

// Layer "0" as EnsureLayer makes it, with an empty texture.
void AppendLayerZero(Bytes& b) {
    b.hex("01 30").f64(1).f64(1).f64(1).f64(0).f64(0).f64(1).u8(0);
}

// A line body as drawn in the program: layer "0", white, from (x0,0,0) to (x1,0,0).
void AppendLineBody(Bytes& b, float x0, float x1, int32_t selected = 0) {
    b.i32(1).i32(selected).str("0").f32(1).f32(1).f32(1).zeros(24);
    b.f32(x0).f32(0).f32(0).f32(x1).f32(0).f32(0).zeros(24).zeros(48).u8(0);
}

const char kShapeClass[] = "\xFF\xFF\x00\x00\x06\x00" "CShape";

class NativeFileTest : public ::testing::Test {
protected:
    void SetUp() override { InitProgramDefaults(); }

    CShape& AddLine(float x0, float x1) {
        EnsureLayer("0");
        doc.SetCurrentLayer("0");
        doc.m_current.m_nType = SHAPE_LINE;
        doc.m_current.m_attr[0] = doc.m_current.m_attr[1] = doc.m_current.m_attr[2] = 1.0f;
        doc.m_current.m_pt[0] = {x0, 0, 0};
        doc.m_current.m_pt[1] = {x1, 0, 0};
        return doc.AddCurrentShape();
    }

    std::string SaveAndRead() {
        const std::string path = dir.File("out.trn");
        const FileResult r = SaveDrawingFile(doc, path);
        EXPECT_TRUE(r.ok()) << r.message;
        return ReadBytes(path);
    }

    LoadResult LoadBytes(const std::string& bytes, CZorader_ezDoc& into) {
        const std::string path = dir.File("in.trn");
        WriteBytes(path, bytes);
        return LoadDrawingFile(into, path);
    }

    TempDir dir;
    CZorader_ezDoc doc;
};

TEST_F(NativeFileTest, EmptyDrawingWithDefaultsIs120Bytes) {
    Bytes expected = DefaultHeader();
    expected.i32(0).i32(0);
    const std::string saved = SaveAndRead();
    EXPECT_EQ(saved.size(), 120u);
    EXPECT_EQ(saved, expected.get());
}

TEST_F(NativeFileTest, OneLayerOneLineByteForByte) {
    AddLine(0, 1000);
    Bytes expected = DefaultHeader();
    expected.i32(1);
    AppendLayerZero(expected);
    expected.i32(1).text(std::string(kShapeClass, 12));
    const size_t bodyStart = expected.size();
    AppendLineBody(expected, 0, 1000);
    EXPECT_EQ(expected.size() - bodyStart, 143u);
    // 1000.0f is 00 00 7A 44.
    EXPECT_EQ(expected.get().substr(bodyStart + 4 + 4 + 2 + 12 + 24 + 12, 4),
              std::string("\x00\x00\x7A\x44", 4));
    EXPECT_EQ(SaveAndRead(), expected.get());
}

TEST_F(NativeFileTest, LaterShapesCarryOnlyTheClassReference) {
    AddLine(0, 1);
    AddLine(2, 3).m_bSelected = 1;
    AddLine(4, 5);
    Bytes expected = DefaultHeader();
    expected.i32(1);
    AppendLayerZero(expected);
    expected.i32(3).text(std::string(kShapeClass, 12));
    AppendLineBody(expected, 0, 1);
    expected.hex("01 80");
    AppendLineBody(expected, 2, 3, 1);
    expected.hex("01 80");
    AppendLineBody(expected, 4, 5);
    EXPECT_EQ(SaveAndRead(), expected.get());
}

TEST_F(NativeFileTest, StringLengthPrefixesAtTheirLimits) {
    struct Case {
        size_t length;
        std::string prefix;
    };
    const Case cases[] = {
        {254, "\xFE"},
        {255, std::string("\xFF\xFF\x00", 3)},
        {65533, "\xFF\xFD\xFF"},
        {65534, std::string("\xFF\xFF\xFF\xFE\xFF\x00\x00", 7)},
        {70000, std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        InitProgramDefaults();
        g_skyTexture = std::string(c.length, 'x');
        const std::string saved = SaveAndRead();
        EXPECT_EQ(saved.substr(21, c.prefix.size()), c.prefix);
        EXPECT_EQ(saved.size(), 120u - 9 + c.prefix.size() + c.length);
        g_skyTexture.clear();
        CZorader_ezDoc loaded;
        ASSERT_TRUE(LoadDrawingFile(loaded, dir.File("out.trn")).ok());
        EXPECT_EQ(g_skyTexture, std::string(c.length, 'x'));
    }
}

TEST_F(NativeFileTest, SixteenBitStringsAreReadAsCp932) {
    Bytes b = DefaultHeader();
    b.i32(1);
    // Layer name "あ1é" as 16-bit characters: the prefix FF FE FF, then a byte length.
    b.hex("FF FE FF 03").hex("42 30 31 00 E9 00");
    b.f64(1).f64(1).f64(1).f64(0).f64(0).f64(1);
    // Texture: 300 characters in the word form behind the 16-bit prefix.
    b.hex("FF FE FF FF 2C 01");
    for (int i = 0; i < 300; ++i) {
        b.hex("61 00");
    }
    b.i32(0);
    AddLine(0, 5);
    {
        // Without the converter the file is refused and nothing changes.
        testing::WithoutCp932 minimalSystem;
        const LoadResult r = LoadBytes(b.get(), doc);
        EXPECT_EQ(r.error, FileError::NoCp932);
        EXPECT_NE(r.message.find("CP932"), std::string::npos);
        EXPECT_EQ(doc.m_shapes.size(), 1u);
        EXPECT_EQ(g_layerNames[0], "0");
    }
    const LoadResult r = LoadBytes(b.get(), doc);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(g_layerCount, 1);
    EXPECT_EQ(g_layerNames[0], "\x82\xA0" "1?");
    EXPECT_EQ(g_layerTextures[0], std::string(300, 'a'));
}

// A file of several windows' worth of records is read a window at a time: records
// that straddle a window's end, strings in every length form, a 16-bit layer name and
// a text longer than a window must come out as reading them one by one gives them.
TEST_F(NativeFileTest, LargeFileReadsAsRecordByRecord) {
    Bytes b = DefaultHeader();
    b.i32(1);
    AppendLayerZero(b);
    constexpr int kShapes = 15000;
    b.i32(kShapes);
    for (int i = 0; i < kShapes; ++i) {
        if (i == 0) {
            b.text(std::string(kShapeClass, sizeof kShapeClass - 1));
        } else if (i == 4321) {
            b.u16(0x7FFF).u32(0x80000001u);  // the class referred to by a big tag
        } else {
            b.u16(0x8001);
        }
        b.i32(i % 5 + 1).i32(i % 3);
        if (i == 7000) {
            b.hex("FF FE FF 02 30 00 31 00");  // "01" in 16-bit characters
        } else {
            b.str(i % 2 ? "0" : "壁");
        }
        b.f32(static_cast<float>(i)).zeros(32 * 4 - 4).f32(-static_cast<float>(i));
        if (i % 997 == 0) {
            b.u8(0xFF).u16(300).text(std::string(300, 'a' + i % 26));
        } else if (i == 9999) {
            b.u8(0xFF).u16(0xFFFF).u32(3u << 19).text(std::string(3u << 19, 't'));
        } else {
            b.str(i % 7 ? "" : "図");
        }
    }
    DrawingFileContents expected;
    ASSERT_EQ(ReadDrawingBytes(b.get(), expected), FileError::None);
    ASSERT_EQ(expected.shapes.size(), static_cast<size_t>(kShapes));
    ASSERT_EQ(expected.shapes[9999].m_strText.size(), 3u << 19);
    CZorader_ezDoc loaded;
    const LoadResult r = LoadBytes(b.get(), loaded);
    ASSERT_TRUE(r.ok()) << r.message;
    ASSERT_EQ(loaded.m_shapes.size(), expected.shapes.size());
    size_t differing = 0;
    for (size_t i = 0; i < expected.shapes.size(); ++i) {
        differing += !(*loaded.m_shapes[i] == expected.shapes[i]);
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(loaded.m_shapes[7000]->m_strLayer, "01");

    // Cut inside the long text, or a few bytes short: refused, the drawing kept.
    for (const size_t cut : {b.get().size() / 2, b.get().size() - 3}) {
        const LoadResult cutShort = LoadBytes(b.get().substr(0, cut), loaded);
        EXPECT_EQ(cutShort.error, FileError::UnexpectedFormat) << cut;
        EXPECT_EQ(loaded.m_shapes.size(), static_cast<size_t>(kShapes));
    }
}

TEST_F(NativeFileTest, RoundTripKeepsEveryField) {
    g_skyTexture = "";
    g_groundTexture = "texture { T_Grass }";
    g_sunNorth = 12.5;
    g_sunSeason = -30;
    g_sunLatitude = 35.6;
    g_sunHour = 15.25;
    EnsureLayer("壁");
    g_layerAttributes[0] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.0};
    g_layerTextures[0] = "T_Stone1 scale 100";
    for (int type = 1; type <= 5; ++type) {
        CShape& s = doc.m_current;
        s.m_nType = type;
        s.m_bSelected = type == 2 ? 1 : (type == 3 ? 7 : 0);
        s.m_strLayer = type == 4 ? "missing" : "壁";
        for (int i = 0; i < 3; ++i) {
            s.m_attr[i] = 0.1f * static_cast<float>(type + i);
        }
        for (int i = 0; i < 4; ++i) {
            s.m_pt[i] = {type * 1.5f, -0.25f * i, 1e30f};
            s.m_normal[i] = {0, std::nanf(""), -1};
        }
        s.m_strText = type == 5 ? "図面 ABC" : "";
        CShape& added = doc.AddCurrentShape();
        for (int i = 0; i < 6; ++i) {
            added.m_reserved[i] = 0x01020304u * static_cast<uint32_t>(type + i);
        }
    }
    const std::string saved = SaveAndRead();

    std::vector<std::string> before;
    for (const auto& s : doc.m_shapes) {
        before.push_back(std::string(reinterpret_cast<const char*>(&s->m_nType), 8) +
                         s->m_strLayer + "|" + s->m_strText + "|" +
                         std::string(reinterpret_cast<const char*>(s->m_attr), 33 * 4));
    }
    InitProgramDefaults();
    CZorader_ezDoc loaded;
    ASSERT_TRUE(LoadDrawingFile(loaded, dir.File("out.trn")).ok());
    EXPECT_EQ(g_skyTexture, "");
    EXPECT_EQ(g_groundTexture, "texture { T_Grass }");
    EXPECT_EQ(g_sunNorth, 12.5);
    EXPECT_EQ(g_sunSeason, -30);
    EXPECT_EQ(g_sunLatitude, 35.6);
    EXPECT_EQ(g_sunHour, 15.25);
    ASSERT_EQ(g_layerCount, 1);
    EXPECT_EQ(g_layerNames[0], "壁");
    EXPECT_EQ(g_layerAttributes[0], (std::array<double, 6>{0.1, 0.2, 0.3, 0.4, 0.5, 0.0}));
    EXPECT_EQ(g_layerTextures[0], "T_Stone1 scale 100");
    std::vector<std::string> after;
    for (const auto& s : loaded.m_shapes) {
        after.push_back(std::string(reinterpret_cast<const char*>(&s->m_nType), 8) +
                        s->m_strLayer + "|" + s->m_strText + "|" +
                        std::string(reinterpret_cast<const char*>(s->m_attr), 33 * 4));
    }
    EXPECT_EQ(after, before);
    EXPECT_EQ(loaded.m_shapes.front()->m_reserved[0], 0x01020304u);
    // Saving what was loaded gives the same bytes.
    EXPECT_EQ(SaveDrawingFile(loaded, dir.File("again.trn")).ok(), true);
    EXPECT_EQ(ReadBytes(dir.File("again.trn")), saved);
}

TEST_F(NativeFileTest, SampleFacesTurnTheirLitSideUp) {
    // The view and its light look down on the plan: a face is lit on the side its
    // corners turn counter-clockwise to the viewer, and its stored normals must say
    // the same, or the shaded view shows it in ambient light only.
    ASSERT_TRUE(LoadDrawingFile(doc, MARQUETTA_SOURCE_DIR "/res/samples/sample.trn").ok());
    int faces = 0;
    for (const auto& shape : doc.m_shapes) {
        if (shape->m_nType != SHAPE_FACE) {
            continue;
        }
        ++faces;
        const Float3* c = shape->m_pt;
        const Float3 e1{c[1].x - c[0].x, c[1].y - c[0].y, c[1].z - c[0].z};
        const Float3 e2{c[2].x - c[1].x, c[2].y - c[1].y, c[2].z - c[1].z};
        const Float3 byCorners = UnitNormal(e1, e2);
        EXPECT_GT(byCorners.y, 0.0f) << shape->m_strLayer;
        for (const Float3& n : shape->m_normal) {
            EXPECT_GT(n.x * byCorners.x + n.y * byCorners.y + n.z * byCorners.z, 0.99f)
                << shape->m_strLayer;
        }
    }
    EXPECT_GT(faces, 0);
}

TEST_F(NativeFileTest, SuccessfulLoadAndSaveNameTheDocument) {
    AddLine(0, 1);
    ASSERT_TRUE(SaveDrawingFile(doc, dir.File("plan.trn")).ok());
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "plan.trn");
    CZorader_ezDoc other;
    other.SetModifiedFlag(true);
    g_displayListValid = 1;
    ASSERT_TRUE(LoadDrawingFile(other, dir.File("plan.trn")).ok());
    EXPECT_EQ(other.GetPathName(), dir.File("plan.trn"));
    EXPECT_FALSE(other.IsModified());
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_EQ(other.m_shapes.size(), 1u);
}

// A file of another kind (a newer version's, another program's) is refused: opened as
// an empty drawing under its name, the next save would destroy it.
TEST_F(NativeFileTest, ForeignBannerIsRefusedNamingTheFileAndTheDrawingKept) {
    AddLine(0, 1);
    doc.SetPathName("/plans/open.trn");
    doc.SetModifiedFlag(true);
    g_sunHour = 7;
    const std::string png = std::string("\x89PNG\r\n\x1a\n") + std::string(200, '\0');
    const struct {
        const char* what;
        std::string bytes;
        const char* bannerShown;  // nullptr: no banner in the message
    } cases[] = {
        {"a newer version", Bytes().u8(0x14).text("Tarno_III V0.09     ").str("other").get(),
         "Tarno_III V0.09     "},
        {"one more trailing space", Bytes().u8(0x15).text("Tarno_III V0.08      ").str("sky").get(),
         "Tarno_III V0.08      "},
        {"another program's bytes", png, nullptr},
        {"an empty banner", Bytes().u8(0).str("sky").str("ground").get(), nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const LoadResult r = LoadBytes(c.bytes, doc);
        EXPECT_EQ(r.error, FileError::NotADrawing);
        EXPECT_TRUE(r.foreignBanner);
        const std::string named =
            dir.File("in.trn") + " は Marquetta の図面ﾌｧｲﾙではないため、開けません。";
        EXPECT_EQ(r.message, c.bannerShown == nullptr
                                 ? named
                                 : named + "\nﾌｧｲﾙの先頭: \"" + c.bannerShown + "\"");
        EXPECT_EQ(doc.m_shapes.size(), 1u);
        EXPECT_EQ(g_layerCount, 1);
        EXPECT_EQ(g_skyTexture, "S_Cloud1");
        EXPECT_EQ(g_sunHour, 7);
        EXPECT_EQ(doc.GetPathName(), "/plans/open.trn");
        EXPECT_TRUE(doc.IsModified());
    }
}

TEST_F(NativeFileTest, EmptyFileKeepsTheDrawingAndTakesTheName) {
    AddLine(0, 1);
    const LoadResult r = LoadBytes("", doc);
    EXPECT_TRUE(r.ok());
    EXPECT_TRUE(r.emptyFile);
    EXPECT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(g_layerCount, 1);
    EXPECT_EQ(doc.GetTitle(), "in.trn");
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(NativeFileTest, LoadingReplacesOnlyTheStoredLayerSlots) {
    for (const char* name : {"a", "b", "c"}) {
        EnsureLayer(name);
    }
    g_layerTextures[2] = "kept";
    Bytes b = DefaultHeader();
    b.i32(1).hex("01 7A").f64(0.5).f64(0.5).f64(0.5).f64(0).f64(0).f64(1).str("T");
    b.i32(0);
    ASSERT_TRUE(LoadBytes(b.get(), doc).ok());
    EXPECT_EQ(g_layerCount, 1);
    EXPECT_EQ(g_layerNames[0], "z");
    EXPECT_EQ(g_layerNames[1], "b");
    EXPECT_EQ(g_layerTextures[2], "kept");
}

TEST_F(NativeFileTest, BigObjectTagReferringToTheShapeClassIsAccepted) {
    Bytes b = DefaultHeader();
    b.i32(0).i32(2).text(std::string(kShapeClass, 12));
    AppendLineBody(b, 0, 1);
    b.u16(0x7FFF).u32(0x80000001);
    AppendLineBody(b, 1, 2);
    const LoadResult r = LoadBytes(b.get(), doc);
    ASSERT_TRUE(r.ok()) << r.message;
    EXPECT_EQ(doc.m_shapes.size(), 2u);
}

// Each malformed file is refused with the format message and changes nothing: the
// drawing, its name, the layers and the settings stay as they were.
TEST_F(NativeFileTest, MalformedFilesAreRefused) {
    auto withShapes = [](int32_t count, const std::string& tagAndBody) {
        Bytes b = DefaultHeader();
        b.i32(0).i32(count).text(tagAndBody);
        return b.get();
    };
    Bytes line;
    AppendLineBody(line, 0, 1);
    const std::string first = std::string(kShapeClass, 12) + line.get();
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"negative layer count", Bytes(DefaultHeader()).i32(-1).i32(0).get()},
        {"101 layers", Bytes(DefaultHeader()).i32(101).zeros(101 * 50).i32(0).get()},
        {"more layers than the file holds", Bytes(DefaultHeader()).i32(100).zeros(200).get()},
        {"negative shape count", withShapes(-1, "")},
        {"huge shape count", withShapes(0x7FFFFFFF, first)},
        {"null tag", withShapes(1, std::string("\x00\x00", 2) + line.get())},
        {"back reference", withShapes(2, first + std::string("\x02\x00", 2) + line.get())},
        {"reference to an object as class",
         withShapes(2, first + std::string("\x02\x80", 2) + line.get())},
        {"class never announced", withShapes(1, std::string("\x01\x80", 2) + line.get())},
        {"other class", withShapes(1, std::string("\xFF\xFF\x00\x00\x06\x00" "CShapf", 12) +
                                          line.get())},
        {"other schema", withShapes(1, std::string("\xFF\xFF\x01\x00\x06\x00" "CShape", 12) +
                                           line.get())},
        {"long class name", withShapes(1, std::string("\xFF\xFF\x00\x00\xFF\xFF", 6))},
        {"big tag for an object", withShapes(2, first + std::string("\xFF\x7F\x02\x00\x00\x00", 6) +
                                                    line.get())},
        {"string longer than the file", Bytes().u8(0x14).text("Tarno_III V0.08     ")
                                            .hex("FF FF FF FF FF FF 7F").text("abc").get()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        InitProgramDefaults();
        EnsureLayer("kept");
        CZorader_ezDoc d;
        d.SetPathName("/old/name.trn");
        d.m_current.m_nType = SHAPE_LINE;
        d.AddCurrentShape();
        const LoadResult r = LoadBytes(c.bytes, d);
        EXPECT_EQ(r.error, FileError::UnexpectedFormat);
        EXPECT_EQ(r.message, kBadFormat);
        EXPECT_EQ(d.m_shapes.size(), 1u);
        EXPECT_TRUE(d.IsModified());
        EXPECT_EQ(d.GetTitle(), "name.trn");
        EXPECT_EQ(g_layerCount, 1);
        EXPECT_EQ(g_layerNames[0], "kept");
        EXPECT_EQ(g_skyTexture, "S_Cloud1");
    }
}

TEST_F(NativeFileTest, PartWayFailureChangesNoSettingOrLayer) {
    EnsureLayer("old");
    g_displayListValid = 1;
    Bytes b = DefaultHeader();
    b.i32(1).hex("03 6E 65 77").f64(0.5);  // layer "new", cut inside its colour
    const std::string bytes = Bytes().u8(0x14).text("Tarno_III V0.08     ").str("NewSky")
                                  .text(b.get().substr(30)).get();
    const LoadResult r = LoadBytes(bytes, doc);
    EXPECT_EQ(r.message, kBadFormat);
    EXPECT_EQ(g_skyTexture, "S_Cloud1");
    EXPECT_EQ(g_sunLatitude, 36);
    EXPECT_EQ(g_layerCount, 1);
    EXPECT_EQ(g_layerNames[0], "old");
    EXPECT_EQ(g_displayListValid, 1);
}

TEST_F(NativeFileTest, EveryTruncationFailsWithoutAPartialDrawing) {
    for (const char* name : {"0", "壁"}) {
        EnsureLayer(name);
    }
    g_layerTextures[1] = std::string(300, 't');
    AddLine(0, 1);
    doc.SetCurrentText(std::string(260, 'x'));
    doc.m_current.m_nType = SHAPE_TEXT;
    doc.AddCurrentShape();
    AddLine(2, 3);
    const std::string whole = SaveAndRead();
    InitProgramDefaults();
    for (size_t cut = 1; cut < whole.size(); ++cut) {
        CZorader_ezDoc d;
        d.m_current.m_nType = SHAPE_LINE;
        d.AddCurrentShape();
        const LoadResult r = LoadBytes(whole.substr(0, cut), d);
        ASSERT_FALSE(r.ok()) << "cut at " << cut;
        ASSERT_EQ(r.message, kBadFormat) << "cut at " << cut;
        ASSERT_EQ(d.m_shapes.size(), 1u) << "cut at " << cut;
        ASSERT_EQ(d.GetTitle(), "無題");
        ASSERT_EQ(g_layerCount, 0) << "cut at " << cut;
        ASSERT_EQ(g_skyTexture, "S_Cloud1") << "cut at " << cut;
        // Read from memory, the same bytes fail the same way.
        ASSERT_EQ(LoadDrawingBytes(d, whole.substr(0, cut), "in.trn").error,
                  FileError::UnexpectedFormat)
            << "cut at " << cut;
    }
    // The whole file still loads, from its file and from memory.
    CZorader_ezDoc d;
    ASSERT_TRUE(LoadBytes(whole, d).ok());
    EXPECT_EQ(d.m_shapes.size(), 3u);
    CZorader_ezDoc m;
    ASSERT_TRUE(LoadDrawingBytes(m, whole, dir.File("memory.trn")).ok());
    EXPECT_EQ(m.m_shapes.size(), 3u);
    EXPECT_EQ(m.GetPathName(), dir.File("memory.trn"));
}

TEST_F(NativeFileTest, OpenErrorsLeaveTheDrawingAsItWas) {
    AddLine(0, 1);
    doc.SetPathName("/keep.trn");
    const std::string missing = dir.File("nowhere/missing.trn");
    const LoadResult r = LoadDrawingFile(doc, missing);
    EXPECT_EQ(r.error, FileError::NotFound);
    EXPECT_EQ(r.message, missing +
                             "\nこのﾌｧｲﾙが見つかりません。\nﾊﾟｽとﾌｧｲﾙ名が正しいかどうか確認してださい。");
    EXPECT_EQ(doc.m_shapes.size(), 1u);
    EXPECT_EQ(doc.GetPathName(), "/keep.trn");

    EXPECT_EQ(LoadDrawingFile(doc, dir.Path().string()).error, FileError::OpenFailed);
    EXPECT_EQ(doc.m_shapes.size(), 1u);

    const FileResult s = SaveDrawingFile(doc, missing);
    EXPECT_EQ(s.error, FileError::NotFound);
    EXPECT_EQ(doc.GetPathName(), "/keep.trn");
}

TEST_F(NativeFileTest, SaveThatRunsOutOfRoomLeavesTheOldFileUntouched) {
    const std::string path = dir.File("plan.trn");
    WriteBytes(path, "previous drawing");
    ::chmod(path.c_str(), 0640);
    for (int i = 0; i < 2000; ++i) {
        AddLine(0, static_cast<float>(i));
    }
    // A file-size limit makes the write fail the way a full disk does.
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 70000;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const FileResult r = SaveDrawingFile(doc, path);
    ::setrlimit(RLIMIT_FSIZE, &old);
    EXPECT_EQ(r.error, FileError::DiskFull);
    EXPECT_EQ(r.message, "出力先のﾃﾞｨｽｸ ﾄﾞﾗｲﾌﾞの空き容量が不足しています。");
    EXPECT_EQ(ReadBytes(path), "previous drawing");
    EXPECT_TRUE(doc.IsModified());
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1);

    // With room, the file is replaced and keeps its permissions.
    ASSERT_TRUE(SaveDrawingFile(doc, path).ok());
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_GT(ReadBytes(path).size(), 200000u);
}

}  // namespace
}  // namespace marquetta
