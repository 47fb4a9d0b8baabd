#include "edit/view.h"

#include <utility>

#include "edit/editing_state.h"
#include "edit/snap_settings.h"
#include "platform/command_ids.h"
#include "ui/layer_dialog.h"
#include "view/camera.h"
#include "view/wireframe_layout.h"

namespace marquetta {

CZorader_ezView::CZorader_ezView(CZorader_ezDoc& doc) : m_doc(doc) {
    // Undo and redo put the selection flag back, and forget lines they take away.
    m_doc.History().TrackSelectionFlag(&selectionExists);
    m_doc.History().TrackShapeReference(&pickedLine);
    m_doc.History().TrackShapeReference(&boundaryLine);
    RegisterViewModeCommands();
    RegisterEditingCommands();
    RegisterModifyCommands();
    RegisterNavigationCommands();
    RegisterRelativeEntryCommand();
    RegisterTransformCommands();
    RegisterDimensionCommands();
}

void CZorader_ezView::RegisterViewModeCommands() {
    m_commands.On(ID_WIREFRAME, ToggleWireframe,
                  [](CommandUi& ui) { ui.SetCheck(WireframeItemState().checked); });
    // The layer table is saved with the drawing: a changed table is a changed drawing.
    m_commands.On(ID_LAYERS, [this] {
        UndoStep step(m_doc.History(), StepKind::Layers);
        if (RunLayerDialog(m_doc)) {
            m_doc.SetModifiedFlag();
        }
    });
    m_commands.On(ID_CHANGE_LAYER, [this] { RunChangeLayerCommand(m_doc); },
                  [](CommandUi& ui) { ui.Enable(selectionExists != 0); });
    m_commands.On(ID_COLOR_BY_LAYER, [] { ToggleColorByLayer(); },
                  [](CommandUi& ui) { ui.SetCheck(g_colorByLayer != 0); });
    static constexpr std::pair<int, SnapKind> kSnapKindCommands[] = {
        {ID_SNAP_ENDPOINT, SnapKind::Endpoint},     {ID_SNAP_MIDPOINT, SnapKind::Midpoint},
        {ID_SNAP_CENTER, SnapKind::Center},         {ID_SNAP_INTERSECTION, SnapKind::Intersection},
        {ID_SNAP_PERPENDICULAR, SnapKind::Perpendicular}, {ID_SNAP_NEAREST, SnapKind::Nearest},
    };
    for (const auto& command : kSnapKindCommands) {
        const SnapKind kind = command.second;
        m_commands.On(command.first, [kind] { ToggleSnapKind(kind); },
                      [kind](CommandUi& ui) { ui.SetCheck(SnapKindOn(kind)); });
    }
    m_commands.On(ID_ORTHO, [] { ToggleOrtho(); }, [](CommandUi& ui) { ui.SetCheck(g_orthoOn == 1); });
    // No command runs these; they show the projection and camera kinds, never chosen.
    m_commands.OnUpdate(ID_PARALLEL_PROJECTION, [](CommandUi& ui) {
        const ViewModeItemState state = ParallelProjectionItemState();
        ui.Enable(state.enabled);
        ui.SetCheck(state.checked);
    });
    m_commands.OnUpdate(ID_WALK_THROUGH, [](CommandUi& ui) {
        const ViewModeItemState state = WalkThroughItemState();
        ui.Enable(state.enabled);
        ui.SetCheck(state.checked);
    });
}

void ForgetReplacedShapes() {
    rubberBand = 0;
    pickedLine = nullptr;
    boundaryLine = nullptr;
}

}  // namespace marquetta
