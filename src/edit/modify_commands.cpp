#include "edit/modify_commands.h"

#include <cmath>
#include <vector>

#include "edit/command_state.h"
#include "edit/corner_commands.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/picking.h"
#include "edit/view.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "platform/platform.h"

namespace marquetta {
namespace {

// Whether a shape is of a kind the program draws: a file may hold others, which no
// command changes.
bool KnownKind(const CShape& shape) {
    switch (shape.m_nType) {
        case SHAPE_LINE:
        case SHAPE_CIRCLE:
        case SHAPE_ARC:
        case SHAPE_FACE:
        case SHAPE_TEXT:
            return true;
        default:
            return false;
    }
}

// What move and copy carry: selected lines, circles, arcs and texts of visible layers;
// never faces, nor shapes of kinds the program does not know. Shapes just pasted are
// placed whole: every one of them, whatever its layer, faces too.
bool Carried(const CShape& shape) {
    if (!shape.IsSelected() || !KnownKind(shape)) {
        return false;
    }
    if (pastePlacing == 1) {
        return true;
    }
    return shape.m_nType != SHAPE_FACE && IsLayerVisible(shape.m_strLayer);
}

// The point a shape's coordinate c becomes when moved from `base` to `to`, as the
// document moves points.
float Moved(float c, float to, float base) {
    return (c + to) - base;
}

// Whether moving every carried shape from `base` to `to` keeps each of its finite
// coordinates finite (a point that was not finite before stays as it was).
bool MoveFits(const CZorader_ezDoc& doc, const Float3& base, const Float3& to) {
    for (const auto& shape : doc.m_shapes) {
        if (!Carried(*shape)) {
            continue;
        }
        const int points = shape->m_nType == SHAPE_LINE || shape->m_nType == SHAPE_FACE ? 4 : 1;
        for (int i = 0; i < points; ++i) {
            const Float3& p = shape->m_pt[i];
            const float before[3] = {p.x, p.y, p.z};
            const float after[3] = {Moved(p.x, to.x, base.x), Moved(p.y, to.y, base.y),
                                    Moved(p.z, to.z, base.z)};
            for (int c = 0; c < 3; ++c) {
                if (std::isfinite(before[c]) && !std::isfinite(after[c])) {
                    return false;
                }
            }
        }
    }
    return true;
}

// Faces, shapes of hidden layers and shapes left in place stay selected, and the
// commands that act on a selection see them.
void EndMoveOrCopy(const CZorader_ezDoc& doc) {
    editState = EDIT_IDLE;
    pastePlacing = 0;
    RecomputeSelectionExists(doc);
    basePointSet = 0;
    CurrentPlatform().SetPrompt(kPromptNone);
}

}  // namespace

void EraseSelection(CZorader_ezDoc& doc) {
    // The lines offset and stretch keep must not outlive their shapes.
    if (pickedLine != nullptr && pickedLine->IsSelected()) {
        pickedLine = nullptr;
    }
    if (boundaryLine != nullptr && boundaryLine->IsSelected()) {
        boundaryLine = nullptr;
    }
    UndoStep step(doc.History(), StepKind::Erase);
    doc.EraseSelected();
    selectionExists = 0;
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

void StartMove() {
    editState = selectionExists == 1 ? EDIT_MOVE : EDIT_MOVE_SELECT;
    CurrentPlatform().SetPrompt(editState == EDIT_MOVE ? kPromptMoveBase : kPromptMoveSelect);
}

void StartCopy() {
    editState = selectionExists == 1 ? EDIT_COPY : EDIT_COPY_SELECT;
    CurrentPlatform().SetPrompt(editState == EDIT_COPY ? kPromptCopyStart : kPromptCopySelect);
}

void BasePointClick(const CZorader_ezDoc& doc, int x, int y) {
    if (!TakeFirstPoint(doc, x, y, true)) {
        return;
    }
    CurrentPlatform().SetPrompt(editState == EDIT_MOVE ? kPromptMoveDestination
                                                       : kPromptCopyDestination);
    basePointSet = 1;
}

void DestinationClick(CZorader_ezDoc& doc, int x, int y) {
    if (!TakeSecondPoint(doc, x, y)) {
        return;
    }
    const bool done = editState == EDIT_MOVE ? MoveSelectionTo(doc, cursorPoint)
                                             : CopySelectionTo(doc, cursorPoint);
    if (!done) {
        stepPending = 1;  // another destination may do
        rubberBand = 1;
    }
}

void StartPastePlacement(const Float3& base) {
    editState = EDIT_MOVE;
    pastePlacing = 1;
    firstPoint = {base.x, base.y, base.z};
    cursorPoint = firstPoint;
    stepPending = 1;
    rubberBand = 1;
    basePointSet = 1;
    CurrentPlatform().SetPrompt(kPromptPasteDestination);
}

void EndPastePlacement(const CZorader_ezDoc& doc) {
    EndMoveOrCopy(doc);
    stepPending = 0;
    rubberBand = 0;
    CurrentPlatform().InvalidateView();
}

void EndAnyPastePlacement(const CZorader_ezDoc& doc) {
    if (pastePlacing == 1) {
        EndPastePlacement(doc);
    }
}

bool MoveSelectionTo(CZorader_ezDoc& doc, const Double3& destination) {
    const Float3 base = Narrow(firstPoint);
    const Float3 to = Narrow(destination);
    if (!MoveFits(doc, base, to)) {
        RefuseBeyondRange();
        return false;
    }
    // Placing shapes just pasted finishes the paste's own step.
    UndoStep step(doc.History(), StepKind::Move, pastePlacing == 1);
    for (const auto& shape : doc.m_shapes) {
        if (Carried(*shape)) {
            doc.TranslateShape(*shape, base, to);
            doc.SetSelected(*shape, false);
        }
    }
    EndMoveOrCopy(doc);
    return true;
}

bool CopySelectionTo(CZorader_ezDoc& doc, const Double3& destination) {
    const Float3 base = Narrow(firstPoint);
    const Float3 to = Narrow(destination);
    if (!MoveFits(doc, base, to)) {
        RefuseBeyondRange();
        return false;
    }
    UndoStep step(doc.History(), StepKind::Copy);
    // The copies go behind the last shape there was: none is copied again. The sources
    // are deselected after all copies are made (one run of records each in the step).
    std::vector<CShape*> sources;
    for (const auto& shape : doc.m_shapes) {
        if (Carried(*shape)) {
            sources.push_back(shape.get());
        }
    }
    for (const CShape* source : sources) {
        doc.AddTranslatedCopy(*source, base, to);
    }
    if (continuousCopy != 1) {
        for (CShape* source : sources) {
            doc.SetSelected(*source, false);
        }
    }
    if (continuousCopy == 1) {
        stepPending = 1;
        rubberBand = 1;
    } else {
        EndMoveOrCopy(doc);
    }
    return true;
}

void CZorader_ezView::RegisterModifyCommands() {
    m_commands.On(ID_ERASE, [this] { OnErase(); });
    m_commands.On(ID_MOVE, [this] { OnMove(); });
    m_commands.On(ID_COPY, [this] { OnCopy(); });
    m_commands.On(ID_OFFSET, [this] { OnOffset(); });
    m_commands.On(ID_STRETCH, [this] { OnStretch(); });
    m_commands.On(ID_FILLET, [this] { StartFillet(m_doc); });
    m_commands.On(ID_CHAMFER, [this] { StartChamfer(m_doc); });
    m_commands.On(ID_TRIM, [this] { StartTrim(m_doc); });
}

void CZorader_ezView::OnErase() {
    EraseSelection(m_doc);
}
void CZorader_ezView::OnMove() {
    // Shapes being pasted stay where they are, selected: the move takes them.
    EndAnyPastePlacement(m_doc);
    m_doc.History().CommandStarted();
    StartMove();
}
void CZorader_ezView::OnCopy() {
    EndAnyPastePlacement(m_doc);
    m_doc.History().CommandStarted();
    StartCopy();
}

}  // namespace marquetta
