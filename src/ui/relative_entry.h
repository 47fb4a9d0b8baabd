// Typed relative entry (the "相対距離" button and the "@" key): instead of clicking the
// next point, the user types it relative to the base point. A displacement ends a line
// of the chain, or gives the destination of a move or copy; a sweep angle ends an arc.
// The entry finishes the step that the click would have finished.
#pragma once

#include <optional>
#include <string_view>

#include "model/document.h"
#include "model/geometry.h"
#include "ui/value_dialogs.h"

namespace marquetta {

// "相対距離": Δx, Δy and optionally Δz; no presets.
class RelativeDistanceDialog : public ValueDialog {
  public:
    RelativeDistanceDialog();
};

// "相対角度": the sweep in degrees, with the usual angles offered in text order.
class RelativeAngleDialog : public ValueDialog {
  public:
    RelativeAngleDialog();
};

// Each typed number outside 0.01 ... 999999.9 in magnitude counts as 0, and a
// displacement shorter than this is refused.
inline constexpr double kSmallestTypedValue = 0.01;
inline constexpr double kLargestTypedValue = 999999.9;
inline constexpr double kShortestDisplacement = 1.0;

// The world displacement of a typed "a, b[, c]": a along +X, b along -Z (up the plan),
// c along +Y (height). Commas and blanks separate the numbers, also full-width ones;
// missing and unreadable numbers count as 0. Nothing when it is shorter than 1.
std::optional<Double3> ReadDisplacement(std::string_view text);

// The first number of a typed sweep angle; none (or one that is not finite) gives 0.
double ReadSweepAngle(std::string_view text);

// The entry itself, by the state at the moment of the command: the end of a line
// (the chain goes on from it), the end of an arc (the arc command ends), or the
// destination of a move or copy (continuous copy goes on from the same base point).
// Any other state, and Cancel in the dialog, change nothing.
void RunRelativeEntry(CZorader_ezDoc& doc);

}  // namespace marquetta
