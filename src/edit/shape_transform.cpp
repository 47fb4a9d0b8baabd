#include "edit/shape_transform.h"

#include <cmath>
#include <utility>

#include "edit/draw_commands.h"
#include "text/text_layout.h"

namespace marquetta {
namespace {

Double3 Wide(const Float3& p) {
    return {p.x, p.y, p.z};
}

bool Finite(const Float3& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// The values of a shape's points being computed, checked, then stored.
struct Values {
    Double3 pt[4];
    Double3 normal[4];
};

Double3 Sum(const Double3& a, const Double3& b, double k) {
    return {a.x + b.x * k, a.y + b.y * k, a.z + b.z * k};
}

// The text's up direction and baseline direction at `degrees`, in (X, Z).
Double3 Baseline(double degrees) {
    const double r = degrees * kRadiansPerDegree;
    return {std::cos(r), 0.0, -std::sin(r)};
}
Double3 Up(double degrees) {
    const double r = degrees * kRadiansPerDegree;
    return {-std::sin(r), 0.0, -std::cos(r)};
}

void MirrorText(const CShape& shape, const ShapeTransform& t, Values& v) {
    const double height = shape.m_pt[1].x;
    const double width = shape.m_pt[1].y;
    const double angle = shape.m_pt[1].z;
    const double mirrored = t.Angle(angle);
    const double turn = std::remainder(mirrored - angle, 360.0);
    const Double3 p = Wide(shape.m_pt[0]);
    if (std::fabs(turn) <= 90.0) {
        // Along the mirrored baseline, from the mirror of the box's top corner.
        v.pt[0] = t.Point(Sum(p, Up(angle), height));
        v.pt[1].z = WrapDegrees(mirrored);
    } else {
        // Back along it, from the mirror of the baseline's end.
        const double length = TextAdvanceUnits(shape.m_strText) * width;
        v.pt[0] = t.Point(Sum(p, Baseline(angle), length));
        v.pt[1].z = WrapDegrees(mirrored + 180.0);
    }
}

}  // namespace

double WrapDegrees(double degrees) {
    double wrapped = std::fmod(degrees, 360.0);
    if (wrapped < 0.0) {
        wrapped += 360.0;
    }
    // Just below 360 is 360 once stored in single precision: that is 0.
    return static_cast<float>(wrapped) >= 360.0f ? 0.0 : wrapped;
}

bool DefinesMirrorLine(const Double3& a, const Double3& b) {
    return std::hypot(b.x - a.x, b.z - a.z) > kSmallestLength;
}

ShapeTransform ShapeTransform::Rotation(const Double3& centre, double degrees) {
    ShapeTransform t;
    t.kind = TransformKind::Rotate;
    t.origin = centre;
    t.degrees = degrees;
    const double turn = WrapDegrees(degrees);
    if (turn == 0.0 || turn == 90.0 || turn == 180.0 || turn == 270.0) {
        const int quarter = static_cast<int>(turn / 90.0);
        constexpr double kCos[4] = {1.0, 0.0, -1.0, 0.0};
        constexpr double kSin[4] = {0.0, 1.0, 0.0, -1.0};
        t.c = kCos[quarter];
        t.s = kSin[quarter];
    } else {
        t.c = std::cos(turn * kRadiansPerDegree);
        t.s = std::sin(turn * kRadiansPerDegree);
    }
    return t;
}

ShapeTransform ShapeTransform::Mirror(const Double3& a, const Double3& b) {
    ShapeTransform t;
    t.kind = TransformKind::Mirror;
    t.origin = a;
    const double dx = b.x - a.x;
    const double dz = b.z - a.z;
    const double length = std::hypot(dx, dz);
    t.c = dx / length;
    t.s = dz / length;
    // Lines along the axes, the usual mirror lines, give their angles exactly.
    if (dz == 0.0) {
        t.degrees = dx > 0.0 ? 0.0 : 180.0;
    } else if (dx == 0.0) {
        t.degrees = dz < 0.0 ? 90.0 : 270.0;
    } else {
        t.degrees = DirectionAngle(dx, dz, length);
    }
    return t;
}

ShapeTransform ShapeTransform::Scaling(const Double3& base, double factor) {
    ShapeTransform t;
    t.kind = TransformKind::Scale;
    t.origin = base;
    t.factor = factor;
    return t;
}

Double3 ShapeTransform::Direction(const Double3& v) const {
    switch (kind) {
        case TransformKind::Rotate:
            // Counter-clockwise seen from above, where -Z is up the screen.
            return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
        case TransformKind::Mirror: {
            const double along = v.x * c + v.z * s;
            return {2.0 * along * c - v.x, v.y, 2.0 * along * s - v.z};
        }
        case TransformKind::Scale:
            break;
    }
    return v;
}

Double3 ShapeTransform::Point(const Double3& p) const {
    const Double3 d{p.x - origin.x, p.y - origin.y, p.z - origin.z};
    const Double3 moved = kind == TransformKind::Scale
                              ? Double3{d.x * factor, d.y * factor, d.z * factor}
                              : Direction(d);
    return {origin.x + moved.x, origin.y + moved.y, origin.z + moved.z};
}

double ShapeTransform::Angle(double a) const {
    switch (kind) {
        case TransformKind::Rotate:
            return a + degrees;
        case TransformKind::Mirror:
            return 2.0 * degrees - a;
        case TransformKind::Scale:
            break;
    }
    return a;
}

bool TransformShape(const CShape& shape, const ShapeTransform& t, CShape& out) {
    Values v;
    bool finiteBefore = true;
    for (int i = 0; i < 4; ++i) {
        v.pt[i] = Wide(shape.m_pt[i]);
        v.normal[i] = Wide(shape.m_normal[i]);
        finiteBefore = finiteBefore && Finite(shape.m_pt[i]);
    }
    const double k = t.kind == TransformKind::Scale ? t.factor : 1.0;
    switch (shape.m_nType) {
        case SHAPE_LINE:
            for (Double3& p : v.pt) {
                p = t.Point(p);
            }
            break;
        case SHAPE_FACE:
            for (int i = 0; i < 4; ++i) {
                // Mirrored, the corners run the other way round: 0 3 2 1.
                const int from = t.kind == TransformKind::Mirror ? (4 - i) % 4 : i;
                v.pt[i] = t.Point(Wide(shape.m_pt[from]));
                v.normal[i] = t.Direction(Wide(shape.m_normal[from]));
            }
            break;
        case SHAPE_CIRCLE:
            v.pt[0] = t.Point(v.pt[0]);
            v.pt[1].x *= k;
            break;
        case SHAPE_ARC: {
            v.pt[0] = t.Point(v.pt[0]);
            v.pt[1].x *= k;
            const double start = shape.m_pt[1].y;
            const double end = shape.m_pt[1].z;
            double newStart = t.Angle(start);
            double newEnd = t.Angle(end);
            if (t.kind == TransformKind::Mirror) {
                std::swap(newStart, newEnd);
            }
            // The start into [0, 360), the sweep as it was.
            const double shift = newStart - WrapDegrees(newStart);
            v.pt[1].y = newStart - shift;
            v.pt[1].z = newEnd - shift;
            break;
        }
        case SHAPE_TEXT:
            if (t.kind == TransformKind::Mirror) {
                MirrorText(shape, t, v);
            } else {
                v.pt[0] = t.Point(v.pt[0]);
                v.pt[1].x *= k;
                v.pt[1].y *= k;
                v.pt[1].z = WrapDegrees(t.Angle(shape.m_pt[1].z));
            }
            break;
        default:
            break;
    }
    if (finiteBefore) {
        for (const Double3& p : v.pt) {
            if (!FitsFloat(p)) {
                return false;
            }
        }
    }
    out = shape;
    for (int i = 0; i < 4; ++i) {
        out.m_pt[i] = Narrow(v.pt[i]);
        if (shape.m_nType == SHAPE_FACE) {
            out.m_normal[i] = Narrow(v.normal[i]);
        }
    }
    return true;
}

}  // namespace marquetta
