#include "model/render_settings.h"

#include <bit>
#include <cstdint>

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
    // Bit for bit, so that a value that is not a number still equals itself.
    const auto same = [](double a, double b) {
        return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
    };
    return sky == other.sky && ground == other.ground && same(north, other.north) &&
           same(season, other.season) && same(latitude, other.latitude) && same(hour, other.hour);
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
