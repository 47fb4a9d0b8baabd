#include "model/render_settings.h"

#include <cstring>

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

bool RenderSettings::operator==(const RenderSettings& other) const {
    const double mine[] = {north, season, latitude, hour};
    const double theirs[] = {other.north, other.season, other.latitude, other.hour};
    return sky == other.sky && ground == other.ground &&
           std::memcmp(mine, theirs, sizeof mine) == 0;
}

RenderSettings CurrentRenderSettings() {
    return {g_skyTexture, g_groundTexture, g_sunNorth, g_sunSeason, g_sunLatitude, g_sunHour};
}

void SetRenderSettings(const RenderSettings& settings) {
    g_skyTexture = settings.sky;
    g_groundTexture = settings.ground;
    g_sunNorth = settings.north;
    g_sunSeason = settings.season;
    g_sunLatitude = settings.latitude;
    g_sunHour = settings.hour;
}

}  // namespace marquetta
