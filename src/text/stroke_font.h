// The stroke font: one read-only file embedded in the program, used in place.
//
// Layout (offsets from the start of the file):
//   0..127     name, header words and notice; never read by the program
//   128        glyph index: 45 rows x 188 entries x 3 bytes, each a 24-bit big-endian
//              offset of the glyph record (0 = no glyph)
//   25,508     glyph records: n (one byte), then n stroke commands
//
// A stroke command byte is pen (bit 7, 1 = draw), operation (bits 6-4) and operand A
// (bits 3-0). Operation 2 takes a second byte whose high four bits are the new y.
// Glyph coordinates run 0-15 on a 16 x 16 cell, origin at the lower left, y up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace marquetta {

extern const uint8_t* g_fontData;  // the embedded stroke font; null when missing
extern size_t g_fontSize;          // its length in bytes

// Points g_fontData and g_fontSize at the embedded font (no copy, no parse).
void InitFontDefaults();

// The bytes of the font that the build embeds into the program.
std::span<const uint8_t> EmbeddedFont();

inline constexpr size_t kGlyphIndexOffset = 128;
inline constexpr int kGlyphIndexRows = 45;
inline constexpr int kGlyphIndexColumns = 188;
inline constexpr size_t kGlyphIndexEntrySize = 3;
inline constexpr size_t kGlyphRecordsOffset =
    kGlyphIndexOffset + size_t{kGlyphIndexRows} * kGlyphIndexColumns * kGlyphIndexEntrySize;  // 25,508

// Row and column of the glyph index for a two-byte code; none when a byte is out of range.
struct GlyphSlot {
    int row;
    int column;
};
std::optional<GlyphSlot> GlyphSlotOf(uint8_t lead, uint8_t trail);
// Offset in the file of the index entry of (row, column).
constexpr size_t GlyphIndexEntryOffset(int row, int column) {
    return kGlyphIndexOffset +
           static_cast<size_t>(row) * kGlyphIndexColumns * kGlyphIndexEntrySize +
           static_cast<size_t>(column) * kGlyphIndexEntrySize;
}
// The two-byte code of an index slot (the inverse of GlyphSlotOf).
struct FullWidthCode {
    uint8_t lead;
    uint8_t trail;
};
FullWidthCode CodeOfSlot(int row, int column);

// The two-byte code under which the font files a single-byte character; none for the
// space, control characters and the bytes without a full-width form.
std::optional<FullWidthCode> ToFullWidthCode(uint8_t byte);

// The glyph record of (lead, trail) in g_fontData: from the record's offset to the end of
// the font (records carry no length); empty when there is no glyph (a byte out of range,
// a zero entry, an offset at or past the end, no font).
std::span<const uint8_t> FindGlyph(uint8_t lead, uint8_t trail);
// The same lookup in a given font image.
std::span<const uint8_t> FindGlyphIn(std::span<const uint8_t> font, uint8_t lead, uint8_t trail);

// One decoded stroke command: the new pen position and whether the move draws.
struct GlyphStep {
    int x;
    int y;
    bool penDown;
    friend bool operator==(const GlyphStep&, const GlyphStep&) = default;
};

// Calls step(GlyphStep) for each of the record's n commands, starting from pen (0, 0).
// Stops quietly when the data ends before the n-th command does.
template <class StepFn>
void DecodeGlyph(std::span<const uint8_t> record, StepFn&& step) {
    if (record.empty()) {
        return;
    }
    const size_t count = record[0];
    size_t pos = 1;
    int x = 0;
    int y = 0;
    for (size_t i = 0; i < count; ++i) {
        if (pos >= record.size()) {
            return;
        }
        const uint8_t command = record[pos++];
        const bool penDown = (command & 0x80) != 0;
        const int op = (command >> 4) & 0x07;
        const int a = command & 0x0F;
        switch (op) {
            case 0:
                x = a;
                break;
            case 1:
                y = a;
                break;
            case 2:
                if (pos >= record.size()) {
                    return;
                }
                x = a;
                y = record[pos++] >> 4;
                break;
            case 3:
                y += a > x ? a - x : x - a;
                x = a;
                break;
            case 4:
                y -= a > x ? a - x : x - a;
                x = a;
                break;
            default:  // 5, 6, 7: the pen stays where it is
                break;
        }
        step(GlyphStep{x, y, penDown});
    }
}

// Length in bytes of the record at the start of `data` (n, then its commands); none when
// the data ends before the record does.
std::optional<size_t> GlyphRecordLength(std::span<const uint8_t> data);

// Encodes a pen path (each step's position and pen bit, starting from (0, 0)) with the
// shortest commands: 0 when y stays, 1 when x stays, 3 and 4 for 45-degree rises and
// falls, 2 otherwise. Returns the record (n first). Coordinates must lie in 0-15 and the
// path may hold at most 255 steps; std::invalid_argument otherwise.
std::vector<uint8_t> EncodeGlyph(std::span<const GlyphStep> path);

}  // namespace marquetta
