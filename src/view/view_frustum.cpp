#include "view/view_frustum.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace marquetta {
namespace {

// Pixels of margin round the window, in which a point still counts as shown.
constexpr double kMarginPixels = 2.0;
// Relative margin at every plane: well above the rounding of GL's own float clipping.
constexpr double kRounding = 1e-6;

double Length3(const double f[4]) {
    return std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
}

}  // namespace

bool ViewFrustum::Set(const ProjectionRef& t) {
    const int* vp = t.viewport;
    if (vp == nullptr || !(vp[2] > 0 && vp[3] > 0) || !AllFinite(t.modelview, 16) ||
        !AllFinite(t.projection, 16)) {
        return false;
    }
    // clip_r = sum_c m[c * 4 + r] * (x, y, z, 1)_c, column-major as GL keeps it.
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += t.projection[k * 4 + r] * t.modelview[c * 4 + k];
            }
            m_clip[r][c] = sum;
        }
    }
    const double mx = 1.0 + 2.0 * kMarginPixels / vp[2];
    const double my = 1.0 + 2.0 * kMarginPixels / vp[3];
    const double* x = m_clip[0];
    const double* y = m_clip[1];
    const double* z = m_clip[2];
    const double* w = m_clip[3];
    for (int c = 0; c < 4; ++c) {
        m_plane[0][c] = mx * w[c] + x[c];
        m_plane[1][c] = mx * w[c] - x[c];
        m_plane[2][c] = my * w[c] + y[c];
        m_plane[3][c] = my * w[c] - y[c];
        m_plane[4][c] = w[c] + z[c];  // near
        m_plane[5][c] = w[c] - z[c];  // far
    }
    m_halfWidth = vp[2] * 0.5;
    m_halfHeight = vp[3] * 0.5;
    m_rateX = Length3(m_clip[0]);
    m_rateY = Length3(m_clip[1]);
    m_rateW = Length3(m_clip[3]);
    m_edge = 1.0 + kMarginPixels / std::min(m_halfWidth, m_halfHeight);
    // A perspective whose w and clip z depend on the eye's depth alone (as every
    // perspective the view makes does) has its near plane at one w.
    const double* p = t.projection;
    m_nearW = 0.0;
    if (p[3] == 0.0 && p[7] == 0.0 && p[2] == 0.0 && p[6] == 0.0 && p[10] + p[11] != 0.0) {
        const double depth = -(p[14] + p[15]) / (p[10] + p[11]);
        m_nearW = std::max(0.0, p[11] * depth + p[15]);
    }
    return AllFinite(&m_plane[0][0], 24) && std::isfinite(m_nearW);
}

bool ViewFrustum::Holds(const Box3& box) const {
    for (const auto& plane : m_plane) {
        const AffineRange r = RangeOver(plane, box);
        if (!(r.min > kRounding * r.size)) {
            return false;
        }
    }
    return true;
}

bool ViewFrustum::MayMeet(const Box3& box) const {
    for (const auto& plane : m_plane) {
        const AffineRange r = RangeOver(plane, box);
        if (r.max < -kRounding * r.size) {
            return false;
        }
    }
    return true;
}

double ViewFrustum::PixelsPerUnit(const Box3& box) const {
    // The window point of a clip point is half * (x / w + 1): a shift d moves it by
    // half * (dx - (x / w) dw) / w, where |x / w| stays within the window's margin.
    const double w = std::max(RangeOver(m_clip[3], box).min, m_nearW);
    if (!(w > 0.0)) {
        return std::numeric_limits<double>::infinity();
    }
    const double dw = m_rateW * m_edge;
    const double kx = m_halfWidth * (m_rateX + dw) / w;
    const double ky = m_halfHeight * (m_rateY + dw) / w;
    return std::sqrt(kx * kx + ky * ky);
}

}  // namespace marquetta
