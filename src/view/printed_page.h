// The drawing as a plan on one printed sheet at the drawing scale, drawn through a
// print pen: the world origin at the centre of the printable area, world -Z up the
// page, one logical unit 0.1 mm on paper. The printer, the print preview and the SVG
// export all draw this page.
#pragma once

#include "model/document.h"
#include "text/print_pen.h"

namespace marquetta {

// Set at the start of every printed page from the sheet settings.
extern double g_printOffsetX;  // scale * paper width / 2
extern double g_printOffsetY;  // -(scale * paper height / 2)
extern double g_printUnit;     // scale * 0.1

void InitPrintDefaults();

// World (x, z) -> logical point X = trunc((x + offsetX) / unit), Y = trunc((offsetY - z) / unit).
int PrintX(double x);
int PrintY(double z);

// Lines, circles, arcs and texts of visible layers in list order; faces, the grid,
// previews and the selection are not printed.
void PrintDrawing(const CZorader_ezDoc& doc, PrintPen& pen);

}  // namespace marquetta
