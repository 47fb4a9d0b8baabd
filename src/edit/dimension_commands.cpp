#include "edit/dimension_commands.h"

#include <cmath>
#include <cstdio>

#include "edit/command_state.h"
#include "edit/cursor_readout.h"
#include "edit/dimension_geometry.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "edit/picking.h"
#include "edit/view.h"
#include "model/layers.h"
#include "model/undo_history.h"
#include "platform/command_ids.h"
#include "platform/platform.h"
#include "ui/dimension_settings_dialog.h"
#include "view/gl_matrix.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

// The dimension in progress: the command, how many of its picks are given and what
// they gave (points; a circle's centre and radius; two lines' end points).
struct DimensionProgress {
    int command = 0;
    int given = 0;
    Double3 points[4];
    double radius = 0.0;
};
DimensionProgress progress;

// Measuring: the total of the distances clicked so far.
double measureTotal = 0.0;

struct Prompts {
    const char* first;
    const char* second;
    const char* place;
};

Prompts PromptsOf(int command) {
    switch (command) {
        case ID_DIM_ALIGNED:
            return {kPromptDimAlignedFirst, kPromptDimAlignedSecond, kPromptDimAlignedPlace};
        case ID_DIM_RADIUS:
            return {kPromptDimRadiusPick, kPromptDimRadiusPlace, kPromptDimRadiusPlace};
        case ID_DIM_DIAMETER:
            return {kPromptDimDiameterPick, kPromptDimDiameterPlace, kPromptDimDiameterPlace};
        case ID_DIM_ANGLE:
            return {kPromptDimAngleFirst, kPromptDimAngleSecond, kPromptDimAnglePlace};
        default:
            return {kPromptDimLinearFirst, kPromptDimLinearSecond, kPromptDimLinearPlace};
    }
}

void Refuse(const char* why) {
    Platform& platform = CurrentPlatform();
    platform.Beep(BeepKind::Exclamation);
    platform.SetPrompt(why);
}

// The step stays where it was, waiting for the click again.
void KeepWaiting() {
    stepPending = 1;
    rubberBand = 1;
}

void StartOver() {
    progress.given = 0;
    stepPending = 0;
    rubberBand = 0;
    basePointSet = 0;
    CurrentPlatform().SetPrompt(PromptsOf(progress.command).first);
}

double PlanDistance(const Double3& a, const Double3& b) { return std::hypot(b.x - a.x, b.z - a.z); }

DimensionResult Compute(const Double3& place) {
    const Double3* p = progress.points;
    const double scale = g_scaleDenominator;
    switch (progress.command) {
        case ID_DIM_ALIGNED:
            return AlignedDimension(p[0], p[1], place, g_dimensionStyle, scale);
        case ID_DIM_RADIUS:
        case ID_DIM_DIAMETER:
            return RadiusDimension(p[0], progress.radius, place, progress.command == ID_DIM_DIAMETER,
                                   g_dimensionStyle, scale);
        case ID_DIM_ANGLE:
            return AngleDimension(p[0], p[1], p[2], p[3], place, g_dimensionStyle, scale);
        default:
            return LinearDimension(p[0], p[1], place, g_dimensionStyle, scale);
    }
}

// The shapes on the current layer as one step; a coordinate single precision cannot
// hold refuses them all.
bool AddDimension(CZorader_ezDoc& doc, const std::vector<CShape>& shapes) {
    for (const CShape& shape : shapes) {
        if (!FitsFloat(shape.m_pt[0]) || !FitsFloat(shape.m_pt[1])) {
            RefuseBeyondRange();
            return false;
        }
    }
    UndoStep step(doc.History(), StepKind::Dimension);
    for (const CShape& shape : shapes) {
        CShape& current = doc.m_current;
        current.m_pt[2] = shape.m_pt[2];
        current.m_pt[3] = shape.m_pt[3];
        AddDrawnShape(doc, shape.m_nType, Double3{shape.m_pt[0].x, shape.m_pt[0].y, shape.m_pt[0].z},
                      shape.m_pt[1], shape.m_strText);
    }
    doc.m_current.m_nType = SHAPE_NONE;
    return true;
}

// A shape picked by the click for a radius or angle; null after saying why not.
const CShape* PickedShape(const CZorader_ezDoc& doc, int x, int y, bool line) {
    const CShape* hit = ShapeAtPixel(doc, x, y, false);
    const bool curve = hit != nullptr && (hit->m_nType == SHAPE_CIRCLE || hit->m_nType == SHAPE_ARC);
    if (line && (hit == nullptr || hit->m_nType != SHAPE_LINE)) {
        Refuse(curve ? kPromptDimNeedsLine : kPromptDimNoLine);
        return nullptr;
    }
    if (!line && !curve) {
        Refuse(kPromptDimNeedsCircle);
        return nullptr;
    }
    return hit;
}

Double3 Widen(const Float3& p) { return {p.x, p.y, p.z}; }

// The place in cursorPoint: the dimension is made there, or refused saying `why`.
void PlaceGiven(CZorader_ezDoc& doc, const char* why) {
    const DimensionResult result = Compute(cursorPoint);
    KeepWaiting();
    if (result.error != DimensionError::None) {
        Refuse(why);
        return;
    }
    if (AddDimension(doc, result.shapes)) {
        StartOver();
    }
}

// The second point or the place of a length or aligned dimension, in cursorPoint.
void PointGiven(CZorader_ezDoc& doc);

void PointClick(CZorader_ezDoc& doc, int x, int y) {
    const Prompts prompts = PromptsOf(progress.command);
    if (progress.given == 0) {
        if (!TakeFirstPoint(doc, x, y, true)) {
            return;
        }
        progress.points[0] = firstPoint;
        progress.given = 1;
        basePointSet = 1;
        CurrentPlatform().SetPrompt(prompts.second);
        return;
    }
    if (TakeSecondPoint(doc, x, y)) {
        PointGiven(doc);
    }
}

void PointGiven(CZorader_ezDoc& doc) {
    const Prompts prompts = PromptsOf(progress.command);
    if (progress.given == 1) {
        KeepWaiting();
        if (PlanDistance(progress.points[0], cursorPoint) <= kSmallestLength) {
            Refuse(kPromptDimCoincident);
            return;
        }
        progress.points[1] = cursorPoint;
        firstPoint = cursorPoint;
        progress.given = 2;
        CurrentPlatform().SetPrompt(prompts.place);
        return;
    }
    PlaceGiven(doc, kPromptDimZeroLength);
}

void CurveClick(CZorader_ezDoc& doc, int x, int y) {
    if (progress.given == 0) {
        const CShape* circle = PickedShape(doc, x, y, false);
        if (circle == nullptr) {
            return;
        }
        progress.points[0] = Widen(circle->m_pt[0]);
        progress.radius = circle->m_pt[1].x;
        progress.given = 1;
        computeCursorPoint(x, y, false);
        firstPoint = progress.points[0];
        basePointSet = 1;
        KeepWaiting();
        CurrentPlatform().SetPrompt(PromptsOf(progress.command).place);
        return;
    }
    if (TakeSecondPoint(doc, x, y)) {
        PlaceGiven(doc, kPromptDimOnCentre);
    }
}

void AngleClick(CZorader_ezDoc& doc, int x, int y) {
    if (progress.given < 2) {
        const CShape* line = PickedShape(doc, x, y, true);
        if (line == nullptr) {
            stepPending = progress.given;  // the first line, when given, stays
            rubberBand = 0;
            return;
        }
        const Double3 a = Widen(line->m_pt[0]);
        const Double3 b = Widen(line->m_pt[1]);
        if (progress.given == 1) {
            // Any place off the corner tells parallel lines from the rest.
            const Double3 probe{progress.points[0].x + 1.0e6, 0.0, progress.points[0].z + 7.3e5};
            const DimensionResult test =
                AngleDimension(progress.points[0], progress.points[1], a, b, probe, g_dimensionStyle, 1.0);
            if (test.error != DimensionError::None) {
                stepPending = 1;
                Refuse(test.error == DimensionError::Parallel ? kPromptDimParallel : kPromptDimNoLine);
                return;
            }
            // The corner, as the reference of the arc's place.
            const CShape& arc = test.shapes.front();
            firstPoint = Widen(arc.m_pt[0]);
            basePointSet = 1;
            computeCursorPoint(x, y, false);
            KeepWaiting();
        } else {
            stepPending = 1;
            rubberBand = 0;
        }
        const auto first = 2 * static_cast<size_t>(progress.given);
        progress.points[first] = a;
        progress.points[first + 1] = b;
        ++progress.given;
        const Prompts prompts = PromptsOf(ID_DIM_ANGLE);
        CurrentPlatform().SetPrompt(progress.given == 1 ? prompts.second : prompts.place);
        return;
    }
    if (TakeSecondPoint(doc, x, y)) {
        PlaceGiven(doc, kPromptDimOnCentre);
    }
}

std::string Number(const char* format, double value) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, format, value);
    return buffer;
}

}  // namespace

void CZorader_ezView::RegisterDimensionCommands() {
    for (const int id : {ID_DIM_LINEAR, ID_DIM_ALIGNED, ID_DIM_RADIUS, ID_DIM_DIAMETER, ID_DIM_ANGLE}) {
        m_commands.On(id, [this, id] { StartDimension(m_doc, id); });
    }
    m_commands.On(ID_DIM_SETTINGS, [] { RunDimensionSettingsDialog(); });
    m_commands.On(ID_MEASURE, [this] { StartMeasure(m_doc); });
}

void InitDimensionCommandDefaults() {
    progress = DimensionProgress{};
    measureTotal = 0.0;
}

void StartDimension(CZorader_ezDoc& doc, int command) {
    EndAnyPastePlacement(doc);
    doc.History().CommandStarted();
    if (selectionExists == 1) {
        doc.DeselectAll();
        selectionExists = 0;
        g_displayListValid = 0;
    }
    doc.m_current.m_nType = SHAPE_NONE;
    editState = EDIT_DIMENSION;
    arcStartGiven = 0;
    progress = DimensionProgress{};
    progress.command = command;
    StartOver();
    CurrentPlatform().InvalidateView();
}

void DimensionClick(CZorader_ezDoc& doc, int x, int y) {
    switch (progress.command) {
        case ID_DIM_RADIUS:
        case ID_DIM_DIAMETER:
            CurveClick(doc, x, y);
            return;
        case ID_DIM_ANGLE:
            AngleClick(doc, x, y);
            return;
        default:
            PointClick(doc, x, y);
            return;
    }
}

std::vector<CShape> DimensionPreview(const Double3& cursor) {
    const bool twoPoints = progress.command == ID_DIM_LINEAR || progress.command == ID_DIM_ALIGNED;
    if (twoPoints && progress.given == 1) {
        CShape band;
        band.m_nType = SHAPE_LINE;
        band.m_pt[0] = Narrow(progress.points[0]);
        band.m_pt[1] = Narrow(cursor);
        return {band};
    }
    const int needed = twoPoints || progress.command == ID_DIM_ANGLE ? 2 : 1;
    if (progress.given < needed) {
        return {};
    }
    return Compute(cursor).shapes;
}

void StartMeasure(CZorader_ezDoc& doc) {
    EndAnyPastePlacement(doc);
    doc.History().CommandStarted();
    doc.m_current.m_nType = SHAPE_NONE;
    editState = EDIT_MEASURE;
    arcStartGiven = 0;
    stepPending = 0;
    rubberBand = 0;
    basePointSet = 0;
    measureTotal = 0.0;
    CurrentPlatform().SetPrompt(kPromptMeasureFirst);
    CurrentPlatform().InvalidateView();
}

std::string ShapeMeasureText(const CShape& shape) {
    const double r = shape.m_pt[1].x;
    switch (shape.m_nType) {
        case SHAPE_LINE: {
            const Float3& a = shape.m_pt[0];
            const Float3& b = shape.m_pt[1];
            const double dx = double(b.x) - a.x, dy = double(b.y) - a.y, dz = double(b.z) - a.z;
            return Number("長さ=%.1f", std::sqrt(dx * dx + dy * dy + dz * dz));
        }
        case SHAPE_ARC: {
            const double sweep = double(shape.m_pt[1].z) - shape.m_pt[1].y;
            return Number("長さ=%.1f", r * sweep * kRadiansPerDegree) + Number(" 半径=%.1f", r);
        }
        case SHAPE_CIRCLE:
            return Number("半径=%.1f", r) + Number(" 円周=%.1f", 2.0 * kGlPi * r);
        default:
            return {};
    }
}

void MeasureClick(const CZorader_ezDoc& doc, int x, int y, bool shift) {
    Platform& platform = CurrentPlatform();
    if (shift) {
        const CShape* hit = ShapeAtPixel(doc, x, y, false);
        const std::string text = hit != nullptr ? ShapeMeasureText(*hit) : std::string();
        if (text.empty()) {
            Refuse(kPromptMeasureNoShape);
        } else {
            platform.SetPrompt("【測定】" + text);
        }
        stepPending = basePointSet;  // a pending point stays
        rubberBand = basePointSet;
        return;
    }
    if (basePointSet == 0) {
        if (TakeFirstPoint(doc, x, y, true)) {
            basePointSet = 1;
            measureTotal = 0.0;
            platform.SetPrompt("【測定】－次の点(右クリックで終了)");
        }
        return;
    }
    if (TakeSecondPoint(doc, x, y)) {
        MeasurePointGiven();
    }
}

void MeasurePointGiven() {
    const double distance = PlanDistance(firstPoint, cursorPoint);
    measureTotal += distance;
    CurrentPlatform().SetPrompt("【測定】" + Number("距離=%.1f", distance) +
                       Number(" 角度=%.1f°", PlanAngleDegrees(firstPoint, cursorPoint)) +
                       Number(" 合計=%.1f", measureTotal) + "－次の点(右クリックで終了)");
    firstPoint = cursorPoint;
    KeepWaiting();
}

std::string MeasureReadout(const Double3& cursor) {
    if (editState != EDIT_MEASURE || basePointSet == 0) {
        return {};
    }
    return Number("  合計=%.1f", measureTotal + PlanDistance(firstPoint, cursor));
}

void DimensionPointTyped(CZorader_ezDoc& doc, const Double3& point) {
    cursorPoint = point;
    stepPending = 0;
    rubberBand = 0;
    if (editState == EDIT_MEASURE) {
        MeasurePointGiven();
    } else if (progress.command == ID_DIM_LINEAR || progress.command == ID_DIM_ALIGNED) {
        PointGiven(doc);
    } else {
        PlaceGiven(doc, kPromptDimOnCentre);
    }
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

void EndDimensionOrMeasure() {
    progress = DimensionProgress{};
    ReturnToIdle();
}

}  // namespace marquetta
