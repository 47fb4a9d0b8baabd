// Inserting a drawing file: layers merged by name, shapes appended selected, and a file
// that is short or malformed anywhere inserts nothing at all.
#include "exchange/insert_file.h"

#include <gtest/gtest.h>

#include "app/program_defaults.h"
#include "model/layers.h"
#include "model/native_file.h"
#include "model/render_settings.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::Bytes;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

using Attributes = std::array<double, LAYER_ATTRIBUTE_COUNT>;

const std::string kBadFormat = "予期しないﾌｧｲﾙ形式です。";

// The settings part of a drawing file; the banner is whatever the caller gives.
Bytes Header(const std::string& banner = "Tarno_III V0.08     ") {
    Bytes b;
    b.str(banner).str("S_Other").str("pigment { Red }").f64(90).f64(30).f64(-10).f64(15);
    return b;
}

void AppendLayer(Bytes& b, const std::string& name, const Attributes& a,
                 const std::string& texture) {
    b.str(name);
    for (double v : a) {
        b.f64(v);
    }
    b.str(texture);
}

// A string in its one-byte form.
Bytes Short(const std::string& s) {
    return Bytes().str(s);
}

// A shape body with distinct values in every field; the layer name and the text come
// with their length prefixes.
void AppendShapeBody(Bytes& b, int32_t type, const Bytes& layer, float base, const Bytes& text) {
    b.i32(type).i32(0).text(layer.get()).f32(0.25f).f32(0.5f).f32(0.75f);
    for (uint32_t r = 1; r <= 6; ++r) {
        b.u32(r);  // reserved words: not taken over
    }
    for (int i = 0; i < 24; ++i) {
        b.f32(base + static_cast<float>(i));
    }
    b.text(text.get());
}

const char kShapeClass[] =
    "\xFF\xFF\x00\x00\x06\x00"
    "CShape";

// Two layers ("A" green with T_File, "B" blue with T_B) and two shapes: a line on "A"
// and a text on "B" whose text is 200 bytes long.
std::string TwoShapeFile(const std::string& banner = "Tarno_III V0.08     ") {
    Bytes b = Header(banner);
    b.i32(2);
    AppendLayer(b, "A", {0, 1, 0, 0.5, 0.25, 0}, "T_File");
    AppendLayer(b, "B", {0, 0, 1, 0, 0, 1}, "T_B");
    b.i32(2).text(std::string(kShapeClass, 12));
    AppendShapeBody(b, SHAPE_LINE, Short("A"), 100.0f, Bytes().u8(0));
    b.hex("01 80");
    AppendShapeBody(b, SHAPE_TEXT, Short("B"), 200.0f, Bytes().u8(200).text(std::string(200, 'w')));
    return b.get();
}

class InsertFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        // The open drawing: layer "A" red with its own texture, one selected circle.
        EnsureLayer("A");
        g_layerAttributes[0] = {1, 0, 0, 0, 0, 1};
        g_layerTextures[0] = "T_Mine";
        doc.m_current.m_nType = SHAPE_CIRCLE;
        doc.m_current.m_bSelected = 1;
        doc.SetCurrentLayer("A");
        doc.AddCurrentShape();
        doc.m_current = CShape{};
        doc.SetModifiedFlag(false);
        g_displayListValid = 1;
    }

    // The cancel command clears every selection.
    InsertResult Insert(const std::string& bytes) {
        const std::string path = dir.File("other.trn");
        WriteBytes(path, bytes);
        return InsertDrawingFile(doc, path, [&] {
            ++cancelled;
            for (auto& shape : doc.m_shapes) {
                shape->m_bSelected = 0;
            }
        });
    }

    std::vector<CShape> Shapes() const {
        std::vector<CShape> out;
        for (const auto& s : doc.m_shapes) {
            out.push_back(*s);
        }
        return out;
    }

    TempDir dir;
    CZorader_ezDoc doc;
    int cancelled = 0;
};

TEST_F(InsertFileTest, ShapesAreAppendedSelectedWithAllTheirFields) {
    const InsertResult result = Insert(TwoShapeFile());
    ASSERT_TRUE(result.inserted) << result.message.text;
    EXPECT_TRUE(result.message.empty());
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(result.shapesAdded, 2u);
    const std::vector<CShape> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 3u);
    // Exactly the inserted shapes are selected.
    EXPECT_EQ(shapes[0].m_bSelected, 0);
    EXPECT_EQ(shapes[1].m_bSelected, 1);
    EXPECT_EQ(shapes[2].m_bSelected, 1);

    const CShape& line = shapes[1];
    EXPECT_EQ(line.m_nType, SHAPE_LINE);
    EXPECT_EQ(line.m_strLayer, "A");
    EXPECT_EQ(line.m_attr[0], 0.25f);
    EXPECT_EQ(line.m_attr[2], 0.75f);
    for (uint32_t r : line.m_reserved) {
        EXPECT_EQ(r, 0u);
    }
    // Nothing moves: points and normals come over as stored.
    EXPECT_EQ(line.m_pt[0], (Float3{100, 101, 102}));
    EXPECT_EQ(line.m_pt[3], (Float3{109, 110, 111}));
    EXPECT_EQ(line.m_normal[0], (Float3{112, 113, 114}));
    EXPECT_EQ(line.m_normal[3], (Float3{121, 122, 123}));
    EXPECT_EQ(line.m_strText, "");
    EXPECT_EQ(shapes[2].m_nType, SHAPE_TEXT);
    EXPECT_EQ(shapes[2].m_strText, std::string(200, 'w'));  // a long text survives

    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_NONE);
    EXPECT_EQ(g_displayListValid, 0);
}

TEST_F(InsertFileTest, LayersAreMergedByExactNameAndExistingOnesUntouched) {
    const InsertResult result = Insert(TwoShapeFile());
    ASSERT_TRUE(result.inserted);
    EXPECT_EQ(result.layersAdded, 1);
    ASSERT_EQ(g_layerCount, 2);
    EXPECT_EQ(g_layerNames[0], "A");
    EXPECT_EQ(g_layerAttributes[0], (Attributes{1, 0, 0, 0, 0, 1}));
    EXPECT_EQ(g_layerTextures[0], "T_Mine");
    // A new layer takes everything from the file, its visible flag included.
    EXPECT_EQ(g_layerNames[1], "B");
    EXPECT_EQ(g_layerAttributes[1], (Attributes{0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(g_layerTextures[1], "T_B");
    // The file's rendering settings are not used.
    EXPECT_EQ(g_skyTexture, "S_Cloud1");
    EXPECT_EQ(g_sunLatitude, 36.0);
}

TEST_F(InsertFileTest, NewLayersStopAt99AndTheirShapesStillCome) {
    g_layerCount = 0;
    for (int i = 0; i < 98; ++i) {
        EnsureLayer("L" + std::to_string(i));
    }
    Bytes b = Header();
    b.i32(3);
    AppendLayer(b, "L5", {0, 0, 0, 0, 0, 0}, "T_Ignored");
    AppendLayer(b, "NEW1", {0.5, 0.5, 0.5, 0, 0, 0}, "T_New1");
    AppendLayer(b, "NEW2", {0.5, 0.5, 0.5, 0, 0, 1}, "T_New2");
    b.i32(1).text(std::string(kShapeClass, 12));
    AppendShapeBody(b, SHAPE_LINE, Short("NEW2"), 0.0f, Bytes().u8(0));
    const InsertResult result = Insert(b.get());
    ASSERT_TRUE(result.inserted);
    EXPECT_EQ(result.layersAdded, 1);
    EXPECT_EQ(g_layerCount, 99);
    EXPECT_EQ(g_layerNames[98], "NEW1");
    EXPECT_EQ(g_layerAttributes[98], (Attributes{0.5, 0.5, 0.5, 0, 0, 0}));
    EXPECT_EQ(g_layerTextures[98], "T_New1");
    EXPECT_EQ(g_layerAttributes[5], (Attributes{1, 1, 1, 0, 0, 1}));
    EXPECT_EQ(FindLayer("NEW2"), 99);
    EXPECT_EQ(doc.m_shapes.back()->m_strLayer, "NEW2");
    EXPECT_EQ(doc.m_shapes.size(), 2u);
}

TEST_F(InsertFileTest, FullTableAddsShapesButNoLayer) {
    for (int i = 1; i < 99; ++i) {
        EnsureLayer("L" + std::to_string(i));
    }
    ASSERT_EQ(g_layerCount, 99);
    const InsertResult result = Insert(TwoShapeFile());
    ASSERT_TRUE(result.inserted);
    EXPECT_EQ(result.layersAdded, 0);
    EXPECT_EQ(g_layerCount, 99);
    EXPECT_EQ(doc.m_shapes.size(), 3u);
    EXPECT_EQ(doc.m_shapes.back()->m_strLayer, "B");
}

TEST_F(InsertFileTest, InsertingTwiceDoublesTheShapesOnTopOfEachOther) {
    ASSERT_TRUE(Insert(TwoShapeFile()).inserted);
    ASSERT_TRUE(Insert(TwoShapeFile()).inserted);
    const std::vector<CShape> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 5u);
    // The second cancel cleared the first insert's selection; otherwise the copies are
    // identical.
    EXPECT_EQ(shapes[1].m_bSelected, 0);
    EXPECT_EQ(shapes[2].m_bSelected, 0);
    EXPECT_EQ(shapes[3].m_bSelected, 1);
    EXPECT_EQ(shapes[4].m_bSelected, 1);
    for (size_t i = 1; i <= 2; ++i) {
        CShape first = shapes[i];
        first.m_bSelected = 1;
        EXPECT_EQ(shapes[i + 2], first);
    }
    EXPECT_EQ(g_layerCount, 2);
}

TEST_F(InsertFileTest, EveryStringFormIsRead) {
    Bytes b = Header();
    const std::string longName(300, 'N');
    b.i32(1).u8(0xFF).u16(300).text(longName);
    for (int i = 0; i < 6; ++i) {
        b.f64(1);
    }
    b.hex("FF FF FF").u32(3).text("T_3");  // double-word length
    b.i32(3).text(std::string(kShapeClass, 12));
    const std::string text128(128, 't');
    AppendShapeBody(b, SHAPE_TEXT, Bytes().u8(0xFF).u16(300).text(longName), 0,
                    Bytes().u8(128).text(text128));
    b.hex("01 80");
    // 16-bit characters: "壁" is U+58C1.
    AppendShapeBody(b, SHAPE_TEXT, Short("W"), 0, Bytes().hex("FF FE FF 01").u16(0x58C1));
    b.hex("01 80");
    AppendShapeBody(b, SHAPE_TEXT, Short("W"), 0,
                    Bytes().hex("FF FF FF").u32(70000).text(std::string(70000, 'x')));
    const InsertResult result = Insert(b.get());
    ASSERT_TRUE(result.inserted) << result.message.text;
    EXPECT_EQ(g_layerNames[1], longName);
    EXPECT_EQ(g_layerTextures[1], "T_3");
    const std::vector<CShape> shapes = Shapes();
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[1].m_strLayer, longName);
    EXPECT_EQ(shapes[1].m_strText, text128);
    EXPECT_EQ(shapes[2].m_strText, "\x95\xC7");
    EXPECT_EQ(shapes[3].m_strText, std::string(70000, 'x'));
}

TEST_F(InsertFileTest, BannerIsNotExamined) {
    const InsertResult result = Insert(TwoShapeFile("SomethingElse"));
    EXPECT_TRUE(result.inserted);
    EXPECT_EQ(doc.m_shapes.size(), 3u);
}

TEST_F(InsertFileTest, FileWithoutShapesAddsItsLayers) {
    Bytes b = Header();
    b.i32(1);
    AppendLayer(b, "ONLY", {0, 0, 0, 0, 0, 1}, "");
    b.i32(0);
    const InsertResult result = Insert(b.get());
    ASSERT_TRUE(result.inserted) << result.message.text;
    EXPECT_EQ(result.shapesAdded, 0u);
    EXPECT_EQ(g_layerNames[1], "ONLY");
    EXPECT_EQ(doc.m_shapes.size(), 1u);
}

TEST_F(InsertFileTest, TruncatedFileInsertsNothing) {
    const std::string whole = TwoShapeFile();
    const std::vector<CShape> before = Shapes();
    // Every cut short of the whole file, from the empty file on.
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        const InsertResult result = Insert(whole.substr(0, length));
        ASSERT_FALSE(result.inserted);
        EXPECT_EQ(result.message.text, kBadFormat);
        EXPECT_EQ(result.message.icon, MessageIcon::Exclamation);
        ASSERT_EQ(g_layerCount, 1);
        ASSERT_EQ(Shapes().size(), 1u);
        // The same bytes from memory.
        ASSERT_EQ(InsertDrawingBytes(doc, whole.substr(0, length), "part.trn").message.text,
                  kBadFormat);
        ASSERT_EQ(Shapes().size(), 1u);
    }
    EXPECT_EQ(g_layerTextures[0], "T_Mine");
    EXPECT_FALSE(doc.IsModified());
    EXPECT_EQ(InsertDrawingBytes(doc, whole, "whole.trn").shapesAdded, 2u);
}

TEST_F(InsertFileTest, MalformedFilesInsertNothing) {
    auto withShapeCount = [](int32_t layers, int32_t shapes, const std::string& tag) {
        Bytes b = Header();
        b.i32(layers);
        for (int i = 0; i < layers; ++i) {
            AppendLayer(b, "X" + std::to_string(i), {0, 0, 0, 0, 0, 1}, "");
        }
        b.i32(shapes).text(tag);
        AppendShapeBody(b, SHAPE_LINE, Short("X0"), 0, Bytes().u8(0));
        return b.get();
    };
    const std::string good = std::string(kShapeClass, 12);
    std::string otherClass = good;
    otherClass[7] = 'X';  // "CXhape"
    std::string otherSchema = good;
    otherSchema[2] = 1;
    const std::string cases[] = {
        withShapeCount(-1, 1, good),
        withShapeCount(101, 1, good),
        withShapeCount(1, -1, good),
        withShapeCount(1, 2, good),  // claims a second shape that is not there
        withShapeCount(1, 1, otherClass),
        withShapeCount(1, 1, otherSchema),
        withShapeCount(1, 1, std::string("\x00\x00", 2)),  // the null object in place of a shape
        withShapeCount(1, 1, std::string("\x01\x80", 2)),  // a reference to a class never announced
    };
    ASSERT_TRUE(Insert(withShapeCount(1, 1, good)).inserted);  // the pattern itself is fine
    const size_t shapes = doc.m_shapes.size();
    const int layers = g_layerCount;
    for (const std::string& bytes : cases) {
        const InsertResult result = Insert(bytes);
        EXPECT_FALSE(result.inserted);
        EXPECT_EQ(result.message.text, kBadFormat);
        EXPECT_EQ(doc.m_shapes.size(), shapes);
        EXPECT_EQ(g_layerCount, layers);
    }
}

TEST_F(InsertFileTest, FileThatCannotBeOpenedAfterTheCancelCommand) {
    const std::string path = dir.File("missing.trn");
    const InsertResult result = InsertDrawingFile(doc, path, [&] { ++cancelled; });
    EXPECT_FALSE(result.inserted);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(result.message.text, path + " が開けません");
    EXPECT_EQ(result.message.caption, "ワーニング");
    EXPECT_EQ(doc.m_shapes.size(), 1u);
}

TEST_F(InsertFileTest, ASavedDrawingInsertsAsItWasSaved) {
    CZorader_ezDoc other;
    other.m_current.m_nType = SHAPE_ARC;
    other.SetCurrentLayer("A");
    other.m_current.m_pt[1] = {5, 10, 370};
    other.AddCurrentShape();
    const std::string path = dir.File("saved.trn");
    ASSERT_TRUE(SaveDrawingFile(other, path).ok());
    const InsertResult result = InsertDrawingFile(doc, path);
    ASSERT_TRUE(result.inserted);
    CShape expected = *other.m_shapes.front();
    expected.m_bSelected = 1;
    EXPECT_EQ(*doc.m_shapes.back(), expected);
}

}  // namespace
}  // namespace marquetta
