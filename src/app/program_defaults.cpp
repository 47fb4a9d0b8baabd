#include "app/program_defaults.h"

#include "edit/dimension_commands.h"
#include "edit/dimension_geometry.h"
#include "edit/editing_state.h"
#include "edit/snap_settings.h"
#include "exchange/render_command.h"
#include "model/layers.h"
#include "model/render_settings.h"
#include "text/stroke_font.h"
#include "text/text_layout.h"
#include "ui/corner_dialogs.h"
#include "ui/layer_dialog.h"
#include "ui/transform_dialogs.h"
#include "view/camera.h"
#include "view/printed_page.h"
#include "view/sheet.h"
#include "view/wireframe_layout.h"

namespace marquetta {

void InitProgramDefaults() {
    InitCameraDefaults();
    InitSheetDefaults();
    InitEditingStateDefaults();
    InitDimensionDefaults();
    InitDimensionCommandDefaults();
    InitLayerDefaults();
    InitLayerDialogDefaults();
    InitRenderSettingsDefaults();
    InitRendererDefaults();
    InitPrintDefaults();
    InitTextLayoutDefaults();
    InitWireframeDefaults();
    InitSnapDefaults();
    InitFontDefaults();
    InitTransformDialogDefaults();
    InitCornerDialogDefaults();
}

}  // namespace marquetta
