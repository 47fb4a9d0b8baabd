// The plan geometry of fillet, chamfer and trim against values worked out by hand.
#include "edit/corner_geometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace marquetta {
namespace {

constexpr double kNear = 1e-9;
// Angles are the program's degrees (its pi is 3.1415927): a quarter turn reads as
// 89.9999987, which a stored float holds as 90.
constexpr double kNearDegrees = 1e-5;

void ExpectPoint(const PlanPoint& got, const PlanPoint& want, const char* what) {
    EXPECT_NEAR(got.x, want.x, kNear) << what;
    EXPECT_NEAR(got.z, want.z, kNear) << what;
}

// A wall along +X to the corner (100, 0) and one from it up the plan (towards -Z),
// clicked half way along each.
const std::array<PlanPoint, 2> kWallX{PlanPoint{0, 0}, PlanPoint{100, 0}};
const std::array<PlanPoint, 2> kWallZ{PlanPoint{100, 0}, PlanPoint{100, -100}};
const PlanPoint kClickX{50, 0};
const PlanPoint kClickZ{100, -50};

TEST(CornerGeometry, FilletAndChamferOfPerpendicularLines) {
    // The second wall stopping short of the corner is extended to it the same way.
    const std::array<PlanPoint, 2> shortX{PlanPoint{0, 0}, PlanPoint{50, 0}};
    const std::array<PlanPoint, 2> shortZ{PlanPoint{100, -100}, PlanPoint{100, -10}};
    const struct {
        const char* name;
        std::array<PlanPoint, 2> first, second;
        bool fillet;
        double value1, value2;
        std::array<int, 2> moving;
        PlanPoint end1, end2;
        bool joined;
    } cases[] = {
        // Radius 20: tangent 20 back from the corner on each wall.
        {"fillet 20", kWallX, kWallZ, true, 20, 20, {1, 0}, {80, 0}, {100, -20}, true},
        {"fillet 0 (sharp)", kWallX, kWallZ, true, 0, 0, {1, 0}, {100, 0}, {100, 0}, false},
        {"fillet extending", shortX, shortZ, true, 20, 20, {1, 1}, {80, 0}, {100, -20}, true},
        {"chamfer 10", kWallX, kWallZ, false, 10, 10, {1, 0}, {90, 0}, {100, -10}, true},
        {"chamfer 10,20", kWallX, kWallZ, false, 10, 20, {1, 0}, {90, 0}, {100, -20}, true},
        {"chamfer 0", kWallX, kWallZ, false, 0, 0, {1, 0}, {100, 0}, {100, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<CornerFrame> frame = CornerOf(c.first, kClickX, c.second, kClickZ);
        ASSERT_TRUE(frame);
        ExpectPoint(frame->corner, {100, 0}, "corner");
        EXPECT_EQ(frame->moving, c.moving);
        const CornerCut cut =
            c.fillet ? FilletCut(*frame, c.value1) : ChamferCut(*frame, c.value1, c.value2);
        ASSERT_FALSE(cut.tooLarge);
        ExpectPoint(cut.ends[0], c.end1, "first end");
        ExpectPoint(cut.ends[1], c.end2, "second end");
        EXPECT_EQ(cut.joined, c.joined);
        if (c.fillet && c.joined) {
            // Centre (80, -20); from it the first tangent lies at +Z (270 degrees), the
            // second at +X (0): the quarter from 270 to 360.
            ExpectPoint(cut.centre, {80, -20}, "centre");
            EXPECT_NEAR(cut.startAngle, 270.0, kNearDegrees);
            EXPECT_NEAR(cut.endAngle, 360.0, kNearDegrees);
        }
    }
}

// The side clicked decides which part of each line stays.
TEST(CornerGeometry, TheClickedSidesStay) {
    const std::array<PlanPoint, 2> crossX{PlanPoint{0, 0}, PlanPoint{200, 0}};
    const std::array<PlanPoint, 2> crossZ{PlanPoint{100, 100}, PlanPoint{100, -100}};
    const std::optional<CornerFrame> frame = CornerOf(crossX, {150, 0}, crossZ, {100, 50});
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->moving, (std::array<int, 2>{0, 1}));
    const CornerCut cut = FilletCut(*frame, 10);
    ExpectPoint(cut.ends[0], {110, 0}, "first end");
    ExpectPoint(cut.ends[1], {100, 10}, "second end");
    ExpectPoint(cut.centre, {110, 10}, "centre");
    // From the centre (110, 10): the first tangent lies at -Z (90), the second at -X (180).
    EXPECT_NEAR(cut.startAngle, 90.0, kNearDegrees);
    EXPECT_NEAR(cut.endAngle, 180.0, kNearDegrees);
}

TEST(CornerGeometry, ParallelLinesAndTooLargeValuesAreRefused) {
    const std::array<PlanPoint, 2> above{PlanPoint{0, -10}, PlanPoint{100, -10}};
    EXPECT_FALSE(CornerOf(kWallX, kClickX, above, {50, -10}));
    const std::array<PlanPoint, 2> point{PlanPoint{5, 5}, PlanPoint{5, 5}};
    EXPECT_FALSE(CornerOf(kWallX, kClickX, point, {5, 5}));

    const CornerFrame frame = *CornerOf(kWallX, kClickX, kWallZ, kClickZ);
    EXPECT_TRUE(FilletCut(frame, 100).tooLarge);      // nothing of either wall left
    EXPECT_TRUE(FilletCut(frame, 99.995).tooLarge);   // less than 0.01 left
    EXPECT_FALSE(FilletCut(frame, 99.9).tooLarge);
    EXPECT_TRUE(ChamferCut(frame, 10, 100).tooLarge);
    EXPECT_FALSE(ChamferCut(frame, 99.9, 10).tooLarge);
}

CutCurve Segment(PlanPoint a, PlanPoint b) {
    CutCurve c;
    c.a = a;
    c.b = b;
    return c;
}
CutCurve Circle(PlanPoint centre, double radius) {
    CutCurve c;
    c.kind = CutCurve::Kind::Circle;
    c.centre = centre;
    c.radius = radius;
    return c;
}
CutCurve Arc(PlanPoint centre, double radius, double start, double end) {
    CutCurve c = Circle(centre, radius);
    c.kind = CutCurve::Kind::Arc;
    c.start = start;
    c.end = end;
    return c;
}

TEST(CornerGeometry, TrimCutsAwayThePartClicked) {
    const CutCurve ring = Circle({0, 0}, 10);
    const CutCurve upright = Segment({0, 20}, {0, -20});
    const CutCurve across = Segment({-20, 0}, {20, 0});
    const struct {
        const char* name;
        CutCurve target, cutter;
        PlanPoint click;
        std::vector<CutCurve> left;
    } cases[] = {
        // The cutter crosses the circle at (0, -10), 90 degrees, and (0, 10), 270: a
        // click on the right half leaves the left half, from 90 to 270.
        {"circle to arc", ring, upright, {10, 0}, {Arc({0, 0}, 10, 90, 270)}},
        {"circle, left half clicked", ring, upright, {-10, 0}, {Arc({0, 0}, 10, 270, 450)}},
        {"line outside the circle", across, ring, {15, 0}, {Segment({-20, 0}, {10, 0})}},
        {"line inside the circle", across, ring, {1, 0},
         {Segment({-20, 0}, {-10, 0}), Segment({10, 0}, {20, 0})}},
        {"line at a line", across, upright, {-5, 0}, {Segment({0, 0}, {20, 0})}},
        // The upper half of the circle in plan, cut where the upright meets it at 90.
        {"arc at a line", Arc({0, 0}, 10, 0, 180), upright, {7, -7}, {Arc({0, 0}, 10, 90, 180)}},
        {"line at an arc", across, Arc({0, 0}, 10, 90, 270), {-15, 0},
         {Segment({-10, 0}, {20, 0})}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<std::vector<CutCurve>> pieces = TrimPieces(c.target, c.cutter, c.click);
        ASSERT_TRUE(pieces);
        ASSERT_EQ(pieces->size(), c.left.size());
        for (size_t i = 0; i < c.left.size(); ++i) {
            const CutCurve& got = (*pieces)[i];
            const CutCurve& want = c.left[i];
            EXPECT_EQ(got.kind, want.kind);
            ExpectPoint(got.a, want.a, "a");
            ExpectPoint(got.b, want.b, "b");
            EXPECT_NEAR(got.start, want.start, kNearDegrees);
            EXPECT_NEAR(got.end, want.end, kNearDegrees);
        }
    }
}

// No crossing within the cutter's extent, or a circle only touched: nothing to cut.
TEST(CornerGeometry, TrimWithoutACrossingIsRefused) {
    const CutCurve ring = Circle({0, 0}, 10);
    const struct {
        const char* name;
        CutCurve target, cutter;
        PlanPoint click;
    } cases[] = {
        {"line apart", Segment({-20, 30}, {20, 30}), ring, {0, 30}},
        {"cutter too short", Segment({-20, 0}, {20, 0}), Segment({0, -20}, {0, -5}), {5, 0}},
        {"circle touched once", ring, Segment({-20, 10}, {20, 10}), {0, -10}},
        {"outside the cutting arc", Segment({-20, 0}, {20, 0}), Arc({0, 0}, 10, 45, 135), {5, 0}},
        {"crossing only at its end", Segment({0, 0}, {20, 0}), Segment({0, -5}, {0, 5}), {5, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(TrimPieces(c.target, c.cutter, c.click));
    }
}

}  // namespace
}  // namespace marquetta
