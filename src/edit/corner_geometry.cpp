#include "edit/corner_geometry.h"

#include <algorithm>
#include <cmath>

#include "model/geometry.h"

namespace marquetta {
namespace {

// Lines whose directions differ by a sine below this count as parallel.
constexpr double kParallelSine = 1e-9;
// Parameters and angles this close to an end count as the end.
constexpr double kOnEnd = 1e-9;
constexpr double kOnSweepDegrees = 1e-7;

PlanPoint Minus(const PlanPoint& a, const PlanPoint& b) {
    return {a.x - b.x, a.z - b.z};
}
PlanPoint Along(const PlanPoint& from, const PlanPoint& direction, double length) {
    return {from.x + direction.x * length, from.z + direction.z * length};
}
double Dot(const PlanPoint& a, const PlanPoint& b) {
    return a.x * b.x + a.z * b.z;
}
double Cross(const PlanPoint& a, const PlanPoint& b) {
    return a.x * b.z - a.z * b.x;
}
double Length(const PlanPoint& v) {
    return std::hypot(v.x, v.z);
}
PlanPoint Unit(const PlanPoint& v) {
    const double length = Length(v);
    return {v.x / length, v.z / length};
}

double Sweep(const CutCurve& arc) {
    return arc.end - arc.start;
}

// The snap's plan curve of a cut curve, whose crossings it finds.
PlanCurve AsPlanCurve(const CutCurve& curve) {
    switch (curve.kind) {
        case CutCurve::Kind::Segment:
            return PlanLine(curve.a, curve.b);
        case CutCurve::Kind::Arc:
            return PlanArc(curve.centre, curve.radius, curve.start, curve.end);
        case CutCurve::Kind::Circle:
            break;
    }
    return PlanCircle(curve.centre, curve.radius);
}

// A piece of an arc from `from` to `to` degrees past its start.
CutCurve ArcPiece(const CutCurve& arc, double from, double to) {
    CutCurve piece = arc;
    piece.kind = CutCurve::Kind::Arc;
    piece.start = std::fmod(arc.start + from, 360.0);
    piece.end = piece.start + (to - from);
    return piece;
}

double ArcLength(double radius, double degrees) {
    return radius * degrees * kRadiansPerDegree;
}

}  // namespace

double PlanAngle(const PlanPoint& centre, const PlanPoint& p) {
    double angle = std::atan2(-(p.z - centre.z), p.x - centre.x) * kDegreesPerRadian;
    if (angle < 0.0) {
        angle += 360.0;
    }
    return angle >= 360.0 ? 0.0 : angle;
}

PlanPoint PointAtAngle(const PlanPoint& centre, double radius, double degrees) {
    const double a = degrees * kRadiansPerDegree;
    return {centre.x + radius * std::cos(a), centre.z - radius * std::sin(a)};
}

double SweepFrom(double start, double angle) {
    double sweep = std::fmod(angle - start, 360.0);
    if (sweep < 0.0) {
        sweep += 360.0;
    }
    return sweep >= 360.0 ? 0.0 : sweep;
}

std::optional<LineCrossing> CrossLines(const PlanPoint& a0, const PlanPoint& a1,
                                       const PlanPoint& b0, const PlanPoint& b1) {
    const PlanPoint da = Minus(a1, a0);
    const PlanPoint db = Minus(b1, b0);
    const double denominator = Cross(da, db);
    if (!(std::fabs(denominator) > kParallelSine * Length(da) * Length(db))) {
        return std::nullopt;
    }
    const PlanPoint w = Minus(b0, a0);
    const double t = Cross(w, db) / denominator;
    const double u = Cross(w, da) / denominator;
    return LineCrossing{Along(a0, da, t), t, u};
}

std::vector<PlanPoint> CrossCurves(const CutCurve& first, const CutCurve& second) {
    PlanPoint points[2];
    const int count = CurveCrossings(AsPlanCurve(first), AsPlanCurve(second), points);
    return {points, points + count};
}

std::optional<CornerFrame> CornerOf(const std::array<PlanPoint, 2>& line1, const PlanPoint& click1,
                                    const std::array<PlanPoint, 2>& line2, const PlanPoint& click2) {
    const std::optional<LineCrossing> crossing = CrossLines(line1[0], line1[1], line2[0], line2[1]);
    if (!crossing) {
        return std::nullopt;
    }
    CornerFrame frame;
    frame.corner = crossing->point;
    const std::array<const std::array<PlanPoint, 2>*, 2> lines{&line1, &line2};
    const std::array<const PlanPoint*, 2> clicks{&click1, &click2};
    for (size_t i = 0; i < 2; ++i) {
        const std::array<PlanPoint, 2>& line = *lines[i];
        const PlanPoint d = Unit(Minus(line[1], line[0]));
        const double s0 = Dot(Minus(line[0], frame.corner), d);
        const double s1 = Dot(Minus(line[1], frame.corner), d);
        double side = Dot(Minus(*clicks[i], frame.corner), d);
        if (side == 0.0) {
            side = std::fabs(s0) > std::fabs(s1) ? s0 : s1;  // a click on the corner: the longer side
        }
        const double sign = side < 0.0 ? -1.0 : 1.0;
        frame.direction[i] = {d.x * sign, d.z * sign};
        frame.moving[i] = s0 * sign < s1 * sign ? 0 : 1;
        frame.reach[i] = std::max(s0 * sign, s1 * sign);
    }
    return frame;
}

CornerCut FilletCut(const CornerFrame& frame, double radius) {
    CornerCut cut;
    const double cosine = std::clamp(Dot(frame.direction[0], frame.direction[1]), -1.0, 1.0);
    const double half = std::acos(cosine) * 0.5;
    const double tangent = radius > 0.0 ? radius / std::tan(half) : 0.0;
    if (!(frame.reach[0] - tangent > kShortestPiece && frame.reach[1] - tangent > kShortestPiece)) {
        cut.tooLarge = true;
        return cut;
    }
    for (size_t i = 0; i < 2; ++i) {
        cut.ends[i] = Along(frame.corner, frame.direction[i], tangent);
    }
    if (!(radius > 0.0)) {
        return cut;
    }
    const PlanPoint bisector = Unit({frame.direction[0].x + frame.direction[1].x,
                                     frame.direction[0].z + frame.direction[1].z});
    cut.joined = true;
    cut.centre = Along(frame.corner, bisector, radius / std::sin(half));
    const double a0 = PlanAngle(cut.centre, cut.ends[0]);
    const double a1 = PlanAngle(cut.centre, cut.ends[1]);
    const double forward = SweepFrom(a0, a1);
    cut.startAngle = forward <= 180.0 ? a0 : a1;
    cut.endAngle = cut.startAngle + (forward <= 180.0 ? forward : SweepFrom(a1, a0));
    return cut;
}

CornerCut ChamferCut(const CornerFrame& frame, double distance1, double distance2) {
    CornerCut cut;
    if (!(frame.reach[0] - distance1 > kShortestPiece && frame.reach[1] - distance2 > kShortestPiece)) {
        cut.tooLarge = true;
        return cut;
    }
    cut.ends[0] = Along(frame.corner, frame.direction[0], distance1);
    cut.ends[1] = Along(frame.corner, frame.direction[1], distance2);
    cut.joined = Length(Minus(cut.ends[1], cut.ends[0])) > kShortestPiece;
    return cut;
}

std::optional<std::vector<CutCurve>> TrimPieces(const CutCurve& target, const CutCurve& cutter,
                                                 const PlanPoint& click) {
    using Kind = CutCurve::Kind;
    const std::vector<PlanPoint> points = CrossCurves(target, cutter);
    // Every crossing and the click as parameters along the target: 0 ... 1 along a
    // segment, degrees past the start along an arc, plain angles around a circle.
    std::vector<double> cuts;
    double at = 0.0;
    double full = 1.0;
    if (target.kind == Kind::Segment) {
        const PlanPoint d = Minus(target.b, target.a);
        const double length2 = Dot(d, d);
        if (!(length2 > 0.0)) {
            return std::nullopt;
        }
        for (const PlanPoint& p : points) {
            cuts.push_back(Dot(Minus(p, target.a), d) / length2);
        }
        at = std::clamp(Dot(Minus(click, target.a), d) / length2, 0.0, 1.0);
    } else {
        const double start = target.kind == Kind::Arc ? target.start : 0.0;
        full = target.kind == Kind::Arc ? Sweep(target) : 360.0;
        for (const PlanPoint& p : points) {
            cuts.push_back(SweepFrom(start, PlanAngle(target.centre, p)));
        }
        at = SweepFrom(start, PlanAngle(target.centre, click));
        if (target.kind == Kind::Arc && at > full) {
            at = at - full < 360.0 - at ? full : 0.0;  // in the gap: the nearer end
        }
    }
    std::sort(cuts.begin(), cuts.end());
    const double onEnd = target.kind == Kind::Segment ? kOnEnd : kOnSweepDegrees;
    std::vector<double> inside;
    for (double c : cuts) {
        const bool within = target.kind == Kind::Circle || (c > onEnd && c < full - onEnd);
        if (within && (inside.empty() || c - inside.back() > onEnd)) {
            inside.push_back(c);
        }
    }
    if (target.kind == Kind::Circle) {
        if (inside.size() >= 2 && inside.front() + 360.0 - inside.back() <= onEnd) {
            inside.pop_back();  // the same crossing either side of the start
        }
        if (inside.size() < 2) {
            return std::nullopt;
        }
        // The part around the click goes; the arc from the next crossing round to the
        // one before it stays.
        const auto next = std::upper_bound(inside.begin(), inside.end(), at);
        const double from = next == inside.end() ? inside.front() : *next;
        const double to = next == inside.begin() ? inside.back() : *(next - 1);
        CutCurve arc = target;
        arc.kind = Kind::Arc;
        arc.start = from;
        arc.end = from + SweepFrom(from, to);
        return std::vector<CutCurve>{arc};
    }
    if (inside.empty()) {
        return std::nullopt;
    }
    double lo = 0.0;
    double hi = full;
    for (double c : inside) {
        if (c < at) {
            lo = c;
        } else if (c > at) {
            hi = std::min(hi, c);
        }
    }
    std::vector<CutCurve> pieces;
    if (target.kind == Kind::Segment) {
        const PlanPoint d = Minus(target.b, target.a);
        const double length = Length(d);
        if (lo * length > kShortestPiece) {
            CutCurve piece = target;
            piece.b = Along(target.a, d, lo);
            pieces.push_back(piece);
        }
        if ((1.0 - hi) * length > kShortestPiece) {
            CutCurve piece = target;
            piece.a = Along(target.a, d, hi);
            pieces.push_back(piece);
        }
        return pieces;
    }
    if (ArcLength(target.radius, lo) > kShortestPiece) {
        pieces.push_back(ArcPiece(target, 0.0, lo));
    }
    if (ArcLength(target.radius, full - hi) > kShortestPiece) {
        pieces.push_back(ArcPiece(target, hi, full));
    }
    return pieces;
}

}  // namespace marquetta
