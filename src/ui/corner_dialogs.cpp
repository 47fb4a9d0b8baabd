#include "ui/corner_dialogs.h"

#include <algorithm>

#include "platform/platform.h"
#include "ui/relative_entry.h"

namespace marquetta {
namespace {

std::vector<std::string> filletHistory;
std::vector<std::string> chamferHistory;

constexpr const char* kUnreadableMessage =
    "「%1」は読めません。0 から 999999.9 までの数字で入力してください。";
constexpr const char* kNoNumberMessage = "数字を入力してください。";

bool IsBlankOrComma(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == '\n' || c == '\r';
}

std::string_view SkipSeparators(std::string_view text) {
    while (!text.empty() && IsBlankOrComma(text.front())) {
        text.remove_prefix(1);
    }
    return text;
}

// The typed text at the head of the history, once.
void Remember(std::vector<std::string>& history, const std::string& text) {
    history.erase(std::remove(history.begin(), history.end(), text), history.end());
    history.insert(history.begin(), text);
    if (history.size() > kCornerHistorySize) {
        history.resize(kCornerHistorySize);
    }
}

std::optional<std::vector<double>> Ask(const char* title, const char* label, const char* hint,
                                       size_t most, std::vector<std::string>& history) {
    CornerValueDialog dialog(title, label, hint, most, history);
    if (!CurrentPlatform().RunDialog(dialog)) {
        return std::nullopt;
    }
    std::optional<std::vector<double>> values = ReadCornerValues(dialog.Text(), most);
    if (values) {
        Remember(history, dialog.Text());
    }
    return values;
}

}  // namespace

CornerValueDialog::CornerValueDialog(std::string title, std::string label, std::string hint,
                                     size_t most, const std::vector<std::string>& history)
    : ValueDialog(std::move(title), std::move(label), history), m_most(most) {
    Fields()[0].hint = std::move(hint);
    if (!history.empty()) {
        SetText(history.front());
    }
}

std::optional<DialogRefusal> CornerValueDialog::Validate() {
    const std::string& typed = Text();
    if (SkipSeparators(typed).empty()) {
        return DialogRefusal{kNoNumberMessage, 0};
    }
    if (!ReadCornerValues(typed, m_most)) {
        std::string message = kUnreadableMessage;
        message.replace(message.find("%1"), 2, typed);
        return DialogRefusal{message, 0};
    }
    return std::nullopt;
}

std::optional<std::vector<double>> ReadCornerValues(std::string_view text, size_t most) {
    std::vector<double> values;
    std::string_view rest = SkipSeparators(text);
    while (!rest.empty()) {
        size_t used = 0;
        const std::optional<double> value = ReadLeadingDouble(rest, &used);
        if (!value || values.size() == most || !(*value >= 0.0 && *value <= kLargestTypedValue)) {
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

std::optional<double> AskFilletRadius() {
    const auto values = Ask("半径", "R=", "（0 で角を尖らせます）", 1, filletHistory);
    if (!values) {
        return std::nullopt;
    }
    return values->front();
}

std::optional<std::array<double, 2>> AskChamferDistances() {
    const auto values =
        Ask("面取り", "C=", "（例： 10　または　10,20）", 2, chamferHistory);
    if (!values) {
        return std::nullopt;
    }
    return std::array<double, 2>{values->front(), values->back()};
}

const std::vector<std::string>& FilletRadiusHistory() {
    return filletHistory;
}
const std::vector<std::string>& ChamferHistory() {
    return chamferHistory;
}

void InitCornerDialogDefaults() {
    filletHistory.clear();
    chamferHistory.clear();
}

}  // namespace marquetta
