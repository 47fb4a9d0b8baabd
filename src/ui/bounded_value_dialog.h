// The value dialogs of the commands that ask for a number before their clicks (rotate,
// scale, fillet, chamfer): one combo box whose list holds the values given before, most
// recent first, then the presets it lacks; it opens with the last value given. OK
// refuses what does not read wholly as the numbers asked for (infinity, NaN and
// hexadecimal forms included) and numbers outside the dialog's range.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/value_dialogs.h"

namespace marquetta {

inline constexpr size_t kValueHistorySize = 10;

// The texts a dialog took, most recent first, each once, at most kValueHistorySize.
class ValueHistory {
  public:
    const std::vector<std::string>& Texts() const { return m_texts; }
    void Remember(const std::string& text);
    void Clear() { m_texts.clear(); }

  private:
    std::vector<std::string> m_texts;
};

// The numbers of a typed text: one up to `most`, blanks or commas between them and
// nothing else. Nothing when the text does not read so. The range is not checked.
std::optional<std::vector<double>> ReadNumberList(std::string_view text, size_t most);

// A value dialog for one to `most` numbers, each within [low, high].
class BoundedValueDialog : public ValueDialog {
  public:
    BoundedValueDialog(std::string title, std::string label, std::string hint,
                       const std::vector<std::string>& presets, const ValueHistory& history,
                       double low, double high, size_t most = 1);
    std::optional<DialogRefusal> Validate() override;
    // The numbers read by the last OK that was accepted.
    const std::vector<double>& Values() const { return m_values; }
    double Value() const { return m_values.empty() ? 0.0 : m_values.front(); }

  private:
    double m_low;
    double m_high;
    size_t m_most;
    std::vector<double> m_values;
};

// Runs the dialog; after OK the numbers, whose text goes to the head of `history`;
// nothing on Cancel.
std::optional<std::vector<double>> AskValues(BoundedValueDialog& dialog, ValueHistory& history);
// The same for a dialog of one number.
std::optional<double> AskValue(BoundedValueDialog& dialog, ValueHistory& history);

}  // namespace marquetta
