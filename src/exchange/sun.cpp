#include "exchange/sun.h"

#include <algorithm>
#include <cmath>

#include "model/render_settings.h"

namespace marquetta {

SunDirection ComputeSunDirection(double north, double latitude, double declination,
                                 double hour) {
    const double n = north * kRadiansPerDegree;
    const double phi = latitude * kRadiansPerDegree;
    const double delta = declination * kRadiansPerDegree;
    const double omega = (hour - 12.0) * kRadiansPerHour;

    const double s = std::cos(omega) * std::cos(phi) * std::cos(delta) +
                     std::sin(phi) * std::sin(delta);
    // Rounding can lift s a hair above 1 when the sun passes the zenith (latitude equal
    // to the declination at noon); the square root of the negative rest would be NaN
    // and write "nan" into the scene.
    const double c = std::sqrt(std::max(0.0, 1.0 - s * s));
    double sinAzimuth = 1.0;
    double cosAzimuth = 1.0;
    if (c >= 1e-6) {
        sinAzimuth = std::sin(omega) * std::cos(delta) / c;
        cosAzimuth = (std::sin(phi) * s - std::sin(delta)) / (std::cos(phi) * c);
    }
    const double hx = -sinAzimuth * c;
    const double hz = -cosAzimuth * c;
    return SunDirection{hx * std::cos(n) + hz * std::sin(n), s,
                        hz * std::cos(n) - hx * std::sin(n)};
}

SunDirection CurrentSunDirection() {
    return ComputeSunDirection(g_sunNorth, g_sunLatitude, g_sunSeason, g_sunHour);
}

}  // namespace marquetta
