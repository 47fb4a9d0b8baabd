// What one paint of the drawing view draws, as data, in the order of the paint: the
// clear colour, the transforms, the sheet grid, the red previews of the command in
// progress, the wireframe or the lit faces, and the selection rectangle. The desktop
// draws a frame with GL; tests read it. The wireframe holds the shapes in view, found
// through the document's shape index, each at the detail its size on the screen needs;
// it is made again only when the view or the drawing changed.
#pragma once

#include <cstdint>
#include <vector>

#include "model/document.h"
#include "edit/shape_transform.h"
#include "model/geometry.h"
#include "view/view_frustum.h"
#include "view/wireframe_layout.h"

namespace marquetta {

// The status line while the grid is too fine to show.
inline constexpr const char* kGridTooFineText = "グリッドが細かすぎるため表示していません";

// Fixed colours and lighting of every paint (RGBA).
inline constexpr float kBackgroundColor[4] = {0.0f, 0.3f, 0.3f, 1.0f};
inline constexpr float kShapeColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kSelectedColor[4] = {1.0f, 0.0f, 1.0f, 1.0f};
inline constexpr float kGridColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kPreviewColor[4] = {1.0f, 0.0f, 0.0f, 1.0f};
// Half the width of a snap target's marker, in pixels.
inline constexpr double kSnapMarkerHalfSize = 5.0;
inline constexpr float kGlobalAmbient[4] = {0.4f, 0.4f, 0.4f, 1.0f};
inline constexpr float kLightAmbient[4] = {0.5f, 0.5f, 0.5f, 1.0f};
inline constexpr float kLightDiffuse[4] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kLightSpecular[4] = {1.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kLightPosition[4] = {0.0f, 0.0f, 1.0f, 0.0f};  // from the viewer
inline constexpr float kMaterialAmbient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
inline constexpr float kMaterialDiffuse[4] = {0.0f, 1.0f, 1.0f, 1.0f};
inline constexpr float kMaterialSpecular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
inline constexpr float kMaterialShininess = 32.0f;

// One lit quadrilateral of the shaded display: its diffuse colour, then per corner the
// normal and the point.
struct ShadedFace {
    float color[4]{};
    Float3 normals[4];
    Float3 corners[4];
};

struct PaintFrame {
    // The paint began by measuring the printer's paper.
    bool paperMeasured = false;
    // White points (x, y, z floats): the grid on the visible part of the sheet; empty
    // when the grid is off or too fine to show.
    std::vector<float> gridPoints;
    // The grid is on but its points would run together on screen: none is drawn, and
    // the sheet's edges (white dotted line-segment vertices) show where it lies.
    bool gridTooFine = false;
    std::vector<float> sheetOutline;
    // Red line-segment vertices (x, y, z floats, two per segment): the rubber band and,
    // while moving, copying, turning, mirroring or scaling, the selected shapes where
    // the click would put them.
    std::vector<float> previewSegments;
    // Wireframe display: the wireframe to draw, and whether it changed for this paint
    // (made again, or only its changed shapes drawn again). Null in shaded display.
    const Wireframe* wireframe = nullptr;
    bool wireframeRebuilt = false;
    // Shaded display: the faces of visible layers.
    std::vector<ShadedFace> faces;
    // Red overlay segments in window coordinates (x, y from the bottom), drawn with an
    // orthographic projection over the window: the selection window while one is open,
    // the marker of the snap target under the cursor while a command takes a point.
    std::vector<float> overlaySegments;
    // The selection window is a crossing window (opened to the left): drawn dashed.
    bool overlayDashed = false;
    // The transforms of this paint (also captured program-wide for picking).
    int viewport[4] = {0, 0, 0, 0};
    double projection[16] = {};
    double modelview[16] = {};
};

// How a paint chooses what its wireframe holds. The program always paints with both
// on; the benchmarks and tests turn them off to paint the way the view always had
// (every shape, circles of 36 segments, every text stroked) beside the new.
struct PaintOptions {
    // Only the shapes whose boxes meet the view, found through the shape index.
    bool cull = true;
    // Curves and texts at the detail their size on the screen needs.
    bool detailBySize = true;
};

// A move or copy of more selected shapes than this shows only the first of them where
// they would land, so that the preview keeps up with the mouse.
inline constexpr size_t kGhostShapeLimit = 20000;

// Builds frames for one view. It keeps the wireframe between paints and reuses its
// buffers, so a paint that replays a valid wireframe in an unchanged view does no work
// per shape, and one after an edit draws again only the shapes the edit changed.
class PaintBuilder {
public:
    explicit PaintBuilder(PaintOptions options = {}) : m_options(options) {}
    // Builds the frame for a client area of width x height pixels.
    const PaintFrame& Build(const CZorader_ezDoc& doc, int width, int height);
    // How many paints made the whole wireframe again rather than only what changed.
    size_t WireframeRebuilds() const { return m_layout.Rebuilds(); }

private:
    void BuildGrid();
    void BuildPreviews(const CZorader_ezDoc& doc);
    // With a transform the shapes it takes, transformed; without one the selection
    // moved from the first point to the cursor.
    void BuildGhosts(const CZorader_ezDoc& doc, const ShapeTransform* transform);
    void BuildWireframe(const CZorader_ezDoc& doc);
    void BuildFaces(const CZorader_ezDoc& doc);
    void BuildOverlay(const CZorader_ezDoc& doc);

    PaintOptions m_options;
    PaintFrame m_frame;
    Wireframe m_wireframe;
    Wireframe m_ghost;  // the shapes being moved or copied, before they are placed
    WireframeLayout m_layout;
    // The transforms the wireframe was made for; a view of other transforms makes it again.
    int m_wireframeViewport[4] = {0, 0, 0, 0};
    double m_wireframeProjection[16] = {};
    double m_wireframeModelview[16] = {};
};

// The points of an arc from `start` to `end` degrees, as the view and the printer draw
// it: the start, every whole 10 degrees strictly between, the end; just the chord when
// the end is not above the start. Calls point(angleDegrees) for each.
template <class PointFn>
void ForEachArcAngle(double start, double end, PointFn&& point);

// The ten-degree angles of a full circle, a = 0, 10, ..., 350 and back to 0.
inline constexpr int kCircleSegments = 36;
inline constexpr double kTenDegrees = 0.17453292777777776;

}  // namespace marquetta

#include "view/paint_frame_inl.h"
