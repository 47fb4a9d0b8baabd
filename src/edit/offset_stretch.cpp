#include "edit/offset_stretch.h"

#include <cmath>
#include <cstdio>

#include "edit/command_state.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "edit/picking.h"
#include "edit/view.h"
#include "platform/platform.h"
#include "ui/value_dialogs.h"

namespace marquetta {

std::string OffsetSidePrompt(double width) {
    const char* format = "【複線】－方向の指示(W=%.0f)";
    const int length = std::snprintf(nullptr, 0, format, width);
    std::string prompt(static_cast<size_t>(length > 0 ? length : 0), '\0');
    std::snprintf(prompt.data(), prompt.size() + 1, format, width);
    return prompt;
}

void StartOffset() {
    Platform& platform = CurrentPlatform();
    if (selectionExists == 1) {
        platform.SetPrompt(kPromptOffsetSelection);
        return;
    }
    const std::optional<double> width = AskOffsetWidth();
    if (!width) {
        return;
    }
    if (!(std::fabs(*width) >= kSmallestOffsetWidth)) {
        platform.SetPrompt(kPromptOffsetWidthSmall);
        return;
    }
    if (!FitsFloat(*width)) {
        // No line lies that far off another in a drawing of single precision.
        platform.SetPrompt(kPromptOffsetWidthLarge);
        return;
    }
    offsetWidth = *width;
    editState = EDIT_OFFSET;
    // A line picked before belongs to no step of this command.
    pickedLine = nullptr;
    CurrentPlatform().SetPrompt(kPromptOffsetReference);
}

void StartStretch() {
    if (selectionExists == 1) {
        CurrentPlatform().SetPrompt(kPromptStretchSelection);
        return;
    }
    editState = EDIT_STRETCH;
    boundaryLine = nullptr;
    CurrentPlatform().SetPrompt(kPromptStretchBoundary);
}

void OffsetReferenceClick(CZorader_ezDoc& doc, int x, int y) {
    if (!pickLine(doc, x, y)) {
        return;
    }
    stepPending = 1;
    CurrentPlatform().SetPrompt(OffsetSidePrompt(offsetWidth));
}

void OffsetSideClick(CZorader_ezDoc& doc, int x, int y) {
    if (pickedLine == nullptr) {
        // The reference line was erased, or this step was never reached by picking one
        // (a selection window was open when the command came): pick one now.
        OffsetReferenceClick(doc, x, y);
        return;
    }
    computeCursorPoint(x, y, false);
    UndoStep step(doc.History(), StepKind::Offset);
    CShape& reference = *pickedLine;
    bool made = true;
    if (const auto points = OffsetLinePoints(reference, cursorPoint, offsetWidth)) {
        const Double3& b = (*points)[1];
        made = AddDrawnShape(doc, SHAPE_LINE, (*points)[0], Narrow(b), {});
        doc.m_current.m_nType = SHAPE_NONE;
    }
    doc.SetSelected(reference, false);
    RecomputeSelectionExists(doc);
    if (made) {
        CurrentPlatform().SetPrompt(kPromptOffsetReference);
    }
}

void StretchBoundaryClick(CZorader_ezDoc& doc, int x, int y) {
    if (!pickLine(doc, x, y)) {
        return;
    }
    boundaryLine = pickedLine;
    stepPending = 1;
    CurrentPlatform().SetPrompt(kPromptStretchTarget);
}

void StretchTargetClick(CZorader_ezDoc& doc, int x, int y) {
    if (boundaryLine == nullptr) {
        // The boundary was erased, or none was picked yet: this click picks it.
        StretchBoundaryClick(doc, x, y);
        return;
    }
    if (!pickLine(doc, x, y)) {
        stepPending = 1;
        return;
    }
    CShape& target = *pickedLine;
    computeCursorPoint(x, y, false);
    UndoStep step(doc.History(), StepKind::Stretch);
    bool beyondRange = false;
    if (const auto points = StretchedLinePoints(target, *boundaryLine, cursorPoint, &beyondRange)) {
        doc.SetShapePoints(target, *points);
    }
    doc.SetSelected(target, false);
    RecomputeSelectionExists(doc);
    stepPending = 1;
    if (beyondRange) {
        RefuseBeyondRange();
    }
}

std::optional<std::array<Double3, 2>> OffsetLinePoints(const CShape& line, const Double3& click,
                                                       double width) {
    const Float3& a = line.m_pt[0];
    const Float3& b = line.m_pt[1];
    const double dx = static_cast<double>(b.x) - a.x;
    const double dz = static_cast<double>(b.z) - a.z;
    const double length = std::sqrt(dx * dx + dz * dz);
    if (!(length > 0.0)) {
        return std::nullopt;  // an upright line or a point has no side in plan
    }
    const double side = (click.z - a.z) * (dx / length) - (click.x - a.x) * (dz / length);
    const double sigma = side <= 0.0 ? -1.0 : 1.0;
    const double nx = sigma * (dz / length) * width;
    const double nz = sigma * (dx / length) * width;
    return std::array<Double3, 2>{Double3{a.x - nx, a.y, a.z + nz},
                                  Double3{b.x - nx, b.y, b.z + nz}};
}

std::optional<std::array<Float3, 4>> StretchedLinePoints(const CShape& target,
                                                         const CShape& boundary,
                                                         const Double3& click,
                                                         bool* beyondRange) {
    const double ax = target.m_pt[0].x, az = target.m_pt[0].z;
    const double bx = target.m_pt[1].x, bz = target.m_pt[1].z;
    const double px = boundary.m_pt[0].x, pz = boundary.m_pt[0].z;
    const double qx = boundary.m_pt[1].x, qz = boundary.m_pt[1].z;

    const double f = (qz - pz) * (bx - ax) - (qx - px) * (bz - az);
    if (!(std::fabs(f) >= kParallelLimit)) {
        return std::nullopt;  // parallel (a target without length in plan is too)
    }
    const double c = ((bx - ax) * (az - pz) - (bz - az) * (ax - px)) / f;
    const double ix = px + (qx - px) * c;
    const double iz = pz + (qz - pz) * c;
    const double u = ((qx - px) * (az - pz) - (qz - pz) * (ax - px)) / f;

    const double dx = bx - ax, dz = bz - az;
    const double length = std::sqrt(dx * dx + dz * dz);
    const double along = (click.x - ax) * (dx / length) + (click.z - az) * (dz / length);
    // Trim: the clicked part remains. Extend: the end in the clicked half reaches out.
    const bool crosses = u >= 0.0 && u <= 1.0;
    const bool moveEnd = crosses ? along / length < u : along >= length * 0.5;
    const int moving = moveEnd ? 1 : 0;
    const Float3& staying = target.m_pt[1 - moving];
    if (!(std::hypot(ix - staying.x, iz - staying.z) > kShortestStretchedLine)) {
        return std::nullopt;
    }
    std::array<Float3, 4> points;
    for (int i = 0; i < 4; ++i) {
        points[i] = target.m_pt[i];
    }
    if (!FitsFloat(ix) || !FitsFloat(iz)) {
        if (beyondRange != nullptr) {
            *beyondRange = true;  // a crossing beyond what a drawing can hold
        }
        return std::nullopt;
    }
    points[moving].x = static_cast<float>(ix);
    points[moving].z = static_cast<float>(iz);
    return points;
}

void CZorader_ezView::OnOffset() {
    // Shapes being pasted stay where they are, selected: the offset then says so.
    EndAnyPastePlacement(m_doc);
    m_doc.History().CommandStarted();
    StartOffset();
}
void CZorader_ezView::OnStretch() {
    EndAnyPastePlacement(m_doc);
    m_doc.History().CommandStarted();
    StartStretch();
}

}  // namespace marquetta
