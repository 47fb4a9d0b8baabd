// The text dialog ("文字"): the text of a new text shape, picked from or typed over the
// history list, with its height, width and angle. It keeps the drawing's CP932 text on
// its side and shows UTF-8 in the fields; OK checks the fields in order and refuses
// the first bad one with the message and the focus on that field.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "edit/editing_state.h"
#include "platform/dialog_model.h"

namespace marquetta {

inline constexpr int kTextMaxLength = 250;  // characters
inline constexpr double kTextMinSize = 0.1;
inline constexpr double kTextMaxSize = 1e10;
inline constexpr double kTextMinAngle = -360.0;
inline constexpr double kTextMaxAngle = 360.0;

// The fields, in the order the dialog shows them.
enum TextDialogField : size_t {
    kTextField = 0,
    kTextHeightField = 1,
    kTextWidthField = 2,
    kTextAngleField = 3,
};

class TextDialog : public DialogModel {
  public:
    // Preset from the last text (CP932), height, width, angle, and the history (CP932,
    // most recent first).
    TextDialog(const std::string& text, double height, double width, double angle,
               const std::array<std::string, kTextHistorySize>& history);

    std::string Text() const { return m_text; }  // CP932, after OK
    double Height() const { return m_height; }   // after OK
    double Width() const { return m_width; }
    double Angle() const { return m_angle; }

    std::string Title() const override { return "文字"; }
    std::vector<DialogField>& Fields() override { return m_fields; }
    std::optional<DialogRefusal> Validate() override;
    DialogUnits Size() const override { return {190, 71}; }

  private:
    std::vector<DialogField> m_fields;
    std::string m_text;
    double m_height;
    double m_width;
    double m_angle;
};

// A double as the dialog shows it: the shortest form with up to 15 significant digits
// ("%.15g"): 0.1, 300, 1e+20.
std::string FormatDialogDouble(double value);

// Reads a whole field as one number: blanks around it are allowed, anything else
// makes it not a number.
std::optional<double> ReadDialogDouble(const std::string& text);

// A message of the dialogs with its "%1" and "%2" filled in.
std::string FormatDialogMessage(std::string message, const std::string& first,
                                const std::string& second = "");

// The checks of a field that OK runs: the field `field` read as a number (a whole
// number) within the inclusive bounds into `value`, or the refusal with the message
// and the focus on that field ("数字を入力してください。", "%1 から %2 までの数字を入力
// してください。" and their "整数" forms). `value` is left alone on a refusal.
std::optional<DialogRefusal> ReadNumberField(const std::vector<DialogField>& fields,
                                             size_t field, double low, double high,
                                             double& value);
// The same refusals for a number already read (nothing when it could not be read).
std::optional<DialogRefusal> RefuseNumber(std::optional<double> number, size_t field, double low,
                                          double high);
std::optional<DialogRefusal> ReadIntegerField(const std::vector<DialogField>& fields,
                                              size_t field, int low, int high, int& value);

// Characters (code points) of a UTF-8 text.
size_t Utf8Length(const std::string& text);

// The check of every dialog field whose text is stored in CP932 (texts, layer names,
// materials): a refusal naming the characters CP932 cannot hold, with the focus on
// `field`; nothing when the whole text converts.
std::optional<DialogRefusal> RefuseCharactersOutsideCp932(const std::string& utf8, size_t field);

}  // namespace marquetta
