// Curves of DXF that the drawing has no shape for, turned into lines: elliptical arcs
// (ELLIPSE, and circles that a block's uneven scale squeezes), splines given by control
// points (B-splines and NURBS) or by fit points, and the arcs that polyline bulges
// stand for.
//
// Tolerance: a curve is replaced by lines that stray from it by at most 0.1 mm, and by
// at most a thousandth of its size when it is smaller than 100 mm (so that a small
// ellipse keeps its shape on the screen and in print, where 0.1 mm would already
// show). A curve never becomes more than kMaxCurveSegments lines: a huge or hostile one
// is drawn coarser rather than exhausting memory.
#pragma once

#include <vector>

#include "exchange/dxf_geometry.h"

namespace marquetta::dxf {

inline constexpr double kCurveTolerance = 0.1;  // millimetres
inline constexpr int kMaxCurveSegments = 16384;

// The tolerance for a curve whose size (its largest radius, or the extent of its
// control points) is `size` millimetres.
double CurveTolerance(double size);

// The number of lines for the arc of P(t) = C + cos t U + sin t V over `sweep`
// radians, where `reach` bounds |U cos t + V sin t| (the largest radius), so that the
// lines stray by at most `tolerance`. At least 1, at most kMaxCurveSegments.
int EllipseSegments(double reach, double sweep, double tolerance);

// The arc that a polyline segment from p0 to p1 with the bulge b stands for, in the
// plane of the polyline (x, y; z is kept from p0). A bulge of zero, a segment of zero
// length, or an arc so flat that its radius is beyond any drawing gives a straight
// segment.
struct BulgeArc {
    bool straight = true;
    Double3 centre;
    double radius = 0.0;
    double start = 0.0;  // degrees, counterclockwise from start to end
    double end = 0.0;
};
BulgeArc ArcFromBulge(const Double3& p0, const Double3& p1, double bulge);

// A spline as the file gives it. Control points (with their knots and weights) define
// it when there are enough for its degree; otherwise its fit points do (a cubic
// through them, with the start and end tangents when given).
struct SplineData {
    int degree = 3;
    std::vector<double> knots;
    std::vector<double> weights;
    std::vector<Double3> control;
    std::vector<Double3> fit;
    Double3 startTangent;
    Double3 endTangent;
};

// Appends the points of lines that follow the spline within `tolerance` (in the
// spline's own units) to `points`, first point included. False, with nothing appended,
// when the data make no curve (too few points, a degree out of range, values that are
// not finite).
bool FlattenSpline(const SplineData& spline, double tolerance, std::vector<Double3>& points);

}  // namespace marquetta::dxf
