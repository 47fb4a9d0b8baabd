#include "ui/color_material_dialog.h"

#include <cstdio>

#include "model/cp932.h"
#include "platform/platform.h"
#include "ui/text_dialog.h"
#include "ui/value_dialogs.h"

namespace marquetta {

namespace {


DialogField LevelField(std::string label, int level) {
    DialogField field;
    field.kind = DialogField::Kind::Edit;
    field.label = std::move(label);
    field.text = std::to_string(level);
    field.spin = SpinRange{0, kMaxLayerLevel};
    return field;
}

// Dividing rather than multiplying by a rounded 1/255 brings every level back as it
// was when the dialog opens again: 33 * 0.00392156862745098 reopens as 32.
double ToTableValue(int level) {
    return level / static_cast<double>(kMaxLayerLevel);
}

}  // namespace

int ToLayerLevel(double value) {
    const double level = value * kMaxLayerLevel;
    if (!(level > 0.0)) {
        return 0;
    }
    return level >= kMaxLayerLevel ? kMaxLayerLevel : static_cast<int>(level);
}

std::vector<std::string> MaterialPresets() {
    std::vector<std::string> presets;
    char name[32];
    for (int i = 1; i <= 44; ++i) {
        std::snprintf(name, sizeof name, "T_Stone%d scale 100", i);
        presets.push_back(name);
    }
    for (int i = 1; i <= 35; ++i) {
        std::snprintf(name, sizeof name, "T_Wood%d scale 100", i);
        presets.push_back(name);
    }
    for (const char* glass :
         {"T_Glass1", "T_Glass2", "T_Glass3", "T_Glass4", "T_Old_Glass", "T_Winebottle_Glass",
          "T_Beerbottle_Glass", "T_Ruby_Glass", "T_Green_Glass", "T_Dark_Green_Glass",
          "T_Yellow_Glass", "T_Orange_Glass", "T_Vicksbottle_Glass"}) {
        presets.push_back(glass);
    }
    presets.push_back("pigment { brick color White, color Brown } scale 30");
    return presets;
}

ColorMaterialDialog::ColorMaterialDialog(int layer) {
    const LayerAppearance appearance = GetLayerAppearance(layer);
    m_transparency = ToLayerLevel(appearance.transparency);
    m_reflection = ToLayerLevel(appearance.reflection);
    m_material = appearance.material;
    m_shownMaterial = Cp932ToUtf8(m_material);

    DialogField color;
    color.kind = DialogField::Kind::ColorButton;
    color.label = "色の設定";
    m_color = {ToLayerLevel(appearance.red), ToLayerLevel(appearance.green),
               ToLayerLevel(appearance.blue)};
    color.color = m_color;
    m_fields.push_back(std::move(color));
    m_fields.push_back(LevelField("透明度", m_transparency));
    m_fields.push_back(LevelField("反射光", m_reflection));
    DialogField material;
    material.kind = DialogField::Kind::ComboBox;
    material.label = "材　　質";
    material.text = m_shownMaterial;
    material.choices = MaterialPresets();
    m_fields.push_back(std::move(material));
}

void ColorMaterialDialog::PressButton(size_t field) {
    if (field != kColorField) {
        return;
    }
    if (const std::optional<RgbColor> chosen =
            CurrentPlatform().ChooseColor(m_fields[kColorField].color)) {
        m_fields[kColorField].color = *chosen;
    }
}

std::optional<DialogRefusal> ColorMaterialDialog::Validate() {
    int transparency = 0;
    int reflection = 0;
    if (auto refusal =
            ReadIntegerField(m_fields, kTransparencyField, 0, kMaxLayerLevel, transparency)) {
        return refusal;
    }
    if (auto refusal =
            ReadIntegerField(m_fields, kReflectionField, 0, kMaxLayerLevel, reflection)) {
        return refusal;
    }
    const std::string& typed = m_fields[kMaterialField].text;
    // An untouched material keeps its bytes, also those that do not read as CP932.
    if (typed != m_shownMaterial) {
        if (auto refusal = RefuseCharactersOutsideCp932(typed, kMaterialField)) {
            return refusal;
        }
        m_material = Utf8ToCp932(typed);
        m_shownMaterial = typed;
    }
    m_color = m_fields[kColorField].color;
    m_transparency = transparency;
    m_reflection = reflection;
    return std::nullopt;
}

LayerAppearance ColorMaterialDialog::Appearance() const {
    return {ToTableValue(m_color.red),    ToTableValue(m_color.green),
            ToTableValue(m_color.blue),   ToTableValue(m_transparency),
            ToTableValue(m_reflection),   m_material};
}

bool EditLayerAppearance(int layer) {
    ColorMaterialDialog dialog(layer);
    if (!CurrentPlatform().RunDialog(dialog)) {
        return false;
    }
    SetLayerAppearance(layer, dialog.Appearance());
    return true;
}

}  // namespace marquetta
