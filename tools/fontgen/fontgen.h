// The stroke font generator: reads the KST32B stroke font (.lff text) and GNU Unifont's
// Japanese bitmaps (.hex), turns each character into strokes on the 16 x 16 glyph cell and
// writes the font file that the program embeds (layout in text/stroke_font.h).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "text/stroke_font.h"

namespace marquetta::fontgen {

struct PointF {
    double x;
    double y;
};
// One source glyph: polylines in the font's own units.
using Polyline = std::vector<PointF>;
using SourceGlyph = std::vector<Polyline>;

// A straight stroke between two grid points of the glyph cell.
struct Segment {
    int x0, y0, x1, y1;
    friend auto operator<=>(const Segment&, const Segment&) = default;
};

// Parses .lff text: "[XXXX]" code point headers, then one polyline a line
// ("x,y;x,y;..."; a point written "x,y,A<bulge>" ends an arc from the previous point,
// which is replaced by straight pieces), or "C<XXXX>" to include another glyph's lines.
// A glyph ends at a blank line or the next header. Throws std::runtime_error on a
// malformed line.
std::map<char32_t, SourceGlyph> ParseLff(const std::string& text);

// The straight pieces that replace an arc from `from` to `to` with the given bulge
// (tan of a quarter of the included angle; positive turns counter-clockwise). The result
// holds the points after `from`, ending with `to` exactly.
std::vector<PointF> FlattenArc(PointF from, PointF to, double bulge);

// Maps a KST32B point onto the glyph cell: one scale for every glyph (the 32-step em of
// 9.6875 units onto 15 grid units), half a grid unit to the right, rounded to the grid
// and kept within 0-15.
int GridX(double x);
int GridY(double y);

// The strokes of a KST32B glyph on the grid (consecutive snapped points of each polyline).
std::vector<Segment> SnapGlyph(const SourceGlyph& glyph);

// Parses Unifont .hex text ("XXXX:" then 32 or 64 hex digits) into bitmaps: 16 rows,
// top first, each row's bits with the leftmost pixel in bit 15 (8-pixel-wide glyphs are
// centred in the 16 columns). Throws std::runtime_error on a malformed line.
using Bitmap = std::vector<uint16_t>;
std::map<char32_t, Bitmap> ParseUnifontHex(const std::string& text);

// Traces a bitmap: runs of two or more set pixels in a row or a column become horizontal
// and vertical strokes, diagonal neighbours without a pixel linking them orthogonally
// become 45-degree strokes, and a pixel with no neighbour becomes a one-unit dot.
// Pixel (column c, row r from the top) is grid point (c, 15 - r).
std::vector<Segment> TraceBitmap(const Bitmap& bitmap);

// Drops zero-length strokes and merges collinear strokes that overlap or touch, so no
// stroke is drawn twice. The result is sorted.
std::vector<Segment> CleanStrokes(const std::vector<Segment>& strokes);

// Orders strokes into one pen path that starts with a pen-up move and keeps the pen-up
// moves few: it draws on from the pen's point while strokes remain there, and otherwise
// lifts the pen to the nearest point where an odd number of strokes remain (so each
// connected figure is drawn in as few runs as possible).
std::vector<GlyphStep> OrderStrokes(const std::vector<Segment>& strokes);

// Where each character's glyph came from, and the file that results.
struct FontBuild {
    std::vector<uint8_t> file;
    int addressable = 0;      // two-byte CP932 characters that the index can address
    int fromStrokeFont = 0;   // glyphs taken from the KST32B strokes
    int fromBitmapFont = 0;   // glyphs traced from Unifont bitmaps
    int blank = 0;            // of those, glyphs without strokes (the ideographic space)
    int missing = 0;          // characters left without a glyph
    int distinctRecords = 0;  // records written (identical glyphs share one)
    int largestCommands = 0;  // the most commands in one glyph
    int largestRecord = 0;    // the longest record in bytes
};

// Builds the font file. `strokeGlyphs` wins over `bitmapGlyphs` for every character.
// Throws std::runtime_error if CP932 cannot be converted or a glyph does not fit a record.
FontBuild BuildFont(const std::map<char32_t, SourceGlyph>& strokeGlyphs,
                    const std::map<char32_t, Bitmap>& bitmapGlyphs);

// The Unicode character of a two-byte CP932 code, or 0 when the code is not a character.
char32_t DecodeCp932(uint8_t lead, uint8_t trail);

}  // namespace marquetta::fontgen
