// The steps the program runs before its screenshot (the --steps option): commands,
// clicks and mouse moves at plan points, wheel turns, typing into the open dialog and
// double clicks on a row of its list, so that the manual's pictures show dialogs and
// drawings in progress.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace marquetta {

struct ScreenshotStep {
    enum class Kind {
        Command,     // "cmd:ID": the command, as its menu item or button runs it
        Click,       // "click:X,Y": the mouse to the plan point, a left click there
        RightClick,  // "rclick:X,Y": the same with the right button
        Move,        // "move:X,Y": the mouse to the plan point
        Wheel,       // "wheel:N": N wheel notches, positive away from the user (closer)
        Type,        // "type:TEXT": typed into the open dialog's focused field
        OpenRow,     // "row:N": a double click on row N (from 0) of the open dialog's list
        Key,         // "key:Return" or "key:Escape": the key pressed in the open dialog
    };
    Kind kind = Kind::Command;
    int number = 0;       // Command: the id; Wheel: notches; OpenRow: the row
    double x = 0, y = 0;  // Click, RightClick, Move: millimetres, x right and y up the plan
    std::string text;     // Type
};

// Steps separated by ";". Nothing, and `error` says which step is wrong, when one is.
std::optional<std::vector<ScreenshotStep>> ParseScreenshotSteps(std::string_view steps,
                                                                std::string& error);

}  // namespace marquetta
