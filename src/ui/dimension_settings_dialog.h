// The dimension settings dialog ("寸法設定"): text height, end mark (tick or arrow)
// and its size, extension line gap and overshoot, all in millimetres on paper, and the
// decimals of the numbers. OK checks every field against its range and refuses the
// first one outside it; an accepted OK makes the values the style of new dimensions and
// keeps them in the program's settings (the native file has no room for them).
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "edit/dimension_geometry.h"
#include "platform/dialog_model.h"

namespace marquetta {

enum DimensionSettingsField : size_t {
    kDimTextHeightField = 0,
    kDimEndField = 1,
    kDimEndSizeField = 2,
    kDimGapField = 3,
    kDimOvershootField = 4,
    kDimDecimalsField = 5,
};

// The end mark's choices, as the combo box lists them.
inline constexpr const char* kDimEndTick = "斜線(45°)";
inline constexpr const char* kDimEndArrow = "矢印";

class DimensionSettingsDialog : public DialogModel {
  public:
    // Filled from `style`.
    explicit DimensionSettingsDialog(const DimensionStyle& style);

    std::string Title() const override { return "寸法設定"; }
    std::vector<DialogField>& Fields() override { return m_fields; }
    std::optional<DialogRefusal> Validate() override;

    // After an accepted OK: the style the fields give.
    const DimensionStyle& Style() const { return m_style; }

  private:
    std::vector<DialogField> m_fields;
    DimensionStyle m_style;
};

// g_dimensionStyle from the program's settings; a value missing or outside its range
// keeps its default.
void LoadDimensionSettings();
// The command: the dialog over g_dimensionStyle; on OK the style is taken and saved.
// True on OK.
bool RunDimensionSettingsDialog();

}  // namespace marquetta
