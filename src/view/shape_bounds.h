// Where a shape can be seen or hit: one box per shape holding everything a paint draws
// of it (at any detail) and every point a click, a snap or a selection window tests of
// it. The document's shape index is built on these boxes, so that a paint finds the
// shapes in view and a click the shapes near the cursor through the same index.
#pragma once

#include "model/document.h"
#include "model/shape_index.h"

namespace marquetta {

// The box of a shape; Everywhere when a value is not finite or beyond a float (the
// shape is then always a candidate); Nowhere for a kind that is never drawn or hit.
ShapeExtent ShapeBounds(const CShape& shape, Box3& box);

// The document's shape index, brought up to date with its list.
ShapeIndex& SyncedShapeIndex(const CZorader_ezDoc& doc);

}  // namespace marquetta
