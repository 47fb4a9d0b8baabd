// The part of world space one paint shows: the clip volume of its projection and
// model-view (between the near and far planes, inside the window), and how many pixels
// a millimetre there covers. A paint leaves out what lies outside it and draws curves
// no finer than their size on the screen needs.
#pragma once

#include "model/geometry.h"
#include "model/shape_index.h"

namespace marquetta {

class ViewFrustum {
  public:
    // From the transforms of a paint. False when they give no usable volume (no paint
    // yet, an empty window, values that are not finite).
    bool Set(const ProjectionRef& transforms);

    // Whether a box may hold a point the paint shows. It may say yes for a box that
    // holds none (it keeps a pixel of margin round the window and a rounding margin
    // at every plane, so that whatever GL might still light is kept), never no for one
    // that holds one.
    bool MayMeet(const Box3& box) const;
    // Whether every point of the box lies in the volume (with the margins above).
    bool Holds(const Box3& box) const;

    // An upper bound on how far, in pixels, a shift of one millimetre moves a point of
    // the box on the screen, for the points of the box that the paint shows. Infinite
    // when the box reaches where that has no bound.
    double PixelsPerUnit(const Box3& box) const;

  private:
    // Clip coordinates as affine functions of the world point: coefficients of x, y, z
    // and the constant, for clip x, y, z and w.
    double m_clip[4][4] = {};
    // The planes of the volume (positive inside), the same way.
    double m_plane[6][4] = {};
    // Half the viewport's width and height in pixels.
    double m_halfWidth = 0.0, m_halfHeight = 0.0;
    // The least w a shown point can have (the near plane's), 0 when there is none.
    double m_nearW = 0.0;
    // How fast clip x, y and w change along a millimetre at most, and the bound on how
    // far off the window's middle a shown point lies (in halves of the window).
    double m_rateX = 0.0, m_rateY = 0.0, m_rateW = 0.0, m_edge = 1.0;
};

}  // namespace marquetta
