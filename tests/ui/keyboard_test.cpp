#include "ui/keyboard.h"

#include <gtest/gtest.h>

#include "app/command_table.h"
#include "edit/view_fixture.h"
#include "test_files.h"
#include "ui/text_import.h"

namespace marquetta {
namespace {

class KeyboardTest : public ViewFixture {
  protected:
    size_t Repaints() const { return CountOf(PlatformCall::Kind::InvalidateView); }
};

TEST_F(KeyboardTest, CameraKeys) {
    const struct {
        const char* name;
        float startZ;
        std::vector<int> keys;
        Float3 translate;
        Double2 firstScreen;  // from (500, 400) in an 800 x 600 view
    } cases[] = {
        {"page up twice", -50000.0f, {KEY_PAGE_UP, KEY_PAGE_UP}, {0, 0, -40500.0f},
         {400 + 100 / 0.81, 300 + 100 / 0.81}},
        {"page up at the near limit", -5.5f, {KEY_PAGE_UP}, {0, 0, -5.5f}, {500, 400}},
        {"page down, page up", -50000.0f, {KEY_PAGE_DOWN, KEY_PAGE_UP}, {0, 0, -49500.0f},
         {400 + 100 / 0.99, 300 + 100 / 0.99}},
        {"page down at the float limit", -3.2e38f, {KEY_PAGE_DOWN}, {0, 0, -3.2e38f}, {500, 400}},
        {"left", -19200.0f, {KEY_LEFT}, {1000.0f, 0, -19200.0f}, {550, 400}},
        {"right", -19200.0f, {KEY_RIGHT}, {-1000.0f, 0, -19200.0f}, {450, 400}},
        {"up", -19200.0f, {KEY_UP}, {0, -1000.0f, -19200.0f}, {500, 450}},
        {"down", -19200.0f, {KEY_DOWN}, {0, 1000.0f, -19200.0f}, {500, 350}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        g_viewTranslate = {0.0f, 0.0f, c.startZ};
        firstScreenPoint = {500.0, 400.0};
        platform.ClearCalls();
        for (int key : c.keys) {
            view.OnKeyDown(key);
        }
        EXPECT_FLOAT_EQ(g_viewTranslate.x, c.translate.x);
        EXPECT_FLOAT_EQ(g_viewTranslate.y, c.translate.y);
        EXPECT_FLOAT_EQ(g_viewTranslate.z, c.translate.z);
        EXPECT_NEAR(firstScreenPoint.x, c.firstScreen.x, 1e-6);
        EXPECT_NEAR(firstScreenPoint.y, c.firstScreen.y, 1e-6);
        EXPECT_EQ(Repaints(), c.keys.size());  // also a refused zoom repaints
    }

    g_elevation = 30.0;
    g_azimuth = 45.0;
    view.OnKeyDown(KEY_HOME);
    EXPECT_EQ(g_elevation, 90.0);
    EXPECT_EQ(g_azimuth, 0.0);
    EXPECT_EQ(g_viewTranslate, (Float3{0.0f, 0.0f, -50000.0f}));
}

TEST_F(KeyboardTest, CommandKeysActOnlyInTheirStates) {
    const struct {
        int startGiven, state, key, reversedAfter, continuousAfter;
    } cases[] = {
        {0, EDIT_IDLE, 'D', 0, 0},        {1, EDIT_IDLE, 'D', 1, 0},
        {0, EDIT_MOVE, 'M', 0, 0},        {0, EDIT_COPY_SELECT, 'M', 0, 0},
        {0, EDIT_COPY, 'M', 0, 1},
    };
    for (const auto& c : cases) {
        arcStartGiven = c.startGiven;
        arcReversed = continuousCopy = 0;
        editState = c.state;
        view.OnKeyDown(c.key);
        EXPECT_EQ(arcReversed, c.reversedAfter);
        EXPECT_EQ(continuousCopy, c.continuousAfter);
    }
    doc.m_current.m_nType = SHAPE_LINE;
    stepPending = 1;
    view.OnKeyDown(KEY_RETURN);  // cancels
    EXPECT_EQ(stepPending + doc.m_current.m_nType, 0);
}

TEST_F(KeyboardTest, ZeroShowsTheFirstVisibleSelectedShape) {
    view.OnKeyDown('0');
    AddLine({1, 2, 3}, {4, 5, 6});
    AddLine({7, 8, 9}, {1, 1, 1}, "hidden").m_bSelected = 1;
    HideLayer("hidden");
    view.OnKeyDown('0');
    EXPECT_EQ(CountOf(PlatformCall::Kind::MessageBox), 0u);

    AddShape(SHAPE_TEXT, {10, 0, -20.5f}, {300, 250, 30}).m_bSelected = 1;
    AddLine({0, 0, 0}, {1, 0, 0}).m_bSelected = 1;
    view.OnKeyDown('0');
    const auto boxes = platform.CallsOf(PlatformCall::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    // Labelled as a drafter reads the plan: X east, Y north (the world's -z), Z up.
    EXPECT_EQ(boxes[0].text,
              "図形 3（文字）\n位置: X=10.000 Y=20.500 Z=0.000\n高さ=300.000 幅=250.000 角度=30.000°");
    EXPECT_EQ(boxes[0].caption, "Marquetta");
}

TEST(TextLinesTest, LinesPiecesAndEncodings) {
    const std::string kana150(300, '\x82');  // 150 two-byte CP932 characters
    const struct {
        const char* name;
        std::string bytes;
        std::vector<ImportedLine> lines;
    } cases[] = {
        {"blank lines leave gaps", "A\n\nB", {{0, "A"}, {2, "B"}}},
        {"CR LF line ends", "A\r\n \r\nB\r\n", {{0, "A"}, {1, " "}, {2, "B"}}},
        {"UTF-8 Japanese", "日本\n語\n", {{0, "\x93\xFA\x96\x7B"}, {1, "\x8C\xEA"}}},
        {"UTF-8 with a mark, a character CP932 lacks", "\xEF\xBB\xBF" "A😀", {{0, "A?"}}},
        {"CP932 bytes as they are", "\x93\xFA\n", {{0, "\x93\xFA"}}},
        {"a long line in pieces", std::string(300, 'a') + "\nB",
         {{0, std::string(255, 'a')}, {1, std::string(45, 'a')}, {2, "B"}}},
        {"no piece splits a character", kana150,
         {{0, kana150.substr(0, 254)}, {1, kana150.substr(254)}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ReadTextLines(c.bytes), c.lines);
    }
}

TEST(TextImportTest, Utf8TextWithoutTheConverterIsRefusedAndAsciiStillImports) {
    testing::TempDir dir;
    testing::WriteBytes(dir.File("jp.txt"), "図面\n");
    testing::WriteBytes(dir.File("en.txt"), "plan\n");
    testing::WithoutCp932 minimalSystem;
    CZorader_ezDoc doc;
    const TextImportResult refused = ImportTextFile(doc, dir.File("jp.txt"));
    EXPECT_EQ(refused.textsMade, 0u);
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_NE(refused.message.text.find("CP932"), std::string::npos);
    EXPECT_NE(refused.message.text.find("jp.txt"), std::string::npos);
    EXPECT_EQ(ImportTextFile(doc, dir.File("en.txt")).textsMade, 1u);
}

TEST_F(KeyboardTest, NineImportsATextFileUnderTheOrigin) {
    testing::TempDir dir;
    const std::string path = dir.File("lines.txt");
    testing::WriteBytes(path, "A\n\nB");
    lastTextHeight = 250.0;
    lastTextWidth = 200.0;
    lastTextAngle = 30.0;

    // Cancelled in the dialog: not even the running command ends.
    doc.m_current.m_nType = SHAPE_LINE;
    stepPending = 1;
    view.OnKeyDown('9');
    EXPECT_EQ(stepPending, 1);
    EXPECT_EQ(platform.CallsOf(PlatformCall::Kind::AskFileName).at(0).fileDialog.filter,
              "TEXTファイル(*.txt)|*.txt||");

    platform.QueueFileName(dir.File("missing.txt"));
    view.OnKeyDown('9');
    EXPECT_EQ(stepPending, 0);  // cancelled before the file is opened
    EXPECT_TRUE(doc.m_shapes.empty());
    EXPECT_FALSE(doc.IsModified());
    const auto boxes = platform.CallsOf(PlatformCall::Kind::MessageBox);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, dir.File("missing.txt") + " が開けません");

    platform.QueueFileName(path);
    view.OnKeyDown('9');
    ASSERT_EQ(doc.m_shapes.size(), 2u);
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.m_current.m_nType, SHAPE_NONE);
    const float z[2] = {0.0f, static_cast<float>(2 * 250.0 * 1.2)};
    for (size_t i = 0; i < 2; ++i) {
        const CShape& text = Shape(i);
        EXPECT_EQ(text.m_nType, SHAPE_TEXT);
        EXPECT_EQ(text.m_strText, i == 0 ? "A" : "B");
        EXPECT_EQ(text.m_pt[0], (Float3{0, 0, z[i]}));
        EXPECT_EQ(text.m_pt[1], (Float3{250, 200, 30}));
        EXPECT_EQ(text.m_strLayer, "0");
    }
}

// Characters the drawing cannot hold would become "?": the import names them and asks.
TEST_F(KeyboardTest, NineNamesTheCharactersItWouldReplaceAndAsks) {
    testing::TempDir dir;
    const std::string path = dir.File("mail.txt");
    testing::WriteBytes(path, "\xEF\xBB\xBF" "寿司🍣\n😀🍣😀\n");
    const struct {
        MessageAnswer answer;
        size_t texts;
    } cases[] = {{MessageAnswer::No, 0}, {MessageAnswer::Yes, 2}};
    for (const auto& c : cases) {
        doc.DeleteAllShapes();
        platform.ClearCalls();
        platform.QueueFileName(path);
        platform.QueueAnswer(c.answer);
        view.OnKeyDown('9');
        const auto boxes = platform.CallsOf(PlatformCall::Kind::MessageBox);
        ASSERT_EQ(boxes.size(), 1u);
        // Each once, in the order met; the byte-order mark is no character of the text.
        EXPECT_EQ(boxes[0].text,
                  "「🍣😀」は図面に保存できない文字です。「?」に置き換えて読み込みますか？");
        EXPECT_EQ(boxes[0].buttons, MessageButtons::YesNo);
        ASSERT_EQ(doc.m_shapes.size(), c.texts);
        if (c.texts > 0) {
            EXPECT_EQ(Shape(1).m_strText, "???");
        }
    }
    // A file whose every character converts asks nothing.
    testing::WriteBytes(path, "寿司\n");
    platform.ClearCalls();
    platform.QueueFileName(path);
    view.OnKeyDown('9');
    EXPECT_TRUE(platform.CallsOf(PlatformCall::Kind::MessageBox).empty());
}

TEST(KeyNameTest, NamesKeysAsTheMenusShowThem) {
    const struct {
        int key, modifiers;
        const char* name;
    } cases[] = {
        {'Z', MOD_CTRL | MOD_SHIFT, "Ctrl+Shift+Z"}, {KEY_BACKSPACE, MOD_ALT, "Alt+Backspace"},
        {KEY_INSERT, MOD_SHIFT, "Shift+Insert"},     {KEY_PAGE_UP, MOD_NONE, "Page Up"},
        {KEY_F6, MOD_SHIFT, "Shift+F6"},             {KEY_LEFT, MOD_NONE, "←"},
        {'9', MOD_NONE, "9"},                        {KEY_NUMPAD0, MOD_NONE, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyName(c.key, c.modifiers), c.name);
    }
    // The shortcut a menu item shows is a key of that command.
    for (const CommandInfo& info : CommandTable()) {
        const std::string caption = info.caption;
        const size_t tab = caption.find('\t');
        if (tab == std::string::npos) {
            continue;
        }
        bool found = false;
        for (const Accelerator& a : AcceleratorTable()) {
            found = found || (a.command == info.id && !a.character &&
                              KeyName(a.key, a.modifiers) == caption.substr(tab + 1));
        }
        EXPECT_TRUE(found) << caption;
    }
}

}  // namespace
}  // namespace marquetta
