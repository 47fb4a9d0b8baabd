#include "gui/key_translation.h"

#include <QKeyEvent>
#include <QString>

#include "platform/keys.h"

namespace marquetta {

int CoreKeyCode(int qtKey) {
    // Letters and digits share their codes with ASCII in both tables.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    switch (qtKey) {
        case Qt::Key_Backspace:
            return KEY_BACKSPACE;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return KEY_RETURN;
        case Qt::Key_Escape:
            return KEY_ESCAPE;
        case Qt::Key_PageUp:
            return KEY_PAGE_UP;
        case Qt::Key_PageDown:
            return KEY_PAGE_DOWN;
        case Qt::Key_Home:
            return KEY_HOME;
        case Qt::Key_Left:
            return KEY_LEFT;
        case Qt::Key_Up:
            return KEY_UP;
        case Qt::Key_Right:
            return KEY_RIGHT;
        case Qt::Key_Down:
            return KEY_DOWN;
        case Qt::Key_Insert:
            return KEY_INSERT;
        case Qt::Key_Delete:
            return KEY_DELETE;
        case Qt::Key_F6:
            return KEY_F6;
        case Qt::Key_F8:
            return KEY_F8;
        default:
            return 0;
    }
}

CoreKeyPress TranslateKeyEvent(const QKeyEvent& event) {
    CoreKeyPress press;
    press.key = CoreKeyCode(event.key());
    const Qt::KeyboardModifiers mods = event.modifiers();
    if ((mods & Qt::KeypadModifier) && press.key >= '0' && press.key <= '9') {
        press.key = KEY_NUMPAD0 + (press.key - '0');
    }
    if (mods & Qt::ShiftModifier) {
        press.modifiers |= MOD_SHIFT;
    }
    if (mods & Qt::ControlModifier) {
        press.modifiers |= MOD_CTRL;
    }
    if (mods & Qt::AltModifier) {
        press.modifiers |= MOD_ALT;
    }
    const QString text = event.text();
    // Control characters (Ctrl+letter, Escape, Backspace) are keys, not typed text.
    if (!text.isEmpty() && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F) {
        press.character = static_cast<int>(text.toUcs4().value(0));
    }
    return press;
}

}  // namespace marquetta
