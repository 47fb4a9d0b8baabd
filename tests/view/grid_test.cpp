#include "view/grid.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>
#include <utility>

#include "app/program_defaults.h"
#include "view/camera.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

class GridTest : public ::testing::Test {
  protected:
    void SetUp() override { InitProgramDefaults(); }

    // The view of the camera globals on a width x height window.
    static ProjectionRef View(int width, int height) {
        ComputePaintTransforms(width, height);
        return CapturedProjection();
    }
};

// Testing every point of the sheet in the walk's order: what the arithmetic must match.
std::optional<Double3> WalkEveryPoint(const SheetGrid& grid, const ProjectionRef& view, double wx,
                                      double wy, double reach) {
    for (int64_t i = -grid.nx; i <= grid.nx; ++i) {
        for (int64_t k = -grid.nz; k <= grid.nz; ++k) {
            if (GridPointWithin(grid, i, k, view, wx, wy, reach)) {
                return Double3{i * grid.pitch, 0.0, k * grid.pitch};
            }
        }
    }
    return std::nullopt;
}

TEST_F(GridTest, SnapFindsWhatTestingEveryPointFinds) {
    std::mt19937 random(20240611);
    auto uniform = [&](double low, double high) {
        return std::uniform_real_distribution<double>(low, high)(random);
    };
    int found = 0, crowded = 0;
    for (int view = 0; view < 300; ++view) {
        // Grids from a few points to ten thousand, seen from far enough that the whole
        // sheet is a speck to close enough that one step spans the window; a third of
        // the views tilted, which the walk must survive too.
        const SheetGrid grid{std::exp(uniform(std::log(10.0), std::log(9999.0))),
                             static_cast<int64_t>(uniform(0, 50)),
                             static_cast<int64_t>(uniform(0, 50))};
        const double extent = grid.pitch * static_cast<double>(std::max(grid.nx, grid.nz) + 1);
        g_viewTranslate = {
            static_cast<float>(uniform(-extent, extent)),
            static_cast<float>(uniform(-extent, extent)),
            static_cast<float>(-std::exp(uniform(std::log(600.0), std::log(extent * 400))))};
        if (view % 3 == 0) {
            g_elevation = uniform(20, 90);
            g_azimuth = uniform(0, 360);
        } else {
            g_elevation = 90;
            g_azimuth = 0;
        }
        const ProjectionRef projection =
            View(static_cast<int>(uniform(64, 1600)), static_cast<int>(uniform(64, 1200)));
        for (int cursor = 0; cursor < 20; ++cursor) {
            double wx = std::round(uniform(0, projection.viewport[2]));
            double wy = std::round(uniform(0, projection.viewport[3]));
            if (cursor % 2 == 0) {
                // Near a grid point, where the answers lie.
                double px = 0.0, py = 0.0, pz = 0.0;
                const double i = std::round(uniform(-grid.nx, grid.nx));
                const double k = std::round(uniform(-grid.nz, grid.nz));
                if (ProjectCaptured(i * grid.pitch, 0, k * grid.pitch, px, py, pz)) {
                    wx = std::round(px + uniform(-5, 5));
                    wy = std::round(py + uniform(-5, 5));
                }
            }
            const std::optional<Double3> expected = WalkEveryPoint(grid, projection, wx, wy, 4.0);
            ASSERT_EQ(FirstGridPointWithin(grid, projection, wx, wy, 4.0), expected)
                << "view " << view << " cursor " << wx << ", " << wy;
            if (expected) {
                ++found;
                const int64_t i = std::llround(expected->x / grid.pitch);
                const int64_t k = std::llround(expected->z / grid.pitch);
                crowded += GridPointWithin(grid, i + 1, k, projection, wx, wy, 4.0) ||
                           GridPointWithin(grid, i, k + 1, projection, wx, wy, 4.0);
            }
        }
    }
    // The draw covered hits, misses and squares holding more than one point.
    EXPECT_GT(found, 1000);
    EXPECT_GT(crowded, 50);
}

TEST_F(GridTest, PaintShowsOnlyTheVisiblePartAndNothingTooFine) {
    const struct {
        double distance, pitch, scale;
        bool tooFine;
    } cases[] = {
        {50000, 910, 100, false},   // start-up: the sheet's top and bottom rows are off
        {100000, 910, 100, false},  // farther: all of the sheet
        {50000, 10, 700, true},     // the pitch that once built 280 million points
        {2000, 10, 10, false},      // close: 5.6 pixels apart, a window's worth
        {2000, 5, 10, true},        // 2.8 pixels apart
    };
    for (const auto& c : cases) {
        g_viewTranslate = {0, 0, static_cast<float>(-c.distance)};
        g_gridPitch = c.pitch;
        g_scaleDenominator = c.scale;
        const ProjectionRef view = View(800, 600);
        const SheetGrid grid = CurrentSheetGrid().value();
        std::vector<float> points, outline;
        const double halfX = c.scale * g_paperWidth / 2, halfZ = c.scale * g_paperHeight / 2;
        EXPECT_EQ(BuildGridPoints(grid, halfX, halfZ, view, points, outline).tooFine, c.tooFine);
        if (c.tooFine) {
            EXPECT_TRUE(points.empty());
            ASSERT_EQ(outline.size(), 8u * 3u);
            EXPECT_EQ(outline[0], static_cast<float>(-halfX));
            EXPECT_EQ(outline[2], static_cast<float>(-halfZ));
            continue;
        }
        EXPECT_TRUE(outline.empty());
        // Exactly the points inside the window, a pixel's margin included.
        std::set<std::pair<float, float>> visible;
        for (int64_t i = -grid.nx; i <= grid.nx; ++i) {
            for (int64_t k = -grid.nz; k <= grid.nz; ++k) {
                double wx = 0.0, wy = 0.0, wz = 0.0;
                ProjectCaptured(i * grid.pitch, 0, k * grid.pitch, wx, wy, wz);
                if (wx > -1 && wx < 801 && wy > -1 && wy < 601) {
                    visible.insert(
                        {static_cast<float>(i * grid.pitch), static_cast<float>(k * grid.pitch)});
                }
            }
        }
        std::set<std::pair<float, float>> drawn;
        for (size_t v = 0; v + 2 < points.size(); v += 3) {
            drawn.insert({points[v], points[v + 2]});
        }
        EXPECT_EQ(drawn, visible) << c.pitch << " at " << c.distance;
        EXPECT_EQ(drawn.size() * 3, points.size());
    }
}

}  // namespace
}  // namespace marquetta
