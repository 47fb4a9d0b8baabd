#include "ui/bounded_value_dialog.h"

#include <algorithm>

#include "platform/platform.h"
#include "ui/text_dialog.h"

namespace marquetta {
namespace {

bool IsBlankOrComma(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r';
}

std::string_view SkipSeparators(std::string_view text) {
    while (!text.empty() && IsBlankOrComma(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// The history, then the presets it does not hold.
std::vector<std::string> Choices(const ValueHistory& history,
                                 const std::vector<std::string>& presets) {
    std::vector<std::string> choices = history.Texts();
    for (const std::string& preset : presets) {
        if (std::find(choices.begin(), choices.end(), preset) == choices.end()) {
            choices.push_back(preset);
        }
    }
    return choices;
}

}  // namespace

void ValueHistory::Remember(const std::string& text) {
    m_texts.erase(std::remove(m_texts.begin(), m_texts.end(), text), m_texts.end());
    m_texts.insert(m_texts.begin(), text);
    if (m_texts.size() > kValueHistorySize) {
        m_texts.resize(kValueHistorySize);
    }
}

std::optional<std::vector<double>> ReadNumberList(std::string_view text, size_t most) {
    std::vector<double> values;
    std::string_view rest = SkipSeparators(text);
    while (!rest.empty()) {
        size_t used = 0;
        const std::optional<double> value = ReadLeadingDouble(rest, &used);
        if (!value || values.size() == most) {
            return std::nullopt;
        }
        values.push_back(*value);
        rest.remove_prefix(used);
        const std::string_view after = SkipSeparators(rest);
        if (after.size() == rest.size() && !after.empty()) {
            return std::nullopt;  // "10x", "0x1A", "1.5.5"
        }
        rest = after;
    }
    if (values.empty()) {
        return std::nullopt;
    }
    return values;
}

BoundedValueDialog::BoundedValueDialog(std::string title, std::string label, std::string hint,
                                       const std::vector<std::string>& presets,
                                       const ValueHistory& history, double low, double high,
                                       size_t most)
    : ValueDialog(std::move(title), std::move(label), Choices(history, presets)),
      m_low(low),
      m_high(high),
      m_most(most) {
    Fields()[0].hint = std::move(hint);
    const std::vector<std::string>& choices = Fields()[0].choices;
    SetText(choices.empty() ? std::string() : choices.front());
}

std::optional<DialogRefusal> BoundedValueDialog::Validate() {
    const std::optional<std::vector<double>> values = ReadNumberList(Text(), m_most);
    if (!values) {
        return RefuseNumber(std::nullopt, 0, m_low, m_high);
    }
    for (double value : *values) {
        if (auto refusal = RefuseNumber(value, 0, m_low, m_high)) {
            return refusal;
        }
    }
    m_values = *values;
    return std::nullopt;
}

std::optional<std::vector<double>> AskValues(BoundedValueDialog& dialog, ValueHistory& history) {
    if (!CurrentPlatform().RunDialog(dialog)) {
        return std::nullopt;
    }
    std::string text;
    for (double value : dialog.Values()) {
        text += (text.empty() ? "" : ",") + FormatDialogDouble(value);
    }
    history.Remember(text);
    return dialog.Values();
}

std::optional<double> AskValue(BoundedValueDialog& dialog, ValueHistory& history) {
    const std::optional<std::vector<double>> values = AskValues(dialog, history);
    return values ? std::optional<double>(values->front()) : std::nullopt;
}

}  // namespace marquetta
