// The value dialogs of the rotate and scale commands: "回転角" for the turn in degrees
// and "倍率" for the factor. Each is a value dialog whose list holds the values given
// before (most recent first) and then its presets; it opens with the last value given.
// OK checks the value: a number (not infinity, NaN or a hexadecimal form) within range.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "ui/value_dialogs.h"

namespace marquetta {

inline constexpr double kMinRotationAngle = -360.0;
inline constexpr double kMaxRotationAngle = 360.0;
inline constexpr double kMinScaleFactor = 0.001;
inline constexpr double kMaxScaleFactor = 1000.0;
inline constexpr size_t kTransformHistorySize = 10;

// The values given to each dialog, most recent first (empty strings unused).
extern std::array<std::string, kTransformHistorySize> g_rotationHistory;
extern std::array<std::string, kTransformHistorySize> g_scaleHistory;

// Both histories empty.
void InitTransformDialogDefaults();

// A value dialog that refuses OK unless its text is one number within [low, high].
class BoundedValueDialog : public ValueDialog {
  public:
    BoundedValueDialog(std::string title, std::string label, const std::vector<std::string>& presets,
                       const std::array<std::string, kTransformHistorySize>& history, double low,
                       double high);
    std::optional<DialogRefusal> Validate() override;
    // The value read by the last OK that was accepted.
    double Value() const { return m_value; }

  private:
    double m_low;
    double m_high;
    double m_value = 0.0;
};

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
