#include "view/camera.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/program_defaults.h"
#include "model/layers.h"
#include "platform/platform.h"
#include "view/gl_matrix.h"

namespace marquetta {
namespace {

constexpr double kPi = 3.14159265358979323846;

class CameraTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    // Eye-space point of a world point under the captured model-view.
    static void EyePoint(double x, double y, double z, double eye[3]) {
        const double* m = g_modelviewMatrix;
        for (int i = 0; i < 3; ++i) {
            eye[i] = m[i] * x + m[4 + i] * y + m[8 + i] * z + m[12 + i];
        }
    }

    HeadlessPlatform platform_;
};

TEST_F(CameraTest, StartUpState) {
    EXPECT_EQ(g_viewTranslate, (Float3{0.0f, 0.0f, -50000.0f}));
    EXPECT_EQ(g_elevation, 90.0);
    EXPECT_EQ(g_azimuth, 0.0);
    EXPECT_EQ(g_fieldOfView, 30.0);
    EXPECT_EQ(g_perspective, 1);
    EXPECT_EQ(g_walkThrough, 0);
    EXPECT_EQ(g_shaded, 0);
    // Nothing is captured before the first paint.
    EXPECT_EQ(g_viewWidth, 0.0);
    EXPECT_EQ(g_viewport[2], 0);
    EXPECT_EQ(g_projectionMatrix[0], 0.0);
    EXPECT_EQ(g_modelviewMatrix[15], 0.0);
    double x = -1, y = -1, z = -1;
    EXPECT_FALSE(ProjectCaptured(0, 0, 0, x, y, z));
    EXPECT_EQ(x, -1);
}

TEST_F(CameraTest, InitRestoresValuesChangedByAnEarlierRun) {
    g_viewTranslate = Float3{5.0f, 6.0f, -7.0f};
    g_fieldOfView = 45.0;
    g_shaded = 1;
    ComputePaintTransforms(640, 480);
    InitProgramDefaults();
    EXPECT_EQ(g_viewTranslate.z, -50000.0f);
    EXPECT_EQ(g_fieldOfView, 30.0);
    EXPECT_EQ(g_shaded, 0);
    EXPECT_EQ(g_viewAspect, 0.0);
    EXPECT_EQ(g_viewport[3], 0);
}

TEST_F(CameraTest, ProjectionIsTheHandComputedPerspective) {
    ComputePaintTransforms(800, 600);
    const double half = 15.0 * kPi / 180.0;
    const double f = std::cos(half) / std::sin(half);
    const double n = 500.0, far = 5000000.0;
    const double expected[16] = {
        f / (800.0 / 600.0),      0, 0, 0, 0, f, 0, 0, 0, 0, -(far + n) / (far - n), -1, 0, 0,
        -2 * n * far / (far - n), 0};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(g_projectionMatrix[i], expected[i], 1e-12) << "element " << i;
    }
    EXPECT_EQ(g_viewport[0], 0);
    EXPECT_EQ(g_viewport[1], 0);
    EXPECT_EQ(g_viewport[2], 800);
    EXPECT_EQ(g_viewport[3], 600);
    EXPECT_EQ(g_viewWidth, 800.0);
    EXPECT_EQ(g_viewHeight, 600.0);
    EXPECT_EQ(g_viewAspect, 800.0 / 600.0);
    EXPECT_EQ(g_paintFov, 30.0);
}

TEST_F(CameraTest, PaintUsesTheCurrentFieldOfView) {
    g_fieldOfView = 60.0;
    ComputePaintTransforms(500, 500);
    EXPECT_EQ(g_paintFov, 60.0);
    EXPECT_NEAR(g_projectionMatrix[5], std::sqrt(3.0), 1e-12);
    EXPECT_NEAR(g_projectionMatrix[0], std::sqrt(3.0), 1e-12);
}

TEST_F(CameraTest, StartUpModelviewIsTranslateThenQuarterTurnAboutX) {
    ComputePaintTransforms(800, 600);
    // Columns: +X stays, +Y goes to eye +Z, +Z goes to eye -Y, then the translation.
    const double expected[16] = {1, 0, 0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 0, -50000, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(g_modelviewMatrix[i], expected[i], 1e-12) << "element " << i;
    }
}

TEST_F(CameraTest, StartUpPutsOriginAtCentreAndMinusZUp) {
    ComputePaintTransforms(800, 600);
    double x, y, z;
    ASSERT_TRUE(ProjectCaptured(0, 0, 0, x, y, z));
    EXPECT_NEAR(x, 400.0, 1e-9);
    EXPECT_NEAR(y, 300.0, 1e-9);
    EXPECT_GT(z, 0.0);
    EXPECT_LT(z, 1.0);

    ASSERT_TRUE(ProjectCaptured(0, 0, -1000, x, y, z));
    EXPECT_NEAR(x, 400.0, 1e-9);
    EXPECT_GT(y, 300.0 + 1.0);

    ASSERT_TRUE(ProjectCaptured(1000, 0, 0, x, y, z));
    EXPECT_GT(x, 400.0 + 1.0);
    EXPECT_NEAR(y, 300.0, 1e-9);

    // 1000 mm at 50000 mm with a 30 degree field on 600 pixels.
    ASSERT_TRUE(ProjectCaptured(0, 0, 1000, x, y, z));
    const double f = 1.0 / std::tan(15.0 * kPi / 180.0);
    EXPECT_NEAR(y, 300.0 - f * 1000.0 / 50000.0 * 300.0, 1e-9);
}

TEST_F(CameraTest, NearAndFarPlanesAreTheDepthRangeEnds) {
    ComputePaintTransforms(800, 600);
    // The eye stands 50000 mm above the origin, looking down -Y.
    double x, y, z;
    ASSERT_TRUE(ProjectCaptured(0, 50000.0 - 500.0, 0, x, y, z));
    EXPECT_NEAR(z, 0.0, 1e-9);
    ASSERT_TRUE(ProjectCaptured(0, 50000.0 - 5000000.0, 0, x, y, z));
    EXPECT_NEAR(z, 1.0, 1e-9);
    // Just outside either plane falls outside the depth range, so it is clipped.
    ASSERT_TRUE(ProjectCaptured(0, 50000.0 - 499.0, 0, x, y, z));
    EXPECT_LT(z, 0.0);
    ASSERT_TRUE(ProjectCaptured(0, 50000.0 - 5000100.0, 0, x, y, z));
    EXPECT_GT(z, 1.0);
    // The eye itself has clip w 0.
    EXPECT_FALSE(ProjectCaptured(0, 50000.0, 0, x, y, z));
}

TEST_F(CameraTest, PanMovesTheEyeNotTheViewDirection) {
    g_viewTranslate = Float3{300.0f, -200.0f, -20000.0f};
    ComputePaintTransforms(400, 400);
    double x, y, z;
    // World (-300, 0, -200) reaches eye (0, 0, -20000): the window centre.
    ASSERT_TRUE(ProjectCaptured(-300, 0, -200, x, y, z));
    EXPECT_NEAR(x, 200.0, 1e-9);
    EXPECT_NEAR(y, 200.0, 1e-9);
    ASSERT_TRUE(ProjectCaptured(-300, 20000.0 - 500.0, -200, x, y, z));
    EXPECT_NEAR(z, 0.0, 1e-9);
}

TEST_F(CameraTest, AzimuthTurnsTheWorldBeforeTheElevation) {
    g_azimuth = 90.0;
    ComputePaintTransforms(800, 600);
    double x, y, z;
    // Ry(90) takes +X to -Z, which Rx(90) takes up the screen. The other order would
    // leave +X pointing right.
    ASSERT_TRUE(ProjectCaptured(1000, 0, 0, x, y, z));
    EXPECT_NEAR(x, 400.0, 1e-9);
    EXPECT_GT(y, 301.0);
}

TEST_F(CameraTest, GeneralCameraMatchesHandComposedTransform) {
    g_viewTranslate = Float3{120.0f, -80.0f, -20000.0f};
    g_elevation = 30.0;
    g_azimuth = 45.0;
    ComputePaintTransforms(1024, 768);
    const double p[3] = {1500.0, 250.0, -3200.0};
    const double a = 45.0 * kPi / 180.0, e = 30.0 * kPi / 180.0;
    // Ry(azimuth), then Rx(elevation), then the translation.
    const double ry[3] = {std::cos(a) * p[0] + std::sin(a) * p[2], p[1],
                          -std::sin(a) * p[0] + std::cos(a) * p[2]};
    const double rx[3] = {ry[0], std::cos(e) * ry[1] - std::sin(e) * ry[2],
                          std::sin(e) * ry[1] + std::cos(e) * ry[2]};
    const double expected[3] = {rx[0] + 120.0, rx[1] - 80.0, rx[2] - 20000.0};
    double eye[3];
    EyePoint(p[0], p[1], p[2], eye);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(eye[i], expected[i], 1e-9) << "axis " << i;
    }
    EXPECT_EQ(g_modelviewMatrix[3], 0.0);
    EXPECT_EQ(g_modelviewMatrix[7], 0.0);
    EXPECT_EQ(g_modelviewMatrix[11], 0.0);
    EXPECT_EQ(g_modelviewMatrix[15], 1.0);
}

TEST_F(CameraTest, ZeroWidthLeavesTheProjectionIdentityAsGluDoes) {
    ComputePaintTransforms(0, 300);
    EXPECT_EQ(g_viewAspect, 0.0);
    double identity[16];
    LoadIdentity(identity);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(g_projectionMatrix[i], identity[i]) << "element " << i;
    }
}

TEST_F(CameraTest, CapturedProjectionRefersToTheCapturedValues) {
    const ProjectionRef ref = CapturedProjection();
    EXPECT_EQ(ref.modelview, g_modelviewMatrix);
    EXPECT_EQ(ref.projection, g_projectionMatrix);
    EXPECT_EQ(ref.viewport, g_viewport);
    ComputePaintTransforms(800, 600);
    double x1, y1, z1, x2, y2, z2;
    ASSERT_TRUE(ProjectToWindow(250, 0, -700, ref, x1, y1, z1));
    ASSERT_TRUE(ProjectCaptured(250, 0, -700, x2, y2, z2));
    EXPECT_EQ(x1, x2);
    EXPECT_EQ(y1, y2);
    EXPECT_EQ(z1, z2);
}

TEST_F(CameraTest, ResetCameraRestoresTheOrbitButKeepsFieldAndDisplayMode) {
    ScopedPlatform scope(platform_);
    g_viewTranslate = Float3{10.0f, 20.0f, -900.0f};
    g_elevation = 10.0;
    g_azimuth = 33.0;
    g_fieldOfView = 50.0;
    g_shaded = 1;
    ResetCamera();
    EXPECT_EQ(g_viewTranslate, (Float3{0.0f, 0.0f, -50000.0f}));
    EXPECT_EQ(g_elevation, 90.0);
    EXPECT_EQ(g_azimuth, 0.0);
    EXPECT_EQ(g_fieldOfView, 50.0);
    EXPECT_EQ(g_shaded, 1);
    ASSERT_EQ(platform_.Calls().size(), 1u);
    EXPECT_EQ(platform_.Calls()[0].kind, PlatformCall::Kind::InvalidateView);
}

TEST_F(CameraTest, WireframeToggleTwiceRestoresWireframeAndStalesTheListEachTime) {
    ScopedPlatform scope(platform_);
    EXPECT_TRUE(WireframeItemState().enabled);
    EXPECT_TRUE(WireframeItemState().checked);

    g_displayListValid = 1;
    ToggleWireframe();
    EXPECT_EQ(g_shaded, 1);
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_FALSE(WireframeItemState().checked);

    g_displayListValid = 1;
    ToggleWireframe();
    EXPECT_EQ(g_shaded, 0);
    EXPECT_EQ(g_displayListValid, 0);
    EXPECT_TRUE(WireframeItemState().checked);
    EXPECT_EQ(platform_.CallsOf(PlatformCall::Kind::InvalidateView).size(), 2u);
}

TEST_F(CameraTest, ParallelAndWalkThroughItemsAreDisabledAndFollowTheirFlags) {
    EXPECT_FALSE(ParallelProjectionItemState().enabled);
    EXPECT_FALSE(ParallelProjectionItemState().checked);
    EXPECT_FALSE(WalkThroughItemState().enabled);
    EXPECT_FALSE(WalkThroughItemState().checked);
    g_perspective = 0;
    g_walkThrough = 1;
    EXPECT_TRUE(ParallelProjectionItemState().checked);
    EXPECT_TRUE(WalkThroughItemState().checked);
    EXPECT_FALSE(ParallelProjectionItemState().enabled);
    EXPECT_FALSE(WalkThroughItemState().enabled);
}

TEST(GlMatrixTest, RotationIsCounterClockwiseAndNormalisesTheAxis) {
    double m[16];
    LoadIdentity(m);
    MultiplyRotate(m, 90.0, 0.0, 0.0, 5.0);
    // +X turns to +Y about +Z.
    EXPECT_NEAR(m[0], 0.0, 1e-15);
    EXPECT_EQ(m[1], 1.0);
    EXPECT_EQ(m[4], -1.0);
    EXPECT_EQ(m[10], 1.0);
    EXPECT_EQ(m[15], 1.0);

    double unchanged[16];
    LoadIdentity(unchanged);
    unchanged[12] = 7.0;
    double copy[16];
    for (int i = 0; i < 16; ++i) {
        copy[i] = unchanged[i];
    }
    MultiplyRotate(copy, 40.0, 0.0, 0.0, 0.0);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(copy[i], unchanged[i]);
    }
}

TEST(GlMatrixTest, RotationAboutADiagonalKeepsTheAxisAndIsOrthonormal) {
    double m[16];
    LoadIdentity(m);
    MultiplyRotate(m, 120.0, 1.0, 1.0, 1.0);
    // A third of a turn about (1,1,1) cycles the axes: X -> Y -> Z -> X.
    EXPECT_NEAR(m[0], 0.0, 1e-15);
    EXPECT_NEAR(m[1], 1.0, 1e-15);
    EXPECT_NEAR(m[2], 0.0, 1e-15);
    EXPECT_NEAR(m[6], 1.0, 1e-15);
    EXPECT_NEAR(m[8], 1.0, 1e-15);
}

TEST(GlMatrixTest, PostMultiplicationAppliesTheLastCallFirst) {
    double m[16];
    LoadIdentity(m);
    MultiplyTranslate(m, 10.0, 0.0, 0.0);
    MultiplyRotate(m, 90.0, 0.0, 0.0, 1.0);
    // Point (1, 0, 0): rotated to (0, 1, 0) first, then moved to (10, 1, 0).
    const double px = m[0] * 1 + m[12];
    const double py = m[1] * 1 + m[13];
    EXPECT_NEAR(px, 10.0, 1e-15);
    EXPECT_NEAR(py, 1.0, 1e-15);
}

TEST(GlMatrixTest, PerspectiveRefusesDegenerateInputLikeGlu) {
    struct Args {
        double fovy, aspect, zNear, zFar;
    };
    for (const Args& args :
         {Args{30.0, 1.0, 10.0, 10.0}, Args{0.0, 1.0, 1.0, 10.0}, Args{30.0, 0.0, 1.0, 10.0}}) {
        double m[16];
        LoadIdentity(m);
        MultiplyPerspective(m, args.fovy, args.aspect, args.zNear, args.zFar);
        EXPECT_EQ(m[11], 0.0);
        EXPECT_EQ(m[15], 1.0);
    }
}

// The near plane comes closer only for a camera looking at a point nearer than twice the
// usual plane; a walk-through's camera at its own pivot keeps the usual plane, so that
// the projection never degenerates.
TEST(NearPlaneTest, FollowsOnlyAClosePositiveDistance) {
    const struct {
        double distance, plane;
    } cases[] = {{5000.0, kNearPlane}, {1000.0, kNearPlane}, {600.0, 300.0}, {5.0, 2.5},
                 {0.5, kClosestNearPlane}, {0.0, kNearPlane}, {-300.0, kNearPlane},
                 {std::numeric_limits<double>::quiet_NaN(), kNearPlane}};
    for (const auto& c : cases) {
        EXPECT_EQ(NearPlaneFor(c.distance), c.plane) << c.distance;
    }
}


}  // namespace
}  // namespace marquetta
