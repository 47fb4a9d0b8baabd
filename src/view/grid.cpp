#include "view/grid.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "view/gl_matrix.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

// Counting steps in doubles stays exact far beyond any sheet a printer has.
constexpr double kMaxGridSteps = 1e9;

// How far past a window edge a point still counts when the region is worked out, so
// that rounding never loses a point that the exact test on it would take. Rounding in
// the projection stays far below it; only points within it of an edge are tested
// one by one without a match.
constexpr double kEdgeSlack = 1e-9;  // pixels

// a + b i + c k: a value that is linear in the grid steps (i, k).
struct Linear {
    double a = 0.0, b = 0.0, c = 0.0;
    double At(double i, double k) const { return a + b * i + c * k; }
    // The size of the terms, against which rounding is measured.
    double Magnitude(double i, double k) const {
        return std::fabs(a) + std::fabs(b * i) + std::fabs(c * k);
    }
};

Linear Combine(const Linear& p, double s, const Linear& q, double t) {
    return {p.a * s + q.a * t, p.b * s + q.b * t, p.c * s + q.c * t};
}

// Clip coordinates x, y and w of the ground point of grid step (i, k) as linear forms,
// through the projection times the model-view.
struct ClipForms {
    Linear x, y, w;
};

ClipForms ClipOfGrid(const SheetGrid& grid, const ProjectionRef& view) {
    double m[16];
    for (int i = 0; i < 16; ++i) {
        m[i] = view.projection[i];
    }
    MultiplyMatrix(m, view.modelview);
    const double g = grid.pitch;
    // Column-major: the world point (X, 0, Z, 1) gives row r = m[r] X + m[8 + r] Z + m[12 + r].
    auto row = [&](int r) { return Linear{m[12 + r], m[r] * g, m[8 + r] * g}; };
    return {row(0), row(1), row(3)};
}

// Window coordinates of grid step (i, k) through the forms; false behind the eye.
bool WindowOf(const ClipForms& clip, const ProjectionRef& view, double i, double k, double& wx,
              double& wy) {
    const double w = clip.w.At(i, k);
    if (!(w > 0.0)) {
        return false;
    }
    wx = view.viewport[0] + view.viewport[2] * (clip.x.At(i, k) / w * 0.5 + 0.5);
    wy = view.viewport[1] + view.viewport[3] * (clip.y.At(i, k) / w * 0.5 + 0.5);
    return true;
}

// The grid steps, taken as continuous, whose points lie on the sheet, in front of the
// eye and inside a window rectangle: the sheet's box cut by five half-planes. Every
// side is a linear form that is positive inside.
class GridRegion {
  public:
    GridRegion(const SheetGrid& grid, const ClipForms& clip, const ProjectionRef& view, double x0,
               double x1, double y0, double y1)
        : m_grid(grid) {
        // Inside the rectangle with w > 0: x / w > left edge in normalised coordinates,
        // so x - left w > 0; the same for the other edges.
        const double vx = view.viewport[0], vy = view.viewport[1];
        const double vw = view.viewport[2], vh = view.viewport[3];
        const double left = 2.0 * (x0 - kEdgeSlack - vx) / vw - 1.0;
        const double right = 2.0 * (x1 + kEdgeSlack - vx) / vw - 1.0;
        const double bottom = 2.0 * (y0 - kEdgeSlack - vy) / vh - 1.0;
        const double top = 2.0 * (y1 + kEdgeSlack - vy) / vh - 1.0;
        const double nx = static_cast<double>(grid.nx), nz = static_cast<double>(grid.nz);
        m_sides = {Combine(clip.x, 1.0, clip.w, -left),
                   Combine(clip.w, right, clip.x, -1.0),
                   Combine(clip.y, 1.0, clip.w, -bottom),
                   Combine(clip.w, top, clip.y, -1.0),
                   clip.w,
                   Linear{nx, 1.0, 0.0},
                   Linear{nx, -1.0, 0.0},
                   Linear{nz, 0.0, 1.0},
                   Linear{nz, 0.0, -1.0}};
        FindCorners();
    }

    bool Empty() const { return m_corners.empty(); }

    // Calls visit(i, k) for the grid points that may lie in the region, `slack` steps
    // more on every side, column by column from the smallest and in each column row by
    // row, until it returns true; true when it did.
    template <class Visit>
    bool Walk(int64_t slack, Visit&& visit) const {
        int64_t firstColumn = 0, lastColumn = -1;
        Columns(slack, firstColumn, lastColumn);
        for (int64_t i = firstColumn; i <= lastColumn; ++i) {
            int64_t firstRow = 0, lastRow = -1;
            if (!Rows(i, slack, firstRow, lastRow)) {
                continue;
            }
            for (int64_t k = firstRow; k <= lastRow; ++k) {
                if (visit(i, k)) {
                    return true;
                }
            }
        }
        return false;
    }

    // The corners of the region, as steps (i, k).
    const std::vector<Double2>& Corners() const { return m_corners; }

  private:
    // The columns that may hold points of the region, `slack` more on either side.
    void Columns(int64_t slack, int64_t& first, int64_t& last) const {
        double low = m_corners.front().x, high = low;
        for (const Double2& c : m_corners) {
            low = std::min(low, c.x);
            high = std::max(high, c.x);
        }
        first = std::max(-m_grid.nx, static_cast<int64_t>(std::ceil(low)) - slack);
        last = std::min(m_grid.nx, static_cast<int64_t>(std::floor(high)) + slack);
    }

    // The rows of column i that may hold points of the region, `slack` more on either
    // side; false when there are none.
    bool Rows(int64_t i, int64_t slack, int64_t& first, int64_t& last) const {
        const double column = static_cast<double>(i);
        double low = -static_cast<double>(m_grid.nz), high = static_cast<double>(m_grid.nz);
        for (const Linear& side : m_sides) {
            // side.a + side.b i + side.c k > 0
            const double fixed = side.a + side.b * column;
            if (side.c > 0.0) {
                low = std::max(low, -fixed / side.c);
            } else if (side.c < 0.0) {
                high = std::min(high, -fixed / side.c);
            } else if (fixed < -Tolerance(side, column, 0.0)) {
                return false;
            }
        }
        if (!(low <= high)) {
            return false;
        }
        first = std::max(-m_grid.nz, static_cast<int64_t>(std::ceil(low)) - slack);
        last = std::min(m_grid.nz, static_cast<int64_t>(std::floor(high)) + slack);
        return first <= last;
    }

    static double Tolerance(const Linear& side, double i, double k) {
        return 1e-12 * side.Magnitude(i, k);
    }

    // The region is convex and bounded by the sheet's box: its corners are the
    // crossings of two sides that lie inside all the others.
    void FindCorners() {
        for (size_t p = 0; p < m_sides.size(); ++p) {
            for (size_t q = p + 1; q < m_sides.size(); ++q) {
                const Linear& s = m_sides[p];
                const Linear& t = m_sides[q];
                const double det = s.b * t.c - t.b * s.c;
                if (det == 0.0) {
                    continue;
                }
                const double i = (s.c * t.a - t.c * s.a) / det;
                const double k = (t.b * s.a - s.b * t.a) / det;
                if (!std::isfinite(i) || !std::isfinite(k)) {
                    continue;
                }
                bool inside = true;
                for (const Linear& side : m_sides) {
                    inside = inside && side.At(i, k) >= -Tolerance(side, i, k);
                }
                if (inside) {
                    m_corners.push_back({i, k});
                }
            }
        }
    }

    SheetGrid m_grid;
    std::array<Linear, 9> m_sides;
    std::vector<Double2> m_corners;
};

// The smallest distance in pixels between a corner's grid point and its neighbours
// along either axis, over the corners of the region. Under perspective the spacing
// shrinks with the distance from the eye, which is greatest at a corner.
double SmallestSpacing(const GridRegion& region, const ClipForms& clip, const ProjectionRef& view) {
    double smallest = INFINITY;
    for (const Double2& c : region.Corners()) {
        double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0, x2 = 0.0, y2 = 0.0;
        if (!WindowOf(clip, view, c.x, c.y, x0, y0) ||
            !WindowOf(clip, view, c.x + 1.0, c.y, x1, y1) ||
            !WindowOf(clip, view, c.x, c.y + 1.0, x2, y2)) {
            return 0.0;  // a neighbour beyond the horizon: spacing without bound below
        }
        smallest = std::min({smallest, std::hypot(x1 - x0, y1 - y0), std::hypot(x2 - x0, y2 - y0)});
    }
    return smallest;
}

void PushPoint(std::vector<float>& out, double x, double z) {
    out.push_back(static_cast<float>(x));
    out.push_back(0.0f);
    out.push_back(static_cast<float>(z));
}

}  // namespace

std::optional<SheetGrid> CurrentSheetGrid() {
    const double g = g_gridPitch;
    if (!(g > 0.0)) {
        return std::nullopt;
    }
    const double halfX = g_scaleDenominator * g_paperWidth * 0.5 / g;
    const double halfZ = g_paperHeight * g_scaleDenominator * 0.5 / g;
    if (!(std::fabs(halfX) < kMaxGridSteps && std::fabs(halfZ) < kMaxGridSteps)) {
        return std::nullopt;
    }
    // A negative count (no paper measured) gives an empty walk, as the loops over
    // -n..n would.
    return SheetGrid{g, static_cast<int64_t>(halfX), static_cast<int64_t>(halfZ)};
}

GridPaint BuildGridPoints(const SheetGrid& grid, double sheetHalfX, double sheetHalfZ,
                          const ProjectionRef& view, std::vector<float>& points,
                          std::vector<float>& sheetOutline) {
    points.clear();
    sheetOutline.clear();
    GridPaint paint;
    if (grid.nx < 0 || grid.nz < 0 || !(view.viewport[2] > 0) || !(view.viewport[3] > 0)) {
        return paint;
    }
    const ClipForms clip = ClipOfGrid(grid, view);
    // A pixel beyond each edge: a point there still lights the border pixels.
    const double x0 = view.viewport[0] - 1.0, x1 = view.viewport[0] + view.viewport[2] + 1.0;
    const double y0 = view.viewport[1] - 1.0, y1 = view.viewport[1] + view.viewport[3] + 1.0;
    const GridRegion region(grid, clip, view, x0, x1, y0, y1);
    if (region.Empty()) {
        return paint;
    }
    if (SmallestSpacing(region, clip, view) < kGridMinSpacing) {
        paint.tooFine = true;
        const double corners[5][2] = {{-sheetHalfX, -sheetHalfZ},
                                      {sheetHalfX, -sheetHalfZ},
                                      {sheetHalfX, sheetHalfZ},
                                      {-sheetHalfX, sheetHalfZ},
                                      {-sheetHalfX, -sheetHalfZ}};
        for (int i = 0; i < 4; ++i) {
            PushPoint(sheetOutline, corners[i][0], corners[i][1]);
            PushPoint(sheetOutline, corners[i + 1][0], corners[i + 1][1]);
        }
        return paint;
    }
    region.Walk(0, [&](int64_t i, int64_t k) {
        PushPoint(points, static_cast<double>(i) * grid.pitch, static_cast<double>(k) * grid.pitch);
        return false;
    });
    return paint;
}

bool GridPointWithin(const SheetGrid& grid, int64_t i, int64_t k, const ProjectionRef& view,
                     double wx, double wy, double reach) {
    const double x = static_cast<double>(i) * grid.pitch;
    const double z = static_cast<double>(k) * grid.pitch;
    // In front of the eye: a point behind it would show mirrored through the centre.
    const double* mv = view.modelview;
    const double eyeZ = mv[2] * x + mv[10] * z + mv[14];
    double px = 0.0, py = 0.0, pz = 0.0;
    return eyeZ < 0.0 && ProjectToWindow(x, 0.0, z, view, px, py, pz) &&
           std::fabs(px - wx) < reach && std::fabs(py - wy) < reach;
}

std::optional<Double3> FirstGridPointWithin(const SheetGrid& grid, const ProjectionRef& view,
                                            double wx, double wy, double reach) {
    if (grid.nx < 0 || grid.nz < 0 || !(view.viewport[2] > 0) || !(view.viewport[3] > 0)) {
        return std::nullopt;
    }
    const ClipForms clip = ClipOfGrid(grid, view);
    const GridRegion region(grid, clip, view, wx - reach, wx + reach, wy - reach, wy + reach);
    if (region.Empty()) {
        return std::nullopt;
    }
    // One step of slack on every side: the exact test decides at the edges. In a column
    // the first row inside the edge matches, so a column costs a few tests whatever the
    // pitch; only a column lying within the slack of the square's side is tested
    // through.
    std::optional<Double3> found;
    region.Walk(1, [&](int64_t i, int64_t k) {
        if (GridPointWithin(grid, i, k, view, wx, wy, reach)) {
            found = Double3{static_cast<double>(i) * grid.pitch, 0.0,
                            static_cast<double>(k) * grid.pitch};
        }
        return found.has_value();
    });
    return found;
}

}  // namespace marquetta
