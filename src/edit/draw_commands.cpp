#include "edit/draw_commands.h"

#include <cmath>
#include <limits>

#include "edit/command_state.h"
#include "edit/editing_state.h"
#include "edit/picking.h"
#include "edit/snap_settings.h"
#include "model/layers.h"
#include "model/undo_history.h"
#include "platform/platform.h"
#include "ui/text_dialog.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

double Distance(const Double3& a, const Double3& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

}  // namespace

float Narrow(double value) {
    if (FitsFloat(value)) {
        return static_cast<float>(value);
    }
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    if (std::isnan(value)) {
        return std::numeric_limits<float>::quiet_NaN();
    }
    return std::signbit(value) ? -kInfinity : kInfinity;
}

Float3 Narrow(const Double3& p) {
    return {Narrow(p.x), Narrow(p.y), Narrow(p.z)};
}

bool FitsFloat(double value) {
    // Compared before any conversion: a double beyond the float range has none.
    return std::fabs(value) <= std::numeric_limits<float>::max();
}

bool FitsFloat(const Double3& point) {
    return FitsFloat(point.x) && FitsFloat(point.y) && FitsFloat(point.z);
}

bool FitsFloat(const Float3& point) {
    return std::isfinite(point.x) && std::isfinite(point.y) && std::isfinite(point.z);
}

void RefuseBeyondRange() {
    Platform& platform = CurrentPlatform();
    platform.Beep(BeepKind::Exclamation);
    platform.SetPrompt(kPromptBeyondRange);
}

namespace {

StepKind DrawnStep(int type) {
    switch (type) {
        case SHAPE_CIRCLE:
            return StepKind::Circle;
        case SHAPE_ARC:
            return StepKind::Arc;
        case SHAPE_TEXT:
            return StepKind::Text;
        default:
            return StepKind::Line;
    }
}

}  // namespace

bool AddDrawnShape(CZorader_ezDoc& doc, int type, const Double3& p0, const Float3& p1,
                   const std::string& text) {
    if (!FitsFloat(p0) || !FitsFloat(p1)) {
        RefuseBeyondRange();
        return false;
    }
    UndoStep step(doc.History(), DrawnStep(type));
    CShape& current = doc.m_current;
    current.m_nType = type;
    current.m_bSelected = 0;
    current.m_pt[0] = Narrow(p0);
    current.m_pt[1] = p1;
    // Every shape the user makes goes on the current layer, in white.
    doc.SetCurrentLayer(doc.CurrentLayer());
    current.m_attr[0] = current.m_attr[1] = current.m_attr[2] = 1.0f;
    doc.SetCurrentText(text);
    EnsureLayer(doc.CurrentLayer());
    doc.AddCurrentShape();
    return true;
}

namespace {

void EndDrawCommand(CZorader_ezDoc& doc) {
    doc.m_current.m_nType = SHAPE_NONE;
    CurrentPlatform().SetPrompt(kPromptNone);
}

}  // namespace

bool TakeFirstPoint(const CZorader_ezDoc& doc, int x, int y, bool startsStep) {
    computeCursorPoint(x, y, true);
    if (startsStep) {
        stepPending = 1;
        rubberBand = 1;
    }
    if (g_snapOn == 1 && !snapPoint(doc, x, y, firstPoint)) {
        if (startsStep) {
            stepPending = 0;
            rubberBand = 0;
        }
        return false;
    }
    return true;
}

bool TakeSecondPoint(const CZorader_ezDoc& doc, int x, int y) {
    if (g_snapOn == 1) {
        if (!snapPoint(doc, x, y, cursorPoint, &firstPoint)) {
            stepPending = 1;
            rubberBand = 1;
            return false;
        }
    } else if (g_orthoOn == 1) {
        cursorPoint = OrthoPoint(firstPoint, cursorPoint);
    }
    return true;
}

void LineFirstClick(const CZorader_ezDoc& doc, int x, int y) {
    if (!TakeFirstPoint(doc, x, y, true)) {
        return;
    }
    basePointSet = 1;
    CurrentPlatform().SetPrompt(kPromptLineEnd);
}

void LineNextClick(CZorader_ezDoc& doc, int x, int y) {
    if (!TakeSecondPoint(doc, x, y)) {
        return;
    }
    const Double3 end = cursorPoint;
    stepPending = 1;
    rubberBand = 1;
    if (Distance(firstPoint, end) > kSmallestLength) {
        if (!AddDrawnShape(doc, SHAPE_LINE, firstPoint, Narrow(end), {})) {
            return;
        }
        // Again, after a refusal said why in its place.
        CurrentPlatform().SetPrompt(kPromptLineEnd);
    }
    firstPoint = end;
}

void CircleCentreClick(const CZorader_ezDoc& doc, int x, int y) {
    if (TakeFirstPoint(doc, x, y, true)) {
        CurrentPlatform().SetPrompt(kPromptCircleRadius);
    }
}

void CircleRadiusClick(CZorader_ezDoc& doc, int x, int y) {
    if (!TakeSecondPoint(doc, x, y)) {
        return;
    }
    const double r = Distance(firstPoint, cursorPoint);
    if (r > kSmallestLength &&
        !AddDrawnShape(doc, SHAPE_CIRCLE, firstPoint, Float3{Narrow(r), 0.0f, 0.0f}, {})) {
        stepPending = 1;
        rubberBand = 1;
        return;
    }
    EndDrawCommand(doc);
}

void ArcCentreClick(const CZorader_ezDoc& doc, int x, int y) {
    if (TakeFirstPoint(doc, x, y, true)) {
        CurrentPlatform().SetPrompt(kPromptArcStart);
    }
}

double DirectionAngle(double dx, double dz, double length) {
    double angle = std::acos(dx / length) * kDegreesPerRadian;
    if (dz > 0) {
        angle = 360.0 - angle;
    }
    return angle;
}

ArcAngles ArcEndAngles(double start, double end, bool reversed) {
    double s = start;
    double e = end;
    if (e < s) {
        e = e + 360.0;
    }
    if (reversed) {
        const float t = static_cast<float>(s);
        s = e;
        if (s > 360.0) {
            s = s - 360.0;
        }
        e = t;
        if (t < s) {
            e = t + 360.0;
        }
    }
    return {s, e};
}

void ArcPointClick(CZorader_ezDoc& doc, int x, int y) {
    const Double3& centre = firstPoint;
    if (arcStartGiven == 0) {
        if (!TakeSecondPoint(doc, x, y)) {
            return;
        }
        stepPending = 1;
        rubberBand = 1;
        const double dx = cursorPoint.x - centre.x;
        const double dy = cursorPoint.y - centre.y;
        const double dz = cursorPoint.z - centre.z;
        const double radius = std::sqrt(dx * dx + dy * dy + dz * dz);
        if (!FitsFloat(radius)) {
            RefuseBeyondRange();
            return;
        }
        arcStartGiven = 1;
        arcRadius = radius;
        arcStartAngle = DirectionAngle(dx, dz, arcRadius);
        basePointSet = 1;
        CurrentPlatform().SetPrompt(kPromptArcEnd);
        return;
    }
    if (!TakeSecondPoint(doc, x, y)) {
        return;
    }
    arcStartGiven = 0;
    const double dx = cursorPoint.x - centre.x;
    const double dz = cursorPoint.z - centre.z;
    const double length = Distance(centre, cursorPoint);
    const double rawEnd = DirectionAngle(dx, dz, length);
    const ArcAngles angles = ArcEndAngles(arcStartAngle, rawEnd, arcReversed == 1);
    // An end click on the centre gives no direction (the angle is not a number); such
    // an arc would carry that into the drawing.
    if (arcRadius > kSmallestLength && angles.end != angles.start && std::isfinite(angles.start) &&
        std::isfinite(angles.end) &&
        !AddDrawnShape(doc, SHAPE_ARC, centre,
                       Float3{static_cast<float>(arcRadius), static_cast<float>(angles.start),
                              static_cast<float>(angles.end)},
                       {})) {
        arcStartGiven = 1;
        stepPending = 1;
        rubberBand = 1;
        return;
    }
    EndDrawCommand(doc);
    basePointSet = 0;
}

double NormalizeTextAngle(double angle) {
    if (angle < 0) {
        angle += 360.0;
    }
    if (angle >= 360.0) {
        angle -= 360.0;
    }
    return angle;
}

void RememberText(const std::string& text) {
    for (const std::string& entry : textHistory) {
        if (entry == text) {
            return;
        }
    }
    for (int i = kTextHistorySize - 1; i > 0; --i) {
        textHistory[i] = std::move(textHistory[i - 1]);
    }
    textHistory[0] = text;
}

void TextClick(CZorader_ezDoc& doc, int x, int y) {
    if (!TakeFirstPoint(doc, x, y, false)) {
        return;
    }
    const Double3 point = firstPoint;
    if (!FitsFloat(point)) {
        RefuseBeyondRange();  // before any text is typed for it
        return;
    }
    TextDialog dialog(lastText, lastTextHeight, lastTextWidth, lastTextAngle, textHistory);
    if (CurrentPlatform().RunDialog(dialog) && !dialog.Text().empty()) {
        const std::string text = dialog.Text();
        const double angle = NormalizeTextAngle(dialog.Angle());
        lastText = text;
        lastTextHeight = dialog.Height();
        lastTextWidth = dialog.Width();
        lastTextAngle = angle;
        RememberText(text);
        AddDrawnShape(doc, SHAPE_TEXT, point,
                      Float3{static_cast<float>(lastTextHeight), static_cast<float>(lastTextWidth),
                             static_cast<float>(angle)},
                      text);
    }
    EndDrawCommand(doc);
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

void EditTextShape(CZorader_ezDoc& doc, const CShape& shape) {
    TextDialog dialog(shape.m_strText, shape.m_pt[1].x, shape.m_pt[1].y, shape.m_pt[1].z,
                      textHistory);
    if (!CurrentPlatform().RunDialog(dialog) || dialog.Text().empty()) {
        return;
    }
    CShape edited = shape;
    edited.m_strText = dialog.Text();
    edited.m_pt[1] = Float3{static_cast<float>(dialog.Height()), static_cast<float>(dialog.Width()),
                            static_cast<float>(NormalizeTextAngle(dialog.Angle()))};
    if (edited == shape) {
        return;
    }
    RememberText(edited.m_strText);
    const uint32_t slot = doc.m_shapes.SlotOf(&shape);
    if (slot == ShapeList::kNoPosition) {
        return;
    }
    const size_t position = doc.m_shapes.PositionOfSlot(slot);
    {
        // Taken out and put back in its place: the history records both as one step.
        UndoStep step(doc.History(), StepKind::Text);
        doc.RemoveShape(doc.m_shapes.begin() + static_cast<std::ptrdiff_t>(position));
        doc.InsertShape(position, edited);
    }
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

}  // namespace marquetta
