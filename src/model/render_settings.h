// The rendering settings saved with the drawing: sky and ground for the scene, and
// the values from which the sun's direction is computed. A new drawing keeps them.
#pragma once

#include <string>

namespace marquetta {

extern std::string g_skyTexture;     // written inside "sky_sphere{ %s }"; empty: no sky
extern std::string g_groundTexture;  // texture body of the ground plane
extern double g_sunNorth;            // degrees, true north counter-clockwise from plan north
extern double g_sunSeason;           // degrees, the sun's declination
extern double g_sunLatitude;         // degrees
extern double g_sunHour;             // local solar time, 12 is noon

void InitRenderSettingsDefaults();

// The six settings as one value: what the undo history takes back.
struct RenderSettings {
    std::string sky;
    std::string ground;
    double north = 0.0;
    double season = 0.0;
    double latitude = 0.0;
    double hour = 0.0;
    // Bit for bit: a setting that is not a number (a file may hold one) equals itself,
    // and 0.0 differs from -0.0, which is saved otherwise.
    bool operator==(const RenderSettings& other) const;
};
RenderSettings CurrentRenderSettings();
void SetRenderSettings(const RenderSettings& settings);

}  // namespace marquetta
