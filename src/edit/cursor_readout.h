// The cursor's position as a drafter reads it: X to the east and Y to the north of the
// plan (the world's x and -z), in millimetres, and while a step has its first point the
// distance and the angle from it (degrees counter-clockwise from east).
#pragma once

#include <string>

#include "model/geometry.h"

namespace marquetta {

// "X=1234.5 Y=-678.0"
std::string PlanCoordinateText(const Double3& point);
// "X=1234.500 Y=-678.000 Z=0.000": the values of a point of a shape, Z its height.
std::string PlanPointText(const Double3& point);
// Plan angle of the direction from `from` to `to`, degrees in [0, 359.95), counter-clockwise
// from east; 0 when the points coincide in plan.
double PlanAngleDegrees(const Double3& from, const Double3& to);
// What the status bar's coordinate pane shows for the ground point under the cursor;
// with `first`, also "  距離=… 角度=…°" from it.
std::string CursorReadout(const Double3& point, const Double3* first);

}  // namespace marquetta
