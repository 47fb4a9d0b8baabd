// The plan geometry of fillet, chamfer and trim: crossings of lines, circles and arcs
// in the x-z ground plane, the corner two lines make, and what is left of a shape cut
// at its crossings with another. Pure functions of plan points; no document, no view.
// Angles are degrees as arcs store them: 0 along +X, 90 along -Z, increasing
// counter-clockwise seen from above; an arc runs from its start up to its end.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "model/plan_curves.h"

namespace marquetta {

// A line segment, an arc or a whole circle in plan, as the cuts below see them (an
// arc by its start and end angles; the snap's PlanCurve keeps a sweep instead).
struct CutCurve {
    enum class Kind { Segment, Arc, Circle };
    Kind kind = Kind::Segment;
    PlanPoint a, b;           // a segment's ends
    PlanPoint centre;         // an arc's or circle's
    double radius = 0.0;
    double start = 0.0;       // an arc's angles, end above start
    double end = 0.0;
};

// No piece shorter than this is kept, and no line is cut back to less.
inline constexpr double kShortestPiece = 0.01;

// The direction of `p` seen from `centre`, in [0, 360).
double PlanAngle(const PlanPoint& centre, const PlanPoint& p);
// The point at `degrees` on the circle about `centre`.
PlanPoint PointAtAngle(const PlanPoint& centre, double radius, double degrees);
// How far `angle` lies past `start`, counter-clockwise, in [0, 360).
double SweepFrom(double start, double angle);

// Where the infinite lines a0-a1 and b0-b1 cross: the point and its parameters along
// each (0 at a0 or b0, 1 at a1 or b1). Nothing for parallel lines or a line of no length.
struct LineCrossing {
    PlanPoint point;
    double t = 0.0;
    double u = 0.0;
};
std::optional<LineCrossing> CrossLines(const PlanPoint& a0, const PlanPoint& a1,
                                       const PlanPoint& b0, const PlanPoint& b1);
// The points where two curves meet within their extents (segment ends and arc sweeps
// included).
std::vector<PlanPoint> CrossCurves(const CutCurve& first, const CutCurve& second);

// The corner two lines make, as fillet and chamfer see it: where they cross, and for
// each line the direction from there towards the side the user clicked, how far its
// kept end lies along it, and which end (0 or 1) moves to the corner's cut.
struct CornerFrame {
    PlanPoint corner;
    std::array<PlanPoint, 2> direction;
    std::array<double, 2> reach{};
    std::array<int, 2> moving{};
};
// Nothing for parallel lines (or a line without length in plan).
std::optional<CornerFrame> CornerOf(const std::array<PlanPoint, 2>& line1, const PlanPoint& click1,
                                    const std::array<PlanPoint, 2>& line2, const PlanPoint& click2);

// Where the moving ends go, and the arc or chamfer line between them. Refused when a
// line would keep no more than kShortestPiece (the radius or distance is too large).
struct CornerCut {
    bool tooLarge = false;
    std::array<PlanPoint, 2> ends;  // the new places of the lines' moving ends
    bool joined = false;            // an arc or a chamfer line goes between them
    PlanPoint centre;               // the fillet arc's
    double startAngle = 0.0;
    double endAngle = 0.0;
};
// The arc of `radius` tangent to both lines on the clicked sides (radius 0: the lines
// meet at the corner, with no arc). The arc is the short one, under 180 degrees.
CornerCut FilletCut(const CornerFrame& frame, double radius);
// The lines cut back by `distance1` and `distance2` from the corner, joined by a line
// (both 0: they meet at the corner).
CornerCut ChamferCut(const CornerFrame& frame, double distance1, double distance2);

// What remains of `target` when the part around `click` between its crossings with
// `cutter` is cut away: no piece, one or two. Nothing when the cutter does not cut the
// target there (no crossing within it; a circle needs two).
std::optional<std::vector<CutCurve>> TrimPieces(const CutCurve& target, const CutCurve& cutter,
                                                 const PlanPoint& click);

}  // namespace marquetta
