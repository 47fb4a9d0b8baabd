// Panning and zooming the camera with the mouse: the move-view and zoom commands that
// arm one left drag, the middle-button and Shift+right pan, the Ctrl+right zoom and the
// wheel. Navigation nests inside editing: a pending step keeps its first point, and the
// first corner of a pending selection window follows the picture.
#pragma once

#include "platform/platform.h"

namespace marquetta {

// The buttons held, as the desktop reports them with a mouse event.
enum MouseButton : int {
    MOUSE_LEFT = 1,
    MOUSE_RIGHT = 2,
    MOUSE_MIDDLE = 4,
};

// World units per pixel of a pan, as a share of the viewing distance (1 / 960).
inline constexpr double kPanPerPixel = 0.0010416666666666667;
// Share of the viewing distance per pixel of a zoom drag, and per wheel delta unit.
inline constexpr double kZoomPerPixel = 0.002;
inline constexpr double kZoomPerWheelUnit = 0.0005;
// A left release this many pixels or more from the press that opened a selection
// window closes it: the window was dragged.
inline constexpr int kWindowDragPixels = 5;

// The camera never comes this close to what it looks at: close enough for a part of
// 10 mm to fill the window (the near plane follows the distance, see camera.h).
inline constexpr double kClosestViewingDistance = 5.0;

// What a pan or zoom says that would take the camera beyond single precision (it keeps
// the camera as it was).
inline constexpr const char* kPromptViewLimit = "これ以上は表示を動かせません（座標の範囲の限界です）";
// Whether the camera can take these values: else the prompt line says so.
bool CameraTakes(double value);
bool CameraTakes(double a, double b);

// The view's navigation state; all zero when the view is created.
struct NavigationState {
    int moveViewArmed = 0;  // 1 after the move-view command until the next left release
    int zoomMode = 0;       // 0 none, 1 armed, 2 left zoom drag, 3 Ctrl+right zoom drag
    int panDrag = 0;        // 0 none, 1 middle or armed left drag, 2 Shift+right drag
    int lastMouseX = 0;     // the mouse pixel at the last navigation step
    int lastMouseY = 0;
    bool middleDrag = false;         // the pan of panDrag 1 belongs to the middle button
    bool rightDrag = false;          // a plain right drag is in progress
    bool rightPressIgnored = false;  // the right press did nothing; so does its release
    bool windowPressed = false;      // the left press held now opened a selection window
    int windowPressX = 0;            // ... at this pixel
    int windowPressY = 0;
    // Navigation holds the pointer and the mouse capture, from the first arming or drag
    // until the last one ends; then the view's arrow comes back.
    bool cursorTaken = false;

    // Neither the move-view nor the zoom command is armed or dragging.
    bool Guard() const { return moveViewArmed == 0 && zoomMode == 0; }
};

// Moves the camera to follow a zoom from viewing distance -oldZ to -newZ: firstScreenPoint
// is scaled about the window centre by oldZ / newZ.
void FollowZoom(double oldZ, double newZ);

// One zoom step of `amount` units (drag pixels upward, or wheel delta) at `perUnit` of
// the viewing distance each; positive comes closer. Taken only while the camera stays
// farther than the closest distance and the distance can be held (CameraTakes); the
// view repaints either way.
void ZoomBy(double amount, double perUnit);

// A zoom step like ZoomBy about the pixel (x, y) instead of the window centre: the point
// under that pixel at the depth of the camera's centre of rotation stays under it (in
// the plan view, the ground point under the cursor), and firstScreenPoint scales about
// the pixel. Before the first paint it zooms about the centre.
void ZoomAt(double amount, double perUnit, int x, int y);

// A pan of (dx, dy) pixels, dy counted upward: the camera and firstScreenPoint follow,
// unless the camera cannot take the place (CameraTakes).
void PanBy(int dx, int dy);

}  // namespace marquetta
