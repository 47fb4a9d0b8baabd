// Turning, mirroring and scaling shapes: the geometry of the rotate, mirror and scale
// commands and of their previews. Turning and mirroring work in plan (X and Z, about a
// vertical axis or in a vertical mirror plane) and keep heights; scaling scales all
// three coordinates about the base point.
//
// Angles are measured as arcs and texts measure them: degrees, 0 along +X, 90 along -Z,
// counter-clockwise seen from above.
#pragma once

#include "model/geometry.h"
#include "model/shape.h"

namespace marquetta {

enum class TransformKind { Rotate, Mirror, Scale };

struct ShapeTransform {
    TransformKind kind = TransformKind::Rotate;
    // The centre of a turn, a point of the mirror line, the base point of a scaling.
    Double3 origin;
    // Rotate: the turn in degrees. Mirror: the mirror line's direction angle.
    double degrees = 0.0;
    // Scale: the factor (positive).
    double factor = 1.0;
    // Rotate: cosine and sine of the turn; mirror: the unit direction of the line in
    // (X, Z).
    double c = 1.0;
    double s = 0.0;

    // A turn of `degrees` counter-clockwise about `centre`; quarter turns are exact.
    static ShapeTransform Rotation(const Double3& centre, double degrees);
    // The mirror in the vertical plane through a and b; a and b must lie apart in plan.
    static ShapeTransform Mirror(const Double3& a, const Double3& b);
    // Scaling by `factor` about `base`.
    static ShapeTransform Scaling(const Double3& base, double factor);

    Double3 Point(const Double3& p) const;
    // A direction (a face's normal): turned or mirrored, unchanged by a scaling.
    Double3 Direction(const Double3& v) const;
    // A direction angle in degrees, not brought into any range.
    double Angle(double degrees) const;
};

// An angle brought into [0, 360).
double WrapDegrees(double degrees);

// Whether two points lie far enough apart in plan to define a mirror line.
bool DefinesMirrorLine(const Double3& a, const Double3& b);

// `shape` as the transform leaves it, in `out` (every other field copied):
//   line    its four points;
//   circle  the centre, the radius scaled;
//   arc     the centre, the radius scaled, both angles turned; a mirrored arc runs
//           counter-clockwise still, from the mirror of its end to the mirror of its
//           start; the start is brought into [0, 360) and the sweep kept;
//   face    corners and normals; mirrored, the corners run the other way round so the
//           face keeps facing the side its normals say;
//   text    the insertion point, the angle turned, height and width scaled. A mirrored
//           text is written forwards in the box the original's mirror image covers:
//           of the two ways to do so (along the mirrored baseline from the mirror of
//           the box's top corner, or back along it from the mirror of the baseline's
//           end) the one whose direction lies nearer the original's, so that a text
//           mirrored in a vertical line still reads left to right and one mirrored in
//           a horizontal line does not stand on its head.
// False, leaving `out` alone, where a value single precision cannot hold would be stored
// (a shape that already held such a value is judged by nothing).
bool TransformShape(const CShape& shape, const ShapeTransform& transform, CShape& out);

}  // namespace marquetta
