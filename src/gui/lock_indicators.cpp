#include "gui/lock_indicators.h"

#include <QGuiApplication>

// Xlib's macros (None, Bool, Status ...) collide with Qt names: include it last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>

namespace marquetta {
namespace {

bool IndicatorOn(Display* display, const char* name) {
    const Atom atom = XInternAtom(display, name, True);
    if (atom == 0) {
        return false;  // the keymap has no such indicator
    }
    Bool on = False;
    if (!XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) {
        return false;
    }
    return on != False;
}

}  // namespace

LockIndicators ReadLockIndicators() {
    LockIndicators locks;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (display == nullptr) {
        return locks;
    }
    locks.kana = IndicatorOn(display, "Kana");
    locks.capsLock = IndicatorOn(display, "Caps Lock");
    locks.numLock = IndicatorOn(display, "Num Lock");
    locks.scrollLock = IndicatorOn(display, "Scroll Lock");
    return locks;
}

}  // namespace marquetta
