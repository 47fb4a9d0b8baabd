// Every command of the program as data: its number, menu caption, status text and
// tool tip; the menu tree; the two tool bars; the accelerator table. The desktop
// builds its menus, tool bars and shortcuts from these tables alone.
#pragma once

#include <string>
#include <vector>

#include "platform/command_ids.h"

namespace marquetta {


inline constexpr int kRecentFileCount = 4;

struct CommandInfo {
    int id;
    const char* caption;     // menu caption with its "&" mnemonic and "\t" shortcut text
    const char* statusText;  // shown in the status line while the item is highlighted
    const char* toolTip;     // empty when the command has no button
};

// Every command that has a caption, a status text or a tool tip.
const std::vector<CommandInfo>& CommandTable();
// The entry of `id`, or null.
const CommandInfo* FindCommand(int id);

struct MenuItem {
    enum class Kind { Command, Separator, Popup };
    Kind kind = Kind::Command;
    int id = 0;                     // Command
    const char* caption = "";       // Popup (commands take theirs from the table)
    std::vector<MenuItem> children;  // Popup
};

// The menu bar: one popup per menu, in order.
const std::vector<MenuItem>& MainMenu();

// Tool-bar buttons in order; 0 is a separator.
const std::vector<int>& StandardToolBar();
const std::vector<int>& DrawingToolBar();

struct Accelerator {
    int key;        // a KeyCode, a capital letter, or the character itself for `character`
    int modifiers;  // KeyModifier bits
    bool character;  // matches the typed character (with any modifiers) rather than the key
    int command;
};
const std::vector<Accelerator>& AcceleratorTable();
// The command of a key press, or 0. `character` is the typed character, 0 if none.
int TranslateAccelerator(int key, int modifiers, int character);

// The status line's idle text.
inline constexpr const char* kIdleStatusText = "ﾚﾃﾞｨ";
// The prompt line's text at start-up.
inline constexpr const char* kInitialPromptText = "レディ";

}  // namespace marquetta
