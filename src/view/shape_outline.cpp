#include "view/shape_outline.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "text/text_layout.h"
#include "view/paint_frame.h"

namespace marquetta {
namespace {

// A point list as one polyline of the wireframe. A point that a float cannot hold is
// left out, and the polyline goes on from the next one as a new one.
class PolylineSink {
  public:
    explicit PolylineSink(Wireframe& out) : m_out(out) {}
    void Add(double x, double y, double z) {
        const auto fx = static_cast<float>(x), fy = static_cast<float>(y),
                   fz = static_cast<float>(z);
        if (!std::isfinite(fx) || !std::isfinite(fy) || !std::isfinite(fz)) {
            m_first = true;
            return;
        }
        m_out.Add(fx, fy, fz, m_first);
        m_first = false;
    }
    // The next point begins a new polyline.
    void Break() { m_first = true; }

  private:
    Wireframe& m_out;
    bool m_first = true;
};

Box3 BoxOf(double xlo, double zlo, double xhi, double zhi) {
    return Box3{{static_cast<float>(xlo), 0.0f, static_cast<float>(zlo)},
                {static_cast<float>(xhi), 0.0f, static_cast<float>(zhi)}};
}

// ---- fixed detail ----

void EmitFixedArc(PolylineSink& line, double cx, double cz, double r, double start, double end) {
    ForEachArcAngle(start, end, [&](double degrees) {
        const double a = degrees * kRadiansPerDegree;
        line.Add(cx + r * std::cos(a), 0.0, cz - r * std::sin(a));
    });
}

// The text's strokes, joined into polylines where one begins where the one before ended.
void EmitTextStrokes(const CShape& s, Wireframe& out) {
    static thread_local std::vector<float> strokes;
    strokes.clear();
    DrawStrokeText(s.m_strText, s.m_pt[0].x, s.m_pt[0].z, s.m_pt[1].x, s.m_pt[1].y, s.m_pt[1].z,
                   TextTarget::View(strokes));
    const size_t from = out.VertexCount();
    for (size_t i = 0; i + 5 < strokes.size(); i += 6) {
        const float* a = &strokes[i];
        if (!std::all_of(a, a + 6, [](float v) { return std::isfinite(v); })) {
            continue;  // a stroke beyond a float's range
        }
        const bool joined =
            out.VertexCount() > from && std::equal(a, a + 3, out.vertices.end() - 3);
        if (!joined) {
            out.Add(a[0], a[1], a[2], true);
        }
        out.Add(a[3], a[4], a[5], false);
    }
}

// ---- detail by size on the screen ----

// A circle or an arc on the ground about (cx, cz): the point at angle a (radians) is
// (cx + r cos a, 0, cz + sense r sin a); it runs from a0 through `sweep` (above 0, at
// most a turn).
struct Curve {
    double cx, cz, r, a0, sweep, sense;
    void Point(double a, double& x, double& z) const {
        x = cx + r * std::cos(a);
        z = cz + sense * r * std::sin(a);
    }
};

constexpr double kTurn = 2.0 * std::numbers::pi;
// Pieces a curve drawn piece by piece starts from, how often a piece may be halved, and
// how many pieces it may look at in all: bounds for any stored value.
constexpr int kFirstPieces = 64;
constexpr int kMaxHalvings = 40;
constexpr int kMaxPieceVisits = 1 << 16;
// Longest segment of a curve drawn piece by piece, in pixels: GL clips a segment in
// floats, and one that reaches far beyond the window would be clipped off its place.
constexpr double kLongestPiecePixels = 2048.0;

// The curve piece by piece: a piece the view does not show is left out, one that lies
// too far from its chord or is too long on the screen is halved.
void EmitCurvePieces(const Curve& curve, const ViewFrustum& view, PolylineSink& line) {
    struct Piece {
        double from, to;
        int halvings;
    };
    std::vector<Piece> stack;
    const double radius = std::fabs(curve.r);
    const double step = curve.sweep / kFirstPieces;
    for (int i = kFirstPieces; i-- > 0;) {
        stack.push_back({curve.a0 + step * i,
                         i + 1 == kFirstPieces ? curve.a0 + curve.sweep : curve.a0 + step * (i + 1),
                         0});
    }
    int visits = 0;
    bool open = false;
    while (!stack.empty()) {
        const Piece piece = stack.back();
        stack.pop_back();
        ++visits;
        double x0, z0, x1, z1;
        curve.Point(piece.from, x0, z0);
        curve.Point(piece.to, x1, z1);
        const double half = (piece.to - piece.from) * 0.5;
        // The piece lies within its chord's box widened by the sagitta, r (1 - cos h),
        // worked out as 2 r sin^2(h / 2), which keeps its size for the finest pieces.
        const double sine = std::sin(half * 0.5);
        const double sagitta = 2.0 * radius * sine * sine;
        const Box3 box = BoxOf(std::min(x0, x1) - sagitta, std::min(z0, z1) - sagitta,
                               std::max(x0, x1) + sagitta, std::max(z0, z1) + sagitta);
        if (!view.MayMeet(box)) {
            open = false;
            continue;
        }
        const double pixels = view.PixelsPerUnit(box);
        const bool fine = sagitta * pixels <= kCurveTolerancePixels &&
                          2.0 * radius * std::sin(half) * pixels <= kLongestPiecePixels;
        if (!fine && piece.halvings < kMaxHalvings &&
            visits + static_cast<int>(stack.size()) < kMaxPieceVisits) {
            const double middle = piece.from + half;
            stack.push_back({middle, piece.to, piece.halvings + 1});
            stack.push_back({piece.from, middle, piece.halvings + 1});
            continue;
        }
        if (!open) {
            line.Break();
            line.Add(x0, 0.0, z0);
        }
        line.Add(x1, 0.0, z1);
        open = true;
    }
}

void EmitCurve(const Curve& curve, const ViewFrustum& view, PolylineSink& line) {
    if (!std::isfinite(curve.cx) || !std::isfinite(curve.cz) || !std::isfinite(curve.r) ||
        !std::isfinite(curve.a0) || !(curve.sweep > 0.0)) {
        return;
    }
    const double radius = std::fabs(curve.r);
    const Box3 box =
        BoxOf(curve.cx - radius, curve.cz - radius, curve.cx + radius, curve.cz + radius);
    const int whole = CircleSegments(radius * view.PixelsPerUnit(box));
    const bool closed = curve.sweep >= kTurn;
    const int segments =
        closed ? whole : std::max(1, static_cast<int>(std::ceil(whole * curve.sweep / kTurn)));
    if (whole > kMaxEvenSegments) {
        EmitCurvePieces(curve, view, line);
        return;
    }
    if (closed && whole < 3) {
        // A circle within the tolerance of its centre: one stroke across it.
        for (double a : {curve.a0, curve.a0 + std::numbers::pi}) {
            double x, z;
            curve.Point(a, x, z);
            line.Add(x, 0.0, z);
        }
        return;
    }
    // The points by turning the first one step by step (a few hundred steps at most
    // lose nothing a float keeps); a circle closes on its first point exactly, an arc
    // ends on its end worked out afresh.
    const double step = curve.sweep / segments;
    const double turnCos = std::cos(step), turnSin = std::sin(step);
    double c = std::cos(curve.a0), s = std::sin(curve.a0);
    double x0, z0;
    curve.Point(curve.a0, x0, z0);
    line.Add(x0, 0.0, z0);
    for (int i = 1; i < segments; ++i) {
        const double next = c * turnCos - s * turnSin;
        s = s * turnCos + c * turnSin;
        c = next;
        line.Add(curve.cx + curve.r * c, 0.0, curve.cz + curve.sense * curve.r * s);
    }
    if (closed) {
        line.Add(x0, 0.0, z0);
    } else {
        double x, z;
        curve.Point(curve.a0 + curve.sweep, x, z);
        line.Add(x, 0.0, z);
    }
}

// An arc from `start` to `end` degrees: the chord when the end is not above the start,
// one turn from the start when it sweeps a turn or more.
void EmitArc(const CShape& s, const ViewFrustum& view, PolylineSink& line) {
    const double cx = s.m_pt[0].x, cz = s.m_pt[0].z, r = s.m_pt[1].x;
    const double start = s.m_pt[1].y, end = s.m_pt[1].z;
    if (!(end > start)) {
        for (double degrees : {start, end}) {
            const double a = degrees * kRadiansPerDegree;
            line.Add(cx + r * std::cos(a), 0.0, cz - r * std::sin(a));
        }
        return;
    }
    const double sweep = std::min((end - start) * kRadiansPerDegree, kTurn);
    EmitCurve(Curve{cx, cz, r, start * kRadiansPerDegree, sweep, -1.0}, view, line);
}

// A text too small to read draws as its box on the ground: its advance by its height.
bool EmitTextBox(const CShape& s, const ViewFrustum& view, Wireframe& out) {
    const double length = TextAdvanceUnits(s.m_strText) * s.m_pt[1].y;
    const double a = s.m_pt[1].z * kRadiansPerDegree;
    const double cx = s.m_pt[0].x, cz = s.m_pt[0].z;
    const double dx = length * std::cos(a), dz = -length * std::sin(a);
    const double ux = -s.m_pt[1].x * std::sin(a), uz = -s.m_pt[1].x * std::cos(a);
    const double corners[5][2] = {
        {cx, cz}, {cx + dx, cz + dz}, {cx + dx + ux, cz + dz + uz}, {cx + ux, cz + uz}, {cx, cz}};
    double lo[2] = {HUGE_VAL, HUGE_VAL}, hi[2] = {-HUGE_VAL, -HUGE_VAL};
    for (const auto& p : corners) {
        if (!std::isfinite(p[0]) || !std::isfinite(p[1])) {
            return false;
        }
        for (int c = 0; c < 2; ++c) {
            lo[c] = std::min(lo[c], p[c]);
            hi[c] = std::max(hi[c], p[c]);
        }
    }
    const double height =
        std::fabs(double{s.m_pt[1].x}) * view.PixelsPerUnit(BoxOf(lo[0], lo[1], hi[0], hi[1]));
    if (!(height < kTextReadablePixels)) {
        return false;
    }
    if (length != 0.0) {
        PolylineSink box(out);
        for (const auto& p : corners) {
            box.Add(p[0], 0.0, p[1]);
        }
    }
    return true;
}

}  // namespace

int CircleSegments(double radiusPixels) {
    if (!(radiusPixels > kCurveTolerancePixels)) {
        return 1;  // a diameter: no point of it or of the circle lies farther off
    }
    const double angle = std::acos(1.0 - kCurveTolerancePixels / radiusPixels);
    const double needed = std::numbers::pi / angle;
    if (!(needed <= kMaxEvenSegments)) {
        return kMaxEvenSegments + 1;
    }
    return std::max(3, static_cast<int>(std::ceil(needed)));
}

void EmitOutline(const CShape& s, const OutlineDetail& detail, Wireframe& out) {
    const ViewFrustum* view = detail.View();
    PolylineSink line(out);
    switch (s.m_nType) {
        case SHAPE_LINE:
            line.Add(s.m_pt[0].x, s.m_pt[0].y, s.m_pt[0].z);
            line.Add(s.m_pt[1].x, s.m_pt[1].y, s.m_pt[1].z);
            break;
        case SHAPE_FACE:
            for (int i = 0; i <= 4; ++i) {
                const Float3& p = s.m_pt[i % 4];
                line.Add(p.x, p.y, p.z);
            }
            break;
        case SHAPE_CIRCLE:
            // On the ground whatever the centre's height.
            if (view != nullptr) {
                EmitCurve(Curve{s.m_pt[0].x, s.m_pt[0].z, s.m_pt[1].x, 0.0, kTurn, 1.0}, *view,
                          line);
            } else {
                ForEachFixedCirclePoint(s.m_pt[0].x, s.m_pt[0].z, s.m_pt[1].x,
                                        [&](double x, double z) { line.Add(x, 0.0, z); });
            }
            break;
        case SHAPE_ARC:
            if (view != nullptr) {
                EmitArc(s, *view, line);
            } else {
                EmitFixedArc(line, s.m_pt[0].x, s.m_pt[0].z, s.m_pt[1].x, s.m_pt[1].y, s.m_pt[1].z);
            }
            break;
        case SHAPE_TEXT:
            if (view == nullptr || !EmitTextBox(s, *view, out)) {
                EmitTextStrokes(s, out);
            }
            break;
        default:
            break;
    }
}

}  // namespace marquetta
