// From the mouse to the drawing: the ground-plane point under the cursor, snapping to
// shape vertices and grid points, and picking shapes by a click or by a window. Every
// test works in window pixels on points projected through the matrices the last paint
// captured; mouse pixels count y from the top of the window, projected points from the
// bottom.
#pragma once

#include <optional>
#include <vector>

#include "edit/snap_settings.h"
#include "model/document.h"
#include "model/geometry.h"
#include "model/shape_index.h"

namespace marquetta {

// Snap reach, in pixels (strict). Picking a stroke uses WindowSegmentHit's 3 pixels.
inline constexpr double kVertexSnapReach = 3.0;
inline constexpr double kGridSnapReach = 4.0;
inline constexpr double kPickReach = 3.0;

// How a click finds the shapes it tests: through the document's pick index, as the
// program does, or by walking the whole list, as the answer is defined (the index
// must always give that walk's answer; tests and benchmarks compare the two).
enum class PickWalk { Indexed, Linear };

// The first shape in list order, on a shown layer, that a click at pixel (x, y) hits
// (only lines with linesOnly); null when none is hit. Faces are never hit.
CShape* ShapeAtPixel(const CZorader_ezDoc& doc, double x, double y, bool linesOnly,
                     PickWalk walk = PickWalk::Indexed);
// The first vertex in list order of a shape on a shown layer within the vertex snap
// reach of the pixel: true with the point, or false leaving `point` alone.
bool VertexNearPixel(const CZorader_ezDoc& doc, double x, double y, Double3& point,
                     PickWalk walk = PickWalk::Indexed);
// The shapes on shown layers strictly inside the window between two corner pixels,
// in list order; with `crossing`, every one that the window touches (inside, or meeting
// its edges).
std::vector<CShape*> ShapesInWindow(const CZorader_ezDoc& doc, const Double2& corner1,
                                    const Double2& corner2, PickWalk walk = PickWalk::Indexed,
                                    bool crossing = false);

// A window whose second corner lies left of its first is a crossing window.
bool IsCrossingWindow(const Double2& corner1, const Double2& corner2);

// The ground-plane point under the pixel; false (leaving `point` alone) before the
// first paint or for a ray parallel to the ground.
bool GroundPointUnder(double x, double y, Double3& point);

// Puts the ground-plane point under the pixel into cursorPoint and stores the pixel as
// lastScreenPoint; with rememberAsFirst also into firstPoint and firstScreenPoint. Then
// repaints. A ray parallel to the ground (or no paint yet) stores nothing, repaints
// nothing and gives false.
bool computeCursorPoint(double x, double y, bool rememberAsFirst);

// A snap target: the point and the kind that found it.
struct SnapHit {
    Double3 point;
    SnapKind kind = SnapKind::Endpoint;
};

// The snap target of the kinds in `kinds` (SnapBit of each; the grid's with the grid
// on) for a click at the pixel: kind by kind in SnapKind's order, the first that has a
// point within 3 pixels wins. End points are taken in list order (the first vertex of
// a visible shape within reach), the other kinds nearest the cursor first; the grid
// point within 4 pixels comes last. Perpendicular feet need `from`, the step's first
// point. With `ortho` (and `from`) the pixel is that of the point forced onto the
// horizontal or vertical through `from` (OrthoPoint), and only targets on that line
// count; the nearest point kind there means where the line crosses a shape.
std::optional<SnapHit> FindSnap(const CZorader_ezDoc& doc, double x, double y, const Double3* from,
                                bool ortho, int kinds, PickWalk walk = PickWalk::Indexed);

// FindSnap with the kinds the user has on, the grid as it is, and ortho as it is when
// there is a first point.
std::optional<SnapHit> SnapForStep(const CZorader_ezDoc& doc, double x, double y, const Double3* from);

// The point on the plan's horizontal (constant z) or vertical (constant x) through
// `from`, whichever is nearer to p, at p's height.
Double3 OrthoPoint(const Double3& from, const Double3& p);

// What snapPoint would take for the pixel, without a sound: true with the point.
bool SnapTarget(const CZorader_ezDoc& doc, double x, double y, Double3& point);

// The snap target of SnapForStep (with `from` the step's first point, for a second
// point). A match beeps and gives true with the point; no match gives the exclamation
// beep and false, leaving `point` alone. With only end points on and no ortho: the
// vertex of a visible shape within 3 pixels (list order, the first wins), else with the
// grid on the grid point within 4 pixels.
bool snapPoint(const CZorader_ezDoc& doc, double x, double y, Double3& point,
               const Double3* from = nullptr);

// Whether the command in progress takes its next click as a point (a draw command, or
// the base point or destination of a move or copy), so that the view marks snap targets.
bool TakesPoint(const CZorader_ezDoc& doc);

// Toggles the selection of the first visible shape under the pixel and repaints; false
// when no shape is there. Faces are never picked.
bool pickToggle(CZorader_ezDoc& doc, double x, double y);

// As pickToggle, but only lines; the line hit becomes pickedLine.
bool pickLine(CZorader_ezDoc& doc, double x, double y);

// Selects every visible shape that lies strictly inside the window between the two
// corner pixels, or, for a crossing window (IsCrossingWindow), every one it touches.
// Nothing is deselected.
void selectInWindow(CZorader_ezDoc& doc, const Double2& corner1, const Double2& corner2);

// selectionExists = whether any shape of the drawing is selected.
void RecomputeSelectionExists(const CZorader_ezDoc& doc);

}  // namespace marquetta
