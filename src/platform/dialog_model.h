// A modal dialog as data: a title and a column of labelled fields, each a combo box
// or an edit box holding text, and the check that OK runs. The models behind the
// program's dialogs implement it; the desktop shows any model with one dialog class,
// and the headless platform fills the fields from a script.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace marquetta {

struct DialogField {
    enum class Kind { ComboBox, Edit };
    Kind kind = Kind::Edit;
    std::string label;                // UTF-8
    std::string text;                 // UTF-8; what the field holds
    std::vector<std::string> choices;  // a combo box's list, in the order shown
    int maxLength = 0;                // characters the user may type; 0 = no limit
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
};

}  // namespace marquetta
