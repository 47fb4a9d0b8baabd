// The stroke font generator, driven as a program: small hand-made sources with known
// results, and the regeneration of the committed font from the installed sources.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "text/stroke_font.h"

namespace marquetta {
namespace {

namespace fs = std::filesystem;

const char kStrokeFontSource[] = "/usr/share/librecad/fonts/kst32b.lff";
const char kBitmapFontSource[] = "/usr/share/unifont/unifont_jp.hex";

// The generator's path: set by the build, or by the environment for a build that lacks it.
std::string GeneratorPath() {
#ifdef MARQUETTA_FONTGEN_EXE
    return MARQUETTA_FONTGEN_EXE;
#else
    const char* path = std::getenv("MARQUETTA_FONTGEN_EXE");
    return path != nullptr ? path : "";
#endif
}

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A stroke between grid points, with its ends in a fixed order, for comparing sets.
using Stroke = std::tuple<int, int, int, int>;
Stroke Normal(int x0, int y0, int x1, int y1) {
    return std::tie(x0, y0) < std::tie(x1, y1) ? Stroke{x0, y0, x1, y1} : Stroke{x1, y1, x0, y0};
}

struct Glyph {
    std::set<Stroke> strokes;
    std::set<std::pair<int, int>> points;  // every point the pen reaches
    int commands = 0;
    int penUps = 0;
    bool startsWithPenUp = false;
};

Glyph GlyphOf(const std::vector<uint8_t>& font, uint8_t lead, uint8_t trail) {
    Glyph g;
    int x = 0;
    int y = 0;
    DecodeGlyph(FindGlyphIn(font, lead, trail), [&](GlyphStep s) {
        if (g.commands == 0) {
            g.startsWithPenUp = !s.penDown;
        }
        ++g.commands;
        if (s.penDown) {
            g.strokes.insert(Normal(x, y, s.x, s.y));
        } else {
            ++g.penUps;
        }
        g.points.insert({s.x, s.y});
        x = s.x;
        y = s.y;
    });
    return g;
}

class FontGenerator : public ::testing::Test {
  protected:
    void SetUp() override {
        generator_ = GeneratorPath();
        if (generator_.empty()) {
            GTEST_SKIP() << "the font generator is not built (MARQUETTA_FONTGEN_EXE unset)";
        }
        dir_ = fs::temp_directory_path() /
               ("marquetta-fontgen-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!dir_.empty()) {
            fs::remove_all(dir_);
        }
    }

    // Runs the generator; returns its exit status, with its output in output_.
    int Generate(const fs::path& lff, const fs::path& hex, const fs::path& out) {
        const fs::path log = dir_ / "log.txt";
        const std::string command = "'" + generator_ + "' --lff '" + lff.string() + "' --hex '" +
                                    hex.string() + "' --out '" + out.string() + "' > '" +
                                    log.string() + "' 2>&1";
        const int status = std::system(command.c_str());
        output_ = ReadText(log);
        return status;
    }

    // The number that the generator printed after `label`.
    int Count(const std::string& label) const {
        const size_t at = output_.find(label);
        if (at == std::string::npos) {
            ADD_FAILURE() << "no \"" << label << "\" in: " << output_;
            return -1;
        }
        return std::atoi(output_.c_str() + at + label.size());
    }

    std::string generator_;
    fs::path dir_;
    std::string output_;
};

// KST32B-style strokes: the em of 31 steps of 0.3125 units maps onto 15 grid units, x
// shifted by half a unit. 一 is one line, drawn twice in the source; 三 includes 一; the
// wave dash is filed under U+301C; 十 carries an arc; 亜 is in both sources.
const char kSmallLff[] =
    "# A comment line\n"
    "\n"
    "[3000] \xE3\x80\x80\n"
    "\n"
    "[4E00] \xE4\xB8\x80\n"
    "0,5;9.06,5\n"
    "9.06,5;0,5\n"
    "\n"
    "[4E09] \xE4\xB8\x89\n"
    "C4E00\n"
    "0,0;9.06,0\n"
    "0.31,9.69;4.53,9.69\n"
    "\n"
    "[301C] \xE3\x80\x9C\n"
    "0,4.53;4.53,4.53;9.06,9.06\n"
    "\n"
    "[5341] \xE5\x8D\x81\n"
    "0,0;9.06,0,A-1\n"
    "\n"
    "[4E9C] \xE4\xBA\x9C\n"
    "4.53,0;4.53,9.69\n";

// Unifont-style bitmaps. U+4E8C has a run along a row, a lone pixel, a diagonal, a run
// down a column, a corner whose diagonal is linked orthogonally, and a lone pixel in the
// last column; U+2211 is 8 pixels wide; U+4E9C is also in the stroke source.
const char kSmallHex[] =
    "4E8C:F000000000800000200010000800000000010001000100010600020000010000\n"
    "2211:FF000000000000000000000000000000\n"
    "4E9C:FFFF000000000000000000000000000000000000000000000000000000000000\n";

TEST_F(FontGenerator, SmallSourcesGiveTheExpectedGlyphs) {
    WriteText(dir_ / "small.lff", kSmallLff);
    WriteText(dir_ / "small.hex", kSmallHex);
    ASSERT_EQ(Generate(dir_ / "small.lff", dir_ / "small.hex", dir_ / "small.fnt"), 0) << output_;
    const std::vector<uint8_t> font = ReadBytes(dir_ / "small.fnt");
    ASSERT_GE(font.size(), kGlyphRecordsOffset);

    EXPECT_EQ(Count("characters addressable:"), 7350);
    EXPECT_EQ(Count("from KST32B:"), 6);  // ideographic space, 一, 三, wave dash, 十, 亜
    EXPECT_EQ(Count("from Unifont:"), 2);
    EXPECT_EQ(Count("without strokes:"), 1);
    EXPECT_EQ(Count("missing:"), 7350 - 8);
    EXPECT_EQ(Count("file size:"), static_cast<int>(font.size()));

    // Header words and the first record right after the index.
    EXPECT_EQ(font[24] | font[25] << 8, 128);
    EXPECT_EQ(font[26] | font[27] << 8, 25508);
    EXPECT_EQ(FindGlyphIn(font, 0x81, 0x40).data(), font.data() + kGlyphRecordsOffset);
    EXPECT_EQ(font[kGlyphRecordsOffset], 0);  // the ideographic space has no commands

    // 一 (0x88EA): the doubled line is drawn once: pen up to (1, 8), then along to x = 15.
    const auto one = FindGlyphIn(font, 0x88, 0xEA);
    ASSERT_GE(one.size(), 4u);
    EXPECT_EQ(std::vector<uint8_t>(one.begin(), one.begin() + 4),
              (std::vector<uint8_t>{2, 0x21, 0x80, 0x8F}));

    // 三 (0x8E4F): the included line, its own bottom line and a short top line.
    const Glyph three = GlyphOf(font, 0x8E, 0x4F);
    EXPECT_EQ(three.strokes, (std::set<Stroke>{{1, 8, 15, 8}, {1, 0, 15, 0}, {1, 15, 8, 15}}));
    EXPECT_TRUE(three.startsWithPenUp);

    // The wave dash 0x8160 decodes to U+FF5E in CP932 and takes U+301C's glyph: two pieces
    // of one polyline, the second at 45 degrees.
    const Glyph wave = GlyphOf(font, 0x81, 0x60);
    EXPECT_EQ(wave.strokes, (std::set<Stroke>{{1, 7, 8, 7}, {8, 7, 15, 14}}));
    EXPECT_EQ(wave.penUps, 1);

    // 十 (0x8F5C): an arc bulging upward from (1, 0) to (15, 0) through (8, 7), in pieces.
    const Glyph arc = GlyphOf(font, 0x8F, 0x5C);
    EXPECT_GE(arc.strokes.size(), 4u);
    EXPECT_TRUE(arc.points.count({8, 7}));
    EXPECT_TRUE(arc.points.count({1, 0}));
    EXPECT_TRUE(arc.points.count({15, 0}));
    EXPECT_EQ(arc.penUps, 1);

    // 亜 (0x889F) comes from the strokes, not from the bitmap.
    EXPECT_EQ(GlyphOf(font, 0x88, 0x9F).strokes, (std::set<Stroke>{{8, 0, 8, 15}}));

    // 二 (0x93F1) traced: six figures, so six pen-up moves and seven strokes.
    const Glyph two = GlyphOf(font, 0x93, 0xF1);
    EXPECT_EQ(two.strokes, (std::set<Stroke>{{0, 15, 3, 15},
                                             {8, 13, 9, 13},
                                             {2, 11, 4, 9},
                                             {15, 4, 15, 7},
                                             {5, 3, 6, 3},
                                             {6, 2, 6, 3},
                                             {14, 1, 15, 1}}));
    EXPECT_EQ(two.penUps, 6);
    EXPECT_EQ(two.commands, 13);

    // ∑ (0x8794): an 8-pixel-wide bitmap, centred.
    EXPECT_EQ(GlyphOf(font, 0x87, 0x94).strokes, (std::set<Stroke>{{4, 15, 11, 15}}));

    // Characters in neither source have no glyph.
    EXPECT_TRUE(FindGlyphIn(font, 0x88, 0xA0).empty());
}

TEST_F(FontGenerator, SameInputsGiveTheSameBytes) {
    WriteText(dir_ / "small.lff", kSmallLff);
    WriteText(dir_ / "small.hex", kSmallHex);
    ASSERT_EQ(Generate(dir_ / "small.lff", dir_ / "small.hex", dir_ / "a.fnt"), 0) << output_;
    ASSERT_EQ(Generate(dir_ / "small.lff", dir_ / "small.hex", dir_ / "b.fnt"), 0) << output_;
    EXPECT_EQ(ReadBytes(dir_ / "a.fnt"), ReadBytes(dir_ / "b.fnt"));
}

TEST_F(FontGenerator, RejectsMalformedSources) {
    WriteText(dir_ / "small.hex", kSmallHex);
    WriteText(dir_ / "bad.lff", "[4E00]\n0,5;nine,5\n");
    EXPECT_NE(Generate(dir_ / "bad.lff", dir_ / "small.hex", dir_ / "x.fnt"), 0);
    EXPECT_NE(output_.find("bad coordinate"), std::string::npos) << output_;
    WriteText(dir_ / "bad.lff", "[4E00]\n0,5;1,5,A\n");
    EXPECT_NE(Generate(dir_ / "bad.lff", dir_ / "small.hex", dir_ / "x.fnt"), 0);
    WriteText(dir_ / "small.lff", kSmallLff);
    WriteText(dir_ / "bad.hex", "4E8C:F00\n");
    EXPECT_NE(Generate(dir_ / "small.lff", dir_ / "bad.hex", dir_ / "x.fnt"), 0);
    EXPECT_NE(Generate(dir_ / "missing.lff", dir_ / "small.hex", dir_ / "x.fnt"), 0);
}

TEST_F(FontGenerator, RegeneratesTheCommittedFontByteForByte) {
    if (!fs::exists(kStrokeFontSource) || !fs::exists(kBitmapFontSource)) {
        FAIL() << "the font sources are not installed (scripts/setup.sh installs them)";
    }
    ASSERT_EQ(Generate(kStrokeFontSource, kBitmapFontSource, dir_ / "stroke.fnt"), 0) << output_;
    EXPECT_EQ(Count("characters addressable:"), 7350);
    EXPECT_EQ(Count("missing:"), 0);
    const std::vector<uint8_t> generated = ReadBytes(dir_ / "stroke.fnt");
    const std::vector<uint8_t> committed =
        ReadBytes(fs::path(MARQUETTA_SOURCE_DIR) / "res" / "font" / "stroke.fnt");
    ASSERT_EQ(generated.size(), committed.size());
    const auto mismatch = std::mismatch(generated.begin(), generated.end(), committed.begin());
    EXPECT_TRUE(mismatch.first == generated.end())
        << "first difference at byte " << (mismatch.first - generated.begin());
}

}  // namespace
}  // namespace marquetta
