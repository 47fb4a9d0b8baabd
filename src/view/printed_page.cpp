#include "view/printed_page.h"

#include <cmath>

#include "model/layers.h"
#include "text/text_layout.h"
#include "view/paint_frame.h"
#include "view/sheet.h"

namespace marquetta {

double g_printOffsetX = 0.0;
double g_printOffsetY = 0.0;
double g_printUnit = 0.0;

void InitPrintDefaults() {
    g_printOffsetX = 0.0;
    g_printOffsetY = 0.0;
    g_printUnit = 0.0;
}

int PrintX(double x) { return TruncateToDevice((x + g_printOffsetX) / g_printUnit); }
int PrintY(double z) { return TruncateToDevice((g_printOffsetY - z) / g_printUnit); }

namespace {

void PrintShape(const CShape& s, PrintPen& pen, const PrintMapping& mapping) {
    switch (s.m_nType) {
        case SHAPE_LINE:
            pen.MoveTo(PrintX(s.m_pt[0].x), PrintY(s.m_pt[0].z));
            pen.LineTo(PrintX(s.m_pt[1].x), PrintY(s.m_pt[1].z));
            break;
        case SHAPE_CIRCLE: {
            const double cx = s.m_pt[0].x, cz = s.m_pt[0].z, r = s.m_pt[1].x;
            pen.MoveTo(PrintX(cx + r), PrintY(cz));
            for (int i = 1; i < kCircleSegments; ++i) {
                const double a = i * kTenDegrees;
                pen.LineTo(PrintX(cx + r * std::cos(a)), PrintY(cz + r * std::sin(a)));
            }
            pen.LineTo(PrintX(cx + r), PrintY(cz));
            break;
        }
        case SHAPE_ARC: {
            const double cx = s.m_pt[0].x, cz = s.m_pt[0].z, r = s.m_pt[1].x;
            bool first = true;
            ForEachArcAngle(s.m_pt[1].y, s.m_pt[1].z, [&](double degrees) {
                const double a = degrees * kRadiansPerDegree;
                const int x = PrintX(cx + r * std::cos(a));
                const int y = PrintY(cz - r * std::sin(a));
                if (first) {
                    pen.MoveTo(x, y);
                    first = false;
                } else {
                    pen.LineTo(x, y);
                }
            });
            break;
        }
        case SHAPE_TEXT:
            DrawStrokeText(s.m_strText, s.m_pt[0].x, s.m_pt[0].z, s.m_pt[1].x, s.m_pt[1].y,
                           s.m_pt[1].z, TextTarget::Print(pen, mapping));
            break;
        default:
            break;  // faces are not printed
    }
}

}  // namespace

void PrintDrawing(const CZorader_ezDoc& doc, PrintPen& pen) {
    g_printOffsetX = g_scaleDenominator * g_paperWidth * 0.5;
    g_printOffsetY = -(g_scaleDenominator * g_paperHeight * 0.5);
    g_printUnit = g_scaleDenominator * 0.1;
    const PrintMapping mapping{g_printUnit, g_printOffsetX, g_printOffsetY};
    for (const auto& shape : doc.m_shapes) {
        if (IsLayerVisible(shape->m_strLayer)) {
            PrintShape(*shape, pen, mapping);
        }
    }
}

}  // namespace marquetta
