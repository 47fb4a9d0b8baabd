#include "model/cp932.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "test_files.h"

namespace marquetta {
namespace {

TEST(Cp932Test, JapaneseAndWindowsVariantsRoundTrip) {
    // あ, the NEC circled one, the full-width tilde and the yen-less backslash.
    const std::string cp932("\x82\xA0\x87\x40\x81\x60\x5C", 7);
    const std::string utf8 = "あ①～\\";
    EXPECT_EQ(Cp932ToUtf8(cp932), utf8);
    EXPECT_EQ(Utf8ToCp932(utf8), cp932);
    EXPECT_EQ(Utf8ToCp932("plain"), "plain");
}

TEST(Cp932Test, UnconvertibleCharactersBecomeOneReplacementEach) {
    EXPECT_EQ(Utf8ToCp932("aé😀b"), "a??b");
    EXPECT_EQ(Utf8ToCp932(std::string("a\xFF\xC3", 3)), "a??");
    // "A", a surrogate pair (U+1F600), "あ", a lone low surrogate, a cut-off unit.
    const std::string utf16("A\0\x3D\xD8\x00\xDE\x42\x30\x00\xDC" "B", 11);
    EXPECT_EQ(Utf16LeToCp932(utf16), "A?\x82\xA0??");
    // A lead byte without its trail byte, and an unassigned code.
    EXPECT_EQ(Cp932ToUtf8(std::string("x\x82", 2)), "x\xEF\xBF\xBD");
    EXPECT_EQ(Cp932ToUtf8("\xA0"), "\xEF\xBF\xBD");
}

TEST(Cp932Test, WithoutTheConverterOnlyAsciiPasses) {
    EXPECT_TRUE(Cp932Available());
    testing::WithoutCp932 minimalSystem;
    EXPECT_FALSE(Cp932Available());
    EXPECT_EQ(Utf8ToCp932("aあ😀b"), "a??b");
    EXPECT_EQ(Cp932ToUtf8("x\x82\xA0y"), "x\xEF\xBF\xBD\xEF\xBF\xBDy");
    EXPECT_EQ(Utf16LeToCp932(std::string("A\0\x42\x30\x3D\xD8\x00\xDE", 8) + "B"), "A???");
    EXPECT_EQ(CharactersOutsideCp932("aあ😀"), (std::vector<std::string>{"あ", "😀"}));
}

TEST(Cp932Test, CharactersCp932CannotHoldAreNamedOnceEach) {
    const struct {
        std::string utf8;
        std::vector<std::string> outside;
    } cases[] = {
        {"", {}},
        {"T_Stone1", {}},
        {"あ①～\\壁ｱ", {}},
        {"A한€", {"한", "€"}},
        {"€a€é😀", {"€", "é", "😀"}},
        {"壁😀é", {"😀", "é"}},
        {"a\xFF", {"\xFF"}},              // not UTF-8 at all
        {"x\xE5\xA3", {"\xE5", "\xA3"}},  // cut short
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CharactersOutsideCp932(c.utf8), c.outside) << c.utf8;
        // Exactly the texts the conversion would put a "?" into.
        const std::string converted = Utf8ToCp932(c.utf8);
        EXPECT_EQ(std::count(converted.begin(), converted.end(), '?') > 0, !c.outside.empty());
    }
}

TEST(Cp932Test, Utf8Validation) {
    EXPECT_TRUE(IsValidUtf8("壁 ok"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));          // overlong
    EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
    EXPECT_FALSE(IsValidUtf8("\xE5\xA3"));          // cut short
    EXPECT_FALSE(IsValidUtf8("\x82\xA0"));          // CP932, not UTF-8
}

}  // namespace
}  // namespace marquetta
