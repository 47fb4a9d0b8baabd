// The strings of DXF files as the drawing keeps them: encodings, the control codes of
// texts and the formatting codes of multi-line texts, with the count of characters
// that CP932 cannot hold.
#include "exchange/dxf_text.h"

#include <gtest/gtest.h>

#include "model/cp932.h"

namespace marquetta::dxf {
namespace {

struct TextCase {
    const char* raw;
    std::vector<std::string> lines;  // UTF-8, as the user reads them
    int lost;
};

std::vector<std::string> InCp932(const std::vector<std::string>& lines) {
    std::vector<std::string> out;
    for (const std::string& line : lines) {
        out.push_back(Utf8ToCp932(line));
    }
    return out;
}

TEST(DxfTextTest, ControlCodesOfTextsAreDecodedInEveryEncoding) {
    const TextCase cases[] = {
        {"25%%d %%p0.5 %%c10 100%%%", {"25° ±0.5 φ10 100%"}, 0},
        {"%%uUNDER%%u %%o%%k", {"UNDER "}, 0},
        {"%%065%%176 %%140", {"A° %%140"}, 0},  // a control character is left as written
        {"\\U+58C1\\U+003F \\U+00D8x", {"壁? Øx"}, 0},
        {"\\M+195C7", {"壁"}, 0},
        {"\\M+2A1A1 \\U+zz", {"\xEF\xBF\xBD \\U+zz"}, 0},
        {"plain", {"plain"}, 0},
    };
    for (const bool utf8 : {false, true}) {
        TextDecoder decoder;
        decoder.SetRelease(utf8 ? "AC1024" : "AC1009");
        for (const TextCase& c : cases) {
            SCOPED_TRACE(std::string(c.raw) + (utf8 ? " UTF-8" : " CP932"));
            int lost = 0;
            const std::string expected = InCp932(c.lines)[0];
            EXPECT_EQ(decoder.Text(c.raw, lost), expected);
            // Characters outside CP932 become "?" and are counted.
            const int questionMarks = static_cast<int>(std::count(expected.begin(), expected.end(), '?')) -
                                      static_cast<int>(std::count(c.lines[0].begin(), c.lines[0].end(), '?'));
            EXPECT_EQ(lost, questionMarks);
        }
    }
}

TEST(DxfTextTest, MTextFormattingIsRemovedOneLinePerBreak) {
    const TextCase cases[] = {
        {"\\fArial|b1|i0;Room\\PNo. {\\H2x;\\C1;12}", {"Room", "No. 12"}, 0},
        {"\\S1/2; \\S3#4; \\S+0.1^-0.2;", {"1/2 3/4 +0.1 -0.2"}, 0},
        {"a\\~b\\\\c\\{d\\}\\Lu\\l\\Oo\\o\\Kk\\k", {"a b\\c{d}uok"}, 0},
        {"\\pxqc;\\A1;\\W0.8;\\Q15;\\T1.1;x^Iy^Jz^ ", {"x y", "z^"}, 0},
        {"one\\P\\Pthree\\P", {"one", "", "three"}, 0},
        {"\\Xbelow\\N%%dC", {"", "below", "°C"}, 0},
        {"\\z unknown", {"\\z unknown"}, 0},
    };
    TextDecoder decoder;
    for (const TextCase& c : cases) {
        SCOPED_TRACE(c.raw);
        int lost = 0;
        EXPECT_EQ(decoder.MTextLines(c.raw, lost), InCp932(c.lines));
        EXPECT_EQ(lost, c.lost);
    }
    // In CP932 the second byte of a character may be a backslash or a brace: it is no
    // code ("ソ" is 83 5C, "＼" 81 5F, "ボ" 83 7B).
    int lost = 0;
    EXPECT_EQ(decoder.MTextLines("\x83\x5CP\\P\x83\x7B}", lost),
              (std::vector<std::string>{"\x83\x5CP", "\x83\x7B"}));
}

TEST(DxfTextTest, EncodingsFollowTheReleaseAndTheCodePage) {
    struct Case {
        const char* release;
        const char* codePage;  // nullptr: none
        std::string raw;
        std::string expected;  // CP932
        int lost;
    };
    const Case cases[] = {
        // Older files: CP932 bytes as they are, also when they are no CP932 at all.
        {"AC1009", nullptr, "\x95\xC7", "\x95\xC7", 0},
        {"AC1018", "ANSI_932", "\xE5\xA3\x81", "\xE5\xA3\x81", 0},
        {"AC1015", "ANSI_1252", "25\xB0" "C \x80", "25\x81\x8B" "C ?", 1},
        {"AC1015", "NO_SUCH_PAGE", "\xB0", "\xB0", 0},
        // UTF-8 from AC1021 on, whatever the code page says.
        {"AC1021", "ANSI_1252", "\xE5\xA3\x81\xF0\x9F\x98\x80", "\x95\xC7?", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        TextDecoder decoder;
        decoder.SetRelease(c.release);
        if (c.codePage != nullptr) {
            decoder.SetCodePage(c.codePage);
        }
        int lost = 0;
        EXPECT_EQ(decoder.Name(c.raw, lost), c.expected);
        EXPECT_EQ(lost, c.lost);
        lost = 0;
        EXPECT_EQ(decoder.Text(c.raw, lost), c.expected);
        EXPECT_EQ(lost, c.lost);
    }
}

}  // namespace
}  // namespace marquetta::dxf
