#include "exchange/dxf_curves.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace marquetta::dxf {
namespace {

// The largest degree read; DXF writers stay far below it.
constexpr int kMaxDegree = 11;
// A segment is halved at most this often.
constexpr int kMaxDepth = 24;

// Distance of p from the line through a and b (from a when they coincide).
double DistanceFromChord(const Double3& p, const Double3& a, const Double3& b) {
    const Double3 ab = b - a;
    const double length = Length(ab);
    if (length == 0.0) {
        return Length(p - a);
    }
    return Length(Cross(p - a, ab)) / length;
}

// Appends the end points of lines following curve(u) on [u0, u1] (p0 = curve(u0) is
// already there): each piece is halved until its middle lies within `tolerance` of
// its chord, at least `minDepth` times. `budget` counts the lines still allowed; when
// it runs out the pieces left are taken as they are. No recursion: the pieces wait on
// a stack of their own, the left one first.
template <typename Curve>
void FlattenAdaptive(const Curve& curve, double u0, double u1, const Double3& p0,
                     const Double3& p1, double tolerance, int minDepth,
                     std::vector<Double3>& points, int& budget) {
    struct Piece {
        double ua = 0.0;
        double ub = 0.0;
        Double3 a, b;
        int depth = 0;
    };
    std::array<Piece, kMaxDepth + 2> stack;
    size_t top = 0;
    stack[top++] = {u0, u1, p0, p1, 0};
    while (top > 0) {
        const Piece piece = stack[--top];
        const double um = 0.5 * (piece.ua + piece.ub);
        const Double3 m = curve(um);
        const bool flat = piece.depth >= minDepth &&
                          DistanceFromChord(m, piece.a, piece.b) <= tolerance &&
                          Length(m - 0.5 * (piece.a + piece.b)) <= 0.5 * Length(piece.b - piece.a) + tolerance;
        if (flat || piece.depth >= kMaxDepth || budget <= 1 || !IsFinite(m)) {
            points.push_back(piece.b);
            --budget;
            continue;
        }
        stack[top++] = {um, piece.ub, m, piece.b, piece.depth + 1};
        stack[top++] = {piece.ua, um, piece.a, m, piece.depth + 1};
    }
}

bool AllFinite(const std::vector<Double3>& points) {
    return std::all_of(points.begin(), points.end(), [](const Double3& p) { return IsFinite(p); });
}

// A B-spline or NURBS curve by de Boor's algorithm in homogeneous coordinates.
class Nurbs {
  public:
    Nurbs(int degree, const std::vector<double>& knots, const std::vector<Double3>& control,
          const std::vector<double>& weights)
        : m_p(degree), m_knots(knots), m_control(control), m_weights(weights) {}

    // The point at u in the span [knots[k], knots[k + 1]).
    Double3 At(double u, size_t k) const {
        std::array<Double3, kMaxDegree + 1> d;
        std::array<double, kMaxDegree + 1> w{};
        const size_t first = k - static_cast<size_t>(m_p);
        for (int j = 0; j <= m_p; ++j) {
            const double weight = m_weights.empty() ? 1.0 : m_weights[first + j];
            d[j] = weight * m_control[first + j];
            w[j] = weight;
        }
        for (int r = 1; r <= m_p; ++r) {
            for (int j = m_p; j >= r; --j) {
                const size_t i = first + static_cast<size_t>(j);
                const double span = m_knots[i + m_p - r + 1] - m_knots[i];
                const double alpha = span > 0.0 ? (u - m_knots[i]) / span : 0.0;
                d[j] = (1.0 - alpha) * d[j - 1] + alpha * d[j];
                w[j] = (1.0 - alpha) * w[j - 1] + alpha * w[j];
            }
        }
        return w[m_p] != 0.0 ? (1.0 / w[m_p]) * d[m_p] : d[m_p];
    }

  private:
    int m_p;
    const std::vector<double>& m_knots;
    const std::vector<Double3>& m_control;
    const std::vector<double>& m_weights;
};

// Knots that the control points can use: the file's when they fit (one per control
// point plus degree + 1, finite, never decreasing, a domain of some length), otherwise
// uniform ones clamped at both ends.
std::vector<double> UsableKnots(const SplineData& s) {
    const size_t n = s.control.size();
    const size_t p = static_cast<size_t>(s.degree);
    bool usable = s.knots.size() == n + p + 1;
    for (size_t i = 0; usable && i < s.knots.size(); ++i) {
        usable = std::isfinite(s.knots[i]) && (i == 0 || s.knots[i] >= s.knots[i - 1]);
    }
    if (usable && s.knots[n] > s.knots[p]) {
        return s.knots;
    }
    std::vector<double> knots(n + p + 1);
    for (size_t i = 0; i < knots.size(); ++i) {
        knots[i] = i <= p ? 0.0 : i >= n ? 1.0 : static_cast<double>(i - p) / static_cast<double>(n - p);
    }
    return knots;
}

bool FlattenControlPoints(const SplineData& s, double tolerance, std::vector<Double3>& points) {
    const size_t n = s.control.size();
    const std::vector<double> knots = UsableKnots(s);
    std::vector<double> weights;
    if (s.weights.size() == n &&
        std::all_of(s.weights.begin(), s.weights.end(),
                    [](double w) { return std::isfinite(w) && w > 0.0; })) {
        weights = s.weights;
    }
    const Nurbs curve(s.degree, knots, s.control, weights);
    int budget = kMaxCurveSegments;
    const int minDepth = s.degree > 1 ? 1 : 0;
    bool first = true;
    Double3 previous;
    for (size_t k = static_cast<size_t>(s.degree); k < n; ++k) {
        const double u0 = knots[k];
        const double u1 = knots[k + 1];
        if (!(u1 > u0)) {
            continue;
        }
        if (first) {
            previous = curve.At(u0, k);
            points.push_back(previous);
            first = false;
        }
        // The end of the last span lies outside the half-open span: it is the limit
        // of the span's own polynomial, which At gives for u1 as well.
        const Double3 end = curve.At(u1, k);
        const auto at = [&](double u) { return curve.At(u, k); };
        FlattenAdaptive(at, u0, u1, previous, end, tolerance, minDepth, points, budget);
        previous = end;
    }
    return !first;
}

// Tangents at the ends of a curve through `q` when the file gives none: each from the
// two chords on either side, weighted by how much they turn (the five-point rule).
Double3 EstimatedEndTangent(const std::vector<Double3>& p, bool atStart) {
    const size_t n = p.size();
    // c[k] = p[k] - p[k - 1] for k = 1 .. n - 1, extended by two on each side.
    std::vector<Double3> c(n + 3);  // c[i + 1] holds chord i, i from -1 to n + 1
    auto chord = [&](long i) -> Double3& { return c[static_cast<size_t>(i + 1)]; };
    for (size_t k = 1; k < n; ++k) {
        chord(static_cast<long>(k)) = p[k] - p[k - 1];
    }
    const long last = static_cast<long>(n) - 1;
    chord(0) = 2.0 * chord(1) - chord(2);
    chord(last + 1) = 2.0 * chord(last) - chord(last - 1);
    chord(last + 2) = 2.0 * chord(last + 1) - chord(last);
    chord(-1) = 2.0 * chord(0) - chord(1);
    const long k = atStart ? 0 : last;
    const double v1 = Length(Cross(chord(k - 1), chord(k)));
    const double v2 = Length(Cross(chord(k + 1), chord(k + 2)));
    const double alpha = v1 + v2 > 0.0 ? v1 / (v1 + v2) : 0.5;
    return (1.0 - alpha) * chord(k) + alpha * chord(k + 1);
}

// The cubic through the fit points, twice continuously differentiable, with knots at
// the points' chord lengths and the end tangents given (or estimated): the curve CAD
// programs draw for fit points. Each piece is flattened as a cubic Bezier.
bool FlattenFitPoints(const SplineData& s, double tolerance, std::vector<Double3>& points) {
    std::vector<Double3> p;
    for (const Double3& q : s.fit) {
        if (p.empty() || Length(q - p.back()) > 0.0) {
            p.push_back(q);
        }
    }
    const size_t n = p.size();
    if (n < 2) {
        return false;
    }
    points.push_back(p[0]);
    if (n == 2) {
        points.push_back(p[1]);
        return true;
    }
    std::vector<double> h(n - 1);
    for (size_t k = 0; k + 1 < n; ++k) {
        h[k] = Length(p[k + 1] - p[k]);
    }
    auto unit = [](const Double3& v) {
        const double l = Length(v);
        return l > 0.0 && std::isfinite(l) ? (1.0 / l) * v : Double3{};
    };
    Double3 t0 = unit(s.startTangent);
    Double3 t1 = unit(s.endTangent);
    if (Length(t0) == 0.0) {
        t0 = unit(EstimatedEndTangent(p, true));
    }
    if (Length(t1) == 0.0) {
        t1 = unit(EstimatedEndTangent(p, false));
    }
    // Derivatives d[k] by the chord-length parameter: unit length at the ends, and the
    // tridiagonal system of a C2 cubic in between (solved by elimination).
    std::vector<Double3> d(n), rhs(n);
    std::vector<double> lower(n), diag(n), upper(n);
    diag[0] = 1.0;
    rhs[0] = t0;
    diag[n - 1] = 1.0;
    rhs[n - 1] = t1;
    for (size_t k = 1; k + 1 < n; ++k) {
        lower[k] = h[k];
        diag[k] = 2.0 * (h[k - 1] + h[k]);
        upper[k] = h[k - 1];
        rhs[k] = 3.0 * ((h[k] / h[k - 1]) * (p[k] - p[k - 1]) + (h[k - 1] / h[k]) * (p[k + 1] - p[k]));
    }
    for (size_t k = 1; k < n; ++k) {
        const double factor = lower[k] / diag[k - 1];
        diag[k] -= factor * upper[k - 1];
        rhs[k] = rhs[k] - factor * rhs[k - 1];
    }
    d[n - 1] = (1.0 / diag[n - 1]) * rhs[n - 1];
    for (size_t k = n - 1; k-- > 0;) {
        d[k] = (1.0 / diag[k]) * (rhs[k] - upper[k] * d[k + 1]);
    }
    int budget = kMaxCurveSegments;
    for (size_t k = 0; k + 1 < n; ++k) {
        const std::array<Double3, 4> b = {p[k], p[k] + (h[k] / 3.0) * d[k],
                                          p[k + 1] - (h[k] / 3.0) * d[k + 1], p[k + 1]};
        const auto at = [&b](double u) {
            const double v = 1.0 - u;
            return (v * v * v) * b[0] + (3.0 * v * v * u) * b[1] + (3.0 * v * u * u) * b[2] +
                   (u * u * u) * b[3];
        };
        FlattenAdaptive(at, 0.0, 1.0, b[0], b[3], tolerance, 1, points, budget);
    }
    return true;
}

}  // namespace

double CurveTolerance(double size) {
    const double relative = size * 0.001;
    return relative > 0.0 && relative < kCurveTolerance ? relative : kCurveTolerance;
}

int EllipseSegments(double reach, double sweep, double tolerance) {
    // A chord over dt strays from the curve by at most reach * dt^2 / 8.
    if (!(reach > 0.0) || !(tolerance > 0.0) || !std::isfinite(sweep)) {
        return 1;
    }
    const double step = std::sqrt(8.0 * tolerance / reach);
    const double n = std::ceil(std::fabs(sweep) / step);
    if (!(n >= 1.0)) {
        return 1;
    }
    return n > kMaxCurveSegments ? kMaxCurveSegments : static_cast<int>(n);
}

BulgeArc ArcFromBulge(const Double3& p0, const Double3& p1, double bulge) {
    BulgeArc arc;
    const double dx = p1.x - p0.x;
    const double dy = p1.y - p0.y;
    const double chord = std::sqrt(dx * dx + dy * dy);
    // Beyond these the arc is a straight line at the drawing's precision, or a value
    // meant to break the reader.
    if (!(std::fabs(bulge) > 1e-9) || !(std::fabs(bulge) < 1e9) || !(chord > 0.0) ||
        !std::isfinite(chord)) {
        return arc;
    }
    const double radius = chord * (1.0 + bulge * bulge) / (4.0 * std::fabs(bulge));
    if (!std::isfinite(radius) || radius > 1e15) {
        return arc;
    }
    // The centre lies off the chord's middle, to the left for a counterclockwise arc
    // smaller than a half circle.
    const double offset = 0.25 * (1.0 / bulge - bulge);
    arc.centre = {0.5 * (p0.x + p1.x) - dy * offset, 0.5 * (p0.y + p1.y) + dx * offset, p0.z};
    arc.radius = radius;
    double a0 = std::atan2(p0.y - arc.centre.y, p0.x - arc.centre.x) * (180.0 / M_PI);
    double a1 = std::atan2(p1.y - arc.centre.y, p1.x - arc.centre.x) * (180.0 / M_PI);
    if (bulge < 0.0) {
        std::swap(a0, a1);
    }
    if (a0 < 0.0) {
        a0 += 360.0;
    }
    while (a1 <= a0) {
        a1 += 360.0;
    }
    arc.start = a0;
    arc.end = a1;
    arc.straight = false;
    return arc;
}

bool FlattenSpline(const SplineData& spline, double tolerance, std::vector<Double3>& points) {
    if (!(tolerance > 0.0) || !AllFinite(spline.control) || !AllFinite(spline.fit)) {
        return false;
    }
    const size_t before = points.size();
    bool made = false;
    if (spline.degree >= 1 && spline.degree <= kMaxDegree &&
        spline.control.size() >= static_cast<size_t>(spline.degree) + 1) {
        made = FlattenControlPoints(spline, tolerance, points);
    } else if (spline.control.empty() || spline.degree < 1 || spline.degree > kMaxDegree) {
        made = FlattenFitPoints(spline, tolerance, points);
    }
    const bool finite = std::all_of(points.begin() + static_cast<std::ptrdiff_t>(before), points.end(),
                                    [](const Double3& p) { return IsFinite(p); });
    if (!made || !finite) {
        points.resize(before);
        return false;
    }
    return true;
}

}  // namespace marquetta::dxf
