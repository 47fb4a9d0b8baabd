#include "app/program_defaults.h"

#include "model/layers.h"
#include "model/render_settings.h"

namespace marquetta {

void InitProgramDefaults() {
    InitLayerDefaults();
    InitRenderSettingsDefaults();
}

}  // namespace marquetta
