#include "view/shape_bounds.h"

#include <algorithm>
#include <cmath>

#include "text/text_layout.h"

namespace marquetta {
namespace {

// Rounds outward to the floats of a box; false for a value beyond them or not finite.
bool NarrowDown(double v, float& out) {
    out = static_cast<float>(v);
    if (out > v) {
        out = std::nextafter(out, -HUGE_VALF);
    }
    return std::isfinite(out);
}
bool NarrowUp(double v, float& out) {
    out = static_cast<float>(v);
    if (out < v) {
        out = std::nextafter(out, HUGE_VALF);
    }
    return std::isfinite(out);
}

}  // namespace

ShapeExtent ShapeBounds(const CShape& s, Box3& box) {
    if (s.m_nType == SHAPE_LINE || s.m_nType == SHAPE_FACE) {
        // Their own points: floats already, nothing to round.
        box = Box3{{s.m_pt[0].x, s.m_pt[0].y, s.m_pt[0].z}, {s.m_pt[0].x, s.m_pt[0].y, s.m_pt[0].z}};
        const int points = s.m_nType == SHAPE_LINE ? 2 : 4;
        for (int i = 0; i < points; ++i) {
            const float p[3] = {s.m_pt[i].x, s.m_pt[i].y, s.m_pt[i].z};
            for (int c = 0; c < 3; ++c) {
                if (!std::isfinite(p[c])) {
                    return ShapeExtent::Everywhere;
                }
                box.lo[c] = std::min(box.lo[c], p[c]);
                box.hi[c] = std::max(box.hi[c], p[c]);
            }
        }
        return ShapeExtent::Box;
    }
    double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL};
    double hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    // A value that is not a number leaves the box as it was.
    auto add = [&](double x, double y, double z) {
        const double p[3] = {x, y, z};
        for (int c = 0; c < 3; ++c) {
            lo[c] = p[c] < lo[c] ? p[c] : lo[c];
            hi[c] = p[c] > hi[c] ? p[c] : hi[c];
        }
    };
    const Float3& c = s.m_pt[0];
    switch (s.m_nType) {
        case SHAPE_CIRCLE:
        case SHAPE_ARC: {
            // Both are drawn on the ground; a click samples an arc at its centre's height.
            const double r = std::fabs(double{s.m_pt[1].x});
            add(c.x - r, 0.0, c.z - r);
            add(c.x + r, 0.0, c.z + r);
            if (s.m_nType == SHAPE_ARC) {
                add(c.x, c.y, c.z);
            }
            break;
        }
        case SHAPE_TEXT: {
            double strokes[4];
            if (StrokeTextGroundBounds(s.m_strText, c.x, c.z, s.m_pt[1].x, s.m_pt[1].y, s.m_pt[1].z,
                                       strokes)) {
                add(strokes[0], 0.0, strokes[1]);
                add(strokes[2], 0.0, strokes[3]);
            }
            // The text box: tested by a selection window at the text point's height,
            // drawn on the ground where the text is too small to read.
            const double length = TextAdvanceUnits(s.m_strText) * s.m_pt[1].y;
            const double a = s.m_pt[1].z * kRadiansPerDegree;
            const double dx = length * std::cos(a), dz = -length * std::sin(a);
            const double ux = -s.m_pt[1].x * std::sin(a), uz = -s.m_pt[1].x * std::cos(a);
            const double slack = 1e-9 * (std::fabs(c.x) + std::fabs(c.z) + std::fabs(length) +
                                         std::fabs(s.m_pt[1].x));
            for (double corner : {0.0, 1.0}) {
                for (double up : {0.0, 1.0}) {
                    const double x = c.x + corner * dx + up * ux;
                    const double z = c.z + corner * dz + up * uz;
                    for (double y : {double{c.y}, 0.0}) {
                        add(x - slack, y, z - slack);
                        add(x + slack, y, z + slack);
                    }
                }
            }
            break;
        }
        default:
            return ShapeExtent::Nowhere;  // no other kind is ever drawn, picked or snapped
    }
    for (int k = 0; k < 3; ++k) {
        if (!NarrowDown(lo[k], box.lo[k]) || !NarrowUp(hi[k], box.hi[k])) {
            return ShapeExtent::Everywhere;
        }
    }
    return ShapeExtent::Box;
}

ShapeIndex& SyncedShapeIndex(const CZorader_ezDoc& doc) {
    ShapeIndex& index = doc.PickIndex();
    index.Sync(doc.m_shapes, ShapeBounds);
    return index;
}

}  // namespace marquetta
