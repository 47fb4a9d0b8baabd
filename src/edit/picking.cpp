#include "edit/picking.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "edit/editing_state.h"
#include "model/layers.h"
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

// The vertex of `s` within the snap reach of pixel (x, y), in the order of its kind.
bool SnapToShapeVertex(const CShape& s, double x, double y, Double3& point) {
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
            if (NearPixel(candidates[i], x, y, kVertexSnapReach)) {
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
                     found = SnapToShapeVertex(s, x, y, point);
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

bool SnapTarget(const CZorader_ezDoc& doc, double x, double y, Double3& point) {
    return VertexNearPixel(doc, x, y, point) || (g_gridOn == 1 && SnapToGrid(x, y, point));
}

bool snapPoint(const CZorader_ezDoc& doc, double x, double y, Double3& point) {
    if (SnapTarget(doc, x, y, point)) {
        CurrentPlatform().Beep(BeepKind::Default);
        return true;
    }
    CurrentPlatform().Beep(BeepKind::Exclamation);
    return false;
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
