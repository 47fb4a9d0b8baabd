#include "exchange/sun.h"

#include <gtest/gtest.h>

#include <cmath>

namespace marquetta {
namespace {

// The program's own pi, as the sun's angles are turned with it.
double Cos(double degrees) { return std::cos(degrees * 0.01745329277777778); }
double Sin(double degrees) { return std::sin(degrees * 0.01745329277777778); }

TEST(SunTest, DirectionAtKnownPlaces) {
    struct Case {
        const char* what;
        double north, latitude, declination, hour;
        double x, y, z;
    };
    const Case cases[] = {
        // The sun at the zenith stands straight up, whatever true north says.
        {"equator, equinox, noon", 0, 0, 0, 12, 0, 1, 0},
        {"equator, equinox, noon, north turned", 73, 0, 0, 12, 0, 1, 0},
        // At noon the sun stands due south (+z in the scene) at 90 - 36 degrees.
        {"latitude 36 at noon", 0, 36, 0, 12, 0, Cos(36), -Sin(36)},
        // True north turned a quarter counter-clockwise turns the sun with it.
        {"latitude 36 at noon, north 90", 90, 36, 0, 12, -Sin(36), Cos(36), 0},
        // Rounding lifts the altitude's sine a hair above 1 here; still straight up.
        {"zenith by rounding", 0, -89.9, -89.9, 12, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SunDirection sun = ComputeSunDirection(c.north, c.latitude, c.declination, c.hour);
        EXPECT_NEAR(sun.x, c.x, 1e-7);
        EXPECT_NEAR(sun.y, c.y, 1e-7);
        EXPECT_NEAR(sun.z, c.z, 1e-7);
    }
}

// The declination by value, at latitude 36 (phi) in summer (delta = +30) and winter
// (delta = -30), north 0. Worked by hand from the altitude's sine
// s = cos w cos phi cos delta + sin phi sin delta and the azimuth from south,
// sin A = sin w cos delta / c, cos A = (sin phi s - sin delta) / (cos phi c), c = sqrt(1 - s^2):
// - Noon (w = 0): s = cos(phi - delta); sin phi cos(phi - delta) - sin delta
//   = cos phi sin(phi - delta), so cos A = 1: due south at 90 - (phi - delta) degrees,
//   (0, cos(phi - delta), -sin(phi - delta)): summer cos 6, winter cos 66.
// - 6 o'clock (w = -90): s = sin phi sin delta; sin A c = -cos delta;
//   cos A c = (sin^2 phi sin delta - sin delta) / cos phi = -cos phi sin delta, so the
//   direction is (cos delta, sin phi sin delta, cos phi sin delta): east and to the
//   north of east in summer (z of the opposite sign to noon's), to the south in winter,
//   and below the horizon then.
TEST(SunTest, SummerAndWinterDeclination) {
    struct Case {
        const char* what;
        double declination, hour;
        double x, y, z;
    };
    const Case cases[] = {
        {"summer noon", 30, 12, 0, Cos(6), -Sin(6)},
        {"winter noon", -30, 12, 0, Cos(66), -Sin(66)},
        {"summer 6 o'clock", 30, 6, Cos(30), Sin(36) * Sin(30), Cos(36) * Sin(30)},
        {"winter 6 o'clock", -30, 6, Cos(30), -Sin(36) * Sin(30), -Cos(36) * Sin(30)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const SunDirection sun = ComputeSunDirection(0, 36, c.declination, c.hour);
        EXPECT_NEAR(sun.x, c.x, 1e-7);
        EXPECT_NEAR(sun.y, c.y, 1e-7);
        EXPECT_NEAR(sun.z, c.z, 1e-7);
    }
}

TEST(SunTest, MorningAndAfternoonAreMirroredEastWest) {
    for (const double declination : {-30.0, 0.0, 30.0}) {
        SCOPED_TRACE(declination);
        const SunDirection morning = ComputeSunDirection(0, 36, declination, 9);
        const SunDirection afternoon = ComputeSunDirection(0, 36, declination, 15);
        EXPECT_GT(morning.x, 0.1);  // east in the morning
        EXPECT_EQ(afternoon.x, -morning.x);
        EXPECT_EQ(afternoon.y, morning.y);
        EXPECT_EQ(afternoon.z, morning.z);
    }
}

}  // namespace
}  // namespace marquetta
