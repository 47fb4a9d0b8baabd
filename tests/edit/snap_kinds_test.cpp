// The kinds of snap on a small drawing worked out by hand, the order of the kinds,
// ortho, and the settings that keep the user's choice.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "edit/picking.h"
#include "edit/snap_settings.h"
#include "platform/command_ids.h"
#include "view/paint_frame.h"
#include "view_fixture.h"

namespace marquetta {
namespace {

class SnapKindsTest : public ViewFixture {
  protected:
    void SetUp() override {
        ViewFixture::SetUp();
        g_gridOn = 0;
        // Millimetres per pixel at the start-up camera (looking straight down).
        mmPerPixel = 1000.0 / (PixelOf(1000, 0, 0).x - PixelOf(0, 0, 0).x);
    }
    CShape& AddCircle(Float3 centre, float radius) {
        return AddShape(SHAPE_CIRCLE, centre, {radius, 0, 0});
    }
    CShape& AddArc(Float3 centre, float radius, float start, float end) {
        return AddShape(SHAPE_ARC, centre, {radius, start, end});
    }
    // The snap of only `kind` for a cursor a pixel right of and above a world point.
    std::optional<SnapHit> SnapNear(const Double3& world, SnapKind kind, const Double3* from = nullptr) {
        const Double2 p = PixelOf(world.x, world.y, world.z);
        return FindSnap(doc, p.x + 1.0, p.y - 1.0, from, false, SnapBit(kind));
    }
    static void ExpectNear(const Double3& expected, const Double3& got) {
        EXPECT_NEAR(expected.x, got.x, 1e-3);
        EXPECT_NEAR(expected.y, got.y, 1e-3);
        EXPECT_NEAR(expected.z, got.z, 1e-3);
    }
    double mmPerPixel = 0.0;
};

// A wall along x, a wall across it at x = 3000, a line that crosses a circle, a half arc.
TEST_F(SnapKindsTest, EachKindFindsItsPointOnAHandWorkedDrawing) {
    AddLine({0, 0, 0}, {10000, 0, 0});
    AddLine({3000, 0, -2000}, {3000, 0, 4000});
    AddLine({-8000, 0, 1000}, {-2000, 0, 1000});
    AddCircle({-5000, 0, 0}, 2000);
    AddArc({6000, 0, -5000}, 2000, 0, 180);  // from (8000, -5000) over (6000, -7000)
    const Double3 fromAbove{2000, 0, 3000};
    const Double3 fromBelowCircle{-5000, 0, 5000};
    struct Case {
        const char* name;
        SnapKind kind;
        Double3 cursor, expected;
        const Double3* from;
    };
    const Case cases[] = {
        {"end of a wall", SnapKind::Endpoint, {10000, 0, 0}, {10000, 0, 0}, nullptr},
        {"end of the arc", SnapKind::Endpoint, {4000, 0, -5000}, {4000, 0, -5000}, nullptr},
        {"two walls cross", SnapKind::Intersection, {3000, 0, 0}, {3000, 0, 0}, nullptr},
        {"a line through the circle", SnapKind::Intersection, {-3268, 0, 1000}, {-3267.949, 0, 1000}, nullptr},
        {"middle of a wall", SnapKind::Midpoint, {5000, 0, 0}, {5000, 0, 0}, nullptr},
        {"middle of the arc", SnapKind::Midpoint, {6000, 0, -7000}, {6000, 0, -7000}, nullptr},
        {"centre of the circle", SnapKind::Center, {-5000, 0, 0}, {-5000, 0, 0}, nullptr},
        {"centre of the arc", SnapKind::Center, {6000, 0, -5000}, {6000, 0, -5000}, nullptr},
        {"foot on a wall", SnapKind::Perpendicular, {2000, 0, 0}, {2000, 0, 0}, &fromAbove},
        {"foot on the circle", SnapKind::Perpendicular, {-5000, 0, 2000}, {-5000, 0, 2000}, &fromBelowCircle},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<SnapHit> hit = SnapNear(c.cursor, c.kind, c.from);
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(c.kind, hit->kind);
        ExpectNear(c.expected, hit->point);
        // Nothing of that kind a few pixels further off.
        const Double2 p = PixelOf(c.cursor.x, c.cursor.y, c.cursor.z);
        EXPECT_FALSE(FindSnap(doc, p.x + 6.0, p.y - 6.0, c.from, false, SnapBit(c.kind)).has_value());
    }
    // No first point: no perpendicular.
    EXPECT_FALSE(SnapNear({2000, 0, 0}, SnapKind::Perpendicular).has_value());
}

// Hundreds of lines through one point, as a drawing seen from afar puts under a pixel:
// the crossing is found among those nearest the cursor, the same through the index.
TEST_F(SnapKindsTest, ACrowdUnderTheCursorStillGivesItsCrossing) {
    const Double3 centre{2000, 0, 1000};
    for (int i = 0; i < 600; ++i) {
        const double a = 3.14159265358979 * i / 600;
        const auto end = [&](double r) {
            return Float3{static_cast<float>(centre.x + r * std::cos(a)), 0,
                          static_cast<float>(centre.z + r * std::sin(a))};
        };
        AddLine(end(-3000 - i), end(3000 + i));
    }
    const Double2 p = PixelOf(centre.x, 0, centre.z);
    for (PickWalk walk : {PickWalk::Indexed, PickWalk::Linear}) {
        const std::optional<SnapHit> hit =
            FindSnap(doc, p.x + 1.0, p.y - 1.0, nullptr, false, SnapBit(SnapKind::Intersection), walk);
        ASSERT_TRUE(hit.has_value());
        EXPECT_NEAR(hit->point.x, centre.x, 0.1);  // float ends
        EXPECT_NEAR(hit->point.z, centre.z, 0.1);
    }
}

TEST_F(SnapKindsTest, NearestPointLiesOnTheShapeUnderTheCursor) {
    AddLine({0, 0, 0}, {10000, 0, 0});
    AddCircle({-5000, 0, 0}, 2000);
    struct Case {
        const char* name;
        Double3 onShape;
        double dx, dy;  // pixels off the shape
    } const cases[] = {
        {"just below a wall", {7000, 0, 0}, 0.4, 2.0},
        {"just outside the circle", {-5000, 0, -2000}, 0.0, -2.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Double2 p = PixelOf(c.onShape.x, 0, c.onShape.z);
        const std::optional<SnapHit> hit = FindSnap(doc, p.x + c.dx, p.y + c.dy, nullptr, false, SnapBit(SnapKind::Nearest));
        ASSERT_TRUE(hit.has_value());
        Double3 ground;
        ASSERT_TRUE(GroundPointUnder(p.x + c.dx, p.y + c.dy, ground));
        // Straight down, the nearest point is the cursor's ground point moved onto the shape.
        ExpectNear({c.onShape.x + c.dx * mmPerPixel, 0, c.onShape.z}, hit->point);
    }
}

// Around one pixel lie a wall crossing (0 px), a short line's end (2, 2) and middle
// (2, 0), a small circle's centre (-2, 2), the foot from a point above and points on
// the walls. Switching kinds off one by one shows the order; within a kind the
// nearest wins over the first in the list.
TEST_F(SnapKindsTest, KindsAreTriedInTheirOrder) {
    const double s = mmPerPixel;
    const float qx = 3000, qz = 0;
    AddLine({static_cast<float>(qx + 2 * s), 0, static_cast<float>(qz - 2 * s)},
            {static_cast<float>(qx + 2 * s), 0, static_cast<float>(qz + 2 * s)});
    AddLine({0, 0, qz}, {10000, 0, qz});
    AddLine({qx, 0, -2000}, {qx, 0, 4000});
    AddCircle({static_cast<float>(qx - 2 * s), 0, static_cast<float>(qz + 2 * s)}, static_cast<float>(0.4 * s));
    const Double3 from{qx, 0, qz + 100 * s};
    const Double2 cursor = PixelOf(qx, 0, qz);
    struct Step {
        SnapKind off;       // switched off before the next row
        SnapKind expected;  // found with the kinds still on
        Double3 point;
    } const steps[] = {
        {SnapKind::Endpoint, SnapKind::Endpoint, {qx + 2 * s, 0, qz - 2 * s}},
        {SnapKind::Intersection, SnapKind::Intersection, {qx, 0, qz}},
        {SnapKind::Midpoint, SnapKind::Midpoint, {qx + 2 * s, 0, qz}},
        {SnapKind::Center, SnapKind::Center, {qx - 2 * s, 0, qz + 2 * s}},
        {SnapKind::Perpendicular, SnapKind::Perpendicular, {qx, 0, qz}},
        {SnapKind::Nearest, SnapKind::Nearest, {qx, 0, qz}},
    };
    int kinds = (1 << kSwitchableSnapKinds) - 1;
    for (const Step& step : steps) {
        SCOPED_TRACE(SnapKindName(step.expected));
        const std::optional<SnapHit> hit = FindSnap(doc, cursor.x, cursor.y, &from, false, kinds);
        ASSERT_TRUE(hit.has_value());
        EXPECT_EQ(step.expected, hit->kind);
        ExpectNear(step.point, hit->point);
        kinds &= ~SnapBit(step.off);
    }
    EXPECT_FALSE(FindSnap(doc, cursor.x, cursor.y, &from, false, kinds).has_value());
}

// Ortho forces a line's end onto the horizontal or vertical through its start, whichever
// is nearer; with snap on, only targets on that line count.
TEST_F(SnapKindsTest, OrthoForcesTheSecondPointOntoTheNearerAxis) {
    g_orthoOn = 1;
    struct Case {
        const char* name;
        int snapOn;
        int kinds;
        Double3 cursor;
        std::optional<Double3> expected;  // none: the click is refused
    } const cases[] = {
        {"snap off, nearer the horizontal", 0, 0, {2500, 0, 800}, Double3{2500, 0, 0}},
        {"snap off, nearer the vertical", 0, 0, {700, 0, -2500}, Double3{0, 0, -2500}},
        {"snap on, the crossing with a wall", 1, SnapBit(SnapKind::Endpoint) | SnapBit(SnapKind::Nearest),
         {4000, 0, 30}, Double3{4000, 0, 0}},
        {"snap on, nothing on the forced line", 1, SnapBit(SnapKind::Endpoint), {4000, 0, 30}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        doc.NewDrawing();
        AddLine({4000, 0, -3000}, {4000, 0, 3000});  // a wall across the forced line
        AddLine({0, 0, 0}, {-1000, 0, 0});           // a wall whose end starts the line
        g_snapOn = c.snapOn;
        g_snapKinds = c.kinds | SnapBit(SnapKind::Endpoint);
        ASSERT_TRUE(view.Commands().Run(ID_LINE));
        g_snapOn = 1;
        ClickWorld(0, 0);  // the wall's end
        g_snapOn = c.snapOn;
        g_snapKinds = c.kinds;
        const size_t before = doc.m_shapes.size();
        ClickWorld(c.cursor.x, c.cursor.z);
        ASSERT_TRUE(view.Commands().Run(ID_CANCEL));
        if (!c.expected) {
            EXPECT_EQ(before, doc.m_shapes.size());
            continue;
        }
        ASSERT_EQ(before + 1, doc.m_shapes.size());
        const CShape& line = Shape(before);
        EXPECT_EQ((Float3{0, 0, 0}), line.m_pt[0]);
        // Exactly on the axis; the free coordinate is the cursor's, to the pixel.
        EXPECT_EQ(0.0f, c.expected->x == 0 ? line.m_pt[1].x : line.m_pt[1].z);
        EXPECT_NEAR(c.expected->x, line.m_pt[1].x, mmPerPixel);
        EXPECT_NEAR(c.expected->z, line.m_pt[1].z, mmPerPixel);
    }
}

// Each kind's marker about the target's pixel while a command takes a point, and none
// once the command ends; the status bar's coordinates begin with the kind's name.
TEST_F(SnapKindsTest, MarkerOfEachKindWhileACommandTakesAPoint) {
    AddLine({0, 0, 0}, {10000, 0, 0});
    const struct {
        SnapKind kind;
        size_t segments;
        const char* name;
    } cases[] = {
        {SnapKind::Endpoint, 4, "端点"},      {SnapKind::Intersection, 2, "交点"}, {SnapKind::Midpoint, 3, "中点"},
        {SnapKind::Center, 16, "中心"},       {SnapKind::Perpendicular, 4, "垂線"}, {SnapKind::Nearest, 4, "近接点"},
    };
    ASSERT_TRUE(view.Commands().Run(ID_LINE));
    view.OnMouseMove(Px(PixelOf(10000, 0, 0).x), Px(PixelOf(10000, 0, 0).y));
    EXPECT_EQ(0u, std::string(view.CursorReadoutText()).find("端点"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        snapMarker = SnapMarker{true, c.kind, {5000, 0, 0}};
        const std::vector<float>& overlay = view.OnPaint(kWidth, kHeight).overlaySegments;
        ASSERT_EQ(c.segments * 6, overlay.size());
        const Double2 at = PixelOf(5000, 0, 0);
        const double wy = kHeight - at.y;
        double spanX = 0.0, spanY = 0.0;
        for (size_t i = 0; i < overlay.size(); i += 3) {
            EXPECT_LE(std::fabs(overlay[i] - at.x), kSnapMarkerHalfSize + 1e-3);
            EXPECT_LE(std::fabs(overlay[i + 1] - wy), kSnapMarkerHalfSize + 1e-3);
            spanX = std::fmax(spanX, std::fabs(overlay[i] - at.x));
            spanY = std::fmax(spanY, std::fabs(overlay[i + 1] - wy));
        }
        EXPECT_NEAR(kSnapMarkerHalfSize, spanX, 0.5);  // as wide as a marker, whatever its kind
        EXPECT_NEAR(kSnapMarkerHalfSize, spanY, 0.5);
        EXPECT_EQ(0u, view.CursorReadoutText().find(c.name));
    }
    ASSERT_TRUE(view.Commands().Run(ID_CANCEL));
    EXPECT_TRUE(view.OnPaint(kWidth, kHeight).overlaySegments.empty());
    EXPECT_EQ(0u, view.CursorReadoutText().find("X="));
}

TEST_F(SnapKindsTest, KindsAndOrthoAreRememberedInTheSettings) {
    // Never chosen: end points only, ortho off.
    LoadSnapSettings();
    EXPECT_EQ(SnapBit(SnapKind::Endpoint), g_snapKinds);
    EXPECT_EQ(0, g_orthoOn);
    const std::pair<int, SnapKind> commands[] = {
        {ID_SNAP_MIDPOINT, SnapKind::Midpoint},         {ID_SNAP_CENTER, SnapKind::Center},
        {ID_SNAP_INTERSECTION, SnapKind::Intersection}, {ID_SNAP_PERPENDICULAR, SnapKind::Perpendicular},
        {ID_SNAP_NEAREST, SnapKind::Nearest},           {ID_SNAP_ENDPOINT, SnapKind::Endpoint},
    };
    for (const auto& [id, kind] : commands) {
        SCOPED_TRACE(SnapKindName(kind));
        const bool was = SnapKindOn(kind);
        ASSERT_TRUE(view.Commands().Run(id));
        EXPECT_NE(was, SnapKindOn(kind));
        const std::optional<CommandUi> ui = view.Commands().Update(id);
        ASSERT_TRUE(ui.has_value());
        EXPECT_EQ(std::optional<bool>(!was), ui->checked);
    }
    ASSERT_TRUE(view.Commands().Run(ID_ORTHO));
    const int chosen = g_snapKinds;
    EXPECT_EQ((1 << kSwitchableSnapKinds) - 1 - SnapBit(SnapKind::Endpoint), chosen);
    // The next run of the program starts with the same choice.
    InitSnapDefaults();
    LoadSnapSettings();
    EXPECT_EQ(chosen, g_snapKinds);
    EXPECT_EQ(1, g_orthoOn);
}

}  // namespace
}  // namespace marquetta
