#include "view/camera.h"

#include <algorithm>

#include "model/layers.h"
#include "platform/platform.h"
#include "view/gl_matrix.h"

namespace marquetta {

Float3 g_viewTranslate;
double g_elevation = 0.0;
double g_azimuth = 0.0;
double g_fieldOfView = 0.0;
int g_perspective = 0;
int g_walkThrough = 0;
int g_shaded = 0;

double g_viewWidth = 0.0;
double g_viewHeight = 0.0;
double g_viewAspect = 0.0;
double g_paintFov = 0.0;
int g_viewport[4] = {0, 0, 0, 0};
double g_projectionMatrix[16] = {};
double g_modelviewMatrix[16] = {};

namespace {
constexpr Float3 kStartTranslate{0.0f, 0.0f, -50000.0f};
constexpr double kStartElevation = 90.0;
constexpr double kStartAzimuth = 0.0;
}  // namespace

void InitCameraDefaults() {
    g_viewTranslate = kStartTranslate;
    g_elevation = kStartElevation;
    g_azimuth = kStartAzimuth;
    g_fieldOfView = 30.0;
    g_perspective = 1;
    g_walkThrough = 0;
    g_shaded = 0;

    g_viewWidth = 0.0;
    g_viewHeight = 0.0;
    g_viewAspect = 0.0;
    g_paintFov = 0.0;
    for (int& v : g_viewport) {
        v = 0;
    }
    for (int i = 0; i < 16; ++i) {
        g_projectionMatrix[i] = 0.0;
        g_modelviewMatrix[i] = 0.0;
    }
}

void ResetCamera() {
    g_elevation = kStartElevation;
    g_azimuth = kStartAzimuth;
    g_viewTranslate = kStartTranslate;
    CurrentPlatform().InvalidateView();
}

void ComputePaintTransforms(int width, int height) {
    g_viewport[0] = 0;
    g_viewport[1] = 0;
    g_viewport[2] = width;
    g_viewport[3] = height;
    g_viewWidth = width;
    g_viewHeight = height;
    g_viewAspect = g_viewWidth / g_viewHeight;
    g_paintFov = g_fieldOfView;

    LoadIdentity(g_projectionMatrix);
    MultiplyPerspective(g_projectionMatrix, g_fieldOfView, g_viewAspect,
                        NearPlaneFor(-g_viewTranslate.z), kFarPlane);

    LoadIdentity(g_modelviewMatrix);
    MultiplyTranslate(g_modelviewMatrix, g_viewTranslate.x, g_viewTranslate.y, g_viewTranslate.z);
    MultiplyRotate(g_modelviewMatrix, g_elevation, 1.0, 0.0, 0.0);
    MultiplyRotate(g_modelviewMatrix, g_azimuth, 0.0, 1.0, 0.0);
}

double NearPlaneFor(double viewingDistance) {
    return std::min(kNearPlane, viewingDistance * 0.5);
}

bool ProjectCaptured(double x, double y, double z, double& winX, double& winY, double& winZ) {
    return ProjectToWindow(x, y, z, CapturedProjection(), winX, winY, winZ);
}

ProjectionRef CapturedProjection() {
    return ProjectionRef{g_modelviewMatrix, g_projectionMatrix, g_viewport};
}

void ToggleWireframe() {
    g_shaded = !g_shaded;
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

ViewModeItemState WireframeItemState() {
    return ViewModeItemState{true, g_shaded == 0};
}

ViewModeItemState ParallelProjectionItemState() {
    return ViewModeItemState{false, g_perspective == 0};
}

ViewModeItemState WalkThroughItemState() {
    return ViewModeItemState{false, g_walkThrough == 1};
}

}  // namespace marquetta
