#include "edit/zoom_fit.h"

#include <algorithm>
#include <cmath>

#include "edit/editing_state.h"
#include "edit/navigation.h"
#include "edit/picking.h"
#include "model/visible_layers.h"
#include "platform/platform.h"
#include "view/camera.h"
#include "view/gl_matrix.h"
#include "view/shape_bounds.h"
#include "view/sheet.h"

namespace marquetta {

std::optional<PlanExtents> VisibleExtents(const CZorader_ezDoc& doc) {
    const ShapeList& list = doc.m_shapes;
    VisibleLayers visible(list);
    std::optional<PlanExtents> extents;
    for (const ShapeRef& shape : list) {
        Box3 box{};
        if (!visible(shape.Slot()) || ShapeBounds(*shape, box) != ShapeExtent::Box) {
            continue;
        }
        const Double3 lo{box.lo[0], box.lo[1], box.lo[2]};
        const Double3 hi{box.hi[0], box.hi[1], box.hi[2]};
        if (!extents) {
            extents = PlanExtents{lo, hi};
            continue;
        }
        extents->lo = {std::min(extents->lo.x, lo.x), std::min(extents->lo.y, lo.y),
                       std::min(extents->lo.z, lo.z)};
        extents->hi = {std::max(extents->hi.x, hi.x), std::max(extents->hi.y, hi.y),
                       std::max(extents->hi.z, hi.z)};
    }
    return extents;
}

PlanExtents SheetExtents() {
    const double halfX = g_scaleDenominator * g_paperWidth * 0.5;
    const double halfZ = g_scaleDenominator * g_paperHeight * 0.5;
    return PlanExtents{{-halfX, 0.0, -halfZ}, {halfX, 0.0, halfZ}};
}

Float3 FittedTranslate(const PlanExtents& extents, double aspect, double fovDegrees) {
    const double cx = (extents.lo.x + extents.hi.x) * 0.5;
    const double cz = (extents.lo.z + extents.hi.z) * 0.5;
    double halfX = (extents.hi.x - extents.lo.x) * 0.5;
    double halfZ = (extents.hi.z - extents.lo.z) * 0.5;
    if (halfX <= 0.0 && halfZ <= 0.0) {
        halfX = halfZ = kFitSmallestSpan * 0.5;
    }
    const double tanHalf = std::tan(fovDegrees * 0.5 * kGlPi / 180.0);
    const double safeAspect = aspect > 0.0 ? aspect : 1.0;
    const double fit = std::max(halfZ / tanHalf, halfX / (tanHalf * safeAspect)) * (1.0 + 2.0 * kFitMargin);
    // Looking down, eye-space x is world x and eye-space y is minus world z; the eye
    // stands `distance` above the highest point of the plan.
    const double distance = std::max(fit + std::max(extents.hi.y, 0.0), kClosestViewingDistance * 2.0);
    return Float3{static_cast<float>(-cx), static_cast<float>(cz), static_cast<float>(-distance)};
}

void ZoomToFit(const CZorader_ezDoc& doc) {
    const PlanExtents extents = VisibleExtents(doc).value_or(SheetExtents());
    const Float3 t = FittedTranslate(extents, g_viewAspect, g_fieldOfView);
    if (!CameraTakes(t.x, t.y) || !CameraTakes(t.z)) {
        return;
    }
    g_elevation = 90.0;
    g_azimuth = 0.0;
    g_viewTranslate = t;
    if (g_viewHeight > 0.0 && stepPending >= 1) {
        // A pending step's first corner stays on the point it marks.
        ComputePaintTransforms(static_cast<int>(g_viewWidth), static_cast<int>(g_viewHeight));
        double wx = 0.0, wy = 0.0, wz = 0.0;
        if (ProjectCaptured(firstPoint.x, firstPoint.y, firstPoint.z, wx, wy, wz)) {
            firstScreenPoint = {wx, g_viewHeight - wy};
        }
    }
    CurrentPlatform().InvalidateView();
}

}  // namespace marquetta
