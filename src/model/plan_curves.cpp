#include "model/plan_curves.h"

#include <cmath>

namespace marquetta {
namespace {

// Slack of a line's parameter and of an arc's sweep, so that a crossing at an end
// counts despite the last bit of rounding.
constexpr double kParameterSlack = 1e-9;
constexpr double kSweepSlackDegrees = 1e-7;

double Cross(double ax, double az, double bx, double bz) {
    return ax * bz - az * bx;
}

bool Finite(double v) {
    return std::isfinite(v);
}

bool OnCurve(const PlanCurve& curve, PlanPoint p, double lineParameter, bool bounded) {
    if (!bounded) {
        return true;
    }
    if (curve.kind == PlanCurve::Kind::Line) {
        return lineParameter >= -kParameterSlack && lineParameter <= 1.0 + kParameterSlack;
    }
    return SweepHolds(curve, AngleOf(curve, p));
}

double LineParameter(const PlanCurve& line, PlanPoint p) {
    const double dx = line.b.x - line.a.x, dz = line.b.z - line.a.z;
    return ((p.x - line.a.x) * dx + (p.z - line.a.z) * dz) / (dx * dx + dz * dz);
}

int LineLine(const PlanCurve& l1, const PlanCurve& l2, PlanPoint out[2], bool bounded) {
    const double d1x = l1.b.x - l1.a.x, d1z = l1.b.z - l1.a.z;
    const double d2x = l2.b.x - l2.a.x, d2z = l2.b.z - l2.a.z;
    const double den = Cross(d1x, d1z, d2x, d2z);
    const double scale = std::hypot(d1x, d1z) * std::hypot(d2x, d2z);
    if (!(std::fabs(den) > 1e-12 * scale)) {
        return 0;  // parallel or coincident
    }
    const double ex = l2.a.x - l1.a.x, ez = l2.a.z - l1.a.z;
    const double t = Cross(ex, ez, d2x, d2z) / den;
    const double u = Cross(ex, ez, d1x, d1z) / den;
    if (bounded && (t < -kParameterSlack || t > 1.0 + kParameterSlack || u < -kParameterSlack ||
                    u > 1.0 + kParameterSlack)) {
        return 0;
    }
    out[0] = {l1.a.x + t * d1x, l1.a.z + t * d1z};
    return Finite(out[0].x) && Finite(out[0].z) ? 1 : 0;
}

int LineRound(const PlanCurve& line, const PlanCurve& round, PlanPoint out[2], bool bounded) {
    const double dx = line.b.x - line.a.x, dz = line.b.z - line.a.z;
    const double fx = line.a.x - round.centre.x, fz = line.a.z - round.centre.z;
    const double a = dx * dx + dz * dz;
    const double b = 2.0 * (fx * dx + fz * dz);
    const double c = fx * fx + fz * fz - round.radius * round.radius;
    double disc = b * b - 4.0 * a * c;
    if (disc < 0.0) {
        if (disc < -1e-12 * b * b) {
            return 0;
        }
        disc = 0.0;  // a tangent, lost to rounding
    }
    const double root = std::sqrt(disc);
    const double ts[2] = {(-b - root) / (2.0 * a), (-b + root) / (2.0 * a)};
    int count = 0;
    for (int k = 0; k < (root > 0.0 ? 2 : 1); ++k) {
        const PlanPoint p{line.a.x + ts[k] * dx, line.a.z + ts[k] * dz};
        if (Finite(p.x) && Finite(p.z) && OnCurve(line, p, ts[k], bounded) &&
            OnCurve(round, p, 0.0, bounded)) {
            out[count++] = p;
        }
    }
    return count;
}

int RoundRound(const PlanCurve& c1, const PlanCurve& c2, PlanPoint out[2], bool bounded) {
    const double dx = c2.centre.x - c1.centre.x, dz = c2.centre.z - c1.centre.z;
    const double d = std::hypot(dx, dz);
    const double r1 = c1.radius, r2 = c2.radius;
    const double slack = 1e-12 * (d + r1 + r2);
    if (!(d > 0.0) || d > r1 + r2 + slack || d < std::fabs(r1 - r2) - slack) {
        return 0;
    }
    const double along = (d * d + r1 * r1 - r2 * r2) / (2.0 * d);
    const double h = std::sqrt(std::fmax(0.0, r1 * r1 - along * along));
    const double mx = c1.centre.x + along * dx / d, mz = c1.centre.z + along * dz / d;
    const PlanPoint candidates[2] = {{mx - h * dz / d, mz + h * dx / d}, {mx + h * dz / d, mz - h * dx / d}};
    int count = 0;
    for (int k = 0; k < (h > 0.0 ? 2 : 1); ++k) {
        const PlanPoint& p = candidates[k];
        if (Finite(p.x) && Finite(p.z) && OnCurve(c1, p, 0.0, bounded) && OnCurve(c2, p, 0.0, bounded)) {
            out[count++] = p;
        }
    }
    return count;
}

}  // namespace

PlanCurve PlanLine(PlanPoint a, PlanPoint b) {
    PlanCurve curve;
    curve.kind = PlanCurve::Kind::Line;
    curve.a = a;
    curve.b = b;
    return curve;
}

PlanCurve PlanCircle(PlanPoint centre, double radius) {
    PlanCurve curve;
    curve.kind = PlanCurve::Kind::Circle;
    curve.centre = centre;
    curve.radius = radius;
    return curve;
}

PlanCurve PlanArc(PlanPoint centre, double radius, double startDegrees, double endDegrees) {
    PlanCurve curve = PlanCircle(centre, radius);
    curve.kind = PlanCurve::Kind::Arc;
    curve.start = startDegrees;
    double sweep = endDegrees - startDegrees;
    if (sweep > 0.0) {
        sweep = std::fmin(sweep, 360.0);
    } else {
        // Stored angles the program would not make: the way round from start to end.
        sweep = std::fmod(sweep, 360.0) + 360.0;
    }
    curve.sweep = sweep;
    return curve;
}

std::optional<PlanCurve> PlanCurveOf(const CShape& s) {
    const Float3& p0 = s.m_pt[0];
    const Float3& p1 = s.m_pt[1];
    switch (s.m_nType) {
        case SHAPE_LINE: {
            if (!Finite(p0.x) || !Finite(p0.z) || !Finite(p1.x) || !Finite(p1.z) ||
                (p0.x == p1.x && p0.z == p1.z)) {
                return std::nullopt;
            }
            return PlanLine({p0.x, p0.z}, {p1.x, p1.z});
        }
        case SHAPE_CIRCLE:
        case SHAPE_ARC: {
            if (!Finite(p0.x) || !Finite(p0.z) || !Finite(p1.x) || !(p1.x > 0.0f)) {
                return std::nullopt;
            }
            if (s.m_nType == SHAPE_CIRCLE) {
                return PlanCircle({p0.x, p0.z}, p1.x);
            }
            if (!Finite(p1.y) || !Finite(p1.z)) {
                return std::nullopt;
            }
            return PlanArc({p0.x, p0.z}, p1.x, p1.y, p1.z);
        }
        default:
            return std::nullopt;
    }
}

PlanPoint PointAtAngle(const PlanCurve& curve, double degrees) {
    const double a = degrees * kRadiansPerDegree;
    return {curve.centre.x + curve.radius * std::cos(a), curve.centre.z - curve.radius * std::sin(a)};
}

double AngleOf(const PlanCurve& curve, PlanPoint p) {
    double degrees = std::atan2(curve.centre.z - p.z, p.x - curve.centre.x) * kDegreesPerRadian;
    if (degrees < 0.0) {
        degrees += 360.0;
    }
    return degrees >= 360.0 ? 0.0 : degrees;
}

bool SweepHolds(const PlanCurve& curve, double degrees) {
    if (curve.kind != PlanCurve::Kind::Arc || curve.sweep >= 360.0) {
        return true;
    }
    double d = std::fmod(degrees - curve.start, 360.0);
    if (d < 0.0) {
        d += 360.0;
    }
    return d <= curve.sweep + kSweepSlackDegrees || d >= 360.0 - kSweepSlackDegrees;
}

std::optional<PlanPoint> CurveMidpoint(const PlanCurve& curve) {
    switch (curve.kind) {
        case PlanCurve::Kind::Line:
            return PlanPoint{(curve.a.x + curve.b.x) * 0.5, (curve.a.z + curve.b.z) * 0.5};
        case PlanCurve::Kind::Arc:
            return PointAtAngle(curve, curve.start + curve.sweep * 0.5);
        default:
            return std::nullopt;
    }
}

int CurveCrossings(const PlanCurve& first, const PlanCurve& second, PlanPoint out[2], bool bounded) {
    const bool firstLine = first.kind == PlanCurve::Kind::Line;
    const bool secondLine = second.kind == PlanCurve::Kind::Line;
    if (firstLine && secondLine) {
        return LineLine(first, second, out, bounded);
    }
    if (firstLine) {
        return LineRound(first, second, out, bounded);
    }
    if (secondLine) {
        return LineRound(second, first, out, bounded);
    }
    return RoundRound(first, second, out, bounded);
}

PlanPoint NearestOnCurve(const PlanCurve& curve, PlanPoint p) {
    if (curve.kind == PlanCurve::Kind::Line) {
        const double t = std::fmin(1.0, std::fmax(0.0, LineParameter(curve, p)));
        return {curve.a.x + t * (curve.b.x - curve.a.x), curve.a.z + t * (curve.b.z - curve.a.z)};
    }
    const double d = PlanDistance(curve.centre, p);
    if (!(d > 0.0)) {
        return PointAtAngle(curve, curve.start);
    }
    const PlanPoint radial{curve.centre.x + curve.radius * (p.x - curve.centre.x) / d,
                           curve.centre.z + curve.radius * (p.z - curve.centre.z) / d};
    if (SweepHolds(curve, AngleOf(curve, radial))) {
        return radial;
    }
    const PlanPoint s = PointAtAngle(curve, curve.start);
    const PlanPoint e = PointAtAngle(curve, curve.start + curve.sweep);
    return PlanDistance(s, p) <= PlanDistance(e, p) ? s : e;
}

int PerpendicularFeet(const PlanCurve& curve, PlanPoint p, PlanPoint out[2], bool bounded) {
    if (curve.kind == PlanCurve::Kind::Line) {
        const double t = LineParameter(curve, p);
        const PlanPoint foot{curve.a.x + t * (curve.b.x - curve.a.x), curve.a.z + t * (curve.b.z - curve.a.z)};
        if (!Finite(foot.x) || !Finite(foot.z) || !OnCurve(curve, foot, t, bounded)) {
            return 0;
        }
        out[0] = foot;
        return 1;
    }
    const double d = PlanDistance(curve.centre, p);
    if (!(d > 0.0) || !Finite(d)) {
        return 0;
    }
    const double ux = (p.x - curve.centre.x) / d, uz = (p.z - curve.centre.z) / d;
    const PlanPoint feet[2] = {{curve.centre.x + curve.radius * ux, curve.centre.z + curve.radius * uz},
                               {curve.centre.x - curve.radius * ux, curve.centre.z - curve.radius * uz}};
    int count = 0;
    for (const PlanPoint& foot : feet) {
        if (OnCurve(curve, foot, 0.0, bounded)) {
            out[count++] = foot;
        }
    }
    return count;
}

double PlanDistance(PlanPoint a, PlanPoint b) {
    return std::hypot(b.x - a.x, b.z - a.z);
}

}  // namespace marquetta
