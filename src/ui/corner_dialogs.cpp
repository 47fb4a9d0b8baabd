#include "ui/corner_dialogs.h"

#include "ui/relative_entry.h"

namespace marquetta {
namespace {

ValueHistory filletHistory;
ValueHistory chamferHistory;

}  // namespace

std::optional<double> AskFilletRadius() {
    BoundedValueDialog dialog("半径", "R=", "（0 で角を尖らせます）", {}, filletHistory, 0.0,
                              kLargestTypedValue);
    return AskValue(dialog, filletHistory);
}

std::optional<std::array<double, 2>> AskChamferDistances() {
    BoundedValueDialog dialog("面取り", "C=", "（例： 10　または　10,20）", {}, chamferHistory, 0.0,
                              kLargestTypedValue, 2);
    const auto values = AskValues(dialog, chamferHistory);
    if (!values) {
        return std::nullopt;
    }
    return std::array<double, 2>{values->front(), values->back()};
}

const std::vector<std::string>& FilletRadiusHistory() {
    return filletHistory.Texts();
}
const std::vector<std::string>& ChamferHistory() {
    return chamferHistory.Texts();
}

void InitCornerDialogDefaults() {
    filletHistory.Clear();
    chamferHistory.Clear();
}

}  // namespace marquetta
