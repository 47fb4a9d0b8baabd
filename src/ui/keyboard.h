// The drawing view's own keys, those the accelerator table leaves to it: Enter cancels,
// Home resets the camera, Page Up and Page Down zoom, the arrow keys pan, D turns the
// arc being drawn the other way, M makes a copy continuous, 0 shows the first selected
// shape's numbers and 9 imports a text file. The body of OnKeyDown (view.h) is here,
// and the names of keys as the menus and the manual write them.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/document.h"

namespace marquetta {

// A pan key moves the camera by this share of the viewing distance, which is what
// 50 pixels of a mouse pan move it.
inline constexpr double kKeyPanShare = 0.052083333333333336;
inline constexpr double kKeyPanPixels = 50.0;
inline constexpr double kKeyZoomIn = 0.9;
inline constexpr double kKeyZoomOut = 1.1;

// One zoom step: the viewing distance times `factor`, taken while the camera stays
// farther than the closest distance and the distance can be held (else the prompt line
// says so); the first screen point follows the picture. The view repaints either way.
void ZoomByKey(double factor);

// One pan step for an arrow key (KEY_LEFT ... KEY_DOWN): the picture and the first
// screen point move 50 pixels the arrow's way, unless the camera would pass what single
// precision holds (the prompt line says so). The view repaints.
void PanByKey(int key);

// The numbers of the first selected shape of a visible layer: its place in the list
// (from 1) and kind, then its points labelled as the plan is read (X east, Y north,
// Z up) and its radius, angles or text size. Nothing when no such shape exists.
std::optional<std::string> ShapeInformation(const CZorader_ezDoc& doc);

class CZorader_ezView;

// One key the view handles itself: its code, its name and what it does. A key that is
// not in the table does nothing in the view.
struct ViewKey {
    int key;
    const char* name;
    void (*action)(CZorader_ezView& view);
};
const std::vector<ViewKey>& ViewKeyTable();

// A key with its KeyModifier bits as the menus show it: "Ctrl+Shift+Z", "Page Up",
// "Esc"; empty for a key without a name.
std::string KeyName(int key, int modifiers);

}  // namespace marquetta
