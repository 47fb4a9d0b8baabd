#include "ui/transform_dialogs.h"

namespace marquetta {
namespace {

ValueHistory rotationHistory;
ValueHistory scaleHistory;

}  // namespace

void InitTransformDialogDefaults() {
    rotationHistory.Clear();
    scaleHistory.Clear();
}

RotationAngleDialog::RotationAngleDialog()
    : BoundedValueDialog("回転角", "角度：", "（単位： 度、反時計回り）", {"90", "180", "270", "45"},
                         rotationHistory, kMinRotationAngle, kMaxRotationAngle) {}

ScaleFactorDialog::ScaleFactorDialog()
    : BoundedValueDialog("倍率", "倍率：", "（0.001 ～ 1000）", {"2", "0.5", "10", "0.1"},
                         scaleHistory, kMinScaleFactor, kMaxScaleFactor) {}

std::optional<double> AskRotationAngle() {
    RotationAngleDialog dialog;
    return AskValue(dialog, rotationHistory);
}

std::optional<double> AskScaleFactor() {
    ScaleFactorDialog dialog;
    return AskValue(dialog, scaleHistory);
}

}  // namespace marquetta
