// The kinds of point a click snaps to, which of them the user has on, ortho, and the
// snap target under the cursor that the view marks. Program-wide and kept in the
// program's settings: neither a new drawing nor opening a file changes them.
#pragma once

#include "model/geometry.h"

namespace marquetta {

// In the order they are tried: where several lie within reach, the first kind wins.
// Grid snap comes last and is switched by the grid itself.
enum class SnapKind : int {
    Endpoint = 0,
    Intersection = 1,
    Midpoint = 2,
    Center = 3,
    Perpendicular = 4,
    Nearest = 5,
    Grid = 6,
};
inline constexpr int kSwitchableSnapKinds = 6;  // Endpoint to Nearest

inline constexpr int SnapBit(SnapKind kind) {
    return 1 << static_cast<int>(kind);
}

extern int g_snapKinds;  // SnapBit of each kind the user has on; the grid's is ignored
extern int g_orthoOn;    // second points lie on the horizontal or vertical of the first

// The name the status bar gives a kind ("端点", ...); empty for the grid.
const char* SnapKindName(SnapKind kind);

// Only end points, ortho off.
void InitSnapDefaults();
// From the program's settings; a kind never stored keeps its default.
void LoadSnapSettings();
bool SnapKindOn(SnapKind kind);
// Switches the kind or ortho and stores the choice in the settings.
void ToggleSnapKind(SnapKind kind);
void ToggleOrtho();

// The snap target the cursor is over while a command asks for a point, marked by the
// view and named in the status bar.
struct SnapMarker {
    bool shown = false;
    SnapKind kind = SnapKind::Endpoint;
    Double3 point;
};
extern SnapMarker snapMarker;

}  // namespace marquetta
