#include "text/stroke_font.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/cp932.h"

namespace marquetta {
namespace {

std::vector<GlyphStep> Decode(std::span<const uint8_t> record) {
    std::vector<GlyphStep> steps;
    DecodeGlyph(record, [&steps](GlyphStep s) { steps.push_back(s); });
    return steps;
}

// A font image with an all-zero index and the given records after it.
std::vector<uint8_t> FontWithRecords(const std::vector<uint8_t>& records) {
    std::vector<uint8_t> font(kGlyphRecordsOffset + records.size(), 0);
    for (size_t i = 0; i < records.size(); ++i) {
        font[kGlyphRecordsOffset + i] = records[i];
    }
    return font;
}

void SetEntry(std::vector<uint8_t>& font, uint8_t lead, uint8_t trail, size_t offset) {
    const auto slot = GlyphSlotOf(lead, trail);
    ASSERT_TRUE(slot);
    const size_t at = GlyphIndexEntryOffset(slot->row, slot->column);
    font[at] = static_cast<uint8_t>(offset >> 16);
    font[at + 1] = static_cast<uint8_t>(offset >> 8);
    font[at + 2] = static_cast<uint8_t>(offset);
}

std::string Utf8Of(FullWidthCode code) {
    return Cp932ToUtf8(std::string{static_cast<char>(code.lead), static_cast<char>(code.trail)});
}

// ---------------------------------------------------------------------------------------
// Index arithmetic

TEST(StrokeFontIndex, RowsAndColumnsAtTheEdgesOfEachRange) {
    struct Case {
        uint8_t lead, trail;
        int row, column;
    };
    const Case cases[] = {
        {0x81, 0x40, 0, 0},    {0x81, 0x7E, 0, 62}, {0x81, 0x80, 0, 63},   {0x81, 0xFC, 0, 187},
        {0x9F, 0x40, 30, 0},   {0xE0, 0x40, 31, 0}, {0xEA, 0xFC, 41, 187}, {0xFA, 0x40, 42, 0},
        {0xFC, 0xFC, 44, 187}, {0x88, 0x9F, 7, 94},
    };
    for (const Case& c : cases) {
        const auto slot = GlyphSlotOf(c.lead, c.trail);
        ASSERT_TRUE(slot) << std::hex << int(c.lead) << " " << int(c.trail);
        EXPECT_EQ(slot->row, c.row) << std::hex << int(c.lead);
        EXPECT_EQ(slot->column, c.column) << std::hex << int(c.trail);
    }
    EXPECT_EQ(kGlyphRecordsOffset, 25508u);
    EXPECT_EQ(GlyphIndexEntryOffset(0, 0), 128u);
    EXPECT_EQ(GlyphIndexEntryOffset(44, 187), 25505u);  // lead 0xFC, trail 0xFC: the last entry
}

TEST(StrokeFontIndex, BytesOutsideTheRangesHaveNoSlot) {
    for (uint8_t lead : {0x00, 0x40, 0x80, 0xA0, 0xDF, 0xEB, 0xED, 0xF0, 0xF9, 0xFD, 0xFF}) {
        EXPECT_FALSE(GlyphSlotOf(lead, 0x40)) << std::hex << int(lead);
    }
    for (uint8_t trail : {0x00, 0x3F, 0x7F, 0xFD, 0xFE, 0xFF}) {
        EXPECT_FALSE(GlyphSlotOf(0x88, trail)) << std::hex << int(trail);
    }
}

TEST(StrokeFontIndex, CodeOfSlotInvertsTheRowAndColumnRule) {
    for (int row = 0; row < kGlyphIndexRows; ++row) {
        for (int column = 0; column < kGlyphIndexColumns; ++column) {
            const FullWidthCode code = CodeOfSlot(row, column);
            const auto slot = GlyphSlotOf(code.lead, code.trail);
            ASSERT_TRUE(slot) << row << " " << column;
            EXPECT_EQ(slot->row, row);
            EXPECT_EQ(slot->column, column);
        }
    }
}

// ---------------------------------------------------------------------------------------
// Lookup

TEST(StrokeFontLookup, EntryIsA24BitBigEndianOffset) {
    std::vector<uint8_t> font = FontWithRecords({});
    font.resize(0x010203 + 2, 0xEE);
    font[0x010203] = 0x00;
    SetEntry(font, 0x88, 0x9F, 0x010203);
    const auto record = FindGlyphIn(font, 0x88, 0x9F);
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(record.data(), font.data() + 0x010203);
}

TEST(StrokeFontLookup, LastEntryAndEndOfFile) {
    std::vector<uint8_t> font = FontWithRecords({0x00, 0x01, 0x00, 0x05});
    SetEntry(font, 0xFC, 0xFC, kGlyphRecordsOffset + 1);
    EXPECT_EQ(font[25505], 0x00);
    EXPECT_EQ(font[25506], 0x63);
    EXPECT_EQ(font[25507], 0xA5);
    const auto record = FindGlyphIn(font, 0xFC, 0xFC);
    ASSERT_EQ(record.size(), 3u);  // to the end of the font
    EXPECT_EQ(record[0], 0x01);

    SetEntry(font, 0xFC, 0xFC, font.size() - 1);  // the last byte is still a record
    EXPECT_EQ(FindGlyphIn(font, 0xFC, 0xFC).size(), 1u);
    SetEntry(font, 0xFC, 0xFC, font.size());  // at the end: no glyph
    EXPECT_TRUE(FindGlyphIn(font, 0xFC, 0xFC).empty());
    SetEntry(font, 0xFC, 0xFC, 0xFFFFFF);
    EXPECT_TRUE(FindGlyphIn(font, 0xFC, 0xFC).empty());
    SetEntry(font, 0xFC, 0xFC, 0);  // zero entry
    EXPECT_TRUE(FindGlyphIn(font, 0xFC, 0xFC).empty());
}

TEST(StrokeFontLookup, OutOfRangeCodesAndShortFontsFindNothing) {
    std::vector<uint8_t> font = FontWithRecords({0x00});
    // Fill every entry with the record's offset: only addressable codes may find it.
    for (int row = 0; row < kGlyphIndexRows; ++row) {
        for (int column = 0; column < kGlyphIndexColumns; ++column) {
            const FullWidthCode code = CodeOfSlot(row, column);
            SetEntry(font, code.lead, code.trail, kGlyphRecordsOffset);
        }
    }
    EXPECT_FALSE(FindGlyphIn(font, 0x88, 0x9F).empty());
    EXPECT_TRUE(FindGlyphIn(font, 0xEB, 0x40).empty());
    EXPECT_TRUE(FindGlyphIn(font, 0x88, 0x7F).empty());
    EXPECT_TRUE(FindGlyphIn(font, 0x88, 0xFD).empty());
    // A font cut short inside the index: the entries past its end are no glyph.
    const std::span<const uint8_t> cut(font.data(), 25506);
    EXPECT_TRUE(FindGlyphIn(cut, 0xFC, 0xFC).empty());
    EXPECT_TRUE(FindGlyphIn({}, 0x81, 0x40).empty());
}

TEST(StrokeFontLookup, NoFontFindsNothing) {
    const uint8_t* data = g_fontData;
    const size_t size = g_fontSize;
    g_fontData = nullptr;
    g_fontSize = 0;
    EXPECT_TRUE(FindGlyph(0x88, 0x9F).empty());
    g_fontData = data;
    g_fontSize = size;
}

// ---------------------------------------------------------------------------------------
// Decoding

TEST(StrokeFontDecode, FortyFiveDegreeDiagonals) {
    // Pen up to (3, 10) with operation 2, a falling diagonal to A = 7, a rising one to A = 3.
    const std::vector<uint8_t> record = {3, 0x23, 0xA0, 0xC7, 0xB3};
    const std::vector<GlyphStep> expected = {{3, 10, false}, {7, 6, true}, {3, 10, true}};
    EXPECT_EQ(Decode(record), expected);
}

TEST(StrokeFontDecode, OperationTwoTakesTwoBytesAndTheNextRecordFollows) {
    // Record 1: op 2 to (5, 9) with stray low bits in its second byte, then op 1 to y = 1.
    // Record 2 follows at once: op 0 pen up to x = 4.
    std::vector<uint8_t> font = FontWithRecords({2, 0x25, 0x9F, 0x91, 1, 0x04});
    SetEntry(font, 0x88, 0x9F, kGlyphRecordsOffset);
    SetEntry(font, 0x88, 0xA0, kGlyphRecordsOffset + 4);
    const auto first = FindGlyphIn(font, 0x88, 0x9F);
    EXPECT_EQ(Decode(first), (std::vector<GlyphStep>{{5, 9, false}, {5, 1, true}}));
    EXPECT_EQ(GlyphRecordLength(first), 4u);
    EXPECT_EQ(Decode(FindGlyphIn(font, 0x88, 0xA0)), (std::vector<GlyphStep>{{4, 0, false}}));
}

TEST(StrokeFontDecode, AxisMovesAndInertOperations) {
    // op 0 x = 12, op 1 y = 15 (pen down), op 5, 6, 7 stay, op 4 with A = x stays too.
    const std::vector<uint8_t> record = {6, 0x0C, 0x9F, 0xD3, 0x6E, 0xFF, 0xCC};
    const std::vector<GlyphStep> expected = {{12, 0, false},  {12, 15, true}, {12, 15, true},
                                             {12, 15, false}, {12, 15, true}, {12, 15, true}};
    EXPECT_EQ(Decode(record), expected);
}

TEST(StrokeFontDecode, DiagonalsMayLeaveTheCellWithoutHarm) {
    // The decoder follows the arithmetic even past the cell: from (0, 0) falling to x = 15.
    EXPECT_EQ(Decode(std::vector<uint8_t>{1, 0x4F}), (std::vector<GlyphStep>{{15, -15, false}}));
}

TEST(StrokeFontDecode, StopsQuietlyWhereTheDataEnds) {
    EXPECT_TRUE(Decode({}).empty());
    EXPECT_TRUE(Decode(std::vector<uint8_t>{0, 0x05}).empty());  // n = 0 draws nothing
    // n = 3 but one command present.
    EXPECT_EQ(Decode(std::vector<uint8_t>{3, 0x05}), (std::vector<GlyphStep>{{5, 0, false}}));
    // Operation 2 without its second byte yields nothing for that command.
    EXPECT_EQ(Decode(std::vector<uint8_t>{2, 0x05, 0xA3}), (std::vector<GlyphStep>{{5, 0, false}}));
    EXPECT_EQ(GlyphRecordLength(std::vector<uint8_t>{2, 0x05, 0xA3}), std::nullopt);
    EXPECT_EQ(GlyphRecordLength(std::vector<uint8_t>{2, 0x05}), std::nullopt);
    EXPECT_EQ(GlyphRecordLength(std::vector<uint8_t>{0}), 1u);
    EXPECT_EQ(GlyphRecordLength(std::vector<uint8_t>{2, 0x05, 0xA3, 0x40, 0x77}), 4u);
}

// ---------------------------------------------------------------------------------------
// Encoding

TEST(StrokeFontEncode, ChoosesTheShortestCommand) {
    const std::vector<GlyphStep> path = {
        {0, 0, false},    // y stays: op 0, even for no move at all
        {0, 15, true},    // x stays: op 1
        {15, 15, true},   // op 0
        {10, 10, true},   // falling 45 degrees, leftwards: op 4
        {12, 12, true},   // rising: op 3
        {13, 14, false},  // neither: op 2 with y in the high bits of the second byte
        {15, 12, true},   // falling, rightwards: op 4
    };
    const std::vector<uint8_t> expected = {7, 0x00, 0x9F, 0x8F, 0xCA, 0xBC, 0x2D, 0xE0, 0xCF};
    const std::vector<uint8_t> record = EncodeGlyph(path);
    EXPECT_EQ(record, expected);
    EXPECT_EQ(Decode(record), path);
    EXPECT_EQ(EncodeGlyph({}), std::vector<uint8_t>{0});
}

TEST(StrokeFontEncode, RejectsPointsOutsideTheCellAndOverlongGlyphs) {
    EXPECT_THROW(EncodeGlyph(std::vector<GlyphStep>{{16, 0, true}}), std::invalid_argument);
    EXPECT_THROW(EncodeGlyph(std::vector<GlyphStep>{{0, -1, true}}), std::invalid_argument);
    std::vector<GlyphStep> longest(255, GlyphStep{1, 1, true});
    EXPECT_EQ(EncodeGlyph(longest).size(), 256u);
    longest.push_back({1, 1, true});
    EXPECT_THROW(EncodeGlyph(longest), std::invalid_argument);
}

// ---------------------------------------------------------------------------------------
// The embedded font

class EmbeddedStrokeFont : public ::testing::Test {
  protected:
    void SetUp() override { InitFontDefaults(); }
    std::span<const uint8_t> Font() const { return {g_fontData, g_fontSize}; }
};

TEST_F(EmbeddedStrokeFont, IsTheCommittedFileInPlace) {
    ASSERT_NE(g_fontData, nullptr);
    EXPECT_EQ(g_fontData, EmbeddedFont().data());
    std::ifstream in(std::string(MARQUETTA_SOURCE_DIR) + "/res/font/stroke.fnt", std::ios::binary);
    ASSERT_TRUE(in);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    ASSERT_EQ(g_fontSize, file.size());
    EXPECT_TRUE(std::equal(file.begin(), file.end(), g_fontData));
}

TEST_F(EmbeddedStrokeFont, HasAGlyphForExactlyTheCp932Characters) {
    int glyphs = 0;
    for (int row = 0; row < kGlyphIndexRows; ++row) {
        for (int column = 0; column < kGlyphIndexColumns; ++column) {
            const FullWidthCode code = CodeOfSlot(row, column);
            const bool character = Utf8Of(code).find("\xEF\xBF\xBD") == std::string::npos;
            const bool glyph = !FindGlyph(code.lead, code.trail).empty();
            EXPECT_EQ(glyph, character) << std::hex << int(code.lead) << int(code.trail);
            glyphs += glyph ? 1 : 0;
        }
    }
    EXPECT_EQ(glyphs, 7350);
}

TEST_F(EmbeddedStrokeFont, EveryRecordReencodesToItsOwnBytesAndStaysInTheFile) {
    const auto font = Font();
    // Every byte from the first record on belongs to exactly one record.
    std::vector<int> owner(font.size(), 0);
    std::vector<size_t> seen;
    int checked = 0;
    for (int row = 0; row < kGlyphIndexRows; ++row) {
        for (int column = 0; column < kGlyphIndexColumns; ++column) {
            const FullWidthCode code = CodeOfSlot(row, column);
            const auto record = FindGlyph(code.lead, code.trail);
            if (record.empty()) {
                continue;
            }
            const size_t offset = static_cast<size_t>(record.data() - font.data());
            EXPECT_GE(offset, kGlyphRecordsOffset);
            const auto length = GlyphRecordLength(record);
            ASSERT_TRUE(length) << "record of " << std::hex << int(code.lead) << int(code.trail)
                                << " runs past the end of the font";
            const std::vector<GlyphStep> steps = Decode(record);
            ASSERT_EQ(steps.size(), record[0]);
            if (!steps.empty()) {
                EXPECT_EQ(record[1] & 0x80, 0) << "first command draws";
            }
            for (size_t i = 1; i < *length; ++i) {
                const int op = (record[i] >> 4) & 0x07;
                EXPECT_LE(op, 4);
                i += op == 2 ? 1 : 0;
            }
            const std::vector<uint8_t> again = EncodeGlyph(steps);
            ASSERT_EQ(again.size(), *length);
            EXPECT_TRUE(std::equal(again.begin(), again.end(), record.begin()))
                << std::hex << int(code.lead) << int(code.trail);
            if (std::find(seen.begin(), seen.end(), offset) == seen.end()) {
                seen.push_back(offset);
                for (size_t i = 0; i < *length; ++i) {
                    ++owner[offset + i];
                }
            }
            ++checked;
        }
    }
    EXPECT_EQ(checked, 7350);
    for (size_t i = kGlyphRecordsOffset; i < font.size(); ++i) {
        ASSERT_EQ(owner[i], 1) << "byte " << i;
    }
}

TEST_F(EmbeddedStrokeFont, SpacesDrawNothingAndLettersDrawStrokes) {
    EXPECT_TRUE(Decode(FindGlyph(0x81, 0x40)).empty());  // the ideographic space
    EXPECT_FALSE(ToFullWidthCode(' '));
    auto drawn = [](FullWidthCode code) {
        int strokes = 0;
        DecodeGlyph(FindGlyph(code.lead, code.trail), [&](GlyphStep s) { strokes += s.penDown; });
        return strokes;
    };
    EXPECT_GE(drawn({0x82, 0x60}), 3);  // Ａ
    EXPECT_GE(drawn({0x88, 0x9F}), 1);  // 亜
    EXPECT_GE(drawn({0x87, 0x40}), 3);  // ①
    EXPECT_GE(drawn({0xFC, 0x4B}), 3);  // the last extension kanji
}

// ---------------------------------------------------------------------------------------
// Single-byte characters

TEST(ToFullWidthCode, DigitsAndLetters) {
    auto code = [](uint8_t b) {
        const auto c = ToFullWidthCode(b);
        return c ? c->lead * 256 + c->trail : 0;
    };
    EXPECT_EQ(code('A'), 0x8260);
    EXPECT_EQ(code('Z'), 0x8279);
    EXPECT_EQ(code('0'), 0x824F);
    EXPECT_EQ(code('9'), 0x8258);
    EXPECT_EQ(code('a'), 0x8281);
    EXPECT_EQ(code('z'), 0x829A);
    EXPECT_EQ(code(0xB1), 0x8341);
    EXPECT_EQ(code('"'), 0x818D);
    EXPECT_EQ(code('\''), 0x818C);
    EXPECT_EQ(code(0x5C), 0x818F);
    EXPECT_EQ(code('~'), 0x8150);
    EXPECT_EQ(code(0xA4), 0x8143);
    EXPECT_EQ(code(0xDE), 0x814A);
    EXPECT_EQ(code(0xDF), 0x814B);
}

TEST(ToFullWidthCode, PrintableAsciiBecomesItsFullWidthForm) {
    // Checked against CP932 itself: the full-width form is U+FF01 + (byte - 0x21), except
    // for the four signs drawn with a neighbouring character.
    for (int b = 0x21; b <= 0x7E; ++b) {
        const auto code = ToFullWidthCode(static_cast<uint8_t>(b));
        ASSERT_TRUE(code) << b;
        std::string expected;
        switch (b) {
            case '"':
                expected = "\u2033";
                break;  // double prime
            case '\'':
                expected = "\u2032";
                break;  // prime
            case 0x5C:
                expected = "\uFFE5";
                break;  // full-width yen sign
            case '~':
                expected = "\uFFE3";
                break;  // full-width macron (overline)
            default:    // U+FF01-U+FF3F are EF BC 81-BF in UTF-8, U+FF40-U+FF5E EF BD 80-9E
                expected = b < 0x60 ? std::string("\xEF\xBC") + static_cast<char>(0x80 + b - 0x20)
                                    : std::string("\xEF\xBD") + static_cast<char>(0x80 + b - 0x60);
        }
        EXPECT_EQ(Utf8Of(*code), expected) << "byte 0x" << std::hex << b;
    }
}

TEST(ToFullWidthCode, HalfWidthKatakanaBecomeFullWidthKatakana) {
    // 0xA1-0xDF in order, as full-width characters; the half-width ideographic comma 0xA4
    // is drawn with the full-width comma.
    const char* forms[] = {"。", "「", "」", "，", "・", "ヲ", "ァ", "ィ", "ゥ", "ェ", "ォ",
                           "ャ", "ュ", "ョ", "ッ", "ー", "ア", "イ", "ウ", "エ", "オ", "カ",
                           "キ", "ク", "ケ", "コ", "サ", "シ", "ス", "セ", "ソ", "タ", "チ",
                           "ツ", "テ", "ト", "ナ", "ニ", "ヌ", "ネ", "ノ", "ハ", "ヒ", "フ",
                           "ヘ", "ホ", "マ", "ミ", "ム", "メ", "モ", "ヤ", "ユ", "ヨ", "ラ",
                           "リ", "ル", "レ", "ロ", "ワ", "ン", "゛", "゜"};
    static_assert(std::size(forms) == 0xDF - 0xA1 + 1);
    for (int b = 0xA1; b <= 0xDF; ++b) {
        const auto code = ToFullWidthCode(static_cast<uint8_t>(b));
        ASSERT_TRUE(code) << b;
        EXPECT_EQ(Utf8Of(*code), forms[b - 0xA1]) << "byte 0x" << std::hex << b;
    }
}

TEST(ToFullWidthCode, SpaceControlsAndUnusedBytesHaveNoGlyph) {
    for (int b = 0; b <= 0x20; ++b) {
        EXPECT_FALSE(ToFullWidthCode(static_cast<uint8_t>(b))) << b;
    }
    for (int b : {0x7F, 0x80, 0xA0, 0xFD, 0xFE, 0xFF}) {
        EXPECT_FALSE(ToFullWidthCode(static_cast<uint8_t>(b))) << b;
    }
}

TEST_F(EmbeddedStrokeFont, EveryMappedSingleByteHasAGlyph) {
    for (int b = 0; b < 256; ++b) {
        if (const auto code = ToFullWidthCode(static_cast<uint8_t>(b))) {
            EXPECT_FALSE(FindGlyph(code->lead, code->trail).empty()) << b;
        }
    }
}

}  // namespace
}  // namespace marquetta
