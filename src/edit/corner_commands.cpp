#include "edit/corner_commands.h"

#include <cmath>
#include <vector>

#include "edit/command_state.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "edit/picking.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "ui/corner_dialogs.h"

namespace marquetta {
namespace {

// The radius, or the chamfer's two distances, of the command running.
std::array<double, 2> cornerValues{};

void Refuse(const char* prompt) {
    Platform& platform = CurrentPlatform();
    platform.Beep(BeepKind::Exclamation);
    platform.SetPrompt(prompt);
}

PlanPoint Plan(const Float3& p) {
    return {p.x, p.z};
}
PlanPoint Plan(const Double3& p) {
    return {p.x, p.z};
}

std::array<PlanPoint, 2> PlanLine(const CShape& line) {
    return {Plan(line.m_pt[0]), Plan(line.m_pt[1])};
}

// The height of a line at a plan point on it.
double HeightOnLine(const CShape& line, const PlanPoint& p) {
    const Float3& a = line.m_pt[0];
    const Float3& b = line.m_pt[1];
    const double dx = static_cast<double>(b.x) - a.x;
    const double dz = static_cast<double>(b.z) - a.z;
    const double length2 = dx * dx + dz * dz;
    const double t = length2 > 0.0 ? ((p.x - a.x) * dx + (p.z - a.z) * dz) / length2 : 0.0;
    return a.y + (static_cast<double>(b.y) - a.y) * t;
}

bool Fits(const Float3& p) {
    return FitsFloat(p);
}

// The points of `line` with its moving end at `to`, keeping the end's height.
std::array<Float3, 4> MovedEnd(const CShape& line, int moving, const PlanPoint& to) {
    std::array<Float3, 4> points;
    for (size_t i = 0; i < 4; ++i) {
        points[i] = line.m_pt[i];
    }
    points[static_cast<size_t>(moving)].x = Narrow(to.x);
    points[static_cast<size_t>(moving)].z = Narrow(to.z);
    return points;
}

// A new shape of the corner: on the first line's layer, in its colour, not selected.
CShape CornerShape(const CShape& first, int type) {
    CShape shape;
    shape.m_nType = type;
    shape.m_strLayer = first.m_strLayer;
    for (int i = 0; i < 3; ++i) {
        shape.m_attr[i] = first.m_attr[i];
    }
    return shape;
}

// Puts both lines' ends where the cut says and adds what joins them.
bool JoinCorner(CZorader_ezDoc& doc, CShape& first, const Double3& click1, CShape& second,
                const Double3& click2, bool fillet, double value1, double value2) {
    if (&first == &second) {
        Refuse(kPromptCornerSameLine);
        return false;
    }
    const std::optional<CornerFrame> frame =
        CornerOf(PlanLine(first), Plan(click1), PlanLine(second), Plan(click2));
    if (!frame) {
        Refuse(kPromptCornerParallel);
        return false;
    }
    const CornerCut cut = fillet ? FilletCut(*frame, value1) : ChamferCut(*frame, value1, value2);
    if (cut.tooLarge) {
        Refuse(fillet ? kPromptFilletTooLarge : kPromptChamferTooLarge);
        return false;
    }
    const std::array<Float3, 4> points1 = MovedEnd(first, frame->moving[0], cut.ends[0]);
    const std::array<Float3, 4> points2 = MovedEnd(second, frame->moving[1], cut.ends[1]);
    const Float3& end1 = points1[static_cast<size_t>(frame->moving[0])];
    const Float3& end2 = points2[static_cast<size_t>(frame->moving[1])];
    CShape joint;
    if (fillet) {
        joint = CornerShape(first, SHAPE_ARC);
        joint.m_pt[0] = {Narrow(cut.centre.x), end1.y, Narrow(cut.centre.z)};
        joint.m_pt[1] = {Narrow(value1), Narrow(cut.startAngle), Narrow(cut.endAngle)};
    } else {
        joint = CornerShape(first, SHAPE_LINE);
        joint.m_pt[0] = end1;
        joint.m_pt[1] = end2;
    }
    if (!Fits(end1) || !Fits(end2) || !Fits(joint.m_pt[0]) || !Fits(joint.m_pt[1])) {
        RefuseBeyondRange();
        return false;
    }
    UndoStep step(doc.History(), fillet ? StepKind::Fillet : StepKind::Chamfer);
    doc.SetShapePoints(first, points1);
    doc.SetShapePoints(second, points2);
    if (cut.joined) {
        EnsureLayer(joint.m_strLayer);
        doc.InsertShape(doc.m_shapes.size(), joint);
    }
    return true;
}

// The stored shape of a trimmed piece of `target`.
CShape PieceShape(const CShape& target, const CutCurve& piece) {
    CShape shape = target;
    shape.m_bSelected = 0;
    if (piece.kind == CutCurve::Kind::Segment) {
        shape.m_pt[0] = {Narrow(piece.a.x), Narrow(HeightOnLine(target, piece.a)), Narrow(piece.a.z)};
        shape.m_pt[1] = {Narrow(piece.b.x), Narrow(HeightOnLine(target, piece.b)), Narrow(piece.b.z)};
    } else {
        shape.m_nType = SHAPE_ARC;
        shape.m_pt[1] = {target.m_pt[1].x, Narrow(piece.start), Narrow(piece.end)};
    }
    return shape;
}

void EndStepPrompt() {
    CurrentPlatform().SetPrompt(editState == EDIT_FILLET ? kPromptFilletFirst : kPromptChamferFirst);
}

void BeginCornerCommand(CZorader_ezDoc& doc, int state, const char* prompt) {
    EndAnyPastePlacement(doc);
    EndRunningCommand(doc);
    doc.History().CommandStarted();
    // As drawing, these work on shapes picked one by one, not on a selection.
    if (doc.AnySelected()) {
        doc.DeselectAll();
    }
    selectionExists = 0;
    pickedLine = nullptr;
    boundaryLine = nullptr;
    editState = state;
    CurrentPlatform().SetPrompt(prompt);
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

}  // namespace

bool IsCornerState(int state) {
    return state == EDIT_FILLET || state == EDIT_CHAMFER || state == EDIT_TRIM ||
           state == EDIT_RECTANGLE;
}

std::optional<CutCurve> CutCurveOf(const CShape& shape) {
    CutCurve curve;
    switch (shape.m_nType) {
        case SHAPE_LINE:
            curve.kind = CutCurve::Kind::Segment;
            curve.a = Plan(shape.m_pt[0]);
            curve.b = Plan(shape.m_pt[1]);
            return curve;
        case SHAPE_CIRCLE:
        case SHAPE_ARC: {
            curve.kind = shape.m_nType == SHAPE_ARC ? CutCurve::Kind::Arc : CutCurve::Kind::Circle;
            curve.centre = Plan(shape.m_pt[0]);
            curve.radius = shape.m_pt[1].x;
            if (!(curve.radius > 0.0) || !std::isfinite(curve.radius)) {
                return std::nullopt;
            }
            if (curve.kind == CutCurve::Kind::Arc) {
                // Stored angles may lie anywhere (files); the arc runs from start to end.
                curve.start = SweepFrom(0.0, shape.m_pt[1].y);
                const double sweep = SweepFrom(shape.m_pt[1].y, shape.m_pt[1].z);
                if (!(sweep > 0.0)) {
                    return std::nullopt;
                }
                curve.end = curve.start + sweep;
            }
            return curve;
        }
        default:
            return std::nullopt;
    }
}

void StartFillet(CZorader_ezDoc& doc) {
    const std::optional<double> radius = AskFilletRadius();
    if (!radius) {
        return;
    }
    cornerValues = {*radius, *radius};
    BeginCornerCommand(doc, EDIT_FILLET, kPromptFilletFirst);
}

void StartChamfer(CZorader_ezDoc& doc) {
    const std::optional<std::array<double, 2>> distances = AskChamferDistances();
    if (!distances) {
        return;
    }
    cornerValues = *distances;
    BeginCornerCommand(doc, EDIT_CHAMFER, kPromptChamferFirst);
}

void StartTrim(CZorader_ezDoc& doc) {
    BeginCornerCommand(doc, EDIT_TRIM, kPromptTrimEdge);
}

void StartRectangle(CZorader_ezDoc& doc) {
    BeginCornerCommand(doc, EDIT_RECTANGLE, kPromptRectangleFirst);
}

void CornerFirstClick(CZorader_ezDoc& doc, int x, int y) {
    if (!pickLine(doc, x, y)) {
        return;
    }
    computeCursorPoint(x, y, true);  // the click says which side of the corner stays
    stepPending = 1;
    CurrentPlatform().SetPrompt(editState == EDIT_FILLET ? kPromptFilletSecond : kPromptChamferSecond);
}

void CornerSecondClick(CZorader_ezDoc& doc, int x, int y) {
    if (pickedLine == nullptr) {
        // The first line was taken away (undo), or none was picked: pick it now.
        CornerFirstClick(doc, x, y);
        return;
    }
    CShape* second = ShapeAtPixel(doc, x, y, true);
    if (second == nullptr) {
        stepPending = 1;
        return;
    }
    if (second == pickedLine) {
        Refuse(kPromptCornerSameLine);
        stepPending = 1;
        return;
    }
    computeCursorPoint(x, y, false);
    CShape& first = *pickedLine;
    bool done = false;
    {
        UndoStep step(doc.History(), editState == EDIT_FILLET ? StepKind::Fillet : StepKind::Chamfer);
        done = editState == EDIT_FILLET
                   ? FilletLines(doc, first, firstPoint, *second, cursorPoint, cornerValues[0])
                   : ChamferLines(doc, first, firstPoint, *second, cursorPoint, cornerValues[0],
                                  cornerValues[1]);
        doc.SetSelected(first, false);
    }
    pickedLine = nullptr;
    RecomputeSelectionExists(doc);
    if (done) {
        EndStepPrompt();
    }
}

void TrimEdgeClick(CZorader_ezDoc& doc, int x, int y) {
    CShape* edge = ShapeAtPixel(doc, x, y, false);
    if (edge == nullptr) {
        return;
    }
    if (!CutCurveOf(*edge)) {
        Refuse(kPromptTrimNotCurve);
        return;
    }
    doc.SetSelected(*edge, true);  // shown highlighted while the command runs
    selectionExists = 1;
    boundaryLine = edge;
    stepPending = 1;
    CurrentPlatform().SetPrompt(kPromptTrimTarget);
}

void TrimTargetClick(CZorader_ezDoc& doc, int x, int y) {
    if (boundaryLine == nullptr) {
        TrimEdgeClick(doc, x, y);
        return;
    }
    stepPending = 1;
    CShape* target = ShapeAtPixel(doc, x, y, false);
    if (target == nullptr) {
        return;
    }
    if (target == boundaryLine) {
        CurrentPlatform().Beep(BeepKind::Exclamation);
        return;
    }
    computeCursorPoint(x, y, false);
    if (TrimShape(doc, *target, *boundaryLine, cursorPoint)) {
        CurrentPlatform().SetPrompt(kPromptTrimTarget);
    }
}

void RectangleFirstClick(const CZorader_ezDoc& doc, int x, int y) {
    if (!TakeFirstPoint(doc, x, y, true)) {
        return;
    }
    basePointSet = 1;
    CurrentPlatform().SetPrompt(kPromptRectangleSecond);
}

void RectangleSecondClick(CZorader_ezDoc& doc, int x, int y) {
    if (!TakeSecondPoint(doc, x, y)) {
        return;
    }
    if (!MakeRectangle(doc, firstPoint, cursorPoint)) {
        stepPending = 1;  // another corner may do
        rubberBand = 1;
    }
}

void EndCornerCommand(CZorader_ezDoc& doc) {
    if ((editState == EDIT_FILLET || editState == EDIT_CHAMFER) && stepPending == 1 &&
        pickedLine != nullptr) {
        doc.SetSelected(*pickedLine, false);
    }
    if (editState == EDIT_TRIM && boundaryLine != nullptr) {
        doc.SetSelected(*boundaryLine, false);
    }
    pickedLine = nullptr;
    boundaryLine = nullptr;
    RecomputeSelectionExists(doc);
    ReturnToIdle();
}

bool FilletLines(CZorader_ezDoc& doc, CShape& first, const Double3& click1, CShape& second,
                 const Double3& click2, double radius) {
    return JoinCorner(doc, first, click1, second, click2, true, radius, radius);
}

bool ChamferLines(CZorader_ezDoc& doc, CShape& first, const Double3& click1, CShape& second,
                  const Double3& click2, double distance1, double distance2) {
    return JoinCorner(doc, first, click1, second, click2, false, distance1, distance2);
}

bool TrimShape(CZorader_ezDoc& doc, CShape& target, const CShape& edge, const Double3& click) {
    const std::optional<CutCurve> cut = CutCurveOf(target);
    const std::optional<CutCurve> cutter = CutCurveOf(edge);
    if (!cut || !cutter) {
        Refuse(kPromptTrimNotCurve);
        return false;
    }
    const std::optional<std::vector<CutCurve>> pieces = TrimPieces(*cut, *cutter, Plan(click));
    if (!pieces) {
        Refuse(kPromptTrimNoCrossing);
        return false;
    }
    std::vector<CShape> shapes;
    for (const CutCurve& piece : *pieces) {
        shapes.push_back(PieceShape(target, piece));
        if (!Fits(shapes.back().m_pt[0]) || !Fits(shapes.back().m_pt[1])) {
            RefuseBeyondRange();
            return false;
        }
    }
    const uint32_t slot = doc.m_shapes.SlotOf(&target);
    if (slot == ShapeList::kNoPosition) {
        return false;
    }
    const size_t position = doc.m_shapes.PositionOfSlot(slot);
    UndoStep step(doc.History(), StepKind::Trim);
    if (!shapes.empty() && shapes.front().m_nType == target.m_nType) {
        std::array<Float3, 4> points;
        for (size_t i = 0; i < 4; ++i) {
            points[i] = shapes.front().m_pt[i];
        }
        doc.SetShapePoints(target, points);
    } else {
        // A circle becomes an arc, or nothing is left: the shape goes, its piece takes
        // its place in the list.
        doc.SetSelected(target, false);
        doc.RemoveShape(&target);
        if (!shapes.empty()) {
            doc.InsertShape(position, shapes.front());
        }
    }
    if (shapes.size() == 2) {
        doc.InsertShape(position + 1, shapes.back());
    }
    return true;
}

std::array<Double3, 4> RectangleCorners(const Double3& a, const Double3& b) {
    return {a, Double3{b.x, a.y, a.z}, Double3{b.x, a.y, b.z}, Double3{a.x, a.y, b.z}};
}

bool MakeRectangle(CZorader_ezDoc& doc, const Double3& a, const Double3& b) {
    if (!(std::fabs(b.x - a.x) > kSmallestLength && std::fabs(b.z - a.z) > kSmallestLength)) {
        Refuse(kPromptRectangleFlat);
        return false;
    }
    const std::array<Double3, 4> corners = RectangleCorners(a, b);
    for (const Double3& corner : corners) {
        if (!FitsFloat(corner)) {
            RefuseBeyondRange();
            return false;
        }
    }
    {
        UndoStep step(doc.History(), StepKind::Rectangle);
        for (size_t i = 0; i < 4; ++i) {
            AddDrawnShape(doc, SHAPE_LINE, corners[i], Narrow(corners[(i + 1) % 4]), {});
        }
    }
    doc.m_current.m_nType = SHAPE_NONE;
    ReturnToIdle();
    return true;
}

}  // namespace marquetta
