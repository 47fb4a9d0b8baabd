#include "text/text_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/program_defaults.h"
#include "platform/platform.h"
#include "text/stroke_font.h"

namespace marquetta {
namespace {

using namespace std::string_view_literals;

// A font image with a handful of hand-made glyphs, laid out as the program reads it:
// the index at 128 (45 rows x 188 entries x 3 bytes, big-endian offsets), records from
// 25,508 on.
class TinyFont {
  public:
    TinyFont() : bytes_(25508, 0) {}

    void Add(uint8_t lead, uint8_t trail, std::vector<uint8_t> record) {
        int row = lead <= 0x9F ? lead - 0x81 : lead <= 0xEA ? lead - 0xC1 : lead - 0xD0;
        int column = trail <= 0x7E ? trail - 0x40 : trail - 0x41;
        const size_t entry = 128 + 564 * static_cast<size_t>(row) + 3 * static_cast<size_t>(column);
        const size_t offset = bytes_.size();
        bytes_[entry] = static_cast<uint8_t>(offset >> 16);
        bytes_[entry + 1] = static_cast<uint8_t>(offset >> 8);
        bytes_[entry + 2] = static_cast<uint8_t>(offset);
        bytes_.insert(bytes_.end(), record.begin(), record.end());
    }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

  private:
    std::vector<uint8_t> bytes_;
};

struct PenCall {
    char op;  // 'M' move, 'L' line
    int x;
    int y;
    bool operator==(const PenCall&) const = default;
};

class RecordingPen : public PrintPen {
  public:
    void MoveTo(int x, int y) override { calls.push_back({'M', x, y}); }
    void LineTo(int x, int y) override { calls.push_back({'L', x, y}); }
    std::vector<PenCall> calls;
};

// Model-view (x, y, z) -> eye (x, -z, y), then a projection that divides by 128, on a
// 256 x 256 viewport: ground point (X, 0, Z) lands on window (X + 128, 128 - Z) exactly.
const double kPlanModelview[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, 0, 1};
const double kScaleProjection[16] = {1.0 / 128, 0, 0,         0, 0, 1.0 / 128, 0, 0,
                                     0,         0, 1.0 / 128, 0, 0, 0,         0, 1};
const double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
const int kViewport[4] = {0, 0, 256, 256};
const ProjectionRef kPlan{kPlanModelview, kScaleProjection, kViewport};

class TextLayoutTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitProgramDefaults();
        savedData_ = g_fontData;
        savedSize_ = g_fontSize;
        // "Ａ": one stroke along the baseline, (0,0)-(15,0).
        font_.Add(0x82, 0x60, {2, 0x00, 0x8F});
        // "Ｂ": one stroke up the left side, (0,0)-(0,15).
        font_.Add(0x82, 0x61, {2, 0x00, 0x9F});
        // "Ｄ" and "Ｅ": one and two units along the baseline.
        font_.Add(0x82, 0x63, {2, 0x00, 0x81});
        font_.Add(0x82, 0x64, {2, 0x00, 0x82});
        // "ア": like "Ｂ".
        font_.Add(0x83, 0x41, {2, 0x00, 0x9F});
        // "亜": pen up to (0,2), then a two-byte command drawing to (4,6).
        font_.Add(0x88, 0x9F, {3, 0x00, 0x12, 0xA4, 0x60});
        g_fontData = font_.bytes().data();
        g_fontSize = font_.bytes().size();
    }
    void TearDown() override {
        g_fontData = savedData_;
        g_fontSize = savedSize_;
    }

    std::vector<float> View(std::string_view text, double x0, double z0, double height,
                            double width, double angle) {
        std::vector<float> batch;
        EXPECT_EQ(DrawStrokeText(text, x0, z0, height, width, angle, TextTarget::View(batch)), 1);
        return batch;
    }

    // Picks `text` laid out from the origin at width 20, height 16, with the cursor on
    // window point (wx, wy) of the plan projection.
    int Pick(std::string_view text, double wx, double wy, double width = 20.0) {
        g_pickHit = 0;
        DrawStrokeText(text, 0.0, 0.0, 16.0, width, 0.0, TextTarget::Pick(kPlan, wx, 256.0 - wy));
        return g_pickHit;
    }

    TinyFont font_;
    HeadlessPlatform platform_;
    ScopedPlatform scope_{platform_};

  private:
    const uint8_t* savedData_ = nullptr;
    size_t savedSize_ = 0;
};

// --- Layout in the view --------------------------------------------------------------

TEST_F(TextLayoutTest, TwoHalfWidthLettersAtWidthTen) {
    // Each single-byte character is 5 wide: a unit of 0.265625, the second one at X = 5.
    const std::vector<float> batch = View("AB", 0.0, 0.0, 16.0, 10.0, 0.0);
    const std::vector<float> expected = {0, 0,  0, 15 * 0.265625f,
                                         0, 0,  //
                                         5, 0,  0, 5,
                                         0, -15};
    EXPECT_EQ(batch, expected);
    EXPECT_EQ(TextAdvanceUnits("AB"), 1.0);
}

TEST_F(TextLayoutTest, TwoByteCharacterAdvancesOneFullWidth) {
    const std::vector<float> batch = View(
        "\x88\x9F"
        "A",
        100.0, 50.0, 16.0, 10.0, 0.0);
    // "亜" unit 0.53125 wide, 1 high; "A" starts at t = 1.
    const std::vector<float> expected = {100, 0,  48, 102.125f,
                                         0,   44,  //
                                         110, 0,  50, 110 + 15 * 0.265625f,
                                         0,   50};
    EXPECT_EQ(batch, expected);
    EXPECT_EQ(TextAdvanceUnits("\x88\x9F"
                               "A"),
              1.5);
}

TEST_F(TextLayoutTest, AtNinetyDegreesBaselineRunsTowardMinusZAndGlyphsLeanTowardMinusX) {
    const std::vector<float> batch = View("AB", 0.0, 0.0, 16.0, 16.0, 90.0);
    ASSERT_EQ(batch.size(), 12u);
    // The program's own pi leaves cos(90) a little off zero; the vertices carry it.
    const double c = std::cos(90.0 * 0.01745329277777778);
    const double s = std::sin(90.0 * 0.01745329277777778);
    const double sx = 8.0 * 0.053125;
    EXPECT_FLOAT_EQ(batch[3], static_cast<float>(15 * sx * c));
    EXPECT_FLOAT_EQ(batch[5], static_cast<float>(-15 * sx * s));
    EXPECT_NEAR(batch[5], -6.375, 1e-5);
    // "B" starts half a width down the baseline, toward -Z, and rises toward -X.
    EXPECT_FLOAT_EQ(batch[6], static_cast<float>(8 * c));
    EXPECT_NEAR(batch[8], -8.0, 1e-5);
    EXPECT_FLOAT_EQ(batch[9], static_cast<float>(8 * c - 15 * s));
    EXPECT_FLOAT_EQ(batch[11], static_cast<float>(-8 * s - 15 * c));
    EXPECT_NEAR(batch[9], -15.0, 1e-5);
    EXPECT_NEAR(batch[11], -8.0, 1e-5);
    for (size_t i = 1; i < batch.size(); i += 3) {
        EXPECT_EQ(batch[i], 0.0f);
    }
}

TEST_F(TextLayoutTest, CharactersWithoutGlyphStillAdvance) {
    // The space has no glyph; the full-width space 0x8140 is not in the font; a trail
    // byte out of range (0x20) is swallowed with its lead byte rather than read as a space.
    EXPECT_EQ(View(" A", 0, 0, 16, 10, 0)[0], 5.0f);
    EXPECT_EQ(View("\x81\x40"
                   "A",
                   0, 0, 16, 10, 0)[0],
              10.0f);
    EXPECT_EQ(View("\x88\x20"
                   "A",
                   0, 0, 16, 10, 0)[0],
              10.0f);
    // 0x80 is not a lead byte: half a width.
    EXPECT_EQ(View("\x80"
                   "A",
                   0, 0, 16, 10, 0)[0],
              5.0f);
}

TEST_F(TextLayoutTest, HalfWidthKatakanaIsSingleByteDrawnWithItsFullWidthGlyph) {
    const std::vector<float> batch = View(
        "\xB1"
        "A",
        0, 0, 16, 10, 0);
    const std::vector<float> expected = {0, 0, 0, 0, 0, -15, 5, 0, 0, 5 + 15 * 0.265625f, 0, 0};
    EXPECT_EQ(batch, expected);
}

TEST_F(TextLayoutTest, WalkEndsAtNulAndAtALeadByteWithoutTrail) {
    const std::vector<float> a = View("A", 0, 0, 16, 10, 0);
    ASSERT_EQ(a.size(), 6u);
    EXPECT_EQ(View("A\x88", 0, 0, 16, 10, 0), a);
    EXPECT_EQ(View("A\0B"sv, 0, 0, 16, 10, 0), a);
    // The NUL taken as a trail byte ends the walk; what follows is not drawn.
    EXPECT_TRUE(View("\x88\0B"sv, 0, 0, 16, 10, 0).empty());
    EXPECT_TRUE(View("", 0, 0, 16, 10, 0).empty());
}

TEST_F(TextLayoutTest, LongTextHasNoLengthLimit) {
    const std::string text(5000, 'A');
    const std::vector<float> batch = View(text, 0, 0, 16, 2, 0);
    ASSERT_EQ(batch.size(), 5000u * 6u);
    EXPECT_EQ(batch[4999 * 6], 4999.0f);
    EXPECT_EQ(TextAdvanceUnits(text), 2500.0);
}

TEST_F(TextLayoutTest, GlyphAloneIsPlacedAtItsOrigin) {
    std::vector<float> batch;
    DrawStrokeGlyph(0x88, 0x9F, 100.0, 200.0, 16.0, 20.0, 0.0, TextTarget::View(batch));
    const std::vector<float> expected = {100, 0, 198, 104.25f, 0, 194};
    EXPECT_EQ(batch, expected);
    batch.clear();
    DrawStrokeGlyph(0x82, 0x62, 0, 0, 16, 20, 0, TextTarget::View(batch));
    EXPECT_TRUE(batch.empty());
}

TEST_F(TextLayoutTest, AdvanceUnitsCountsCharactersByKind) {
    EXPECT_EQ(TextAdvanceUnits(""), 0.0);
    EXPECT_EQ(TextAdvanceUnits("\xB1"), 0.5);
    EXPECT_EQ(TextAdvanceUnits("\x81\x40"), 1.0);
    EXPECT_EQ(TextAdvanceUnits("\x88\x20"
                               "A"),
              1.5);
    EXPECT_EQ(TextAdvanceUnits("A\x88"), 1.5);
    EXPECT_EQ(TextAdvanceUnits("A\0BC"sv), 0.5);
    EXPECT_EQ(TextAdvanceUnits("\x88\0BC"sv), 1.0);
}

// --- Missing font --------------------------------------------------------------------

TEST_F(TextLayoutTest, MissingFontWarnsAtEveryCallAndDrawsNothing) {
    g_fontData = nullptr;
    std::vector<float> batch;
    EXPECT_EQ(DrawStrokeText("AB", 0, 0, 16, 10, 0, TextTarget::View(batch)), 0);
    g_pickHit = 0;
    EXPECT_EQ(DrawStrokeText("AB", 0, 0, 16, 20, 0, TextTarget::Pick(kPlan, 130, 128)), 0);
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(g_pickHit, 0);
    const auto& calls = platform_.Calls();
    ASSERT_EQ(calls.size(), 2u);
    for (const PlatformCall& call : calls) {
        EXPECT_EQ(call.kind, PlatformCall::Kind::MessageBox);
        EXPECT_EQ(call.text, "フォントファイルが開けません");
        EXPECT_EQ(call.caption, "ワーニング");
        EXPECT_EQ(call.icon, MessageIcon::Exclamation);
        EXPECT_EQ(call.buttons, MessageButtons::Ok);
    }
}

TEST_F(TextLayoutTest, WithFontNothingIsReported) {
    View("AB", 0, 0, 16, 10, 0);
    EXPECT_TRUE(platform_.Calls().empty());
}

// --- Printing ------------------------------------------------------------------------

TEST_F(TextLayoutTest, PrintMappingFromScaleAndPaper) {
    const PrintMapping m = MakePrintMapping(100.0, 200.0, 280.0);
    EXPECT_EQ(m.k, 10.0);
    EXPECT_EQ(m.ox, 10000.0);
    EXPECT_EQ(m.oz, -14000.0);
}

TEST_F(TextLayoutTest, PrintMovesThenDrawsEachStrokeTruncatingTowardZero) {
    RecordingPen pen;
    // "A" from (-2.7, 3.6), 10 wide: the stroke ends at X = 5.26875.
    EXPECT_EQ(DrawStrokeText("A", -2.7, 3.6, 16, 20, 0, TextTarget::Print(pen, PrintMapping{})), 1);
    const std::vector<PenCall> expected = {{'M', -2, -3}, {'L', 5, -3}};
    EXPECT_EQ(pen.calls, expected);
}

TEST_F(TextLayoutTest, PrintAtScaleCentresTheSheetOnTheOrigin) {
    RecordingPen pen;
    DrawStrokeText("AB", 0, 0, 16, 20, 0,
                   TextTarget::Print(pen, MakePrintMapping(100.0, 200.0, 280.0)));
    // A 200 x 280 mm sheet at 1:100: the origin prints at its centre, (1000, -1400).
    // A's stroke ends at X = 7.96875, 1000.796875 printed as 1000; B's rises to Z = -15,
    // (-14000 + 15) / 10 = -1398.5 printed as -1398.
    const std::vector<PenCall> expected = {
        {'M', 1000, -1400}, {'L', 1000, -1400}, {'M', 1001, -1400}, {'L', 1001, -1398}};
    EXPECT_EQ(pen.calls, expected);
}

TEST_F(TextLayoutTest, DeviceTruncationStaysDefinedOutsideInt) {
    EXPECT_EQ(TruncateToDevice(-0.999), 0);
    EXPECT_EQ(TruncateToDevice(2147483647.9), INT_MAX);
    EXPECT_EQ(TruncateToDevice(-2147483648.9), INT_MIN);
    EXPECT_EQ(TruncateToDevice(2147483648.0), INT_MIN);
    EXPECT_EQ(TruncateToDevice(-1e300), INT_MIN);
    EXPECT_EQ(TruncateToDevice(std::nan("")), INT_MIN);
}

// --- Picking -------------------------------------------------------------------------

TEST_F(TextLayoutTest, PickBandIsStrictlyInsideThreePixels) {
    // "A" at width 20: a stroke from window (128, 128) to (135.96875, 128).
    EXPECT_EQ(Pick("A", 132.0, 128.0), 1);
    EXPECT_EQ(Pick("A", 132.0, 131.0), 0);
    EXPECT_EQ(Pick("A", 132.0, 130.9), 1);
    EXPECT_EQ(Pick("A", 132.0, 125.0), 0);
    EXPECT_EQ(Pick("A", 132.0, 125.1), 1);
}

TEST_F(TextLayoutTest, PickIsStrictlyBetweenTheStrokeEnds) {
    EXPECT_EQ(Pick("A", 128.0, 128.0), 0);
    EXPECT_EQ(Pick("A", 128.01, 128.0), 1);
    EXPECT_EQ(Pick("A", 135.96875, 128.0), 0);
    EXPECT_EQ(Pick("A", 135.95, 128.0), 1);
    EXPECT_EQ(Pick("A", 127.0, 129.0), 0);
}

TEST_F(TextLayoutTest, StrokeShorterThanAThousandthOfAPixelIsNeverHit) {
    // At width 0.036 a glyph unit is 0.00095625: "D" spans one unit, "E" two.
    EXPECT_EQ(Pick("D", 128.0005, 128.0, 0.036), 0);
    EXPECT_EQ(Pick("E", 128.0005, 128.0, 0.036), 1);
}

TEST_F(TextLayoutTest, PenUpMovesAreNotHit) {
    // "亜" at width 20: pen up from window (128, 128) to (128, 130), then a stroke to
    // (132.25, 134).
    EXPECT_EQ(Pick("\x88\x9F", 128.0, 129.0), 0);
    EXPECT_EQ(Pick("\x88\x9F", 130.125, 132.0), 1);
}

TEST_F(TextLayoutTest, PickUsesTheViewportHeightForTheCursor) {
    const int tall[4] = {0, 0, 256, 400};
    const ProjectionRef ref{kPlanModelview, kScaleProjection, tall};
    // The window point of "A"'s stroke middle is (132, 200) on a 400-high viewport, so
    // the cursor 200 pixels from the top is on it.
    g_pickHit = 0;
    DrawStrokeText("A", 0, 0, 16, 20, 0, TextTarget::Pick(ref, 132.0, 200.0));
    EXPECT_EQ(g_pickHit, 1);
    g_pickHit = 0;
    DrawStrokeText("A", 0, 0, 16, 20, 0, TextTarget::Pick(ref, 132.0, 128.0));
    EXPECT_EQ(g_pickHit, 0);
}

TEST_F(TextLayoutTest, PickHitIsNeverClearedByTheWalk) {
    // A hit on "A" survives the miss on "B" that follows it.
    EXPECT_EQ(Pick("AB", 132.0, 128.5), 1);
    g_pickHit = 1;
    DrawStrokeText("A", 0, 0, 16, 20, 0, TextTarget::Pick(kPlan, 10.0, 10.0));
    EXPECT_EQ(g_pickHit, 1);
}

TEST_F(TextLayoutTest, PickFollowsTheLayout) {
    // "B" stands at X = 10 and rises toward -Z: window (138, 128) up to (138, 143).
    EXPECT_EQ(Pick("AB", 139.0, 140.0), 1);
    EXPECT_EQ(Pick("AB", 141.0, 140.0), 0);
    // A projection that cannot place the points hits nothing.
    const double zero[16] = {};
    const ProjectionRef flat{kPlanModelview, zero, kViewport};
    g_pickHit = 0;
    DrawStrokeText("A", 0, 0, 16, 20, 0, TextTarget::Pick(flat, 128.0, 128.0));
    EXPECT_EQ(g_pickHit, 0);
}

// --- Window selection ----------------------------------------------------------------

TEST_F(TextLayoutTest, TextBoxIsAdvanceByHeight) {
    // "AB" at width 10 and height 16 from the origin: window (128..138, 128..144).
    const Float3 origin{0, 0, 0};
    EXPECT_TRUE(TextInsideRect("AB", origin, 127.5, 127.5, 138.5, 144.5, 16, 10, 0, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 127.5, 127.5, 137.9, 144.5, 16, 10, 0, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 127.5, 127.5, 138.5, 143.9, 16, 10, 0, kPlan));
}

TEST_F(TextLayoutTest, TextBoxTouchingOrStraddlingAnEdgeIsNotInside) {
    const Float3 origin{0, 0, 0};
    EXPECT_FALSE(TextInsideRect("AB", origin, 128, 127.5, 138.5, 144.5, 16, 10, 0, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 127.5, 128, 138.5, 144.5, 16, 10, 0, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 127.5, 127.5, 138, 144.5, 16, 10, 0, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 127.5, 127.5, 138.5, 144, 16, 10, 0, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 132, 127.5, 138.5, 144.5, 16, 10, 0, kPlan));
}

TEST_F(TextLayoutTest, TextBoxTurnsWithTheAngle) {
    // At 90 degrees the box runs 10 toward -Z (window up) and 16 toward -X (left).
    const Float3 origin{0, 0, 0};
    EXPECT_TRUE(TextInsideRect("AB", origin, 111.5, 127.5, 128.5, 138.5, 16, 10, 90, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 112.5, 127.5, 128.5, 138.5, 16, 10, 90, kPlan));
    EXPECT_FALSE(TextInsideRect("AB", origin, 111.5, 127.5, 128.5, 137.5, 16, 10, 90, kPlan));
}

TEST_F(TextLayoutTest, TextBoxIsProjectedAtTheTextPointsHeight) {
    // With an identity model-view, window y follows world Y.
    const ProjectionRef front{kIdentity, kScaleProjection, kViewport};
    const Float3 raised{0, 50, 0};
    EXPECT_TRUE(TextInsideRect("AB", raised, 127, 177, 139, 179, 16, 10, 0, front));
    EXPECT_FALSE(TextInsideRect("AB", raised, 127, 127, 139, 129, 16, 10, 0, front));
}

TEST_F(TextLayoutTest, TextBoxThatCannotBeProjectedIsNotInside) {
    const double zero[16] = {};
    const ProjectionRef flat{kPlanModelview, zero, kViewport};
    EXPECT_FALSE(TextInsideRect("AB", Float3{}, -1e9, -1e9, 1e9, 1e9, 16, 10, 0, flat));
}

}  // namespace
}  // namespace marquetta
