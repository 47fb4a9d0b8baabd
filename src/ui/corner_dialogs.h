// The value dialogs of fillet ("半径") and chamfer ("面取り"): one combo box each, preset
// with the last value taken and listing the values taken before, most recent first.
// OK refuses what does not read wholly as the numbers asked for, NaN, infinity and
// hexadecimal forms included, and numbers outside 0 ... 999999.9.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/value_dialogs.h"

namespace marquetta {

inline constexpr size_t kCornerHistorySize = 10;

// A value dialog for up to `most` numbers (commas or blanks between).
class CornerValueDialog : public ValueDialog {
  public:
    CornerValueDialog(std::string title, std::string label, std::string hint, size_t most,
                      const std::vector<std::string>& history);
    std::optional<DialogRefusal> Validate() override;

  private:
    size_t m_most;
};

// The numbers of a typed text: one up to `most`, each 0 ... 999999.9, nothing else
// but blanks and commas between them. Nothing when the text does not read so.
std::optional<std::vector<double>> ReadCornerValues(std::string_view text, size_t most);

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
