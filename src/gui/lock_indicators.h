// The keyboard's lock indicators for the status bar's Kana, CAP, NUM and SCRL panes,
// read from the X server's keyboard extension. Elsewhere (no X11 display) every lock
// reads as off.
#pragma once

namespace marquetta {

struct LockIndicators {
    bool kana = false;
    bool capsLock = false;
    bool numLock = false;
    bool scrollLock = false;
};

LockIndicators ReadLockIndicators();

}  // namespace marquetta
