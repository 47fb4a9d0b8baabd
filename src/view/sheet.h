// The drawing sheet: the printable area of the default printer's paper at the drawing
// scale, with the grid and snap switches. Program-wide and not part of the drawing:
// neither a new drawing nor opening a file changes them.
#pragma once

namespace marquetta {

extern int g_snapOn;
extern int g_gridOn;
extern double g_gridPitch;         // mm
extern double g_scaleDenominator;  // 1 : n
extern double g_paperWidth;        // printable width, mm
extern double g_paperHeight;       // printable height, mm
extern int g_paperPending;         // measure the paper at the next paint

void InitSheetDefaults();

// Measures the default printer's printable area into g_paperWidth and g_paperHeight
// (a printer that reports no resolution leaves them). Without a printer the program
// cannot run: the user is told, and the process ends at once.
void MeasurePaper();

// Sets g_paperPending when the printer's paper is no longer the one measured last (a
// dialog changed the paper or its orientation).
void NoticePaperChange();

}  // namespace marquetta
