// The two calls through which the core prints: logical points in 0.1 mm units, y up,
// origin at the top-left corner of the printable area. The printer, the print preview
// and the SVG export each implement it.
#pragma once

namespace marquetta {

class PrintPen {
  public:
    virtual ~PrintPen() = default;
    virtual void MoveTo(int x, int y) = 0;
    // A line from the current point to (x, y), which becomes the current point.
    virtual void LineTo(int x, int y) = 0;
};

}  // namespace marquetta
