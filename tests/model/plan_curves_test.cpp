#include "model/plan_curves.h"

#include <gtest/gtest.h>

#include <vector>

namespace marquetta {
namespace {

constexpr double kTolerance = 1e-6;

void ExpectPoints(const std::vector<PlanPoint>& expected, const PlanPoint* got, int count) {
    ASSERT_EQ(static_cast<int>(expected.size()), count);
    for (int i = 0; i < count; ++i) {
        EXPECT_NEAR(expected[static_cast<size_t>(i)].x, got[i].x, kTolerance) << "point " << i;
        EXPECT_NEAR(expected[static_cast<size_t>(i)].z, got[i].z, kTolerance) << "point " << i;
    }
}

const PlanCurve kAxis = PlanLine({-10, 0}, {10, 0});
const PlanCurve kCircle5 = PlanCircle({0, 0}, 5);
// A quarter arc of radius 5 from angle 0 (5, 0) to angle 90 (0, -5).
const PlanCurve kQuarter = PlanArc({0, 0}, 5, 0, 90);

TEST(PlanCurves, CrossingsOfLinesCirclesAndArcs) {
    struct Case {
        const char* name;
        PlanCurve first, second;
        bool bounded;
        std::vector<PlanPoint> expected;
    };
    const Case cases[] = {
        {"crossing lines", PlanLine({0, 0}, {10, 0}), PlanLine({5, -5}, {5, 5}), true, {{5, 0}}},
        {"lines that would cross further on", PlanLine({0, 0}, {10, 0}), PlanLine({5, 1}, {5, 5}), true, {}},
        {"the same, run on for ever", PlanLine({0, 0}, {10, 0}), PlanLine({5, 1}, {5, 5}), false, {{5, 0}}},
        {"lines meeting at an end", PlanLine({0, 0}, {10, 0}), PlanLine({10, 0}, {10, 5}), true, {{10, 0}}},
        {"parallel lines", PlanLine({0, 0}, {10, 0}), PlanLine({0, 1}, {10, 1}), true, {}},
        {"a line through a circle", kAxis, kCircle5, true, {{-5, 0}, {5, 0}}},
        {"a circle and a line, either order", kCircle5, kAxis, true, {{-5, 0}, {5, 0}}},
        {"a tangent", PlanLine({-10, 5}, {10, 5}), kCircle5, true, {{0, 5}}},
        {"a line short of the circle", PlanLine({-10, 0}, {-6, 0}), kCircle5, true, {}},
        {"a line through a quarter arc", kAxis, kQuarter, true, {{5, 0}}},
        {"two circles", kCircle5, PlanCircle({8, 0}, 5), true, {{4, 3}, {4, -3}}},
        {"concentric circles", kCircle5, PlanCircle({0, 0}, 3), true, {}},
        {"circles apart", kCircle5, PlanCircle({20, 0}, 5), true, {}},
        {"an arc and a circle", kQuarter, PlanCircle({8, 0}, 5), true, {{4, -3}}},
        {"the arc as a whole circle", kQuarter, PlanCircle({8, 0}, 5), false, {{4, 3}, {4, -3}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlanPoint out[2];
        ExpectPoints(c.expected, out, CurveCrossings(c.first, c.second, out, c.bounded));
    }
}

TEST(PlanCurves, MidpointsOfLinesAndArcs) {
    struct Case {
        const char* name;
        PlanCurve curve;
        std::vector<PlanPoint> expected;
    };
    const Case cases[] = {
        {"line", PlanLine({0, 0}, {10, 4}), {{5, 2}}},
        {"quarter arc", PlanArc({0, 0}, 10, 0, 90), {{7.0710678, -7.0710678}}},
        {"arc over angle 0", PlanArc({0, 0}, 10, 350, 370), {{10, 0}}},
        {"arc stored end before start", PlanArc({0, 0}, 10, 350, 10), {{10, 0}}},
        {"circle", kCircle5, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<PlanPoint> mid = CurveMidpoint(c.curve);
        if (c.expected.empty()) {
            EXPECT_FALSE(mid.has_value());
        } else {
            ASSERT_TRUE(mid.has_value());
            ExpectPoints(c.expected, &*mid, 1);
        }
    }
}

TEST(PlanCurves, NearestPointsStayOnTheShape) {
    struct Case {
        const char* name;
        PlanCurve curve;
        PlanPoint from, expected;
    };
    const Case cases[] = {
        {"beside a line", PlanLine({0, 0}, {10, 0}), {3, 4}, {3, 0}},
        {"beyond a line's start", PlanLine({0, 0}, {10, 0}), {-2, 1}, {0, 0}},
        {"outside a circle", kCircle5, {0, -10}, {0, -5}},
        {"inside a circle", kCircle5, {1, 0}, {5, 0}},
        {"off an arc's sweep: its nearer end", kQuarter, {0, 10}, {5, 0}},
        {"within an arc's sweep", kQuarter, {0, -1}, {0, -5}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PlanPoint got = NearestOnCurve(c.curve, c.from);
        ExpectPoints({c.expected}, &got, 1);
    }
}

TEST(PlanCurves, PerpendicularFeet) {
    struct Case {
        const char* name;
        PlanCurve curve;
        PlanPoint from;
        bool bounded;
        std::vector<PlanPoint> expected;
    };
    const Case cases[] = {
        {"onto a line", PlanLine({0, 0}, {10, 0}), {3, 7}, true, {{3, 0}}},
        {"past a line's end", PlanLine({0, 0}, {10, 0}), {12, 7}, true, {}},
        {"onto the line run on", PlanLine({0, 0}, {10, 0}), {12, 7}, false, {{12, 0}}},
        {"onto a circle, nearer first", kCircle5, {10, 0}, true, {{5, 0}, {-5, 0}}},
        {"onto an arc: only within its sweep", kQuarter, {10, 0}, true, {{5, 0}}},
        {"from the centre", kCircle5, {0, 0}, true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlanPoint out[2];
        ExpectPoints(c.expected, out, PerpendicularFeet(c.curve, c.from, out, c.bounded));
    }
}

TEST(PlanCurves, CurvesOfShapes) {
    CShape line;
    line.m_nType = SHAPE_LINE;
    line.m_pt[0] = {1, 7, 2};
    line.m_pt[1] = {4, 7, 6};
    CShape arc;
    arc.m_nType = SHAPE_ARC;
    arc.m_pt[0] = {1, 0, 2};
    arc.m_pt[1] = {3, 30, 120};
    CShape point = line;
    point.m_pt[1] = {1, 9, 2};
    CShape noRadius = arc;
    noRadius.m_pt[1].x = 0;
    CShape text;
    text.m_nType = SHAPE_TEXT;

    const std::optional<PlanCurve> l = PlanCurveOf(line);
    ASSERT_TRUE(l.has_value());
    EXPECT_EQ(PlanCurve::Kind::Line, l->kind);
    EXPECT_EQ((PlanPoint{4, 6}), l->b);
    const std::optional<PlanCurve> a = PlanCurveOf(arc);
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(PlanCurve::Kind::Arc, a->kind);
    EXPECT_DOUBLE_EQ(90.0, a->sweep);
    EXPECT_FALSE(PlanCurveOf(point).has_value());
    EXPECT_FALSE(PlanCurveOf(noRadius).has_value());
    EXPECT_FALSE(PlanCurveOf(text).has_value());
}

}  // namespace
}  // namespace marquetta
