#include "gui/print_painter.h"

#include <QPrinter>

namespace marquetta {

namespace {
constexpr double kTenthsOfMillimetrePerInch = 254.0;
}  // namespace

QTransform PrintTransform(double dpiX, double dpiY) {
    return QTransform::fromScale(dpiX / kTenthsOfMillimetrePerInch,
                                 -dpiY / kTenthsOfMillimetrePerInch);
}

void CPainterPen::MoveTo(int x, int y) {
    Flush();
    current_ = QPoint(x, y);
}

void CPainterPen::LineTo(int x, int y) {
    if (path_.isEmpty()) {
        path_.append(current_);
    }
    current_ = QPoint(x, y);
    path_.append(current_);
}

void CPainterPen::Flush() {
    if (path_.size() > 1) {
        painter_.drawPolyline(path_);
    }
    path_.clear();
}

void DrawPrintedPage(QPainter& painter, double dpiX, double dpiY, const PageDrawing& drawPage) {
    painter.save();
    painter.setTransform(PrintTransform(dpiX, dpiY), true);
    // Width 0 is Qt's cosmetic pen: one device pixel whatever the transform.
    painter.setPen(QPen(Qt::black, 0));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    {
        CPainterPen pen(painter);
        drawPage(pen);
    }
    painter.restore();
}

bool PrintPages(QPrinter& printer, const PageDrawing& drawPage, int pageCount) {
    QPainter painter;
    if (!painter.begin(&printer)) {
        return false;
    }
    for (int page = 0; page < pageCount; ++page) {
        if (page > 0 && !printer.newPage()) {
            painter.end();
            return false;
        }
        DrawPrintedPage(painter, printer.logicalDpiX(), printer.logicalDpiY(), drawPage);
    }
    return painter.end();
}

}  // namespace marquetta
