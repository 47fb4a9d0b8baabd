// Dimension geometry: dimensions as ordinary shapes: what lines and text a length, aligned, radius, diameter
// or angle dimension is made of, computed from its points alone. The native file has no
// dimension kind, so a dimension is lines (dimension line, extension lines, end marks)
// and one text, which print, export and read back like any other drawing.
//
// Sizes of the style are millimetres on paper; `scale` (the drawing's scale
// denominator) turns them into drawing millimetres. Points are on the ground plane
// (X, Z); the text angle follows the text shape's convention: the baseline runs along
// (cos, -sin) in (X, Z).
#pragma once

#include <string>
#include <vector>

#include "model/geometry.h"
#include "model/shape.h"

namespace marquetta {

enum class DimensionEnd : int { Tick = 0, Arrow = 1 };

struct DimensionStyle {
    double textHeight = 2.5;       // paper mm
    DimensionEnd end = DimensionEnd::Tick;
    double endSize = 2.0;          // paper mm: the tick's or the arrow stroke's length
    double extensionGap = 1.0;     // paper mm between the measured point and its extension line
    double extensionOvershoot = 2.0;  // paper mm the extension line runs past the dimension line
    int decimals = 0;
    bool operator==(const DimensionStyle&) const = default;
};

// The ranges the settings dialog accepts (inclusive).
inline constexpr double kMinDimensionTextHeight = 0.5;
inline constexpr double kMaxDimensionTextHeight = 20.0;
inline constexpr double kMinDimensionEndSize = 0.5;
inline constexpr double kMaxDimensionEndSize = 20.0;
inline constexpr double kMaxDimensionExtension = 20.0;  // gap and overshoot, from 0
inline constexpr int kMaxDimensionDecimals = 4;

// The style new dimensions are made with.
extern DimensionStyle g_dimensionStyle;
void InitDimensionDefaults();

// The text of a value with `decimals` decimals, rounded, "-0" never shown: "3600", "12.50".
std::string FormatDimensionValue(double value, int decimals);

// The angle at which a text along the direction `degrees` reads from the bottom or the
// right of the sheet: [0, 90] or (270, 360).
double ReadableTextAngle(double degrees);

// Why a dimension could not be made.
enum class DimensionError : int {
    None = 0,
    Coincident,  // the measured points coincide, or the length measured is zero
    Parallel,    // the two lines of an angle are parallel
};

struct DimensionResult {
    DimensionError error = DimensionError::None;
    std::vector<CShape> shapes;  // lines, then the text last; empty on an error
};

// A length dimension between a and b, the dimension line through `place`: horizontal
// (measuring X) or vertical (measuring Z), whichever side of the measured points the
// place lies on.
DimensionResult LinearDimension(const Double3& a, const Double3& b, const Double3& place,
                                const DimensionStyle& style, double scale);
// The same, parallel to a-b.
DimensionResult AlignedDimension(const Double3& a, const Double3& b, const Double3& place,
                                 const DimensionStyle& style, double scale);
// A radius ("R…") or diameter ("φ…") dimension of a circle or arc, on the side of
// `place`; the line reaches out to `place` when it lies outside.
DimensionResult RadiusDimension(const Double3& centre, double radius, const Double3& place,
                                bool diameter, const DimensionStyle& style, double scale);
// The angle between two lines (given by two points each), in the quarter that holds
// `place`, with the arc through `place`.
DimensionResult AngleDimension(const Double3& a1, const Double3& a2, const Double3& b1,
                               const Double3& b2, const Double3& place,
                               const DimensionStyle& style, double scale);

}  // namespace marquetta
