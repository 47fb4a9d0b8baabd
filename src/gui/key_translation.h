// Qt key events in the core's terms: the virtual-key code, the modifier bits and the
// typed character, which is what the accelerator table and the view's key handling read.
#pragma once

class QKeyEvent;

namespace marquetta {

struct CoreKeyPress {
    int key = 0;        // a KeyCode, a capital letter or a digit; 0 for keys the core lacks
    int modifiers = 0;  // KeyModifier bits
    int character = 0;  // the typed character (Unicode), 0 if none
};

CoreKeyPress TranslateKeyEvent(const QKeyEvent& event);

// The key code of a Qt::Key value, or 0.
int CoreKeyCode(int qtKey);

}  // namespace marquetta
