#include "edit/command_state.h"

#include "edit/corner_commands.h"
#include "edit/dimension_commands.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/modify_commands.h"
#include "edit/offset_stretch.h"
#include "edit/picking.h"
#include "edit/transform_commands.h"
#include "edit/view.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "platform/keys.h"
#include "platform/platform.h"

namespace marquetta {

void CancelCommand(CZorader_ezDoc& doc) {
    // Shapes being pasted go again, as if never pasted. Where the cancel is part of
    // another step (an import, another paste) they stay where they are.
    const bool pasting = pastePlacing == 1;
    EndRunningCommand(doc);
    if (pasting) {
        doc.History().Withdraw(StepKind::Paste);
    }
    doc.DeselectAll();
    selectionExists = 0;
}

void EndRunningCommand(CZorader_ezDoc& doc) {
    doc.m_current.m_nType = SHAPE_NONE;
    continuousCopy = 0;
    pastePlacing = 0;
    InitDimensionCommandDefaults();
    arcStartGiven = 0;
    ReturnToIdle();
}

void ReturnToIdle() {
    editState = EDIT_IDLE;
    stepPending = 0;
    rubberBand = 0;
    basePointSet = 0;
    CurrentPlatform().SetPrompt(kPromptNone);
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

void CZorader_ezView::RegisterEditingCommands() {
    m_commands.On(ID_LINE, [this] { OnDrawLine(); });
    m_commands.On(ID_CIRCLE, [this] { OnDrawCircle(); });
    m_commands.On(ID_ARC, [this] { OnDrawArc(); });
    m_commands.On(ID_TEXT, [this] { OnDrawText(); });
    m_commands.On(ID_RECTANGLE, [this] { StartRectangle(m_doc); });
    m_commands.On(ID_CANCEL, [this] { OnCancel(); });
}

// A draw command only names the shape and shows its prompt: a pending first point
// stays, and the next click finishes the new command's second step from it. An arc
// start given before does not: its radius and angle belong to the arc abandoned, and
// an arc begun now about the pending point takes its start from the next click.
// A selection, seen or not (on a hidden layer), is let go of first: drawing does not
// work on it. Shapes being pasted stay where they are.
void CZorader_ezView::StartDrawCommand(int type, const char* prompt) {
    EndAnyPastePlacement(m_doc);
    // A fillet, trim or rectangle under way ends: its picks belong to no drawing.
    if (IsCornerState(editState)) {
        EndCornerCommand(m_doc);
    }
    m_doc.History().CommandStarted();
    if (selectionExists == 1) {
        m_doc.DeselectAll();
        selectionExists = 0;
        g_displayListValid = 0;
        CurrentPlatform().InvalidateView();
    }
    if (editState == EDIT_DIMENSION || editState == EDIT_MEASURE) {
        // A draw command ends dimensioning or measuring, and its pending point.
        EndDimensionOrMeasure();
    }
    m_doc.m_current.m_nType = type;
    arcStartGiven = 0;
    CurrentPlatform().SetPrompt(prompt);
}

void CZorader_ezView::OnDrawLine() {
    StartDrawCommand(SHAPE_LINE, kPromptLineStart);
}
void CZorader_ezView::OnDrawCircle() {
    StartDrawCommand(SHAPE_CIRCLE, kPromptCircleCentre);
}
void CZorader_ezView::OnDrawArc() {
    StartDrawCommand(SHAPE_ARC, kPromptArcCentre);
}
void CZorader_ezView::OnDrawText() {
    StartDrawCommand(SHAPE_TEXT, kPromptTextPoint);
}
void CZorader_ezView::OnCancel() {
    CancelCommand(m_doc);
}

void CZorader_ezView::OnLButtonDown(int x, int y, int modifiers) {
    if (NavigationLeftDown(x, y)) {
        return;
    }
    // While a Ctrl+right zoom borrows stepPending it is 2 and no click edits.
    if (stepPending == 0) {
        FirstStep(x, y, modifiers);
        const bool selecting = editState == EDIT_IDLE || editState == EDIT_MOVE_SELECT ||
                               editState == EDIT_COPY_SELECT ||
                               editState == EDIT_TRANSFORM_SELECT;
        // A window opened by this press may also close at its release (a drag).
        m_nav.windowPressed = m_doc.m_current.m_nType == SHAPE_NONE && selecting &&
                              stepPending == 1;
        m_nav.windowPressX = x;
        m_nav.windowPressY = y;
    } else if (stepPending == 1) {
        SecondStep(x, y, modifiers);
    }
}

void CZorader_ezView::OnLButtonDblClk(int x, int y) {
    const bool idle = m_nav.Guard() && stepPending == 0 && editState == EDIT_IDLE &&
                      m_doc.m_current.m_nType == SHAPE_NONE && pastePlacing == 0;
    OnLButtonDown(x, y);
    if (!idle || stepPending != 0) {
        return;
    }
    const CShape* hit = ShapeAtPixel(m_doc, x, y, false);
    if (hit != nullptr && hit->m_nType == SHAPE_TEXT) {
        EditTextShape(m_doc, *hit);
    }
}

void CZorader_ezView::FirstStep(int x, int y, int modifiers) {
    // The draw command comes first; the modify state counts only without one.
    switch (m_doc.m_current.m_nType) {
        case SHAPE_NONE:
            switch (editState) {
                case EDIT_MOVE:
                case EDIT_COPY:
                    BasePointClick(m_doc, x, y);
                    return;
                case EDIT_OFFSET:
                    OffsetReferenceClick(m_doc, x, y);
                    return;
                case EDIT_STRETCH:
                    StretchBoundaryClick(m_doc, x, y);
                    return;
                case EDIT_TRANSFORM:
                    TransformClick(m_doc, x, y);
                    return;
                case EDIT_FILLET:
                case EDIT_CHAMFER:
                    CornerFirstClick(m_doc, x, y);
                    return;
                case EDIT_TRIM:
                    TrimEdgeClick(m_doc, x, y);
                    return;
                case EDIT_RECTANGLE:
                    RectangleFirstClick(m_doc, x, y);
                    return;
                case EDIT_DIMENSION:
                    DimensionClick(m_doc, x, y);
                    return;
                case EDIT_MEASURE:
                    MeasureClick(m_doc, x, y, (modifiers & MOD_SHIFT) != 0);
                    return;
                default:
                    if (!pickToggle(m_doc, x, y)) {
                        // Nothing under the cursor: a selection window opens here.
                        computeCursorPoint(x, y, true);
                        stepPending = 1;
                        rubberBand = 1;
                    }
                    return;
            }
        case SHAPE_LINE:
            LineFirstClick(m_doc, x, y);
            return;
        case SHAPE_CIRCLE:
            CircleCentreClick(m_doc, x, y);
            return;
        case SHAPE_ARC:
            ArcCentreClick(m_doc, x, y);
            return;
        case SHAPE_TEXT:
            TextClick(m_doc, x, y);
            return;
        default:
            return;
    }
}

void CZorader_ezView::SecondStep(int x, int y, int modifiers) {
    stepPending = 0;
    rubberBand = 0;
    switch (m_doc.m_current.m_nType) {
        case SHAPE_NONE:
            switch (editState) {
                case EDIT_MOVE:
                case EDIT_COPY:
                    DestinationClick(m_doc, x, y);
                    break;
                case EDIT_OFFSET:
                    OffsetSideClick(m_doc, x, y);
                    break;
                case EDIT_STRETCH:
                    StretchTargetClick(m_doc, x, y);
                    break;
                case EDIT_TRANSFORM:
                    TransformClick(m_doc, x, y);
                    break;
                case EDIT_FILLET:
                case EDIT_CHAMFER:
                    CornerSecondClick(m_doc, x, y);
                    break;
                case EDIT_TRIM:
                    TrimTargetClick(m_doc, x, y);
                    break;
                case EDIT_RECTANGLE:
                    RectangleSecondClick(m_doc, x, y);
                    break;
                case EDIT_DIMENSION:
                    DimensionClick(m_doc, x, y);
                    break;
                case EDIT_MEASURE:
                    // Measuring changes nothing in the drawing: no modified flag.
                    MeasureClick(m_doc, x, y, (modifiers & MOD_SHIFT) != 0);
                    CurrentPlatform().InvalidateView();
                    return;
                default:
                    selectInWindow(m_doc, firstScreenPoint, Double2{double(x), double(y)});
                    break;
            }
            break;
        case SHAPE_LINE:
            LineNextClick(m_doc, x, y);
            break;
        case SHAPE_CIRCLE:
            CircleRadiusClick(m_doc, x, y);
            break;
        case SHAPE_ARC:
            ArcPointClick(m_doc, x, y);
            break;
        case SHAPE_TEXT:
            // The text command was chosen while another step was pending. A text has
            // no second step: this click places it, and the text step ends itself.
            TextClick(m_doc, x, y);
            return;
        default:
            break;
    }
    FinishSecondStep();
}

// Every second step ends so, also one whose click was refused.
void CZorader_ezView::FinishSecondStep() {
    m_doc.SetModifiedFlag();
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

bool CZorader_ezView::EditingRightDown() {
    if (pastePlacing == 1) {
        return false;  // the release leaves the pasted shapes where they are
    }
    if (editState == EDIT_MOVE_SELECT || editState == EDIT_COPY || editState == EDIT_COPY_SELECT ||
        editState == EDIT_TRANSFORM_SELECT || editState == EDIT_TRANSFORM) {
        return false;  // the release decides
    }
    if (editState == EDIT_DIMENSION || editState == EDIT_MEASURE) {
        return false;  // the release ends the command
    }
    if ((editState == EDIT_OFFSET && stepPending == 0) ||
        (editState == EDIT_STRETCH && stepPending == 1)) {
        return false;
    }
    if (IsCornerState(editState) && m_doc.m_current.m_nType == SHAPE_NONE) {
        return false;  // the release ends the command
    }
    if (m_doc.m_current.m_nType == SHAPE_LINE) {
        // The chain ends; the line command itself ends at the release.
        stepPending = 0;
        rubberBand = 0;
        basePointSet = 0;
        CurrentPlatform().InvalidateView();
        return false;
    }
    return true;
}

void CZorader_ezView::EditingRightUp() {
    Platform& platform = CurrentPlatform();
    if (pastePlacing == 1) {
        EndPastePlacement(m_doc);
    } else if (editState == EDIT_MOVE_SELECT) {
        editState = EDIT_MOVE;
        platform.SetPrompt(kPromptMoveBase);
    } else if (editState == EDIT_COPY_SELECT) {
        editState = EDIT_COPY;
        platform.SetPrompt(kPromptCopyBase);
    } else if (editState == EDIT_COPY) {
        CancelCommand(m_doc);  // how a continuous copy ends
    } else if (editState == EDIT_TRANSFORM_SELECT) {
        TransformSelectionCollected(m_doc);
    } else if (editState == EDIT_TRANSFORM) {
        EndTransform(m_doc);
    } else if (editState == EDIT_DIMENSION || editState == EDIT_MEASURE) {
        EndDimensionOrMeasure();
    } else if (editState == EDIT_OFFSET && stepPending == 0) {
        editState = EDIT_IDLE;
        platform.SetPrompt(kPromptNone);
    } else if (editState == EDIT_STRETCH && stepPending == 1) {
        editState = EDIT_IDLE;
        stepPending = 0;
        if (boundaryLine != nullptr) {
            m_doc.SetSelected(*boundaryLine, false);
        }
        RecomputeSelectionExists(m_doc);
        platform.SetPrompt(kPromptNone);
        g_displayListValid = 0;
        platform.InvalidateView();
    } else if (IsCornerState(editState) && m_doc.m_current.m_nType == SHAPE_NONE) {
        EndCornerCommand(m_doc);
    } else if (m_doc.m_current.m_nType == SHAPE_LINE) {
        m_doc.m_current.m_nType = SHAPE_NONE;
        platform.SetPrompt(kPromptNone);
    }
}

}  // namespace marquetta
