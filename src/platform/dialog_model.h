// A modal dialog as data: a title and a column of labelled fields, each a combo box,
// an edit box holding text (with or without up and down arrows) or a colour button
// with its swatch, and the check that OK runs. The models behind the program's dialogs
// implement it; the desktop shows any model with one dialog class, and the headless
// platform fills the fields from a script. Also here: a list dialog of items with
// check boxes that answer clicks and double clicks.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace marquetta {

// A colour as the desktop's colour chooser gives it: 0-255 per channel.
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const RgbColor&) const = default;
};

// The whole numbers that the up and down arrows of an edit step through.
struct SpinRange {
    int minimum = 0;
    int maximum = 0;
};

struct DialogField {
    enum class Kind { ComboBox, Edit, ColorButton };
    Kind kind = Kind::Edit;
    std::string label;                // UTF-8
    std::string text;                 // UTF-8; what the field holds
    std::vector<std::string> choices;  // a combo box's list, in the order shown
    int maxLength = 0;                // characters the user may type; 0 = no limit
    // An edit with up and down arrows (and the arrow keys) that step its number by one.
    std::optional<SpinRange> spin;
    // A colour button: `label` is its caption, and its swatch shows `color`.
    RgbColor color;
    std::string note;   // UTF-8; a second label after an edit with arrows
    std::string group;  // UTF-8; neighbours of one group share a box so titled
    // A note shown under the field (UTF-8): an example or the unit; empty for none.
    std::string hint;
    bool besidePrevious = false;  // on the row of the field before it
};

// A size in dialog units: a quarter of the dialog font's average character width
// across, an eighth of its height down.
struct DialogUnits {
    int width = 0;
    int height = 0;
};

// Why OK was refused: a message for the user and the field that gets the focus.
struct DialogRefusal {
    std::string message;
    size_t field = 0;
};

class DialogModel {
public:
    virtual ~DialogModel() = default;
    virtual std::string Title() const = 0;
    // The fields as the dialog opens; the dialog edits their `text`.
    virtual std::vector<DialogField>& Fields() = 0;
    // Run when OK is pressed: nothing when the values are accepted (the dialog closes),
    // else the refusal to show, after which the dialog stays open.
    virtual std::optional<DialogRefusal> Validate() = 0;
    // The button of field `field` (a colour button) was pressed. The model may change
    // the fields' colours; the dialog shows them again afterwards.
    virtual void PressButton(size_t field) { (void)field; }
    // The dialog's size, whatever its fields hold; 0 x 0: as large as its fields need.
    virtual DialogUnits Size() const { return {}; }
};

// One line of a list dialog: its text (UTF-8), whether its box is checked, and whether
// it is marked as the one in use (shown in bold).
struct ListDialogItem {
    std::string text;
    bool checked = false;
    bool marked = false;
    bool operator==(const ListDialogItem&) const = default;
};

// A modal dialog of one list with a check box per item, and OK and Cancel. A click and
// a double click go to the model with the item under the pointer, -1 over empty
// space; the list is shown again from Items() after each.
class ListDialogModel {
public:
    virtual ~ListDialogModel() = default;
    virtual std::string Title() const = 0;
    virtual std::vector<ListDialogItem> Items() const = 0;
    virtual void Click(int item) = 0;
    // The second press of a double click; the click of its first press came before.
    virtual void DoubleClick(int item) = 0;
    // Buttons under OK and Cancel (UTF-8 captions with "&" before the mnemonic); none
    // unless the model has some.
    virtual std::vector<std::string> Buttons() const { return {}; }
    // Button `button` was pressed while item `selected` was selected (-1: none).
    virtual void PressButton(size_t button, int selected) {
        (void)button;
        (void)selected;
    }
    // The item to select once the list is shown again after a button (-1: as it was).
    virtual int Selection() const { return -1; }
};

}  // namespace marquetta
