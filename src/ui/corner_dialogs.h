// The value dialogs of fillet ("半径") and chamfer ("面取り"), numbers from 0 to
// 999999.9.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ui/bounded_value_dialog.h"

namespace marquetta {

// The fillet radius: 0 gives a sharp corner. Nothing on Cancel.
std::optional<double> AskFilletRadius();
// The chamfer's two distances, the first along the first line picked; one number
// typed gives both. Nothing on Cancel.
std::optional<std::array<double, 2>> AskChamferDistances();

// The texts taken by each dialog, most recent first.
const std::vector<std::string>& FilletRadiusHistory();
const std::vector<std::string>& ChamferHistory();

void InitCornerDialogDefaults();

}  // namespace marquetta
