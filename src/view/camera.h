// The drawing view's one perspective camera: its state, the transforms each paint builds
// from it, and the values each paint captures so that picking, text hit tests, the scene
// export and printing can map between the world and the window without GL. Also the
// state behind the view-mode menu items.
#pragma once

#include "model/geometry.h"

namespace marquetta {

// Camera state. Neither a new drawing nor opening a file changes it.
extern Float3 g_viewTranslate;  // applied in eye space; z is minus the viewing distance
extern double g_elevation;      // degrees about X, applied after the translation
extern double g_azimuth;        // degrees about the vertical Y, applied after the elevation
extern double g_fieldOfView;    // vertical field of view, degrees
extern int g_perspective;       // 1 = perspective; nothing changes it
extern int g_walkThrough;       // 0 = orbit camera; nothing changes it
extern int g_shaded;            // 0 = wireframe, 1 = lit faces

inline constexpr double kNearPlane = 500.0;
inline constexpr double kFarPlane = 5000000.0;
// The near plane of a paint: kNearPlane, or half the viewing distance where the camera
// has come closer than twice that, so that a close zoom does not clip what it looks at.
double NearPlaneFor(double viewingDistance);

// Captured at every paint. All zero until the first paint.
extern double g_viewWidth;
extern double g_viewHeight;
extern double g_viewAspect;  // width / height
extern double g_paintFov;    // the field of view the paint used
extern int g_viewport[4];    // x, y, width, height
extern double g_projectionMatrix[16];
extern double g_modelviewMatrix[16];  // the one in force for the shapes

// Start-up camera: looking straight down on the ground plane from 50000 mm, world +X
// to the right and world -Z up the screen; wireframe display; nothing captured.
void InitCameraDefaults();

// Back to the start-up elevation, azimuth and translation, then a repaint. The field of
// view and the display mode stay.
void ResetCamera();

// The transforms of one paint of a width x height client area: the viewport, the
// perspective projection, and the model-view T * Rx(elevation) * Ry(azimuth). Stores
// them, with the size, aspect and field of view, as the captured values; the paint loads
// the captured matrices into GL. The model-view starts from identity, the frame in which
// the paint places its light.
void ComputePaintTransforms(int width, int height);

// World point -> window coordinates (y from the bottom, z the depth 0..1) through the
// captured matrices and viewport, exactly as gluProject would. False when the point's
// clip w is 0; the outputs are then left as they were.
bool ProjectCaptured(double x, double y, double z, double& winX, double& winY, double& winZ);

// The captured matrices and viewport, for the text hit tests.
ProjectionRef CapturedProjection();

// "ワイヤーフレーム": switches between wireframe and shaded display, marks the compiled
// wireframe stale and repaints.
void ToggleWireframe();

struct ViewModeItemState {
    bool enabled = true;
    bool checked = false;
};
// Checked while the wireframe is shown.
ViewModeItemState WireframeItemState();
// "平行透視" and "ウォークスルー" have no command: always disabled, checked only for a
// parallel projection or a walk-through camera, which the program never sets.
ViewModeItemState ParallelProjectionItemState();
ViewModeItemState WalkThroughItemState();

}  // namespace marquetta
