// The colour and material dialog ("色，材質") of one layer: its colour, chosen with the
// desktop's colour chooser and shown in a swatch, its transparency and reflection as
// whole numbers 0-255 with up and down arrows, and its material, a preset of the
// renderer's textures or any text. The dialog keeps its own copy of the values (the
// table's 0.0-1.0 times 255, truncated); only OK stores them back, each over 255.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/layers.h"
#include "platform/dialog_model.h"

namespace marquetta {

inline constexpr int kMaxLayerLevel = 255;

// The fields, in the order the dialog shows and checks them.
enum ColorMaterialField : size_t {
    kColorField = 0,
    kTransparencyField = 1,
    kReflectionField = 2,
    kMaterialField = 3,
};

class ColorMaterialDialog : public DialogModel {
  public:
    // Filled from layer `layer`'s attributes and material.
    explicit ColorMaterialDialog(int layer);

    std::string Title() const override { return "色，材質"; }
    std::vector<DialogField>& Fields() override { return m_fields; }
    // The colour button opens the colour chooser on the dialog's colour and takes the
    // chosen one; Cancel there changes nothing.
    void PressButton(size_t field) override;
    // Transparency, reflection (whole numbers 0-255) and the material (text that
    // CP932 can hold), in that order.
    std::optional<DialogRefusal> Validate() override;

    // The values as the layer table holds them: as opened, and after OK as accepted.
    LayerAppearance Appearance() const;

  private:
    std::vector<DialogField> m_fields;  // the colour field's is the one the swatch shows
    RgbColor m_color;
    int m_transparency;
    int m_reflection;
    std::string m_material;       // CP932
    std::string m_shownMaterial;  // the material field's text as it opened
};

// The 93 material presets, in list order: stones, woods, glasses and a brick pigment.
std::vector<std::string> MaterialPresets();

// A table value 0.0-1.0 as the dialog shows it: times 255 truncated toward zero, held
// to 0-255 (a value from outside that range, or not a number, cannot be shown).
int ToLayerLevel(double value);

// The double click's edit of layer `layer`: runs its colour and material dialog and on
// OK stores the values into the table. True on OK.
bool EditLayerAppearance(int layer);

}  // namespace marquetta
