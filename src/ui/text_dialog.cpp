#include "ui/text_dialog.h"

#include <cstdio>
#include <string_view>

#include "model/c_numbers.h"
#include "model/cp932.h"
#include "ui/value_dialogs.h"

namespace marquetta {

namespace {

// The messages keep the %1 and %2 of their resource form; the values go in here.
std::string Substitute(std::string message, std::string_view mark, const std::string& value) {
    const size_t at = message.find(mark);
    if (at != std::string::npos) {
        message.replace(at, mark.size(), value);
    }
    return message;
}

constexpr const char* kTooLongMessage = "%1 文字以内で入力してください。";
constexpr const char* kNotNumberMessage = "数字を入力してください。";
constexpr const char* kNumberRangeMessage = "%1 から %2 までの数字を入力してください。";
constexpr const char* kNotIntegerMessage = "整数を入力してください。";
constexpr const char* kIntegerRangeMessage = "%1 から %2 までの整数を入力してください。";
constexpr const char* kOutsideCp932Message = "「%1」は図面に保存できない文字です。";

DialogField EditField(std::string label, double value) {
    DialogField field;
    field.kind = DialogField::Kind::Edit;
    field.label = std::move(label);
    field.text = FormatDialogDouble(value);
    return field;
}

}  // namespace

std::string FormatDialogDouble(double value) {
    char text[32];
    const CNumbersScope numbers;  // read back with a point
    std::snprintf(text, sizeof text, "%.15g", value);
    return text;
}

std::optional<double> ReadDialogDouble(const std::string& text) {
    size_t used = 0;
    const std::optional<double> value = ReadLeadingDouble(text, &used);
    if (!value) {
        return std::nullopt;
    }
    for (size_t i = used; i < text.size(); ++i) {
        if (text[i] != ' ' && text[i] != '\t') {
            return std::nullopt;
        }
    }
    return value;
}

std::string FormatDialogMessage(std::string message, const std::string& first,
                                const std::string& second) {
    return Substitute(Substitute(std::move(message), "%1", first), "%2", second);
}

std::optional<DialogRefusal> ReadNumberField(const std::vector<DialogField>& fields,
                                             size_t field, double low, double high,
                                             double& value) {
    const std::optional<double> number = ReadDialogDouble(fields[field].text);
    if (auto refusal = RefuseNumber(number, field, low, high)) {
        return refusal;
    }
    value = *number;
    return std::nullopt;
}

std::optional<DialogRefusal> RefuseNumber(std::optional<double> number, size_t field, double low,
                                          double high) {
    if (!number) {
        return DialogRefusal{kNotNumberMessage, field};
    }
    // Inclusive bounds; an infinite reading (too many digits) is outside them.
    if (!(*number >= low && *number <= high)) {
        return DialogRefusal{FormatDialogMessage(kNumberRangeMessage, FormatDialogDouble(low),
                                                 FormatDialogDouble(high)),
                             field};
    }
    return std::nullopt;
}

std::optional<DialogRefusal> ReadIntegerField(const std::vector<DialogField>& fields,
                                              size_t field, int low, int high, int& value) {
    const std::optional<int> number = ReadDialogInteger(fields[field].text);
    if (!number) {
        return DialogRefusal{kNotIntegerMessage, field};
    }
    // A number beyond an int is held at its limits, outside every range.
    if (*number < low || *number > high) {
        return DialogRefusal{FormatDialogMessage(kIntegerRangeMessage, std::to_string(low),
                                                 std::to_string(high)),
                             field};
    }
    value = *number;
    return std::nullopt;
}

size_t Utf8Length(const std::string& text) {
    size_t count = 0;
    for (const char c : text) {
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
            ++count;
        }
    }
    return count;
}

std::optional<DialogRefusal> RefuseCharactersOutsideCp932(const std::string& utf8, size_t field) {
    const std::vector<std::string> outside = CharactersOutsideCp932(utf8);
    if (outside.empty()) {
        return std::nullopt;
    }
    std::string list;
    for (const std::string& character : outside) {
        list += character;
    }
    return DialogRefusal{Substitute(kOutsideCp932Message, "%1", list), field};
}

TextDialog::TextDialog(const std::string& text, double height, double width, double angle,
                       const std::array<std::string, kTextHistorySize>& history)
    : m_text(text), m_height(height), m_width(width), m_angle(angle) {
    DialogField textField;
    textField.kind = DialogField::Kind::ComboBox;
    textField.text = Cp932ToUtf8(text);
    textField.maxLength = kTextMaxLength;
    // All ten entries, empty ones too: a short history leaves blank lines at the end.
    for (const std::string& entry : history) {
        textField.choices.push_back(Cp932ToUtf8(entry));
    }
    m_fields.push_back(std::move(textField));
    // Height, width and angle share the row under the text.
    m_fields.push_back(EditField("高さ：", height));
    m_fields.push_back(EditField("幅：", width));
    m_fields.back().besidePrevious = true;
    m_fields.push_back(EditField("角度：", angle));
    m_fields.back().besidePrevious = true;
}

std::optional<DialogRefusal> TextDialog::Validate() {
    const std::string& typed = m_fields[kTextField].text;
    if (Utf8Length(typed) > static_cast<size_t>(kTextMaxLength)) {
        return DialogRefusal{Substitute(kTooLongMessage, "%1", std::to_string(kTextMaxLength)),
                             kTextField};
    }
    // The drawing keeps its texts in CP932: a character it cannot hold would turn into
    // "?" without a word.
    if (auto refusal = RefuseCharactersOutsideCp932(typed, kTextField)) {
        return refusal;
    }
    // The values are taken only when every field passes, so a refused OK followed by
    // Cancel leaves the presets.
    double height = 0.0;
    double width = 0.0;
    double angle = 0.0;
    if (auto refusal =
            ReadNumberField(m_fields, kTextHeightField, kTextMinSize, kTextMaxSize, height)) {
        return refusal;
    }
    if (auto refusal =
            ReadNumberField(m_fields, kTextWidthField, kTextMinSize, kTextMaxSize, width)) {
        return refusal;
    }
    if (auto refusal =
            ReadNumberField(m_fields, kTextAngleField, kTextMinAngle, kTextMaxAngle, angle)) {
        return refusal;
    }
    m_text = Utf8ToCp932(typed);
    m_height = height;
    m_width = width;
    m_angle = angle;
    return std::nullopt;
}

}  // namespace marquetta
