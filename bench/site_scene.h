// The drawing the benchmarks measure: a site plan of shapes spread over a 20 km square
// centred on the origin, nine lines to one circle, on 18 layers, from a fixed seed so
// that every run and every program measures the same drawing.
#pragma once

#include <cstdint>
#include <string>

#include "model/document.h"

namespace marquetta::bench {

inline constexpr int kSiteShapes = 1'000'000;
inline constexpr int kSiteLayers = 18;
// Half the side of the square, in millimetres.
inline constexpr float kSiteHalfSide = 10'000'000.0f;

// Makes the 18 layers and appends `count` shapes to `doc` through its own operations.
void FillSitePlan(CZorader_ezDoc& doc, int count = kSiteShapes);

// Moves every shape of `doc` by `step` along x through the document, and turns `step`
// round, so that the next call moves them back.
void MoveEveryShape(CZorader_ezDoc& doc, float& step);

// The spread plan: 800,000 lines of up to 900 mm and 160,000 circles of 10 to 2,000 mm
// (one shape in six a circle) scattered over a square of 100 km, on 18 layers in seven
// colours, from a fixed seed: a drawing whose every shape is small against its extent,
// so that any view shows a sliver of it. With a smaller square (kDenseHalfSide) the
// same shapes all fit into the view from just inside the far plane.
inline constexpr int kSpreadLines = 800'000;
inline constexpr int kSpreadCircles = 160'000;
inline constexpr float kSpreadHalfSide = 50'000'000.0f;
inline constexpr float kDenseHalfSide = 1'200'000.0f;
void FillSpreadPlan(CZorader_ezDoc& doc, float halfSide = kSpreadHalfSide);

// The window the view benchmarks paint: 1024 x 768 pixels.
inline constexpr int kViewWidth = 1024;
inline constexpr int kViewHeight = 768;

}  // namespace marquetta::bench

namespace marquetta::bench {

// The DXF plan the import benchmarks read: 800,000 lines and 160,000 circles on 18
// layers, CR LF line ends and right-aligned group codes as most writers put them,
// about 100 MB. Returns false when the file cannot be written.
inline constexpr int kDxfLines = 800'000;
inline constexpr int kDxfCircles = 160'000;
bool WriteDxfPlan(const std::string& path);

}  // namespace marquetta::bench
