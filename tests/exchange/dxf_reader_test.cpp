// The DXF reader's lowest level: lines and their ends, group codes and numbers.
#include "exchange/dxf_reader.h"

#include <gtest/gtest.h>

#include <climits>

#include "model/binary_file.h"
#include "test_files.h"

namespace marquetta {
namespace {

using testing::TempDir;
using testing::WriteBytes;

std::vector<std::string> LinesOf(DxfLineReader& reader) {
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.NextLine(line)) {
        lines.emplace_back(line);
    }
    return lines;
}

std::vector<std::string> LinesOfText(std::string_view text) {
    DxfLineReader reader;
    reader.OpenText(text);
    return LinesOf(reader);
}

TEST(DxfLineReaderTest, LineEndsAreRemovedWithOneCarriageReturn) {
    using V = std::vector<std::string>;
    EXPECT_EQ(LinesOfText("0\r\nLINE\r\n"), (V{"0", "LINE"}));
    EXPECT_EQ(LinesOfText("0\nLINE\n"), (V{"0", "LINE"}));
    // Only the carriage return right before the line end belongs to it.
    EXPECT_EQ(LinesOfText("a\r\r\nb\rc\n"), (V{"a\r", "b\rc"}));
    // A last line without a line end is read whole, not cut by one character.
    EXPECT_EQ(LinesOfText("8\nWALL"), (V{"8", "WALL"}));
    EXPECT_EQ(LinesOfText("8\r\nWALL\r"), (V{"8", "WALL"}));
    // Line ends are found at every place within and across the blocks looked at.
    std::string text;
    V lines;
    for (int length = 0; length < 40; ++length) {
        lines.push_back(std::string(static_cast<size_t>(length), static_cast<char>('a' + length % 26)));
        text += lines.back() + (length % 2 == 0 ? "\r\n" : "\n");
    }
    EXPECT_EQ(LinesOfText(text), lines);
    EXPECT_EQ(LinesOfText("\n\r\n"), (V{"", ""}));
    EXPECT_EQ(LinesOfText(""), V{});
}

TEST(DxfLineReaderTest, FilesAreReadAcrossBufferBoundariesAndLinesUpToTheBoundWhole) {
    TempDir dir;
    // The reader starts with a 1 MiB buffer. Put a CR LF across its end, then a line of
    // the longest length read, then ordinary lines.
    constexpr size_t kBuffer = size_t{1} << 20;
    std::string text = "999\r\n";
    text += std::string(kBuffer - 1 - text.size(), 'x');
    text += "\r\n";  // the CR is the buffer's last byte, the LF comes with the next read
    ASSERT_EQ(text[kBuffer - 1], '\r');
    text += "8\r\nWALL\r\n1\r\n";
    const std::string longLine(kMaxDxfLineLength, 'L');
    text += longLine + "\r\n0\r\nEOF\r\n";
    WriteBytes(dir.File("big.dxf"), text);

    DxfLineReader reader;
    ASSERT_EQ(reader.Open(dir.File("big.dxf")), FileError::None);
    const std::vector<std::string> lines = LinesOf(reader);
    ASSERT_EQ(lines.size(), 8u);
    EXPECT_EQ(lines[1].size(), kBuffer - 6);
    EXPECT_EQ(lines[1].find('\r'), std::string::npos);
    EXPECT_EQ(lines[2], "8");
    EXPECT_EQ(lines[3], "WALL");
    EXPECT_EQ(lines[5], longLine);
    EXPECT_EQ(lines[6], "0");
    EXPECT_EQ(lines[7], "EOF");
}

TEST(DxfLineReaderTest, ALineBeyondTheBoundFailsTheRead) {
    TempDir dir;
    const std::string tooLong(kMaxDxfLineLength + 1, 'L');
    const std::string cases[] = {
        "0\nLINE\n" + tooLong + "\n0\nEOF\n",
        "0\nLINE\n" + tooLong,                    // the last line, without a line end
        std::string(8 * kMaxDxfLineLength, '7'),  // no line end at all
    };
    for (const std::string& text : cases) {
        WriteBytes(dir.File("long.dxf"), text);
        DxfLineReader reader;
        ASSERT_EQ(reader.Open(dir.File("long.dxf")), FileError::None);
        try {
            LinesOf(reader);
            ADD_FAILURE() << "read " << text.size() << " bytes";
        } catch (const FileFailure& failure) {
            EXPECT_EQ(failure.error, FileError::UnexpectedFormat);
        }
    }
}

TEST(DxfLineReaderTest, OnlyRegularFilesOpen) {
    TempDir dir;
    DxfLineReader missing;
    EXPECT_EQ(missing.Open(dir.File("none.dxf")), FileError::NotFound);
    DxfLineReader folder;
    EXPECT_NE(folder.Open(dir.Path().string()), FileError::None);
    WriteBytes(dir.File("empty.dxf"), "");
    DxfLineReader empty;
    ASSERT_EQ(empty.Open(dir.File("empty.dxf")), FileError::None);
    std::string_view line;
    EXPECT_FALSE(empty.NextLine(line));
}

TEST(DxfPairReaderTest, PairsEndWhenAValueLineIsMissing) {
    DxfLineReader lines;
    lines.OpenText("0\nLINE\n 10\n1.5\n62");
    DxfPairReader pairs(lines);
    DxfPair pair;
    ASSERT_TRUE(pairs.Next(pair));
    EXPECT_EQ(pair.code, 0);
    EXPECT_EQ(pair.value, "LINE");
    ASSERT_TRUE(pairs.Next(pair));
    EXPECT_EQ(pair.code, 10);
    EXPECT_EQ(pair.value, "1.5");
    EXPECT_FALSE(pairs.Next(pair));
}

TEST(DxfNumberTest, GroupCodesReadTheirFirstThreeCharacters) {
    EXPECT_EQ(ParseGroupCode("0"), 0);
    EXPECT_EQ(ParseGroupCode("  10"), 10);
    EXPECT_EQ(ParseGroupCode("\t 8"), 8);
    EXPECT_EQ(ParseGroupCode("230"), 230);
    EXPECT_EQ(ParseGroupCode("1001"), 100);  // cut to three digits
    EXPECT_EQ(ParseGroupCode("1071"), 107);
    EXPECT_EQ(ParseGroupCode("10abc"), 10);
    EXPECT_EQ(ParseGroupCode("-1"), -1);
    EXPECT_EQ(ParseGroupCode("+62"), 62);  // the sign is one of the three characters
    EXPECT_EQ(ParseGroupCode("-100"), -10);
    EXPECT_EQ(ParseGroupCode("abc"), kNoGroupCode);
    EXPECT_EQ(ParseGroupCode(""), kNoGroupCode);
    EXPECT_EQ(ParseGroupCode("   "), kNoGroupCode);
    EXPECT_EQ(ParseGroupCode("-"), kNoGroupCode);
    EXPECT_EQ(ParseGroupCode("x10"), kNoGroupCode);
}

TEST(DxfNumberTest, RealsReadLikeTheCConversion) {
    EXPECT_EQ(ParseDxfReal("1.5"), 1.5);
    EXPECT_EQ(ParseDxfReal("  -0.25"), -0.25);
    EXPECT_EQ(ParseDxfReal("+2e3"), 2000.0);
    EXPECT_EQ(ParseDxfReal(".5"), 0.5);
    EXPECT_EQ(ParseDxfReal("5."), 5.0);
    EXPECT_EQ(ParseDxfReal("12abc"), 12.0);  // stops at the first unusable character
    EXPECT_EQ(ParseDxfReal("1e"), 1.0);
    EXPECT_EQ(ParseDxfReal("0x10"), 16.0);
    EXPECT_EQ(ParseDxfReal("-0x10"), -16.0);
    EXPECT_EQ(ParseDxfReal("0xg"), 0.0);
    EXPECT_EQ(ParseDxfReal("-1.000000"), -1.0);
    EXPECT_EQ(ParseDxfReal("123456789.125"), 123456789.125);
    // Nothing usable, and values that are not finite, read as 0.
    EXPECT_EQ(ParseDxfReal("abc"), 0.0);
    EXPECT_EQ(ParseDxfReal(""), 0.0);
    EXPECT_EQ(ParseDxfReal("-"), 0.0);
    EXPECT_EQ(ParseDxfReal("--5"), 0.0);  // one sign only
    EXPECT_EQ(ParseDxfReal("+-5"), 0.0);
    EXPECT_EQ(ParseDxfReal("-+5"), 0.0);
    EXPECT_EQ(ParseDxfReal("inf"), 0.0);
    EXPECT_EQ(ParseDxfReal("-infinity"), 0.0);
    EXPECT_EQ(ParseDxfReal("nan"), 0.0);
    EXPECT_EQ(ParseDxfReal("1e999"), 0.0);
    EXPECT_EQ(ParseDxfReal("1e-999"), 0.0);
    EXPECT_EQ(ParseDxfReal("1e39"), 0.0);
    EXPECT_EQ(ParseDxfReal("-1e39"), 0.0);
    EXPECT_EQ(ParseDxfReal("3e38"), 3e38);
}

TEST(DxfNumberTest, IntegersReadLikeTheCConversionAndSaturate) {
    EXPECT_EQ(ParseDxfInteger("7"), 7);
    EXPECT_EQ(ParseDxfInteger(" -3"), -3);
    EXPECT_EQ(ParseDxfInteger("+256"), 256);
    EXPECT_EQ(ParseDxfInteger("4.9"), 4);
    EXPECT_EQ(ParseDxfInteger("x4"), 0);
    EXPECT_EQ(ParseDxfInteger(""), 0);
    EXPECT_EQ(ParseDxfInteger("2147483647"), INT_MAX);
    EXPECT_EQ(ParseDxfInteger("99999999999999999999"), INT_MAX);
    EXPECT_EQ(ParseDxfInteger("-2147483648"), INT_MIN);
    EXPECT_EQ(ParseDxfInteger("-99999999999999999999"), INT_MIN);
}

}  // namespace
}  // namespace marquetta
