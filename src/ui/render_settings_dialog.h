// The rendering settings dialog ("ﾀﾞｲｱﾛｸﾞ"): sky and ground picked from presets or
// typed, and the sun's place: true north (a whole number), latitude, season and hour.
// OK checks sky, north, latitude, hour, season, ground in that order and refuses the
// first bad field with its message; only a passing OK stores the six settings. The
// settings are not drawn by the view: no repaint follows. They are saved with the
// drawing, so the command that runs the dialog makes a changed setting a change to the
// drawing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/dialog_model.h"

namespace marquetta {

// The fields, in the order the dialog shows them.
enum RenderSettingsField : size_t {
    kSkyField = 0,
    kGroundField = 1,
    kNorthField = 2,
    kLatitudeField = 3,
    kHourField = 4,
    kSeasonField = 5,
};

inline constexpr int kMinNorth = 0;
inline constexpr int kMaxNorth = 360;
inline constexpr int kMinLatitude = -90;
inline constexpr int kMaxLatitude = 90;
inline constexpr int kMinHour = 0;
inline constexpr int kMaxHour = 24;

// The season named exactly `text` as a declination in degrees; -1 ("なし") for any
// other text.
double SeasonDeclination(const std::string& text);
// The name of a declination that is exactly one of the four; empty for any other.
std::string SeasonName(double declination);

class RenderSettingsDialog : public DialogModel {
  public:
    // Filled from the current settings.
    RenderSettingsDialog();

    std::string Title() const override { return "ﾀﾞｲｱﾛｸﾞ"; }
    std::vector<DialogField>& Fields() override { return m_fields; }
    std::optional<DialogRefusal> Validate() override;

    // After an accepted OK: the six values into the settings.
    void Store() const;

  private:
    std::vector<DialogField> m_fields;
    int m_north = 0;
    double m_latitude = 0.0;
    double m_hour = 0.0;
};

// The settings command: the dialog, and on OK the settings stored. True on OK.
bool RunRenderSettingsDialog();

}  // namespace marquetta
