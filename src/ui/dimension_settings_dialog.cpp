#include "ui/dimension_settings_dialog.h"

#include <utility>

#include "platform/platform.h"
#include "ui/text_dialog.h"

namespace marquetta {
namespace {

constexpr const char* kSection = "Dimension";
constexpr const char* kKeys[] = {"TextHeight", "End", "EndSize", "ExtensionGap",
                                 "ExtensionOvershoot", "Decimals"};

DialogField Edit(const char* label, std::string text, const char* hint) {
    DialogField field;
    field.kind = DialogField::Kind::Edit;
    field.label = label;
    field.text = std::move(text);
    field.hint = hint;
    return field;
}

// The fields' texts of a style, in the dialog's order; also the settings' values.
std::vector<std::string> Texts(const DimensionStyle& style) {
    return {FormatDialogDouble(style.textHeight),
            style.end == DimensionEnd::Arrow ? kDimEndArrow : kDimEndTick,
            FormatDialogDouble(style.endSize),
            FormatDialogDouble(style.extensionGap),
            FormatDialogDouble(style.extensionOvershoot),
            std::to_string(style.decimals)};
}

// The style that the texts give, or the first field outside its range.
std::optional<DialogRefusal> Read(const std::vector<DialogField>& fields, DimensionStyle& style) {
    DimensionStyle read;
    if (auto refusal = ReadNumberField(fields, kDimTextHeightField, kMinDimensionTextHeight,
                                       kMaxDimensionTextHeight, read.textHeight)) {
        return refusal;
    }
    read.end = fields[kDimEndField].text == kDimEndArrow ? DimensionEnd::Arrow : DimensionEnd::Tick;
    if (auto refusal = ReadNumberField(fields, kDimEndSizeField, kMinDimensionEndSize,
                                       kMaxDimensionEndSize, read.endSize)) {
        return refusal;
    }
    if (auto refusal =
            ReadNumberField(fields, kDimGapField, 0.0, kMaxDimensionExtension, read.extensionGap)) {
        return refusal;
    }
    if (auto refusal = ReadNumberField(fields, kDimOvershootField, 0.0, kMaxDimensionExtension,
                                       read.extensionOvershoot)) {
        return refusal;
    }
    if (auto refusal =
            ReadIntegerField(fields, kDimDecimalsField, 0, kMaxDimensionDecimals, read.decimals)) {
        return refusal;
    }
    style = read;
    return std::nullopt;
}

}  // namespace

DimensionSettingsDialog::DimensionSettingsDialog(const DimensionStyle& style) : m_style(style) {
    const std::vector<std::string> texts = Texts(style);
    m_fields.push_back(Edit("文字の高さ:", texts[0], "用紙上の mm (0.5～20)"));
    DialogField end;
    end.kind = DialogField::Kind::ComboBox;
    end.label = "端末記号:";
    end.text = texts[1];
    end.choices = {kDimEndTick, kDimEndArrow};
    m_fields.push_back(end);
    m_fields.push_back(Edit("端末記号の大きさ:", texts[2], "用紙上の mm (0.5～20)"));
    m_fields.push_back(Edit("補助線の隙間:", texts[3], "用紙上の mm (0～20)"));
    m_fields.push_back(Edit("補助線の延長:", texts[4], "用紙上の mm (0～20)"));
    m_fields.push_back(Edit("小数点以下の桁数:", texts[5], "0～4"));
    m_fields.back().spin = SpinRange{0, kMaxDimensionDecimals};
}

std::optional<DialogRefusal> DimensionSettingsDialog::Validate() {
    return Read(m_fields, m_style);
}

void LoadDimensionSettings() {
    DimensionSettingsDialog dialog(g_dimensionStyle);
    std::vector<DialogField>& fields = dialog.Fields();
    Platform& platform = CurrentPlatform();
    for (size_t i = 0; i < fields.size(); ++i) {
        std::string stored = platform.ReadSetting(kSection, kKeys[i]);
        if (!stored.empty()) {
            fields[i].text = std::move(stored);
        }
    }
    // All or nothing, as the dialog takes them: a damaged entry leaves the defaults.
    if (!dialog.Validate()) {
        g_dimensionStyle = dialog.Style();
    }
}

bool RunDimensionSettingsDialog() {
    DimensionSettingsDialog dialog(g_dimensionStyle);
    Platform& platform = CurrentPlatform();
    if (!platform.RunDialog(dialog)) {
        return false;
    }
    g_dimensionStyle = dialog.Style();
    const std::vector<std::string> texts = Texts(g_dimensionStyle);
    std::vector<std::pair<std::string, std::string>> values;
    for (size_t i = 0; i < texts.size(); ++i) {
        values.emplace_back(kKeys[i], texts[i]);
    }
    platform.WriteSettings(kSection, values);
    return true;
}

}  // namespace marquetta
