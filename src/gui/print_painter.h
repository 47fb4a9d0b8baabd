// The printed page on a QPainter: the core's pen in logical units of 0.1 mm with y
// growing upwards, mapped onto the device's pixels with the painter's origin at the
// top-left corner of the printable area (where QPrinter puts it unless it prints the
// full page). The printer, the print preview and the tests' images all draw this way.
#pragma once

#include <QPainter>
#include <QPolygon>

#include "platform/platform.h"
#include "text/print_pen.h"

class QPrinter;

namespace marquetta {

// Logical units to device pixels: x * dpiX / 254 to the right, y * dpiY / 254 upwards.
QTransform PrintTransform(double dpiX, double dpiY);

// A pen drawing on a painter whose transform is PrintTransform. The lines between two
// moves go out as one polyline, so that their corners join; Flush (or destruction)
// draws the last one. As on a printer, the current point starts at (0, 0).
class CPainterPen : public PrintPen {
  public:
    explicit CPainterPen(QPainter& painter) : painter_(painter) {}
    ~CPainterPen() override { Flush(); }
    CPainterPen(const CPainterPen&) = delete;
    CPainterPen& operator=(const CPainterPen&) = delete;

    void MoveTo(int x, int y) override;
    void LineTo(int x, int y) override;
    void Flush();

  private:
    QPainter& painter_;
    QPolygon path_;  // the lines since the last move, not yet drawn
    QPoint current_;
};

// Draws one page with the device's default black hairline pen (one device pixel wide,
// as a printer's default pen is), then puts the painter's state back.
void DrawPrintedPage(QPainter& painter, double dpiX, double dpiY, const PageDrawing& drawPage);

// Draws `pageCount` pages (the program's jobs have one) on `printer`, a new page
// between each two. False when the job could not start.
bool PrintPages(QPrinter& printer, const PageDrawing& drawPage, int pageCount = 1);

}  // namespace marquetta
