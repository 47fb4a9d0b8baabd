// Key codes the core understands: the virtual-key numbers of the program's key
// tables (letters and digits are their ASCII capitals), and the modifier bits. The
// desktop translates its own key events into these.
#pragma once

namespace marquetta {

enum KeyCode : int {
    KEY_BACKSPACE = 0x08,
    KEY_RETURN = 0x0D,
    KEY_ESCAPE = 0x1B,
    KEY_PAGE_UP = 0x21,
    KEY_PAGE_DOWN = 0x22,
    KEY_HOME = 0x24,
    KEY_LEFT = 0x25,
    KEY_UP = 0x26,
    KEY_RIGHT = 0x27,
    KEY_DOWN = 0x28,
    KEY_INSERT = 0x2D,
    KEY_DELETE = 0x2E,
    KEY_NUMPAD0 = 0x60,  // the keypad's digits are 0x60-0x69, apart from the main ones
    KEY_F6 = 0x75,
    KEY_F8 = 0x77,
};

enum KeyModifier : int {
    MOD_NONE = 0,
    MOD_SHIFT = 1,
    MOD_CTRL = 2,
    MOD_ALT = 4,
};

}  // namespace marquetta
