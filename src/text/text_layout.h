// Stroke text laid out on the ground plane: the character advance, glyph scaling and
// rotation of a text shape, used in three ways by the same walk: vertices for the
// view's line batch, lines through a print pen, and the hit test under the cursor.
// Also the text's length in widths and the window-selection test of its box.
//
// A text is a CP932 byte string; the walk ends at the end of the string or at a NUL
// byte, whichever comes first. A height h makes one glyph unit h / 16 across the
// baseline; a width w is the advance of a two-byte character, whose 16 glyph units span
// 0.85 w; a single-byte character takes half of both. The angle is in degrees with the
// program's own pi: the baseline runs along (cos, -sin) in (X, Z), the glyphs' up along
// (-sin, -cos).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "model/geometry.h"
#include "text/print_pen.h"

namespace marquetta {

// Set to 1 by the pick mode when a stroke lies under the cursor. The picking code
// clears it before a test; the text walk never clears it.
extern int g_pickHit;

// g_pickHit = 0.
void InitTextLayoutDefaults();

enum TextMode : int { TEXT_VIEW = 0, TEXT_PRINT = 1, TEXT_PICK = 2 };

// Ground point (X, Z) -> printed point in 0.1 mm, y up from the top-left corner of the
// printable area: px = (X + ox) / k, py = (oz - Z) / k, each truncated toward zero. The
// world origin lands on the centre of the sheet.
struct PrintMapping {
    double k = 1.0;
    double ox = 0.0;
    double oz = 0.0;
};
// k = N * 0.1, ox = N * W * 0.5, oz = -N * H * 0.5 for the scale 1:N and a printable
// area of W x H millimetres: the values the printing code computes before it prints.
PrintMapping MakePrintMapping(double scaleDenominator, double paperWidth, double paperHeight);
// Truncation toward zero; a value outside int (or NaN) gives INT_MIN, as the processor's
// truncating conversion does, rather than undefined behaviour.
int TruncateToDevice(double value);

// Where the strokes go. Build one with View, Print or Pick.
struct TextTarget {
    TextMode mode = TEXT_VIEW;
    // View: every stroke appends two vertices (X, 0, Z), six floats, to the batch.
    std::vector<float>* lineBatch = nullptr;
    // Print: MoveTo then LineTo for every stroke, through the mapping.
    PrintPen* pen = nullptr;
    PrintMapping mapping;
    // Pick: the strokes are projected with these matrices and viewport and tested
    // against the cursor, in client pixels with y from the top.
    ProjectionRef projection;
    double cursorX = 0.0;
    double cursorY = 0.0;

    static TextTarget View(std::vector<float>& lineBatch);
    static TextTarget Print(PrintPen& pen, const PrintMapping& mapping);
    static TextTarget Pick(const ProjectionRef& projection, double cursorX, double cursorY);
};

// Whether a byte starts a two-byte CP932 character (0x81-0x9F, 0xE0-0xFC).
constexpr bool IsCp932LeadByte(uint8_t byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

// Lays out `text` from the ground point (x0, z0) and sends every stroke to the target.
// Returns 1, or 0 without drawing after telling the user when there is no font. A lead
// byte at the end takes the end as its trail byte (no glyph) and ends the walk; every
// character advances whether or not the font has its glyph.
int DrawStrokeText(std::string_view text, double x0, double z0, double height, double width,
                   double angle, const TextTarget& target);

// One glyph (lead, trail) with its origin at (xc, zc) and the given character width.
// In pick mode the glyph is left at its first stroke under the cursor.
void DrawStrokeGlyph(uint8_t lead, uint8_t trail, double xc, double zc, double height,
                     double charWidth, double angle, const TextTarget& target);

// A rectangle on the ground, {xmin, zmin, xmax, zmax}, that holds every stroke the
// text walk can draw for these values (it takes the reach of the font's glyphs, not of
// this text's, so it is quick). False without a font, when nothing is drawn.
bool StrokeTextGroundBounds(std::string_view text, double x0, double z0, double height,
                            double width, double angle, double bounds[4]);

// Length of the text in widths: 1 per two-byte character, 0.5 per single byte.
double TextAdvanceUnits(std::string_view text);

// Whether the text box (the full advance by the full height, at the text point's own Y)
// projects strictly inside the window rectangle; window coordinates have y from the
// bottom. A corner that cannot be projected is not inside.
bool TextInsideRect(std::string_view text, const Float3& point, double xmin, double ymin,
                    double xmax, double ymax, double height, double width, double angle,
                    const ProjectionRef& projection);

}  // namespace marquetta
