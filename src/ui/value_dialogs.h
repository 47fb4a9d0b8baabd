// The single-value dialogs (grid pitch, drawing scale, offset width): one combo box
// with a label and its preset list. The dialog only carries the text; what it means is
// read by the command that ran it. Also here: the grid and scale commands, and the
// readings of typed numbers that the commands share.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog_model.h"

namespace marquetta {

// A titled dialog holding one labelled combo box. It checks nothing on OK.
class ValueDialog : public DialogModel {
  public:
    ValueDialog(std::string title, std::string label, std::vector<std::string> presets);

    std::string Title() const override { return m_title; }
    std::vector<DialogField>& Fields() override { return m_fields; }
    std::optional<DialogRefusal> Validate() override { return std::nullopt; }
    DialogUnits Size() const override { return {187, 51}; }

    // The combo box's edit text (UTF-8): set before running, read after OK.
    void SetText(std::string text) { m_fields[0].text = std::move(text); }
    const std::string& Text() const { return m_fields[0].text; }

  private:
    std::string m_title;
    std::vector<DialogField> m_fields;
};

// "グリッド": pitches 455, 910 and 1000 offered.
class GridDialog : public ValueDialog {
  public:
    GridDialog();
};

// "縮尺": the usual scale denominators offered.
class ScaleDialog : public ValueDialog {
  public:
    ScaleDialog();
};

// "複線の幅入力": no presets.
class OffsetWidthDialog : public ValueDialog {
  public:
    OffsetWidthDialog();
};

inline constexpr int kMinGridPitch = 10;
inline constexpr int kMaxGridPitch = 9999;
inline constexpr int kMinScale = 1;
inline constexpr int kMaxScale = 999;

// The leading integer of `text` as C reads one: blanks skipped, an optional sign, the
// digits up to the first other character; no digits give 0. A number too long for an
// int is held at INT_MAX or INT_MIN, so that it falls outside every range rather than
// wrapping into one.
int ReadLeadingInteger(std::string_view text);

// Reads a whole field as one integer: blanks around it and a sign are allowed,
// anything else makes it not an integer. A number too long for an int is held at its
// limits, outside every range the dialogs check.
std::optional<int> ReadDialogInteger(std::string_view text);

// What an edit's up or down arrow makes of its text: the leading integer held to the
// range, plus `step`, held to the range again, as "%d".
std::string StepSpinText(std::string_view text, int step, SpinRange range);

// "%d" of a value truncated toward zero (455.7 gives "455"); values beyond an int are
// held at its limits, and a NaN gives "0".
std::string FormatTruncated(double value);

// The longest decimal number at the start of `text` after blanks: sign, digits, a
// point, an exponent, read the same whatever the user's locale. Infinity, NaN and
// hexadecimal forms are not numbers here. `used` gets the characters taken (0 when
// there was no number). A value too large for a double is infinite, a value too
// small to hold reads as zero.
std::optional<double> ReadLeadingDouble(std::string_view text, size_t* used = nullptr);

// The offset width typed into its dialog: each comma counts as a blank and the first
// number is read; no number, or one too large to be a finite double, gives 0.
double ReadOffsetWidth(std::string_view text);

// Runs the offset width dialog (its text starts empty). The typed width after OK, as
// ReadOffsetWidth reads it; nothing on Cancel.
std::optional<double> AskOffsetWidth();

// The grid command: the dialog preset with the current pitch; a value of 10-9999 on OK
// becomes the pitch, switches the grid on and repaints. Anything else changes nothing.
// True when a value was taken.
bool RunGridDialog();

// The scale command: the same with the scale denominator, for 1-999.
bool RunScaleDialog();

}  // namespace marquetta
