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

}  // namespace marquetta
