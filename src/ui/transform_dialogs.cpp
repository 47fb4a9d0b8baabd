#include "ui/transform_dialogs.h"

#include <algorithm>

#include "platform/platform.h"
#include "ui/text_dialog.h"

namespace marquetta {

std::array<std::string, kTransformHistorySize> g_rotationHistory;
std::array<std::string, kTransformHistorySize> g_scaleHistory;

void InitTransformDialogDefaults() {
    g_rotationHistory.fill({});
    g_scaleHistory.fill({});
}

namespace {

// The history, then the presets it does not hold.
std::vector<std::string> Choices(const std::array<std::string, kTransformHistorySize>& history,
                                 const std::vector<std::string>& presets) {
    std::vector<std::string> choices;
    for (const std::string& value : history) {
        if (!value.empty()) {
            choices.push_back(value);
        }
    }
    for (const std::string& preset : presets) {
        if (std::find(choices.begin(), choices.end(), preset) == choices.end()) {
            choices.push_back(preset);
        }
    }
    return choices;
}

void Remember(std::array<std::string, kTransformHistorySize>& history, const std::string& value) {
    auto last = std::find(history.begin(), history.end(), value);
    if (last == history.end()) {
        last = history.end() - 1;
    }
    std::rotate(history.begin(), last, last + 1);
    history.front() = value;
}

std::optional<double> Ask(BoundedValueDialog& dialog,
                          std::array<std::string, kTransformHistorySize>& history) {
    if (!CurrentPlatform().RunDialog(dialog)) {
        return std::nullopt;
    }
    const std::string typed = FormatDialogDouble(dialog.Value());
    Remember(history, typed);
    return dialog.Value();
}

}  // namespace

BoundedValueDialog::BoundedValueDialog(std::string title, std::string label,
                                       const std::vector<std::string>& presets,
                                       const std::array<std::string, kTransformHistorySize>& history,
                                       double low, double high)
    : ValueDialog(std::move(title), std::move(label), Choices(history, presets)),
      m_low(low),
      m_high(high) {
    const std::vector<std::string>& choices = Fields()[0].choices;
    SetText(choices.empty() ? std::string() : choices.front());
}

std::optional<DialogRefusal> BoundedValueDialog::Validate() {
    return ReadNumberField(Fields(), 0, m_low, m_high, m_value);
}

RotationAngleDialog::RotationAngleDialog()
    : BoundedValueDialog("回転角", "角度：", {"90", "180", "270", "45"}, g_rotationHistory,
                         kMinRotationAngle, kMaxRotationAngle) {
    Fields()[0].hint = "（単位： 度、反時計回り）";
}

ScaleFactorDialog::ScaleFactorDialog()
    : BoundedValueDialog("倍率", "倍率：", {"2", "0.5", "10", "0.1"}, g_scaleHistory,
                         kMinScaleFactor, kMaxScaleFactor) {
    Fields()[0].hint = "（0.001 ～ 1000）";
}

std::optional<double> AskRotationAngle() {
    RotationAngleDialog dialog;
    return Ask(dialog, g_rotationHistory);
}

std::optional<double> AskScaleFactor() {
    ScaleFactorDialog dialog;
    return Ask(dialog, g_scaleHistory);
}

}  // namespace marquetta
