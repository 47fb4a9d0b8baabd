// The value dialogs of the rotate and scale commands: "回転角" for the turn in degrees
// and "倍率" for the factor.
#pragma once

#include <optional>

#include "ui/bounded_value_dialog.h"

namespace marquetta {

inline constexpr double kMinRotationAngle = -360.0;
inline constexpr double kMaxRotationAngle = 360.0;
inline constexpr double kMinScaleFactor = 0.001;
inline constexpr double kMaxScaleFactor = 1000.0;

// Both histories empty.
void InitTransformDialogDefaults();

// "回転角": degrees counter-clockwise, -360 to 360; presets 90, 180, 270, 45.
class RotationAngleDialog : public BoundedValueDialog {
  public:
    RotationAngleDialog();
};

// "倍率": 0.001 to 1000; presets 2, 0.5, 10, 0.1.
class ScaleFactorDialog : public BoundedValueDialog {
  public:
    ScaleFactorDialog();
};

// Run the dialog; after OK the value, which goes to the head of its history; nothing
// on Cancel.
std::optional<double> AskRotationAngle();
std::optional<double> AskScaleFactor();

}  // namespace marquetta
