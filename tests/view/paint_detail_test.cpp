// What a paint sends of the drawing: the shapes in view (every segment that can show is
// there, in the order of the whole drawing's paint), each at the detail its size on the
// screen needs: a curve within a quarter pixel of the true curve with fewer segments the
// smaller it shows, a text too small to read as its box, and bounded work for any
// stored value.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "random_drawing.h"
#include "test_shapes.h"
#include "view/camera.h"
#include "view/paint_frame.h"
#include "view/shape_outline.h"

namespace marquetta {
namespace {

constexpr int kWidth = 800;
constexpr int kHeight = 600;

Double3 VertexOf(const Wireframe& w, size_t i) {
    return {w.vertices[3 * i], w.vertices[3 * i + 1], w.vertices[3 * i + 2]};
}

// Segments the runs draw, in order, each as its two ends and its colour.
struct Segment {
    Double3 a, b;
    PaintColor color;
    bool operator==(const Segment& o) const {
        return a.x == o.a.x && a.y == o.a.y && a.z == o.a.z && b.x == o.b.x && b.y == o.b.y &&
               b.z == o.b.z && color == o.color;
    }
};
std::vector<Segment> SegmentsOf(const Wireframe& w) {
    std::vector<Segment> out;
    for (const WireframeRun& run : w.runs) {
        for (uint32_t v = run.firstVertex + 1; v < run.firstVertex + run.vertexCount; ++v) {
            if (w.starts[v] == 0) {
                out.push_back({VertexOf(w, v - 1), VertexOf(w, v), run.color});
            }
        }
    }
    return out;
}

// Whether any point of the segment lies in the view's clip volume, clipped exactly as
// GL clips it (no margin).
bool Shows(const Segment& s) {
    double m[16];
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += g_projectionMatrix[k * 4 + r] * g_modelviewMatrix[c * 4 + k];
            }
            m[c * 4 + r] = sum;
        }
    }
    auto clip = [&](const Double3& p, double out[4]) {
        for (int r = 0; r < 4; ++r) {
            out[r] = m[r] * p.x + m[4 + r] * p.y + m[8 + r] * p.z + m[12 + r];
        }
    };
    double a[4], b[4];
    clip(s.a, a);
    clip(s.b, b);
    double lo = 0.0, hi = 1.0;
    for (int axis = 0; axis < 3; ++axis) {
        for (double sign : {1.0, -1.0}) {
            const double da = a[3] + sign * a[axis], db = b[3] + sign * b[axis];
            if (da < 0 && db < 0) {
                return false;
            }
            if (da < 0) {
                lo = std::max(lo, da / (da - db));
            } else if (db < 0) {
                hi = std::min(hi, da / (da - db));
            }
        }
    }
    return lo <= hi;
}

// The views a paint must get right: from above at the start, the whole drawing, an
// edge of it close up, from below the ground looking up, and walking through it at eye
// height, looking along the ground.
struct View {
    const char* name;
    Float3 translate;
    double elevation, azimuth;
    bool closeUp;  // shows a small part of the drawing
};
constexpr View kViews[] = {
    {"start-up", {0, 0, -50000}, 90, 0, false},
    {"whole extent", {0, 0, -200000}, 90, 0, false},
    {"an edge", {-19000, -3000, -6000}, 90, 0, true},
    {"below the ground", {2000, 1000, -30000}, -90, 0, false},
    {"walk-through", {0, -1600, 0}, 8, 35, true},
};

void LookThrough(const View& view) {
    g_viewTranslate = view.translate;
    g_elevation = view.elevation;
    g_azimuth = view.azimuth;
}

class CulledPaintTest : public RandomDrawing {};

TEST_F(CulledPaintTest, EverySegmentThatShowsIsSentInTheOrderOfTheWholePaint) {
    for (int i = 0; i < 3000; ++i) {
        AddRandomShape();
    }
    for (const View& view : kViews) {
        LookThrough(view);
        PaintBuilder whole(PaintOptions{false, true});
        PaintBuilder culled;
        g_displayListValid = 0;
        const std::vector<Segment> all = SegmentsOf(*whole.Build(doc, kWidth, kHeight).wireframe);
        g_displayListValid = 0;
        const std::vector<Segment> sent = SegmentsOf(*culled.Build(doc, kWidth, kHeight).wireframe);
        std::vector<Segment> shown, sentShown;
        std::copy_if(all.begin(), all.end(), std::back_inserter(shown), Shows);
        std::copy_if(sent.begin(), sent.end(), std::back_inserter(sentShown), Shows);
        ASSERT_FALSE(shown.empty()) << view.name;
        EXPECT_TRUE(shown == sentShown) << view.name;
        // Close up, most of the drawing is not sent at all.
        if (view.closeUp) {
            EXPECT_LT(sent.size(), all.size() / 4) << view.name;
        }
    }
}

class PaintDetailTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    const Wireframe& PaintOne(int type, Float3 p0, Float3 p1, const char* text = "") {
        doc.DeleteAllShapes();
        CShape& s = testing::AddShape(doc, type, "0", {p0, p1});
        s.m_strText = text;
        g_displayListValid = 0;
        return *builder.Build(doc, kWidth, kHeight).wireframe;
    }

    // The farthest, in pixels, that a segment of a circle about (cx, cz) strays from the
    // true circle where the window shows it: the middle of each chord against the
    // middle of its arc.
    static double WorstDeviation(const Wireframe& w, double cx, double cz, double r) {
        double worst = 0.0;
        for (size_t v = 1; v < w.VertexCount(); ++v) {
            if (w.starts[v] != 0) {
                continue;
            }
            const Double3 a = VertexOf(w, v - 1), b = VertexOf(w, v);
            const double mx = (a.x + b.x) / 2, mz = (a.z + b.z) / 2;
            const double d = std::hypot(mx - cx, mz - cz);
            if (d == 0.0) {
                continue;  // a half turn: never drawn
            }
            double x1, y1, x2, y2, z;
            if (!ProjectCaptured(mx, 0, mz, x1, y1, z) ||
                !ProjectCaptured(cx + (mx - cx) * r / d, 0, cz + (mz - cz) * r / d, x2, y2, z)) {
                continue;
            }
            if (x1 < 0 || y1 < 0 || x1 > kWidth || y1 > kHeight) {
                continue;
            }
            worst = std::max(worst, std::hypot(x2 - x1, y2 - y1));
        }
        return worst;
    }

    HeadlessPlatform platform;
    ScopedPlatform scoped{platform};
    CZorader_ezDoc doc;
    PaintBuilder builder;
};

size_t SegmentCount(const Wireframe& w) {
    return static_cast<size_t>(
        std::count(w.starts.begin() + (w.starts.empty() ? 0 : 1), w.starts.end(), 0));
}

TEST_F(PaintDetailTest, CircleSegmentsFollowTheSizeOnTheScreen) {
    // From the start-up view a millimetre is about 0.02 pixel. In order of their size on
    // the screen; the last two reach beyond the window, whose part of them is drawn.
    const struct {
        float radius;
        float distance;  // of the camera
        bool inWindow;
    } circles[] = {
        {10, 50000, true},  {1000, 500000, true}, {100, 50000, true},     {1000, 50000, true},
        {1000, 5000, true}, {10000, 50000, true}, {300000, 50000, false}, {3e7f, 50000, false},
    };
    size_t before = 0;
    for (const auto& c : circles) {
        g_viewTranslate.z = -c.distance;
        // Centred off the middle, so that the largest cross the window.
        const float cx = c.inWindow ? 0 : c.radius - 5000;
        const Wireframe& w = PaintOne(SHAPE_CIRCLE, {cx, 0, 0}, {c.radius, 0, 0});
        const size_t segments = SegmentCount(w);
        if (c.inWindow) {
            EXPECT_GE(segments, before) << c.radius << " at " << c.distance;
            before = segments;
        }
        EXPECT_GT(segments, 0u) << c.radius;
        EXPECT_LE(segments, size_t{4096}) << c.radius;
        EXPECT_LE(WorstDeviation(w, cx, 0, c.radius), kCurveTolerancePixels + 1e-3)
            << c.radius << " at " << c.distance;
    }
    // A circle of a fraction of a pixel is a stroke across it; one filling the window is
    // smoother than the 36 segments the view once gave every circle.
    g_viewTranslate.z = -50000;
    EXPECT_EQ(SegmentCount(PaintOne(SHAPE_CIRCLE, {0, 0, 0}, {5, 0, 0})), 1u);
    EXPECT_GT(SegmentCount(PaintOne(SHAPE_CIRCLE, {0, 0, 0}, {12000, 0, 0})), 36u);
    EXPECT_EQ(CircleSegments(0.1), 1);
    EXPECT_EQ(CircleSegments(0.3), 3);
    EXPECT_EQ(CircleSegments(std::numeric_limits<double>::infinity()), kMaxEvenSegments + 1);
    // An arc takes its share of its circle's segments.
    const size_t whole = SegmentCount(PaintOne(SHAPE_CIRCLE, {0, 0, 0}, {8000, 0, 0}));
    const size_t quarter = SegmentCount(PaintOne(SHAPE_ARC, {0, 0, 0}, {8000, 0, 90}));
    EXPECT_NEAR(static_cast<double>(quarter), whole / 4.0, 1.0);
}

TEST_F(PaintDetailTest, TextTooSmallToReadDrawsAsItsBox) {
    // "AB" 300 high, each character 300 wide: a box of 300 x 300 from the text point.
    g_viewTranslate.z = -50000;  // about 7 pixels high: stroked
    const size_t stroked = PaintOne(SHAPE_TEXT, {1000, 0, 2000}, {300, 300, 0}, "AB").VertexCount();
    EXPECT_GT(stroked, 5u);
    g_viewTranslate.z = -500000;  // under a pixel: its box
    const Wireframe& box = PaintOne(SHAPE_TEXT, {1000, 0, 2000}, {300, 300, 0}, "AB");
    ASSERT_EQ(box.VertexCount(), 5u);
    const Double3 corners[] = {
        {1000, 0, 2000}, {1300, 0, 2000}, {1300, 0, 1700}, {1000, 0, 1700}, {1000, 0, 2000}};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(VertexOf(box, i).x, corners[i].x, 1e-3) << i;
        EXPECT_EQ(VertexOf(box, i).y, 0.0) << i;
        EXPECT_NEAR(VertexOf(box, i).z, corners[i].z, 1e-3) << i;
    }
    // A text with nothing to draw draws nothing, however small.
    EXPECT_EQ(PaintOne(SHAPE_TEXT, {0, 0, 0}, {300, 300, 0}, "").VertexCount(), 0u);
}

TEST_F(PaintDetailTest, HugeValuesPaintInBoundedWork) {
    constexpr float kBig = 3e38f;
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        int type;
        Float3 p0, p1;
    } shapes[] = {
        {SHAPE_CIRCLE, {0, 0, 0}, {kBig, 0, 0}},
        {SHAPE_CIRCLE, {kBig, 0, -kBig}, {kBig, 0, 0}},
        {SHAPE_CIRCLE, {-kBig + 1e30f, 0, 0}, {kBig, 0, 0}},
        {SHAPE_CIRCLE, {0, 0, 0}, {inf, 0, 0}},
        {SHAPE_ARC, {kBig, 0, 0}, {kBig, -kBig, kBig}},
        {SHAPE_ARC, {0, 0, 0}, {1e9f, 0, 359.9f}},
        {SHAPE_ARC, {0, 0, nan}, {100, 0, 90}},
        {SHAPE_LINE, {-kBig, 0, -kBig}, {kBig, kBig, kBig}},
        {SHAPE_TEXT, {0, 0, 0}, {kBig, kBig, 45}},
        {SHAPE_TEXT, {kBig, 0, kBig}, {1, 1e-30f, 0}},
    };
    for (const View& view : kViews) {
        LookThrough(view);
        for (const auto& s : shapes) {
            const Wireframe& w = PaintOne(s.type, s.p0, s.p1, "AB");
            EXPECT_LE(w.VertexCount(), size_t{1} << 17) << view.name << " " << s.type;
            for (float v : w.vertices) {
                ASSERT_TRUE(std::isfinite(v)) << view.name << " " << s.type;
            }
        }
    }
}

}  // namespace
}  // namespace marquetta
