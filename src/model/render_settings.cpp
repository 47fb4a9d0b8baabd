#include "model/render_settings.h"

namespace marquetta {

std::string g_skyTexture;
std::string g_groundTexture;
double g_sunNorth = 0.0;
double g_sunSeason = 0.0;
double g_sunLatitude = 0.0;
double g_sunHour = 0.0;

void InitRenderSettingsDefaults() {
    g_skyTexture = "S_Cloud1";
    g_groundTexture = "pigment { color White } finish { reflection 0.3 }";
    g_sunNorth = 0.0;
    g_sunSeason = 0.0;
    g_sunLatitude = 36.0;
    g_sunHour = 10.0;
}

}  // namespace marquetta
