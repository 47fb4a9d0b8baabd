// The sheet grid: the ground points (i g, 0, k g) for |i| <= nx and |k| <= nz, g the
// pitch, which cover the printable sheet at the drawing scale. What a paint draws of it
// and which point a click snaps to are worked out from the window: their cost depends
// on the window's size, never on how many points the sheet holds.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "model/geometry.h"

namespace marquetta {

// Neighbouring grid points closer than this on screen run into a haze: none is drawn.
inline constexpr double kGridMinSpacing = 4.0;  // pixels

struct SheetGrid {
    double pitch = 0.0;
    int64_t nx = 0;  // columns -nx..nx along X
    int64_t nz = 0;  // rows -nz..nz along Z
};

// The grid of the current sheet settings (pitch, scale, paper); nothing when they
// make no grid (a pitch that is not positive, a sheet too large to count).
std::optional<SheetGrid> CurrentSheetGrid();

// What a paint shows of the grid through `view`. `points` gets the grid points on the
// visible part of the sheet (x, y, z floats). When neighbours would lie closer than
// kGridMinSpacing pixels it gets none, `tooFine` is set and `sheetOutline` gets the
// sheet's edges (line-segment vertices) so that the sheet still shows.
struct GridPaint {
    bool tooFine = false;
};
GridPaint BuildGridPoints(const SheetGrid& grid, double sheetHalfX, double sheetHalfZ,
                          const ProjectionRef& view, std::vector<float>& points,
                          std::vector<float>& sheetOutline);

// Whether grid point (i, k) projects in front of the eye strictly within `reach` pixels
// of the window point (wx, wy) (y from the bottom) along each axis.
bool GridPointWithin(const SheetGrid& grid, int64_t i, int64_t k, const ProjectionRef& view,
                     double wx, double wy, double reach);

// The first grid point, walking columns i from -nx up and in each the rows k from -nz
// up, for which GridPointWithin holds: the answer of testing every point in that
// order, found from the few points the window square can hold.
std::optional<Double3> FirstGridPointWithin(const SheetGrid& grid, const ProjectionRef& view,
                                            double wx, double wy, double reach);

}  // namespace marquetta
