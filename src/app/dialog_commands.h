// The commands that run the value dialogs and help: the grid pitch (Shift+G) and the
// status bar's scale button on the main frame, help on the target given for it.
#pragma once

#include <string>

#include "platform/command_target.h"

namespace marquetta {

// "SCL:1/%d" with the scale denominator truncated: the scale button's caption.
std::string ScaleCaption();

// Registers 32805 and 1024 (with its caption) on `frame` and 32807 on `help`.
void RegisterDialogCommands(CommandTarget& frame, CommandTarget& help);

}  // namespace marquetta
