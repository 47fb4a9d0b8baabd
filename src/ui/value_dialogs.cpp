#include "ui/value_dialogs.h"

#include <locale.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "model/c_numbers.h"
#include "platform/platform.h"
#include "view/sheet.h"

namespace marquetta {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

size_t SkipBlanks(std::string_view text, size_t i) {
    while (i < text.size() && IsBlank(text[i])) {
        ++i;
    }
    return i;
}

size_t SkipDigits(std::string_view text, size_t i) {
    while (i < text.size() && IsDigit(text[i])) {
        ++i;
    }
    return i;
}

// strtod in the "C" locale, so that a user's locale with a decimal comma does not
// change how "2.5" reads.
double StrtodC(const std::string& number) {
    return strtod_l(number.c_str(), nullptr, CNumbersLocale());
}

// Runs a single-value dialog preset with "%d" of `current`; after OK the typed
// integer when it lies in [low, high].
std::optional<int> AskInteger(ValueDialog& dialog, double current, int low, int high) {
    dialog.SetText(FormatTruncated(current));
    if (!CurrentPlatform().RunDialog(dialog)) {
        return std::nullopt;
    }
    const int value = ReadLeadingInteger(dialog.Text());
    if (value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

ValueDialog::ValueDialog(std::string title, std::string label, std::vector<std::string> presets)
    : m_title(std::move(title)) {
    DialogField field;
    field.kind = DialogField::Kind::ComboBox;
    field.label = std::move(label);
    field.choices = std::move(presets);
    m_fields.push_back(std::move(field));
}

GridDialog::GridDialog() : ValueDialog("グリッド", "ＧＲＤ：", {"455", "910", "1000"}) {}

ScaleDialog::ScaleDialog()
    : ValueDialog("縮尺", "ＳＣＬ：１／", {"10", "20", "30", "50", "100", "200", "300", "500"}) {}

// Its list is sorted, but it has no presets to sort.
OffsetWidthDialog::OffsetWidthDialog() : ValueDialog("複線の幅入力", "W=", {}) {}

int ReadLeadingInteger(std::string_view text) {
    size_t i = SkipBlanks(text, 0);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // Accumulated as a negative number, whose range reaches INT_MIN.
    constexpr long long kLimit = -static_cast<long long>(std::numeric_limits<int>::min());
    long long magnitude = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > kLimit) {
            magnitude = kLimit;
        }
    }
    if (negative) {
        return static_cast<int>(-magnitude);
    }
    return magnitude > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                       : static_cast<int>(magnitude);
}

std::optional<int> ReadDialogInteger(std::string_view text) {
    size_t i = SkipBlanks(text, 0);
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const size_t digitsEnd = SkipDigits(text, i);
    if (digitsEnd == i || SkipBlanks(text, digitsEnd) != text.size()) {
        return std::nullopt;
    }
    return ReadLeadingInteger(text);
}

std::string StepSpinText(std::string_view text, int step, SpinRange range) {
    const auto hold = [range](long long value) {
        return std::clamp<long long>(value, range.minimum, range.maximum);
    };
    return std::to_string(hold(hold(ReadLeadingInteger(text)) + step));
}

std::string FormatTruncated(double value) {
    int whole = 0;
    if (value >= static_cast<double>(std::numeric_limits<int>::max())) {
        whole = std::numeric_limits<int>::max();
    } else if (value <= static_cast<double>(std::numeric_limits<int>::min())) {
        whole = std::numeric_limits<int>::min();
    } else if (!std::isnan(value)) {
        whole = static_cast<int>(value);
    }
    char text[16];
    std::snprintf(text, sizeof text, "%d", whole);
    return text;
}

std::optional<double> ReadLeadingDouble(std::string_view text, size_t* used) {
    if (used != nullptr) {
        *used = 0;
    }
    const size_t start = SkipBlanks(text, 0);
    size_t i = start;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    const size_t integerEnd = SkipDigits(text, i);
    bool digits = integerEnd > i;
    i = integerEnd;
    if (i < text.size() && text[i] == '.') {
        const size_t fractionEnd = SkipDigits(text, i + 1);
        digits = digits || fractionEnd > i + 1;
        i = fractionEnd;
    }
    if (!digits) {
        return std::nullopt;
    }
    // An exponent counts only with digits after it: "2e" reads as 2.
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        size_t j = i + 1;
        if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
            ++j;
        }
        const size_t exponentEnd = SkipDigits(text, j);
        if (exponentEnd > j) {
            i = exponentEnd;
        }
    }
    if (used != nullptr) {
        *used = i;
    }
    return StrtodC(std::string(text.substr(start, i - start)));
}

double ReadOffsetWidth(std::string_view text) {
    std::string blanked(text);
    for (char& c : blanked) {
        if (c == ',') {
            c = ' ';
        }
    }
    const std::optional<double> value = ReadLeadingDouble(blanked);
    return value && std::isfinite(*value) ? *value : 0.0;
}

std::optional<double> AskOffsetWidth() {
    OffsetWidthDialog dialog;
    if (!CurrentPlatform().RunDialog(dialog)) {
        return std::nullopt;
    }
    return ReadOffsetWidth(dialog.Text());
}

bool RunGridDialog() {
    GridDialog dialog;
    const std::optional<int> pitch = AskInteger(dialog, g_gridPitch, kMinGridPitch, kMaxGridPitch);
    if (!pitch) {
        return false;
    }
    g_gridOn = 1;
    g_gridPitch = *pitch;
    CurrentPlatform().InvalidateView();
    return true;
}

bool RunScaleDialog() {
    ScaleDialog dialog;
    const std::optional<int> scale = AskInteger(dialog, g_scaleDenominator, kMinScale, kMaxScale);
    if (!scale) {
        return false;
    }
    g_scaleDenominator = *scale;
    CurrentPlatform().InvalidateView();
    return true;
}

}  // namespace marquetta
