#include "edit/cursor_readout.h"

#include <cmath>
#include <cstdio>

#include "view/gl_matrix.h"

namespace marquetta {

namespace {

// A value that would print as "-0.0" reads as 0.0.
double Shown(double v) { return std::fabs(v) < 0.05 ? 0.0 : v; }

}  // namespace

std::string PlanCoordinateText(const Double3& point) {
    char text[128];
    std::snprintf(text, sizeof text, "X=%.1f Y=%.1f", Shown(point.x), Shown(-point.z));
    return text;
}

std::string PlanPointText(const Double3& point) {
    char text[160];
    std::snprintf(text, sizeof text, "X=%.3f Y=%.3f Z=%.3f", point.x + 0.0, -point.z + 0.0,
                  point.y + 0.0);
    return text;
}

double PlanAngleDegrees(const Double3& from, const Double3& to) {
    const double east = to.x - from.x;
    const double north = -(to.z - from.z);
    if (east == 0.0 && north == 0.0) {
        return 0.0;
    }
    double angle = std::atan2(north, east) * 180.0 / kGlPi;
    // Below zero, and zero below the east axis (-0, which prints "-0.0"), go round.
    if (angle < 0.0 || std::signbit(angle)) {
        angle += 360.0;
    }
    // What would print as 360.0 is east.
    return angle >= 359.95 ? 0.0 : angle;
}

std::string CursorReadout(const Double3& point, const Double3* first) {
    std::string text = PlanCoordinateText(point);
    if (first != nullptr) {
        const double distance = std::hypot(point.x - first->x, point.z - first->z);
        char more[128];
        std::snprintf(more, sizeof more, "  距離=%.1f 角度=%.1f°", distance,
                      PlanAngleDegrees(*first, point));
        text += more;
    }
    return text;
}

}  // namespace marquetta
