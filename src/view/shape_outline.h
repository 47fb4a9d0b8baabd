// What the wireframe draws of one shape, as polylines: at the fixed detail the view has
// always had (a circle of 36 segments, an arc through every whole ten degrees, every
// text stroked), or at the detail its size on the screen needs: a curve with as many
// segments as keep it within a fraction of a pixel of the true curve, a text too small
// to read as its box.
#pragma once

#include <cmath>

#include "model/shape.h"
#include "view/view_frustum.h"
#include "view/wireframe_layout.h"

namespace marquetta {

// Farthest a curve's segments may lie from the true curve on the screen, in pixels.
inline constexpr double kCurveTolerancePixels = 0.25;
// A text whose height on the screen is below this many pixels draws as its box.
inline constexpr double kTextReadablePixels = 4.0;
// Most segments a curve is drawn with in one even sweep. A circle that would need more
// (some fifty times the window across) is drawn piece by piece, finer where the view
// shows it and not at all where it does not.
inline constexpr int kMaxEvenSegments = 1024;

class OutlineDetail {
  public:
    // The fixed detail.
    OutlineDetail() = default;
    // The detail the view needs; the frustum must outlive this.
    explicit OutlineDetail(const ViewFrustum& view) : m_view(&view) {}
    const ViewFrustum* View() const { return m_view; }

  private:
    const ViewFrustum* m_view = nullptr;
};

// Appends the polylines of `shape` to `out` (its vertices and starts only).
void EmitOutline(const CShape& shape, const OutlineDetail& detail, Wireframe& out);

// The segments of a whole circle of radius `radiusPixels` on the screen: the fewest
// that keep every point of it within the tolerance, at least 3; 1 (a stroke across it)
// for one within the tolerance of its centre; kMaxEvenSegments + 1 for one that needs
// more than an even sweep may have.
int CircleSegments(double radiusPixels);

// The fixed detail's circle: calls point(x, z) for (cx + r cos a, cz + r sin a) at
// a = 0, 10, ..., 350 degrees and back to 0.
template <class PointFn>
void ForEachFixedCirclePoint(double cx, double cz, double r, PointFn&& point);

namespace detail {
// The cosines and sines of a = 0, 10, ..., 350 degrees, worked out once.
struct TenDegreeSteps {
    double cosine[36]{};
    double sine[36]{};
    TenDegreeSteps() {
        for (int i = 0; i < 36; ++i) {
            const double a = i * 0.17453292777777776;
            cosine[i] = std::cos(a);
            sine[i] = std::sin(a);
        }
    }
};
inline const TenDegreeSteps kTenDegreeSteps;
}  // namespace detail

template <class PointFn>
void ForEachFixedCirclePoint(double cx, double cz, double r, PointFn&& point) {
    for (int i = 0; i <= 36; ++i) {
        const int k = i % 36;
        point(cx + r * detail::kTenDegreeSteps.cosine[k], cz + r * detail::kTenDegreeSteps.sine[k]);
    }
}

}  // namespace marquetta
