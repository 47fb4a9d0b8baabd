// The sun of the rendered scene: its direction from true north, latitude, declination
// and hour, in the scene's frame (y up). The sun light stands far along it.
#pragma once

#include "model/geometry.h"

namespace marquetta {

// Radians of the sun's hour angle per hour from noon: 15 degrees.
inline constexpr double kRadiansPerHour = 0.26179939166666666;

struct SunDirection {
    double x = 0.0;
    double y = 0.0;  // the sine of the sun's altitude; below 0 the sun is under the horizon
    double z = 0.0;
};

// `north`: true north counter-clockwise from the plan's north; `latitude` and
// `declination` in degrees; `hour` local solar time (12 is noon). Not normalised
// further. With the sun at the zenith the direction is straight up.
SunDirection ComputeSunDirection(double north, double latitude, double declination, double hour);

// From the drawing's rendering settings.
SunDirection CurrentSunDirection();

}  // namespace marquetta
