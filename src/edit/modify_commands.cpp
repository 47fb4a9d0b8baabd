#include "edit/modify_commands.h"

#include <vector>

#include "edit/command_state.h"
#include "edit/draw_commands.h"
#include "edit/editing_state.h"
#include "edit/picking.h"
#include "edit/view.h"
#include "model/layers.h"
#include "platform/command_ids.h"
#include "platform/platform.h"

namespace marquetta {
namespace {

// What move and copy carry: selected shapes of visible layers, but never faces. Shapes
// just pasted are placed whole: every one of them, whatever its kind and layer.
bool Carried(const CShape& shape) {
    if (pastePlacing == 1) {
        return shape.IsSelected();
    }
    return shape.IsSelected() && shape.m_nType != SHAPE_FACE && IsLayerVisible(shape.m_strLayer);
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
    if (editState == EDIT_MOVE) {
        MoveSelectionTo(doc, cursorPoint);
    } else {
        CopySelectionTo(doc, cursorPoint);
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

void MoveSelectionTo(CZorader_ezDoc& doc, const Double3& destination) {
    // Placing shapes just pasted finishes the paste's own step.
    UndoStep step(doc.History(), StepKind::Move, pastePlacing == 1);
    const Float3 base = Narrow(firstPoint);
    const Float3 to = Narrow(destination);
    for (const auto& shape : doc.m_shapes) {
        if (Carried(*shape)) {
            doc.TranslateShape(*shape, base, to);
            doc.SetSelected(*shape, false);
        }
    }
    EndMoveOrCopy(doc);
}

void CopySelectionTo(CZorader_ezDoc& doc, const Double3& destination) {
    UndoStep step(doc.History(), StepKind::Copy);
    const Float3 base = Narrow(firstPoint);
    const Float3 to = Narrow(destination);
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
}

void CZorader_ezView::RegisterModifyCommands() {
    m_commands.On(ID_ERASE, [this] { OnErase(); });
    m_commands.On(ID_EDIT_CUT, [this] { OnErase(); });
    m_commands.On(ID_MOVE, [this] { OnMove(); });
    m_commands.On(ID_COPY, [this] { OnCopy(); });
    m_commands.On(ID_OFFSET, [this] { OnOffset(); });
    m_commands.On(ID_STRETCH, [this] { OnStretch(); });
}

void CZorader_ezView::OnErase() {
    EraseSelection(m_doc);
}
void CZorader_ezView::OnMove() {
    m_doc.History().CommandStarted();
    StartMove();
}
void CZorader_ezView::OnCopy() {
    m_doc.History().CommandStarted();
    StartCopy();
}

}  // namespace marquetta
