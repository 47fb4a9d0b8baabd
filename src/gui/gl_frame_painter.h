// Draws one paint frame of the core with the fixed-function OpenGL pipeline, in the
// order of the view's paint: clear, transforms and light, grid, previews, the
// wireframe through the display list or the lit faces, then the window overlay.
#pragma once

#include "view/paint_frame.h"

namespace marquetta {

// The display list that caches the wireframe: its name (0 when none could be made,
// and the wireframe is then drawn directly) and whether it holds a compiled wireframe.
struct WireframeList {
    unsigned int name = 0;
    bool compiled = false;
};

// Draws `frame` into the current context's window of width x height pixels. The
// wireframe is compiled (and drawn while compiling) when the frame says it was rebuilt
// or the list holds nothing yet; otherwise the list is replayed. True when this paint
// compiled the list.
bool DrawPaintFrame(const PaintFrame& frame, int width, int height, WireframeList& list);

}  // namespace marquetta
