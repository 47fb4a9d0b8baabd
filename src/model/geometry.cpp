#include "model/geometry.h"

#include <cmath>

namespace marquetta {

void Normalize(Float3& v) {
    const float length = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
    if (length != 0.0f) {
        v.x /= length;
        v.y /= length;
        v.z /= length;
    }
}

Float3 UnitNormal(const Float3& a, const Float3& b) {
    Float3 n{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    Normalize(n);
    return n;
}

namespace {
// out = m * in for a column-major 4x4 matrix, as GLU multiplies.
void MultiplyMatrixVector(const double m[16], const double in[4], double out[4]) {
    for (int i = 0; i < 4; ++i) {
        out[i] = in[0] * m[0 * 4 + i] + in[1] * m[1 * 4 + i] + in[2] * m[2 * 4 + i] +
                 in[3] * m[3 * 4 + i];
    }
}
}  // namespace

bool WindowSegmentHit(double ax, double ay, double bx, double by, double cx, double cy) {
    constexpr double kHalfWidth = 3.0;
    constexpr double kShortest = 0.001;
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length = std::sqrt(dx * dx + dy * dy);
    if (length < kShortest) {
        return false;
    }
    const double ux = dx / length;
    const double uy = dy / length;
    const double rx = cx - ax;
    const double ry = cy - ay;
    const double side = ry * ux - rx * uy;
    const double along = rx * ux + ry * uy;
    return side > -kHalfWidth && side < kHalfWidth && along > 0.0 && along < length;
}

bool ProjectToWindow(double objX, double objY, double objZ, const ProjectionRef& t, double& winX,
                     double& winY, double& winZ) {
    const double in[4] = {objX, objY, objZ, 1.0};
    double eye[4];
    double clip[4];
    MultiplyMatrixVector(t.modelview, in, eye);
    MultiplyMatrixVector(t.projection, eye, clip);
    if (clip[3] == 0.0) {
        return false;
    }
    double ndc[3] = {clip[0] / clip[3], clip[1] / clip[3], clip[2] / clip[3]};
    // Map x, y, z to the range 0..1, then x, y to the viewport.
    for (double& c : ndc) {
        c = c * 0.5 + 0.5;
    }
    winX = ndc[0] * t.viewport[2] + t.viewport[0];
    winY = ndc[1] * t.viewport[3] + t.viewport[1];
    winZ = ndc[2];
    return true;
}

}  // namespace marquetta
