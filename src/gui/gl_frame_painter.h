// Draws one paint frame of the core with the fixed-function OpenGL pipeline, in the
// order of the view's paint: clear, transforms and light, grid, previews, the
// wireframe or the lit faces, then the window overlay.
#pragma once

#include <cstddef>

#include "view/paint_frame.h"

namespace marquetta {

// Draws `frame` into the current context's window of width x height pixels. The
// wireframe is drawn from the core's polylines, their segments handed to GL as pairs
// of indices a chunk at a time, a few draws per colour run: the core keeps it between
// paints, holds only the shapes in view and changes only what an edit or a new view
// changed, so no copy of it is kept in GL, and a paint after an edit costs what any
// other paint costs. (A display list would hold a second copy, and Mesa takes seconds
// to compile one of a million shapes.)
//
// A wireframe of many colour runs (shapes whose colours change from one to the next, a
// selection of every other shape) would cost a draw per run, some microseconds each:
// beyond `runsOneByOne` runs the runs that follow one another without a gap are drawn
// together, each vertex given its run's colour from an array of a byte per channel,
// which draws the same pixels in the same order.
inline constexpr size_t kRunsDrawnOneByOne = 64;
void DrawPaintFrame(const PaintFrame& frame, int width, int height,
                    size_t runsOneByOne = kRunsDrawnOneByOne);

}  // namespace marquetta
