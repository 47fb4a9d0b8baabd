// Zoom to fit: the plan view framed on what the drawing shows, so that a drawing of any
// size (an imported site plan, a 10 mm part) appears whole at once.
#pragma once

#include <optional>

#include "model/document.h"
#include "model/geometry.h"

namespace marquetta {

// Share of the framed extents left free on every side.
inline constexpr double kFitMargin = 0.05;
// The side of the square framed about a drawing whose extents have no size (one point).
inline constexpr double kFitSmallestSpan = 100.0;

struct PlanExtents {
    Double3 lo;
    Double3 hi;
};

// The extents of every shape on a shown layer, as a click or a selection window tests
// it; none when no such shape has finite extents.
std::optional<PlanExtents> VisibleExtents(const CZorader_ezDoc& doc);

// The sheet on the ground, centred on the origin (what an empty drawing frames).
PlanExtents SheetExtents();

// The camera translation that looks straight down (elevation 90, azimuth 0) on
// `extents` with the margin, through a vertical field of view `fovDegrees` on a window
// of width / height `aspect`. The plan is framed at the height of its highest point.
Float3 FittedTranslate(const PlanExtents& extents, double aspect, double fovDegrees);

// The command: the plan view framed on the visible shapes, or on the sheet when none
// is shown; a pending step's first corner follows the picture. The view repaints.
void ZoomToFit(const CZorader_ezDoc& doc);

}  // namespace marquetta
