#include "app/program_defaults.h"

#include "model/layers.h"
#include "model/render_settings.h"
#include "text/stroke_font.h"
#include "text/text_layout.h"
#include "view/camera.h"

namespace marquetta {

void InitProgramDefaults() {
    InitCameraDefaults();
    InitLayerDefaults();
    InitRenderSettingsDefaults();
    InitTextLayoutDefaults();
    InitFontDefaults();
}

}  // namespace marquetta
