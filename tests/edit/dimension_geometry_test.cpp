#include "edit/dimension_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <string>
#include <vector>

#include "app/program_defaults.h"
#include "text/text_layout.h"

namespace marquetta {
namespace {

constexpr double kPi = 3.14159265358979323846;

struct Ink {
    // The strokes of the text measured along a unit direction `along` (X, Z) from the
    // point `from`, and across it to the left as the sheet is read (-Z up).
    double alongMin = 1e300, alongMax = -1e300, acrossMin = 1e300, acrossMax = -1e300;
};

// Where the text's strokes really lie, from the stroke font's own layout.
Ink InkOf(const CShape& text, double fromX, double fromZ, double alongX, double alongZ) {
    std::vector<float> batch;
    DrawStrokeText(text.m_strText, text.m_pt[0].x, text.m_pt[0].z, text.m_pt[1].x, text.m_pt[1].y,
                   text.m_pt[1].z, TextTarget::View(batch));
    Ink ink;
    for (size_t i = 0; i + 2 < batch.size(); i += 3) {
        const double dx = batch[i] - fromX, dz = batch[i + 2] - fromZ;
        const double along = dx * alongX + dz * alongZ;
        const double across = dx * alongZ - dz * alongX;  // left of `along` on the sheet
        ink.alongMin = std::min(ink.alongMin, along);
        ink.alongMax = std::max(ink.alongMax, along);
        ink.acrossMin = std::min(ink.acrossMin, across);
        ink.acrossMax = std::max(ink.acrossMax, across);
    }
    return ink;
}

const CShape* TextOf(const DimensionResult& r) {
    for (const CShape& s : r.shapes) {
        if (s.m_nType == SHAPE_TEXT) {
            return &s;
        }
    }
    return nullptr;
}

bool HasLine(const DimensionResult& r, double x0, double z0, double x1, double z1) {
    const auto near = [](double a, double b) { return std::fabs(a - b) < 0.01; };
    for (const CShape& s : r.shapes) {
        if (s.m_nType != SHAPE_LINE) {
            continue;
        }
        const Float3& a = s.m_pt[0];
        const Float3& b = s.m_pt[1];
        if ((near(a.x, x0) && near(a.z, z0) && near(b.x, x1) && near(b.z, z1)) ||
            (near(a.x, x1) && near(a.z, z1) && near(b.x, x0) && near(b.z, z0))) {
            return true;
        }
    }
    return false;
}

class DimensionGeometryTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }
};

// Hand-worked dimensions at 1:100 with the default style (text 2.5 mm -> 250 mm, 45°
// ticks of 2 mm, gap 1 mm, overshoot 2 mm): the text, its height, its angle, the
// dimension line, and the text's ink centred on the line's middle and above it.
TEST_F(DimensionGeometryTest, HandWorkedCases) {
    const double c30 = std::cos(kPi / 6), s30 = std::sin(kPi / 6);
    // The 30° aligned case: 2000 along (cos, -sin), the place 500 to its left.
    const Double3 b30{2000 * c30, 0, -2000 * s30};
    const Double3 left30{-500 * s30, 0, -500 * c30};
    const struct {
        const char* name;
        DimensionResult result;
        std::string text;
        double angle;
        double lineX0, lineZ0, lineX1, lineZ1;  // the dimension line
        double alongX, alongZ;                  // the line's reading direction
        size_t lines;
    } cases[] = {
        {"horizontal 3600", LinearDimension({0, 0, 0}, {3600, 0, 0}, {1800, 0, -1000}, {}, 100),
         "3600", 0, 0, -1000, 3600, -1000, 1, 0, 5},
        {"vertical 2400", LinearDimension({0, 0, 0}, {0, 0, -2400}, {-1000, 0, -1200}, {}, 100),
         "2400", 90, -1000, 0, -1000, -2400, 0, -1, 5},
        {"aligned at 30°", AlignedDimension({0, 0, 0}, b30, {1000 * c30 + left30.x, 0, -1000 * s30 + left30.z}, {}, 100),
         "2000", 30, left30.x, left30.z, b30.x + left30.x, b30.z + left30.z, c30, -s30, 5},
        {"radius inside", RadiusDimension({0, 0, 0}, 1200, {600, 0, 0}, false, {}, 100), "R1200", 0, 0,
         0, 1200, 0, 1, 0, 2},
        {"diameter inside", RadiusDimension({0, 0, 0}, 1200, {600, 0, 0}, true, {}, 100),
         "\x83\xD3" "2400", 0, -1200, 0, 1200, 0, 1, 0, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(c.result.error, DimensionError::None);
        EXPECT_EQ(c.result.shapes.size(), c.lines + 1);
        EXPECT_TRUE(HasLine(c.result, c.lineX0, c.lineZ0, c.lineX1, c.lineZ1));
        const CShape* text = TextOf(c.result);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->m_strText, c.text);
        EXPECT_FLOAT_EQ(text->m_pt[1].x, 250.0f);
        EXPECT_NEAR(text->m_pt[1].z, c.angle, 1e-4);
        // Centred on the line's middle (within a glyph's side bearing), wholly above it
        // and close to it.
        const double midX = (c.lineX0 + c.lineX1) / 2, midZ = (c.lineZ0 + c.lineZ1) / 2;
        const Ink ink = InkOf(*text, midX, midZ, c.alongX, c.alongZ);
        EXPECT_NEAR((ink.alongMin + ink.alongMax) / 2, 0.0, 20.0);
        EXPECT_GT(ink.acrossMin, 0.0);
        EXPECT_LT(ink.acrossMin, 125.0);
        EXPECT_GT(ink.acrossMax - ink.acrossMin, 150.0);
        EXPECT_LT(ink.acrossMax - ink.acrossMin, 250.0 + 1e-3);
    }
}

// The extension lines keep the gap off the measured point and run the overshoot past
// the dimension line; a 45° tick of 2 mm crosses each end.
TEST_F(DimensionGeometryTest, ExtensionLinesAndTicks) {
    const DimensionResult r = LinearDimension({0, 0, 0}, {3600, 0, 0}, {1800, 0, -1000}, {}, 100);
    EXPECT_TRUE(HasLine(r, 0, -100, 0, -1200));
    EXPECT_TRUE(HasLine(r, 3600, -100, 3600, -1200));
    const double t = 100 / std::sqrt(2.0);
    // From lower left to upper right as the sheet is read (-Z up).
    EXPECT_TRUE(HasLine(r, -t, -1000 + t, t, -1000 - t));
    EXPECT_TRUE(HasLine(r, 3600 - t, -1000 + t, 3600 + t, -1000 - t));
    // Arrows instead: two strokes of 2 mm at 15° from each end, pointing inwards.
    DimensionStyle arrows;
    arrows.end = DimensionEnd::Arrow;
    const DimensionResult a = LinearDimension({0, 0, 0}, {3600, 0, 0}, {1800, 0, -1000}, arrows, 100);
    const double ax = 200 * std::cos(kPi / 12), az = 200 * std::sin(kPi / 12);
    EXPECT_TRUE(HasLine(a, 0, -1000, ax, -1000 - az));
    EXPECT_TRUE(HasLine(a, 0, -1000, ax, -1000 + az));
    EXPECT_TRUE(HasLine(a, 3600, -1000, 3600 - ax, -1000 - az));
}

// A right angle between two lines meeting at the origin: the arc through the place,
// in the quarter that holds it, and "90°" at its middle.
TEST_F(DimensionGeometryTest, AngleOfNinetyDegrees) {
    const struct {
        Double3 place;
        double start;
    } cases[] = {{{1000, 0, -1000}, 0}, {{-1000, 0, -1000}, 90}, {{-1000, 0, 1000}, 180}, {{1000, 0, 1000}, 270}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.start);
        const DimensionResult r =
            AngleDimension({0, 0, 0}, {3000, 0, 0}, {0, 0, 0}, {0, 0, -3000}, c.place, {}, 100);
        ASSERT_EQ(r.error, DimensionError::None);
        const CShape& arc = r.shapes.front();
        ASSERT_EQ(arc.m_nType, SHAPE_ARC);
        EXPECT_NEAR(arc.m_pt[1].x, std::sqrt(2.0) * 1000, 0.01);
        EXPECT_NEAR(arc.m_pt[1].y, c.start, 1e-3);
        EXPECT_NEAR(arc.m_pt[1].z, c.start + 90, 1e-3);
        const CShape* text = TextOf(r);
        ASSERT_NE(text, nullptr);
        EXPECT_EQ(text->m_strText, "90\x81\x8B");
    }
}

// Over a whole turn of directions the text runs along the line and reads from the
// bottom or the right of the sheet, never upside down.
TEST_F(DimensionGeometryTest, TextNeverUpsideDown) {
    for (int degrees = 0; degrees < 360; degrees += 5) {
        SCOPED_TRACE(degrees);
        const double r = degrees * kPi / 180;
        const Double3 b{1000 * std::cos(r), 0, -1000 * std::sin(r)};
        const DimensionResult d = AlignedDimension({0, 0, 0}, b, {b.x / 2 + 300, 0, b.z / 2 + 300}, {}, 100);
        const CShape* text = TextOf(d);
        ASSERT_NE(text, nullptr);
        const double a = text->m_pt[1].z * kPi / 180;
        EXPECT_TRUE(std::cos(a) > 1e-6 || std::fabs(text->m_pt[1].z - 90) < 1e-4) << std::setprecision(12) << text->m_pt[1].z;
        EXPECT_NEAR(std::sin(a - r), 0.0, 1e-5);  // along the line, either way
        EXPECT_GE(text->m_pt[1].z, 0.0f);
        EXPECT_LT(text->m_pt[1].z, 360.0f);
    }
}

// Numbers rounded half away from zero to the decimals set, never "-0".
TEST_F(DimensionGeometryTest, NumbersWithTheDecimalsSet) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {{3600, 0, "3600"}, {2.5, 0, "3"},       {0.125, 2, "0.13"},
                 {-0.01, 1, "0.0"}, {1234.5, 1, "1234.5"}, {7, 3, "7.000"}};
    for (const auto& c : cases) {
        EXPECT_EQ(FormatDimensionValue(c.value, c.decimals), c.text) << c.value;
    }
}

// What cannot be dimensioned is refused and makes nothing.
TEST_F(DimensionGeometryTest, RefusalsMakeNothing) {
    const struct {
        const char* name;
        DimensionResult result;
        DimensionError error;
    } cases[] = {
        {"coinciding points", AlignedDimension({5, 0, 5}, {5, 0, 5}, {0, 0, 100}, {}, 100),
         DimensionError::Coincident},
        {"vertical points, horizontal place",
         LinearDimension({0, 0, 0}, {0, 0, -1000}, {0, 0, -2000}, {}, 100), DimensionError::Coincident},
        {"place on the centre", RadiusDimension({0, 0, 0}, 500, {0, 0, 0}, false, {}, 100),
         DimensionError::Coincident},
        {"parallel lines", AngleDimension({0, 0, 0}, {1000, 0, 0}, {0, 0, 500}, {1000, 0, 500}, {500, 0, 200}, {}, 100),
         DimensionError::Parallel},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.result.error, c.error);
        EXPECT_TRUE(c.result.shapes.empty());
    }
}

}  // namespace
}  // namespace marquetta
