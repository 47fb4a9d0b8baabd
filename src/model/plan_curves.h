// Lines, circles and arcs seen in plan (the ground plane's x and z): their midpoints,
// crossings, nearest points and perpendicular feet. Snapping uses them, and so may
// any command that cuts, joins or measures shapes. Angles are in degrees as stored,
// a point at angle a lying at (cx + r cos a, cz - r sin a), an arc running from its
// start angle to its end angle with the angle growing.
#pragma once

#include <optional>

#include "model/shape.h"

namespace marquetta {

struct PlanPoint {
    double x = 0.0;
    double z = 0.0;
    bool operator==(const PlanPoint&) const = default;
};

struct PlanCurve {
    enum class Kind { Line, Circle, Arc };
    Kind kind = Kind::Line;
    PlanPoint a, b;       // a line's ends
    PlanPoint centre;     // a circle's or an arc's
    double radius = 0.0;
    double start = 0.0;   // an arc's start angle, degrees
    double sweep = 360.0; // an arc's sweep, degrees, in (0, 360]
};

// The plan curve of a line, circle or arc; nothing for other kinds, values that are
// not finite, a radius that is not positive or a line of no length.
std::optional<PlanCurve> PlanCurveOf(const CShape& shape);
PlanCurve PlanLine(PlanPoint a, PlanPoint b);
PlanCurve PlanCircle(PlanPoint centre, double radius);
PlanCurve PlanArc(PlanPoint centre, double radius, double startDegrees, double endDegrees);

// The point at an angle (degrees) about a circle's or an arc's centre.
PlanPoint PointAtAngle(const PlanCurve& curve, double degrees);
// The angle (degrees, in [0, 360)) of a point seen from the curve's centre.
double AngleOf(const PlanCurve& curve, PlanPoint p);
// Whether an arc's sweep holds the angle (always for a circle), with a hair of slack.
bool SweepHolds(const PlanCurve& curve, double degrees);

// The middle of a line or of an arc's sweep; nothing for a circle.
std::optional<PlanPoint> CurveMidpoint(const PlanCurve& curve);

// Where two curves cross, up to two points (the count is returned). With `bounded`
// only points on both shapes count; without, lines run on for ever and arcs are
// whole circles. Parallel or coincident lines and concentric circles give none.
int CurveCrossings(const PlanCurve& first, const PlanCurve& second, PlanPoint out[2],
                   bool bounded = true);

// The point of the shape nearest to p (for a circle's or an arc's centre itself, the
// point at the start angle).
PlanPoint NearestOnCurve(const PlanCurve& curve, PlanPoint p);

// The feet of the perpendiculars from p to the curve (the count is returned): on a
// line the one foot (with `bounded`, only between its ends); on a circle or arc the
// two points where the line through its centre and p meets it, the nearer to p first
// (with `bounded`, only those within an arc's sweep). None when p is the centre.
int PerpendicularFeet(const PlanCurve& curve, PlanPoint p, PlanPoint out[2], bool bounded = true);

double PlanDistance(PlanPoint a, PlanPoint b);

}  // namespace marquetta
