#include "edit/picking.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <vector>

#include "edit/editing_state.h"
#include "model/layers.h"
#include "model/plan_curves.h"
#include "model/visible_layers.h"
#include "platform/platform.h"
#include "text/text_layout.h"
#include "view/camera.h"
#include "view/grid.h"
#include "view/paint_frame.h"
#include "view/shape_bounds.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

// Half the field of view in radians per degree, with the program's pi.
constexpr double kHalfRadiansPerDegree = 0.00872664638888889;

double ViewportHeight() {
    return g_viewport[3];
}

bool ToWindow(double x, double y, double z, double& wx, double& wy) {
    double wz = 0.0;
    return ProjectCaptured(x, y, z, wx, wy, wz);
}

// The point at `degrees` about the arc's centre, at the centre's height.
Double3 ArcPoint(const CShape& arc, double degrees) {
    const double a = degrees * kRadiansPerDegree;
    const double r = arc.m_pt[1].x;
    return {arc.m_pt[0].x + r * std::cos(a), arc.m_pt[0].y, arc.m_pt[0].z - r * std::sin(a)};
}

// Circles are sampled on the ground, whatever the centre's height.
Double3 CirclePoint(const CShape& circle, int k) {
    const double a = (k * 10) * kRadiansPerDegree;
    const double r = circle.m_pt[1].x;
    return {circle.m_pt[0].x + r * std::cos(a), 0.0, circle.m_pt[0].z + r * std::sin(a)};
}

Double3 Widen(const Float3& p) {
    return {p.x, p.y, p.z};
}

// The click test of one chord after another of a polyline, projecting every point once.
// The click is in window coordinates, y from the bottom.
class PolylineHit {
  public:
    PolylineHit(double cx, double cy) : m_cx(cx), m_cy(cy) {}

    void Add(const Double3& p) {
        double wx = 0.0, wy = 0.0;
        const bool projected = ToWindow(p.x, p.y, p.z, wx, wy);
        if (projected && m_havePrevious && !m_hit) {
            m_hit = SegmentHit(m_px, m_py, wx, wy);
        }
        m_havePrevious = projected;
        m_px = wx;
        m_py = wy;
    }
    bool Hit() const { return m_hit; }

  private:
    bool SegmentHit(double ax, double ay, double bx, double by) const {
        return WindowSegmentHit(ax, ay, bx, by, m_cx, m_cy);
    }

    double m_cx, m_cy;
    double m_px = 0.0, m_py = 0.0;
    bool m_havePrevious = false;
    bool m_hit = false;
};

// Whether a click at pixel (x, y) lies on the shape.
bool ShapeHit(const CShape& s, double x, double y) {
    PolylineHit hit(x, ViewportHeight() - y);
    switch (s.m_nType) {
        case SHAPE_LINE:
            hit.Add(Widen(s.m_pt[0]));
            hit.Add(Widen(s.m_pt[1]));
            return hit.Hit();
        case SHAPE_CIRCLE:
            for (int k = 0; k <= kCircleSegments; ++k) {
                hit.Add(CirclePoint(s, k));
            }
            return hit.Hit();
        case SHAPE_ARC:
            ForEachArcAngle(s.m_pt[1].y, s.m_pt[1].z,
                            [&](double degrees) { hit.Add(ArcPoint(s, degrees)); });
            return hit.Hit();
        case SHAPE_TEXT:
            g_pickHit = 0;
            DrawStrokeText(s.m_strText, s.m_pt[0].x, s.m_pt[0].z, s.m_pt[1].x, s.m_pt[1].y,
                           s.m_pt[1].z, TextTarget::Pick(CapturedProjection(), x, y));
            return g_pickHit == 1;
        default:
            return false;  // faces are never picked
    }
}

void ToggleSelection(CZorader_ezDoc& doc, CShape& s) {
    if (s.IsSelected()) {
        doc.SetSelected(s, false);
        RecomputeSelectionExists(doc);
    } else {
        doc.SetSelected(s, true);
        selectionExists = 1;
    }
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

// A window in window coordinates (y from the bottom); inside is strict.
struct ScreenWindow {
    double xmin, ymin, xmax, ymax;
    bool Contains(const Double3& p) const {
        double wx = 0.0, wy = 0.0;
        if (!ToWindow(p.x, p.y, p.z, wx, wy)) {
            return false;
        }
        return xmin < wx && wx < xmax && ymin < wy && wy < ymax;
    }
};

bool ShapeInside(const CShape& s, const ScreenWindow& window) {
    switch (s.m_nType) {
        case SHAPE_LINE:
            return window.Contains(Widen(s.m_pt[0])) && window.Contains(Widen(s.m_pt[1]));
        case SHAPE_CIRCLE:
            for (int k = 0; k < kCircleSegments; ++k) {
                if (!window.Contains(CirclePoint(s, k))) {
                    return false;
                }
            }
            return true;
        case SHAPE_ARC: {
            bool inside = true;
            ForEachArcAngle(s.m_pt[1].y, s.m_pt[1].z, [&](double degrees) {
                inside = inside && window.Contains(ArcPoint(s, degrees));
            });
            return inside;
        }
        case SHAPE_TEXT:
            return TextInsideRect(s.m_strText, s.m_pt[0], window.xmin, window.ymin, window.xmax,
                                  window.ymax, s.m_pt[1].x, s.m_pt[1].y, s.m_pt[1].z,
                                  CapturedProjection());
        default:
            return false;  // faces are never selected by a window
    }
}

// Whether the segment between two window points meets the closed window (clipped
// against each side in turn).
bool SegmentMeetsWindow(double ax, double ay, double bx, double by, const ScreenWindow& w) {
    double t0 = 0.0, t1 = 1.0;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - w.xmin, w.xmax - ax, ay - w.ymin, w.ymax - ay};
    for (int k = 0; k < 4; ++k) {
        if (p[k] == 0.0) {
            if (q[k] < 0.0) {
                return false;
            }
            continue;
        }
        const double t = q[k] / p[k];
        if (p[k] < 0.0) {
            t0 = std::fmax(t0, t);
        } else {
            t1 = std::fmin(t1, t);
        }
        if (t0 > t1) {
            return false;
        }
    }
    return true;
}

// A polyline of world points, tested against a window as it is drawn.
class PolylineTouch {
  public:
    explicit PolylineTouch(const ScreenWindow& window) : m_window(window) {}
    void Add(const Double3& p) {
        double wx = 0.0, wy = 0.0;
        const bool shown = ToWindow(p.x, p.y, p.z, wx, wy);
        if (shown && m_havePrevious &&
            SegmentMeetsWindow(m_previousX, m_previousY, wx, wy, m_window)) {
            m_touched = true;
        }
        if (shown && !m_havePrevious && m_window.xmin <= wx && wx <= m_window.xmax &&
            m_window.ymin <= wy && wy <= m_window.ymax) {
            m_touched = true;  // a single point (a line of no length) inside
        }
        m_havePrevious = shown;
        m_previousX = wx;
        m_previousY = wy;
    }
    bool Touched() const { return m_touched; }

  private:
    const ScreenWindow& m_window;
    bool m_havePrevious = false;
    bool m_touched = false;
    double m_previousX = 0.0, m_previousY = 0.0;
};

// A crossing window takes every shape it touches: inside, or crossing its edges. A
// text counts by the box a window tests, or by lying wholly around the window.
bool ShapeTouches(const CShape& s, const ScreenWindow& window) {
    if (ShapeInside(s, window)) {
        return true;
    }
    PolylineTouch touch(window);
    switch (s.m_nType) {
        case SHAPE_LINE:
            touch.Add(Widen(s.m_pt[0]));
            touch.Add(Widen(s.m_pt[1]));
            break;
        case SHAPE_CIRCLE:
            for (int k = 0; k <= kCircleSegments; ++k) {
                touch.Add(CirclePoint(s, k));
            }
            break;
        case SHAPE_ARC:
            ForEachArcAngle(s.m_pt[1].y, s.m_pt[1].z,
                            [&](double degrees) { touch.Add(ArcPoint(s, degrees)); });
            break;
        case SHAPE_TEXT: {
            const Float3& c = s.m_pt[0];
            const double length = TextAdvanceUnits(s.m_strText) * s.m_pt[1].y;
            const double a = s.m_pt[1].z * kRadiansPerDegree;
            const double dx = length * std::cos(a), dz = -length * std::sin(a);
            const double ux = -s.m_pt[1].x * std::sin(a), uz = -s.m_pt[1].x * std::cos(a);
            const Double3 corners[5] = {{c.x, c.y, c.z},
                                        {c.x + dx, c.y, c.z + dz},
                                        {c.x + dx + ux, c.y, c.z + dz + uz},
                                        {c.x + ux, c.y, c.z + uz},
                                        {c.x, c.y, c.z}};
            for (const Double3& corner : corners) {
                touch.Add(corner);
            }
            if (!touch.Touched()) {
                // The window may lie wholly within the text's box (a small window inside
                // a large text): its centre is then on one side of every edge.
                const double cx = (window.xmin + window.xmax) * 0.5;
                const double cy = (window.ymin + window.ymax) * 0.5;
                int positive = 0, negative = 0;
                for (int k = 0; k < 4; ++k) {
                    double ax = 0.0, ay = 0.0, bx = 0.0, by = 0.0;
                    if (!ToWindow(corners[k].x, corners[k].y, corners[k].z, ax, ay) ||
                        !ToWindow(corners[k + 1].x, corners[k + 1].y, corners[k + 1].z, bx, by)) {
                        return false;
                    }
                    const double cross = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
                    positive += cross > 0.0 ? 1 : 0;
                    negative += cross < 0.0 ? 1 : 0;
                }
                return positive == 4 || negative == 4;
            }
            break;
        }
        default:
            return false;  // faces are never selected by a window
    }
    return touch.Touched();
}

// Whether the world point projects within `reach` pixels of the mouse pixel (x, y),
// measured separately along each axis.
bool NearPixel(const Double3& p, double x, double y, double reach) {
    double wx = 0.0, wy = 0.0;
    if (!ToWindow(p.x, p.y, p.z, wx, wy)) {
        return false;
    }
    return std::fabs(wx - x) < reach && std::fabs(wy - (ViewportHeight() - y)) < reach;
}

// The vertex of `s` within the snap reach of pixel (x, y), in the order of its kind,
// that `accept` takes.
template <class Accept>
bool SnapToShapeVertex(const CShape& s, double x, double y, Double3& point, Accept&& accept) {
    Double3 candidates[4];
    int count = 0;
    switch (s.m_nType) {
        case SHAPE_LINE:
            candidates[count++] = Widen(s.m_pt[0]);
            candidates[count++] = Widen(s.m_pt[1]);
            break;
        case SHAPE_ARC:
            candidates[count++] = ArcPoint(s, s.m_pt[1].y);
            candidates[count++] = ArcPoint(s, s.m_pt[1].z);
            break;
        case SHAPE_FACE:
            for (int i = 0; i < 4; ++i) {
                candidates[count++] = Widen(s.m_pt[i]);
            }
            break;
        default:
            break;  // circles and texts have no vertices to snap to
    }
    for (int i = 0; i < count; ++i) {
        if (NearPixel(candidates[i], x, y, kVertexSnapReach) && accept(candidates[i])) {
            point = candidates[i];
            return true;
        }
    }
    return false;
}

// Calls test(shape) for the visible shapes that may lie in the window rectangle
// (window coordinates, y from the bottom), in list order, until it answers true. With
// the index only the shapes whose boxes meet the rectangle's cone are asked; the
// linear walk asks every visible shape.
template <class Test>
void WalkShapesIn(const CZorader_ezDoc& doc, double xmin, double ymin, double xmax, double ymax,
                  PickWalk walk, Test&& test) {
    const ShapeList& list = doc.m_shapes;
    VisibleLayers visible(list);
    WindowCone cone;
    // A pixel more all round: the cone is computed another way than the projections.
    if (walk == PickWalk::Linear ||
        !cone.Set(CapturedProjection(), xmin - 1.0, ymin - 1.0, xmax + 1.0, ymax + 1.0)) {
        for (const ShapeRef& shape : list) {
            if (visible(shape.Slot()) && test(*shape)) {
                return;
            }
        }
        return;
    }
    const ShapeIndex& index = SyncedShapeIndex(doc);
    std::vector<uint32_t> positions;
    index.Collect(cone, positions);
    for (uint32_t& slot : positions) {
        slot = list.PositionOfSlot(slot);
    }
    std::sort(positions.begin(), positions.end());
    for (uint32_t position : positions) {
        const ShapeRef& shape = list[position];
        if (visible(shape.Slot()) && test(*shape)) {
            return;
        }
    }
}

bool SnapToGrid(double x, double y, Double3& point) {
    const std::optional<SheetGrid> grid = CurrentSheetGrid();
    if (!grid) {
        return false;
    }
    const std::optional<Double3> found =
        FirstGridPointWithin(*grid, CapturedProjection(), x, ViewportHeight() - y, kGridSnapReach);
    if (!found) {
        return false;
    }
    point = *found;
    return true;
}

// Targets on the forced line of ortho: the plan's horizontal (constant z) or vertical
// (constant x) through the first point.
struct OrthoLine {
    Double3 through;
    bool horizontal = true;
    bool Holds(const Double3& p) const {
        const double along = horizontal ? through.z : through.x;
        const double v = horizontal ? p.z : p.x;
        return std::fabs(v - along) <= 1e-7 * (1.0 + std::fabs(along));
    }
};

bool OrthoIsHorizontal(const Double3& from, const Double3& p) {
    return std::fabs(p.x - from.x) >= std::fabs(p.z - from.z);
}

// A line, circle or arc near the cursor, with the heights its snap targets lie at and
// its box in plan.
struct SnapCurve {
    PlanCurve plan;
    double y0 = 0.0;  // a line's start; a circle's (0) or an arc's (its centre's) height
    double y1 = 0.0;  // a line's end
    double lo[2] = {0.0, 0.0};  // plan box: x, z
    double hi[2] = {0.0, 0.0};
};

std::optional<SnapCurve> SnapCurveOf(const CShape& s) {
    const std::optional<PlanCurve> plan = PlanCurveOf(s);
    if (!plan) {
        return std::nullopt;
    }
    SnapCurve c;
    c.plan = *plan;
    if (plan->kind == PlanCurve::Kind::Line) {
        c.y0 = s.m_pt[0].y;
        c.y1 = s.m_pt[1].y;
        c.lo[0] = std::fmin(plan->a.x, plan->b.x);
        c.hi[0] = std::fmax(plan->a.x, plan->b.x);
        c.lo[1] = std::fmin(plan->a.z, plan->b.z);
        c.hi[1] = std::fmax(plan->a.z, plan->b.z);
    } else {
        // Circles are drawn on the ground, arcs at their centre's height.
        c.y0 = c.y1 = plan->kind == PlanCurve::Kind::Arc ? double{s.m_pt[0].y} : 0.0;
        c.lo[0] = plan->centre.x - plan->radius;
        c.hi[0] = plan->centre.x + plan->radius;
        c.lo[1] = plan->centre.z - plan->radius;
        c.hi[1] = plan->centre.z + plan->radius;
    }
    if (!std::isfinite(c.y0) || !std::isfinite(c.y1)) {
        return std::nullopt;
    }
    return c;
}

// The world point of a plan point on the curve.
Double3 OnCurve(const SnapCurve& c, PlanPoint p) {
    double y = c.y0;
    if (c.plan.kind == PlanCurve::Kind::Line && c.y1 != c.y0) {
        const double dx = c.plan.b.x - c.plan.a.x, dz = c.plan.b.z - c.plan.a.z;
        const double t = ((p.x - c.plan.a.x) * dx + (p.z - c.plan.a.z) * dz) / (dx * dx + dz * dz);
        y = c.y0 + std::fmin(1.0, std::fmax(0.0, t)) * (c.y1 - c.y0);
    }
    return {p.x, y, p.z};
}

// The candidate of one kind nearest the cursor (window coordinates, y from the
// bottom) within the snap reach; of equally near ones the one offered with the least
// order key, so that the answer does not hang on the order of the offers.
class NearestCandidate {
  public:
    NearestCandidate(double cx, double cy, const OrthoLine* ortho) : m_cx(cx), m_cy(cy), m_ortho(ortho) {}
    void Offer(const Double3& p, uint64_t order) {
        if (m_ortho != nullptr && !m_ortho->Holds(p)) {
            return;
        }
        double wx = 0.0, wy = 0.0;
        if (!ToWindow(p.x, p.y, p.z, wx, wy)) {
            return;
        }
        const double dx = wx - m_cx, dy = wy - m_cy;
        if (!(std::fabs(dx) < kVertexSnapReach && std::fabs(dy) < kVertexSnapReach)) {
            return;
        }
        const double d2 = dx * dx + dy * dy;
        if (!m_found || d2 < m_d2 || (d2 == m_d2 && order < m_order)) {
            m_found = true;
            m_d2 = d2;
            m_order = order;
            m_point = p;
        }
    }
    const Double3* Best() const { return m_found ? &m_point : nullptr; }

  private:
    double m_cx, m_cy;
    const OrthoLine* m_ortho;
    bool m_found = false;
    double m_d2 = 0.0;
    uint64_t m_order = 0;
    Double3 m_point;
};

uint64_t OrderKey(size_t first, size_t second, int k) {
    return (static_cast<uint64_t>(first) << 33) | (static_cast<uint64_t>(second) << 2) |
           static_cast<uint64_t>(k);
}

// Crossings of every two curves whose plan boxes overlap (found by sweeping the boxes
// along x) where both are at the same height.
void OfferCrossings(const std::vector<SnapCurve>& curves, NearestCandidate& best) {
    std::vector<uint32_t> order(curves.size());
    for (uint32_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::sort(order.begin(), order.end(),
              [&](uint32_t a, uint32_t b) { return curves[a].lo[0] < curves[b].lo[0]; });
    for (size_t m = 0; m < order.size(); ++m) {
        const SnapCurve& a = curves[order[m]];
        for (size_t n = m + 1; n < order.size() && curves[order[n]].lo[0] <= a.hi[0]; ++n) {
            const SnapCurve& b = curves[order[n]];
            if (b.lo[1] > a.hi[1] || a.lo[1] > b.hi[1]) {
                continue;
            }
            const uint32_t i = std::min(order[m], order[n]), j = std::max(order[m], order[n]);
            PlanPoint out[2];
            const int count = CurveCrossings(curves[i].plan, curves[j].plan, out);
            for (int k = 0; k < count; ++k) {
                // Only where both are at the same height: shapes that pass one above
                // the other do not meet.
                const Double3 p = OnCurve(curves[i], out[k]);
                const double other = OnCurve(curves[j], out[k]).y;
                if (std::fabs(p.y - other) <= 1e-6 * (1.0 + std::fabs(p.y))) {
                    best.Offer(p, OrderKey(i, j, k));
                }
            }
        }
    }
}

// Crossings are looked for among at most this many curves, those nearest the cursor: a
// pixel that thousands of shapes pass through (a drawing seen from afar) would otherwise
// cost every pair of them, seconds on each move of the mouse.
constexpr size_t kMaxCrossingCurves = 256;

// The kMaxCrossingCurves of `curves` that pass nearest the cursor at (x, y) on the screen,
// in their order; ties go to the earlier.
std::vector<SnapCurve> NearestCurves(const std::vector<SnapCurve>& curves, double x, double y) {
    Double3 ground;
    const bool aimed = GroundPointUnder(x, y, ground);
    const double cx = x, cy = ViewportHeight() - y;
    std::vector<std::pair<double, uint32_t>> keyed;
    keyed.reserve(curves.size());
    for (uint32_t i = 0; i < curves.size(); ++i) {
        double d2 = 0.0;
        if (aimed) {
            const Double3 p = OnCurve(curves[i], NearestOnCurve(curves[i].plan, {ground.x, ground.z}));
            double wx = 0.0, wy = 0.0;
            d2 = ToWindow(p.x, p.y, p.z, wx, wy) ? (wx - cx) * (wx - cx) + (wy - cy) * (wy - cy)
                                                 : std::numeric_limits<double>::infinity();
            if (std::isnan(d2)) {
                d2 = std::numeric_limits<double>::infinity();
            }
        }
        keyed.emplace_back(d2, i);
    }
    std::nth_element(keyed.begin(), keyed.begin() + kMaxCrossingCurves, keyed.end());
    keyed.resize(kMaxCrossingCurves);
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
    std::vector<SnapCurve> nearest;
    nearest.reserve(keyed.size());
    for (const auto& [d2, i] : keyed) {
        nearest.push_back(curves[i]);
    }
    return nearest;
}

// The target of one kind of the curves near the cursor, or null.
const Double3* CurveTarget(SnapKind kind, const std::vector<SnapCurve>& curves, NearestCandidate& best,
                           const Double3* from, const OrthoLine* ortho, double x, double y) {
    if (kind == SnapKind::Intersection) {
        OfferCrossings(curves.size() > kMaxCrossingCurves ? NearestCurves(curves, x, y) : curves, best);
        return best.Best();
    }
    Double3 ground;
    if (kind == SnapKind::Nearest && ortho == nullptr && !GroundPointUnder(x, y, ground)) {
        return nullptr;
    }
    for (size_t i = 0; i < curves.size(); ++i) {
        const SnapCurve& c = curves[i];
        switch (kind) {
            case SnapKind::Midpoint:
                if (const std::optional<PlanPoint> mid = CurveMidpoint(c.plan)) {
                    best.Offer(OnCurve(c, *mid), OrderKey(i, 0, 0));
                }
                break;
            case SnapKind::Center:
                if (c.plan.kind != PlanCurve::Kind::Line) {
                    best.Offer(OnCurve(c, c.plan.centre), OrderKey(i, 0, 0));
                }
                break;
            case SnapKind::Perpendicular: {
                PlanPoint feet[2];
                const int count = PerpendicularFeet(c.plan, {from->x, from->z}, feet);
                for (int k = 0; k < count; ++k) {
                    best.Offer(OnCurve(c, feet[k]), OrderKey(i, 0, k));
                }
                break;
            }
            case SnapKind::Nearest: {
                if (ortho == nullptr) {
                    best.Offer(OnCurve(c, NearestOnCurve(c.plan, {ground.x, ground.z})), OrderKey(i, 0, 0));
                    break;
                }
                // On the forced line: where it crosses the shape.
                const PlanCurve line =
                    ortho->horizontal
                        ? PlanLine({c.lo[0] - 1.0, ortho->through.z}, {c.hi[0] + 1.0, ortho->through.z})
                        : PlanLine({ortho->through.x, c.lo[1] - 1.0}, {ortho->through.x, c.hi[1] + 1.0});
                PlanPoint out[2];
                const int count = CurveCrossings(line, c.plan, out);
                for (int k = 0; k < count; ++k) {
                    Double3 p = OnCurve(c, out[k]);
                    (ortho->horizontal ? p.z : p.x) = ortho->horizontal ? ortho->through.z : ortho->through.x;
                    best.Offer(p, OrderKey(i, 0, k));
                }
                break;
            }
            default:
                break;
        }
    }
    return best.Best();
}

}  // namespace

bool GroundPointUnder(double x, double y, Double3& out) {
    const double width = g_viewport[2];
    const double height = g_viewport[3];
    if (!(height > 0.0)) {
        return false;  // nothing painted yet: there is no view to look through
    }
    const double h = g_azimuth * kRadiansPerDegree;
    const double p = g_elevation * kRadiansPerDegree;
    const double tx = g_viewTranslate.x, ty = g_viewTranslate.y, tz = g_viewTranslate.z;

    const double q = ty * std::sin(-p) + tz * std::cos(-p);
    const double eyeY = -(std::cos(-p) * ty - tz * std::sin(-p));
    const double eyeX = -(std::cos(h) * tx - std::sin(h) * q);
    const double eyeZ = -(std::cos(h) * q + std::sin(h) * tx);

    const double f = std::tan(g_fieldOfView * kHalfRadiansPerDegree) * 1000.0 / height;
    const double u = (x - width * 0.5) * f;
    const double v = (height * 0.5 - y) * f;
    const double w = -500.0;

    // d = R^T (u, v, w) / det R, R the rotation block of the model-view (column-major).
    const double* m = g_modelviewMatrix;
    const double det = m[0] * (m[5] * m[10] - m[9] * m[6]) - m[4] * (m[1] * m[10] - m[9] * m[2]) +
                       m[8] * (m[1] * m[6] - m[5] * m[2]);
    const double dx = (u * m[0] + v * m[1] + w * m[2]) / det;
    const double dy = (u * m[4] + v * m[5] + w * m[6]) / det;
    const double dz = (u * m[8] + v * m[9] + w * m[10]) / det;
    if (std::fabs(dy * 4e10) <= 1e-5) {
        return false;  // parallel to the ground: keep the previous point
    }
    const double t = -eyeY / dy;
    const Double3 point{eyeX + t * dx, eyeY + t * dy, eyeZ + t * dz};
    if (!std::isfinite(point.x) || !std::isfinite(point.y) || !std::isfinite(point.z)) {
        return false;  // a degenerate camera gives no point to keep
    }
    out = point;
    return true;
}

bool computeCursorPoint(double x, double y, bool rememberAsFirst) {
    Double3 point;
    if (!GroundPointUnder(x, y, point)) {
        return false;
    }
    cursorPoint = point;
    if (rememberAsFirst) {
        firstPoint = point;
        firstScreenPoint = {x, y};
    }
    lastScreenPoint = {x, y};
    CurrentPlatform().InvalidateView();
    return true;
}

CShape* ShapeAtPixel(const CZorader_ezDoc& doc, double x, double y, bool linesOnly, PickWalk walk) {
    const double cx = x, cy = ViewportHeight() - y;
    CShape* found = nullptr;
    WalkShapesIn(doc, cx - kPickReach, cy - kPickReach, cx + kPickReach, cy + kPickReach, walk,
                 [&](CShape& s) {
                     if ((!linesOnly || s.m_nType == SHAPE_LINE) && ShapeHit(s, x, y)) {
                         found = &s;
                     }
                     return found != nullptr;
                 });
    return found;
}

bool VertexNearPixel(const CZorader_ezDoc& doc, double x, double y, Double3& point, PickWalk walk) {
    const double cx = x, cy = ViewportHeight() - y;
    bool found = false;
    WalkShapesIn(doc, cx - kVertexSnapReach, cy - kVertexSnapReach, cx + kVertexSnapReach,
                 cy + kVertexSnapReach, walk, [&](CShape& s) {
                     found = SnapToShapeVertex(s, x, y, point, [](const Double3&) { return true; });
                     return found;
                 });
    return found;
}

std::vector<CShape*> ShapesInWindow(const CZorader_ezDoc& doc, const Double2& corner1,
                                    const Double2& corner2, PickWalk walk, bool crossing) {
    const double h = ViewportHeight();
    const double x1 = corner1.x, y1 = h - corner1.y;
    const double x2 = corner2.x, y2 = h - corner2.y;
    const ScreenWindow window{std::fmin(x1, x2), std::fmin(y1, y2), std::fmax(x1, x2),
                              std::fmax(y1, y2)};
    std::vector<CShape*> inside;
    WalkShapesIn(doc, window.xmin, window.ymin, window.xmax, window.ymax, walk, [&](CShape& s) {
        if (crossing ? ShapeTouches(s, window) : ShapeInside(s, window)) {
            inside.push_back(&s);
        }
        return false;
    });
    return inside;
}

Double3 OrthoPoint(const Double3& from, const Double3& p) {
    return OrthoIsHorizontal(from, p) ? Double3{p.x, p.y, from.z} : Double3{from.x, p.y, p.z};
}

std::optional<SnapHit> FindSnap(const CZorader_ezDoc& doc, double x, double y, const Double3* from,
                                bool ortho, int kinds, PickWalk walk) {
    std::optional<OrthoLine> line;
    Double3 ground;
    if (ortho && from != nullptr && GroundPointUnder(x, y, ground)) {
        const Double3 forced = OrthoPoint(*from, ground);
        double wx = 0.0, wy = 0.0;
        if (ToWindow(forced.x, forced.y, forced.z, wx, wy)) {
            x = wx;
            y = ViewportHeight() - wy;
            line = OrthoLine{*from, OrthoIsHorizontal(*from, ground)};
        }
    }
    const OrthoLine* onLine = line ? &*line : nullptr;
    const auto accept = [onLine](const Double3& p) { return onLine == nullptr || onLine->Holds(p); };
    const double cx = x, cy = ViewportHeight() - y;
    const double r = kVertexSnapReach;
    if ((kinds & SnapBit(SnapKind::Endpoint)) != 0) {
        Double3 point;
        bool found = false;
        WalkShapesIn(doc, cx - r, cy - r, cx + r, cy + r, walk, [&](CShape& s) {
            found = SnapToShapeVertex(s, x, y, point, accept);
            return found;
        });
        if (found) {
            return SnapHit{point, SnapKind::Endpoint};
        }
    }
    constexpr SnapKind kCurveKinds[] = {SnapKind::Intersection, SnapKind::Midpoint, SnapKind::Center,
                                        SnapKind::Perpendicular, SnapKind::Nearest};
    int curveKinds = 0;
    for (SnapKind kind : kCurveKinds) {
        curveKinds |= kinds & SnapBit(kind);
    }
    if (from == nullptr) {
        curveKinds &= ~SnapBit(SnapKind::Perpendicular);  // no step's first point to drop it from
    }
    if (curveKinds != 0) {
        std::vector<SnapCurve> curves;
        WalkShapesIn(doc, cx - r, cy - r, cx + r, cy + r, walk, [&](CShape& s) {
            if (std::optional<SnapCurve> curve = SnapCurveOf(s)) {
                curves.push_back(*curve);
            }
            return false;
        });
        for (SnapKind kind : kCurveKinds) {
            if ((curveKinds & SnapBit(kind)) == 0) {
                continue;
            }
            NearestCandidate best(cx, cy, onLine);
            if (const Double3* point = CurveTarget(kind, curves, best, from, onLine, x, y)) {
                return SnapHit{*point, kind};
            }
        }
    }
    Double3 point;
    if ((kinds & SnapBit(SnapKind::Grid)) != 0 && SnapToGrid(x, y, point) && accept(point)) {
        return SnapHit{point, SnapKind::Grid};
    }
    return std::nullopt;
}

std::optional<SnapHit> SnapForStep(const CZorader_ezDoc& doc, double x, double y, const Double3* from) {
    const int kinds = (g_snapKinds & ~SnapBit(SnapKind::Grid)) | (g_gridOn == 1 ? SnapBit(SnapKind::Grid) : 0);
    return FindSnap(doc, x, y, from, g_orthoOn == 1, kinds);
}

bool SnapTarget(const CZorader_ezDoc& doc, double x, double y, Double3& point) {
    const std::optional<SnapHit> hit = SnapForStep(doc, x, y, nullptr);
    if (hit) {
        point = hit->point;
    }
    return hit.has_value();
}

bool snapPoint(const CZorader_ezDoc& doc, double x, double y, Double3& point, const Double3* from) {
    if (const std::optional<SnapHit> hit = SnapForStep(doc, x, y, from)) {
        point = hit->point;
        CurrentPlatform().Beep(BeepKind::Default);
        return true;
    }
    CurrentPlatform().Beep(BeepKind::Exclamation);
    return false;
}

bool TakesPoint(const CZorader_ezDoc& doc) {
    return doc.m_current.m_nType != SHAPE_NONE || editState == EDIT_MOVE || editState == EDIT_COPY ||
           editState == EDIT_TRANSFORM || editState == EDIT_RECTANGLE || editState == EDIT_DIMENSION ||
           editState == EDIT_MEASURE;
}

bool pickToggle(CZorader_ezDoc& doc, double x, double y) {
    CShape* hit = ShapeAtPixel(doc, x, y, false);
    if (hit != nullptr) {
        ToggleSelection(doc, *hit);
    }
    return hit != nullptr;
}

bool pickLine(CZorader_ezDoc& doc, double x, double y) {
    CShape* hit = ShapeAtPixel(doc, x, y, true);
    if (hit != nullptr) {
        ToggleSelection(doc, *hit);
        pickedLine = hit;
    }
    return hit != nullptr;
}

bool IsCrossingWindow(const Double2& corner1, const Double2& corner2) {
    return corner2.x < corner1.x;
}

void selectInWindow(CZorader_ezDoc& doc, const Double2& corner1, const Double2& corner2) {
    for (CShape* shape : ShapesInWindow(doc, corner1, corner2, PickWalk::Indexed,
                                        IsCrossingWindow(corner1, corner2))) {
        doc.SetSelected(*shape, true);
        selectionExists = 1;
    }
}

void RecomputeSelectionExists(const CZorader_ezDoc& doc) {
    selectionExists = doc.AnySelected() ? 1 : 0;
}

}  // namespace marquetta
