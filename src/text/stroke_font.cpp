#include "text/stroke_font.h"

#include <array>
#include <stdexcept>
#include <string>

namespace marquetta {

// Defined in the source file that the build generates from res/font/.
extern const uint8_t kEmbeddedStrokeFont[];
extern const size_t kEmbeddedStrokeFontSize;

const uint8_t* g_fontData = nullptr;
size_t g_fontSize = 0;

std::span<const uint8_t> EmbeddedFont() {
    return {kEmbeddedStrokeFont, kEmbeddedStrokeFontSize};
}

void InitFontDefaults() {
    g_fontData = kEmbeddedStrokeFontSize > 0 ? kEmbeddedStrokeFont : nullptr;
    g_fontSize = kEmbeddedStrokeFontSize;
}

std::optional<GlyphSlot> GlyphSlotOf(uint8_t lead, uint8_t trail) {
    int row;
    if (lead >= 0x81 && lead <= 0x9F) {
        row = lead - 0x81;
    } else if (lead >= 0xE0 && lead <= 0xEA) {
        row = lead - 0xC1;
    } else if (lead >= 0xFA && lead <= 0xFC) {
        row = lead - 0xD0;
    } else {
        return std::nullopt;
    }
    int column;
    if (trail >= 0x40 && trail <= 0x7E) {
        column = trail - 0x40;
    } else if (trail >= 0x80 && trail <= 0xFC) {
        column = trail - 0x41;
    } else {
        return std::nullopt;
    }
    return GlyphSlot{row, column};
}

FullWidthCode CodeOfSlot(int row, int column) {
    const int lead = row <= 30 ? row + 0x81 : (row <= 41 ? row + 0xC1 : row + 0xD0);
    const int trail = column <= 62 ? column + 0x40 : column + 0x41;
    return FullWidthCode{static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)};
}

namespace {

// Trail bytes (lead 0x81) of the printable ASCII signs 0x21-0x7E; 0 for the digits and
// letters, which follow a rule of their own.
constexpr std::array<uint8_t, 0x5E> kAsciiSignTrail = [] {
    std::array<uint8_t, 0x5E> t{};
    auto set = [&t](int byte, uint8_t trail) { t[static_cast<size_t>(byte - 0x21)] = trail; };
    set(0x21, 0x49);
    set(0x22, 0x8D);
    set(0x23, 0x94);
    set(0x24, 0x90);
    set(0x25, 0x93);
    set(0x26, 0x95);
    set(0x27, 0x8C);
    set(0x28, 0x69);
    set(0x29, 0x6A);
    set(0x2A, 0x96);
    set(0x2B, 0x7B);
    set(0x2C, 0x43);
    set(0x2D, 0x7C);
    set(0x2E, 0x44);
    set(0x2F, 0x5E);
    set(0x3A, 0x46);
    set(0x3B, 0x47);
    set(0x3C, 0x83);
    set(0x3D, 0x81);
    set(0x3E, 0x84);
    set(0x3F, 0x48);
    set(0x40, 0x97);
    set(0x5B, 0x6D);
    set(0x5C, 0x8F);
    set(0x5D, 0x6E);
    set(0x5E, 0x4F);
    set(0x5F, 0x51);
    set(0x60, 0x4D);
    set(0x7B, 0x6F);
    set(0x7C, 0x62);
    set(0x7D, 0x70);
    set(0x7E, 0x50);
    return t;
}();

// Full-width forms of the half-width katakana and signs 0xA1-0xDF: lead byte and trail.
constexpr std::array<FullWidthCode, 0x3F> kHalfWidthKana = {{
    {0x81, 0x42}, {0x81, 0x75}, {0x81, 0x76}, {0x81, 0x43}, {0x81, 0x45},  // A1-A5
    {0x83, 0x92}, {0x83, 0x40}, {0x83, 0x42}, {0x83, 0x44}, {0x83, 0x46},  // A6-AA
    {0x83, 0x48}, {0x83, 0x83}, {0x83, 0x85}, {0x83, 0x87}, {0x83, 0x62},  // AB-AF
    {0x81, 0x5B}, {0x83, 0x41}, {0x83, 0x43}, {0x83, 0x45}, {0x83, 0x47},  // B0-B4
    {0x83, 0x49}, {0x83, 0x4A}, {0x83, 0x4C}, {0x83, 0x4E}, {0x83, 0x50},  // B5-B9
    {0x83, 0x52}, {0x83, 0x54}, {0x83, 0x56}, {0x83, 0x58}, {0x83, 0x5A},  // BA-BE
    {0x83, 0x5C}, {0x83, 0x5E}, {0x83, 0x60}, {0x83, 0x63}, {0x83, 0x65},  // BF-C3
    {0x83, 0x67}, {0x83, 0x69}, {0x83, 0x6A}, {0x83, 0x6B}, {0x83, 0x6C},  // C4-C8
    {0x83, 0x6D}, {0x83, 0x6E}, {0x83, 0x71}, {0x83, 0x74}, {0x83, 0x77},  // C9-CD
    {0x83, 0x7A}, {0x83, 0x7D}, {0x83, 0x7E}, {0x83, 0x80}, {0x83, 0x81},  // CE-D2
    {0x83, 0x82}, {0x83, 0x84}, {0x83, 0x86}, {0x83, 0x88}, {0x83, 0x89},  // D3-D7
    {0x83, 0x8A}, {0x83, 0x8B}, {0x83, 0x8C}, {0x83, 0x8D}, {0x83, 0x8F},  // D8-DC
    {0x83, 0x93}, {0x81, 0x4A}, {0x81, 0x4B},                              // DD-DF
}};

}  // namespace

std::optional<FullWidthCode> ToFullWidthCode(uint8_t byte) {
    if ((byte >= 0x30 && byte <= 0x39) || (byte >= 0x41 && byte <= 0x5A)) {
        return FullWidthCode{0x82, static_cast<uint8_t>(byte + 0x1F)};
    }
    if (byte >= 0x61 && byte <= 0x7A) {
        return FullWidthCode{0x82, static_cast<uint8_t>(byte + 0x20)};
    }
    if (byte >= 0x21 && byte <= 0x7E) {
        return FullWidthCode{0x81, kAsciiSignTrail[byte - 0x21]};
    }
    if (byte >= 0xA1 && byte <= 0xDF) {
        return kHalfWidthKana[byte - 0xA1];
    }
    return std::nullopt;
}

std::span<const uint8_t> FindGlyphIn(std::span<const uint8_t> font, uint8_t lead, uint8_t trail) {
    const auto slot = GlyphSlotOf(lead, trail);
    if (!slot) {
        return {};
    }
    const size_t at = GlyphIndexEntryOffset(slot->row, slot->column);
    if (at + kGlyphIndexEntrySize > font.size()) {
        return {};
    }
    const size_t offset = (size_t{font[at]} << 16) | (size_t{font[at + 1]} << 8) | font[at + 2];
    if (offset == 0 || offset >= font.size()) {
        return {};
    }
    return font.subspan(offset);
}

std::span<const uint8_t> FindGlyph(uint8_t lead, uint8_t trail) {
    if (g_fontData == nullptr) {
        return {};
    }
    return FindGlyphIn({g_fontData, g_fontSize}, lead, trail);
}

std::optional<size_t> GlyphRecordLength(std::span<const uint8_t> data) {
    if (data.empty()) {
        return std::nullopt;
    }
    size_t pos = 1;
    for (size_t i = 0; i < data[0]; ++i) {
        if (pos >= data.size()) {
            return std::nullopt;
        }
        const int op = (data[pos] >> 4) & 0x07;
        pos += op == 2 ? 2 : 1;
    }
    if (pos > data.size()) {
        return std::nullopt;
    }
    return pos;
}

std::vector<uint8_t> EncodeGlyph(std::span<const GlyphStep> path) {
    if (path.size() > 255) {
        throw std::invalid_argument("a glyph holds at most 255 commands, not " +
                                    std::to_string(path.size()));
    }
    std::vector<uint8_t> out;
    out.reserve(1 + 2 * path.size());
    out.push_back(static_cast<uint8_t>(path.size()));
    int x = 0;
    int y = 0;
    for (const GlyphStep& s : path) {
        if (s.x < 0 || s.x > 15 || s.y < 0 || s.y > 15) {
            throw std::invalid_argument("glyph point (" + std::to_string(s.x) + ", " +
                                        std::to_string(s.y) + ") lies outside the 16 x 16 cell");
        }
        const uint8_t pen = s.penDown ? 0x80 : 0x00;
        const int dx = s.x - x;
        const int dy = s.y - y;
        int op;
        if (dy == 0) {
            op = 0;
        } else if (dx == 0) {
            op = 1;
        } else if (dx == dy || dx == -dy) {
            op = dy > 0 ? 3 : 4;
        } else {
            op = 2;
        }
        const int a = op == 1 ? s.y : s.x;
        out.push_back(static_cast<uint8_t>(pen | (op << 4) | a));
        if (op == 2) {
            out.push_back(static_cast<uint8_t>(s.y << 4));
        }
        x = s.x;
        y = s.y;
    }
    return out;
}

}  // namespace marquetta
