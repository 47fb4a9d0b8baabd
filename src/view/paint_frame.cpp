#include "view/paint_frame.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <initializer_list>
#include <iterator>
#include <numbers>
#include <optional>
#include <utility>

#include "edit/dimension_commands.h"
#include "edit/editing_state.h"
#include "edit/picking.h"
#include "edit/snap_settings.h"
#include "edit/transform_commands.h"
#include "model/layers.h"
#include "text/text_layout.h"
#include "view/camera.h"
#include "view/grid.h"
#include "view/shape_bounds.h"
#include "view/shape_outline.h"
#include "view/sheet.h"

namespace marquetta {
namespace {

void PushVertex(std::vector<float>& out, double x, double y, double z) {
    out.push_back(static_cast<float>(x));
    out.push_back(static_cast<float>(y));
    out.push_back(static_cast<float>(z));
}

// A point list as segments: every inner point twice.
class SegmentSink {
public:
    explicit SegmentSink(std::vector<float>& out) : m_out(out) {}
    void Add(double x, double y, double z) {
        if (m_count > 0) {
            PushVertex(m_out, m_x, m_y, m_z);
            PushVertex(m_out, x, y, z);
        }
        m_x = x;
        m_y = y;
        m_z = z;
        ++m_count;
    }

private:
    std::vector<float>& m_out;
    double m_x = 0.0, m_y = 0.0, m_z = 0.0;
    int m_count = 0;
};

// Circle points (c.x + r cos a, y, c.z + r sin a) for a = 0, 10, ..., 350 and back to 0.
void EmitCircle(SegmentSink&& line, double cx, double y, double cz, double r) {
    ForEachFixedCirclePoint(cx, cz, r, [&](double x, double z) { line.Add(x, y, z); });
}

// An arc at height y: P(a) = (c.x + r cos a, y, c.z - r sin a).
void EmitArc(SegmentSink&& line, double cx, double y, double cz, double r, double start, double end) {
    ForEachArcAngle(start, end, [&](double degrees) {
        const double a = degrees * kRadiansPerDegree;
        line.Add(cx + r * std::cos(a), y, cz - r * std::sin(a));
    });
}

constexpr PaintColor kShapePaint{{kShapeColor[0], kShapeColor[1], kShapeColor[2], kShapeColor[3]}};
constexpr PaintColor kSelectedPaint{{kSelectedColor[0], kSelectedColor[1], kSelectedColor[2], kSelectedColor[3]}};

// The wireframe of one paint: the shapes whose boxes meet the view (or all of them),
// at the detail the view needs (or the fixed one).
class PaintSource final : public WireframeSource {
  public:
    PaintSource(const CZorader_ezDoc& doc, const ViewFrustum* cullBy, const OutlineDetail& detail)
        : m_doc(doc), m_cullBy(cullBy), m_detail(detail) {}

    void Emit(const CShape& shape, Wireframe& out) const override { EmitOutline(shape, m_detail, out); }

    // Every shape white, or its layer's colour ("画層の色で表示"); a selected one magenta.
    LayerLook LookOf(const std::string& layer) const override {
        if (g_colorByLayer == 0) {
            return {IsLayerVisible(layer), kShapePaint};
        }
        const uint32_t pen = PenOfLayer(layer);
        const auto channel = [pen](int shift) { return static_cast<float>((pen >> shift) & 0xFFu) / 255.0f; };
        return {IsLayerVisible(layer), PaintColor{{channel(16), channel(8), channel(0), 1.0f}}};
    }
    PaintColor ColorOf(const CShape& shape, const LayerLook& layer) const override {
        return shape.IsSelected() ? kSelectedPaint : layer.color;
    }

    bool MayShow(const CShape& shape) const override {
        if (m_cullBy == nullptr) {
            return true;
        }
        Box3 box{};
        switch (ShapeBounds(shape, box)) {
            case ShapeExtent::Box:
                return m_cullBy->MayMeet(box);
            case ShapeExtent::Everywhere:
                return true;
            case ShapeExtent::Nowhere:
                break;
        }
        return false;
    }

    bool Candidates(const ShapeList& list, std::vector<uint32_t>& positions) const override {
        if (m_cullBy == nullptr) {
            return false;
        }
        const ShapeIndex& index = SyncedShapeIndex(m_doc);
        if (index.AllWithin(*m_cullBy)) {
            return false;  // the whole drawing is in view
        }
        // Shapes of the parts of the index wholly in view show; the others are asked.
        static thread_local std::vector<uint32_t> maybe, inside;
        maybe.clear();
        inside.clear();
        index.Collect(*m_cullBy, maybe, inside);
        // Into list order through a bit per place, without sorting them.
        static thread_local std::vector<uint64_t> bits;
        bits.assign((list.size() + 63) / 64, 0);
        const auto mark = [&](uint32_t slot) {
            const uint32_t position = list.PositionOfSlot(slot);
            bits[position / 64] |= uint64_t{1} << (position % 64);
        };
        for (uint32_t slot : inside) {
            mark(slot);
        }
        for (uint32_t slot : maybe) {
            if (MayShow(list.ShapeInSlot(slot))) {
                mark(slot);
            }
        }
        positions.reserve(maybe.size() + inside.size());
        for (size_t word = 0; word < bits.size(); ++word) {
            for (uint64_t w = bits[word]; w != 0; w &= w - 1) {
                positions.push_back(static_cast<uint32_t>(word * 64 + static_cast<unsigned>(std::countr_zero(w))));
            }
        }
        return true;
    }

    size_t VertexEstimate(const CShape& s) const override {
        switch (s.m_nType) {
            case SHAPE_LINE:
                return 2;
            case SHAPE_FACE:
                return 5;
            case SHAPE_CIRCLE:
                return m_detail.View() != nullptr ? 5 : kCircleSegments + 1;
            case SHAPE_ARC: {
                if (m_detail.View() != nullptr) {
                    return 2;
                }
                size_t points = 0;
                ForEachArcAngle(s.m_pt[1].y, s.m_pt[1].z, [&](double) { ++points; });
                return points;
            }
            default:
                return 0;  // texts are left to grow the buffer
        }
    }

  private:
    const CZorader_ezDoc& m_doc;
    const ViewFrustum* m_cullBy;
    OutlineDetail m_detail;
};

bool ShapeVisible(const CShape& s) { return IsLayerVisible(s.m_strLayer); }

double Distance(const Double3& a, const Double3& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
}

// The polylines of a wireframe as separate segments, moved by (dx, dy, dz).
void PushPolylines(const Wireframe& wireframe, double dx, double dy, double dz,
                   std::vector<float>& out) {
    const std::vector<float>& v = wireframe.vertices;
    for (size_t i = 1; i < wireframe.starts.size(); ++i) {
        if (wireframe.starts[i] != 0) {
            continue;
        }
        const float* a = &v[(i - 1) * 3];
        const float* b = &v[i * 3];
        PushVertex(out, a[0] + dx, a[1] + dy, a[2] + dz);
        PushVertex(out, b[0] + dx, b[1] + dy, b[2] + dz);
    }
}

}  // namespace

const PaintFrame& PaintBuilder::Build(const CZorader_ezDoc& doc, int width, int height) {
    m_frame.paperMeasured = false;
    if (g_paperPending == 1) {
        g_paperPending = 0;
        MeasurePaper();
        m_frame.paperMeasured = true;
    }
    ComputePaintTransforms(width, height);
    BuildGrid();
    BuildPreviews(doc);
    if (g_shaded == 0) {
        BuildWireframe(doc);
        m_frame.faces.clear();
    } else {
        m_frame.wireframe = nullptr;
        m_frame.wireframeRebuilt = false;
        BuildFaces(doc);
    }
    for (int i = 0; i < 4; ++i) {
        m_frame.viewport[i] = g_viewport[i];
    }
    for (int i = 0; i < 16; ++i) {
        m_frame.projection[i] = g_projectionMatrix[i];
        m_frame.modelview[i] = g_modelviewMatrix[i];
    }
    BuildOverlay(doc);
    return m_frame;
}

void PaintBuilder::BuildGrid() {
    m_frame.gridPoints.clear();
    m_frame.sheetOutline.clear();
    m_frame.gridTooFine = false;
    if (g_gridOn != 1) {
        return;
    }
    const std::optional<SheetGrid> grid = CurrentSheetGrid();
    if (!grid) {
        return;
    }
    m_frame.gridTooFine =
        BuildGridPoints(*grid, g_scaleDenominator * g_paperWidth * 0.5,
                        g_scaleDenominator * g_paperHeight * 0.5, CapturedProjection(),
                        m_frame.gridPoints, m_frame.sheetOutline)
            .tooFine;
}

void PaintBuilder::BuildPreviews(const CZorader_ezDoc& doc) {
    std::vector<float>& out = m_frame.previewSegments;
    out.clear();
    if (rubberBand != 1) {
        return;
    }
    const Double3& f = firstPoint;
    const Double3& p = cursorPoint;
    const int drawing = doc.m_current.m_nType;
    if (drawing == SHAPE_NONE && (editState == EDIT_MOVE || editState == EDIT_COPY)) {
        PushVertex(out, f.x, f.y, f.z);
        PushVertex(out, p.x, p.y, p.z);
        if (stepPending >= 1) {
            BuildGhosts(doc, nullptr);
        }
    } else if (drawing == SHAPE_NONE && editState == EDIT_TRANSFORM) {
        // Rotate and scale about the cursor; mirror in the line from the first point.
        if (basePointSet == 1) {
            PushVertex(out, f.x, f.y, f.z);
            PushVertex(out, p.x, p.y, p.z);
        }
        if (const std::optional<ShapeTransform> transform = PendingTransform(p)) {
            BuildGhosts(doc, &*transform);
        }
    } else if (drawing == SHAPE_NONE && editState == EDIT_RECTANGLE) {
        const double corners[5][2] = {{f.x, f.z}, {p.x, f.z}, {p.x, p.z}, {f.x, p.z}, {f.x, f.z}};
        for (int i = 0; i < 4; ++i) {
            PushVertex(out, corners[i][0], f.y, corners[i][1]);
            PushVertex(out, corners[i + 1][0], f.y, corners[i + 1][1]);
        }
    } else if (drawing == SHAPE_NONE && editState == EDIT_DIMENSION) {
        // The dimension the next click would make, text included.
        m_ghost.Clear();
        for (const CShape& shape : DimensionPreview(p)) {
            EmitOutline(shape, OutlineDetail(), m_ghost);
        }
        PushPolylines(m_ghost, 0.0, 0.0, 0.0, out);
    } else if (drawing == SHAPE_LINE || (drawing == SHAPE_NONE && editState == EDIT_MEASURE)) {
        PushVertex(out, f.x, f.y, f.z);
        PushVertex(out, p.x, p.y, p.z);
    } else if (drawing == SHAPE_CIRCLE || (drawing == SHAPE_ARC && arcStartGiven == 0)) {
        EmitCircle(SegmentSink(out), f.x, f.y, f.z, Distance(f, p));
    } else if (drawing == SHAPE_ARC) {
        const double s = arcStartAngle;
        const double d = Distance(f, p);
        double q = std::acos((p.x - f.x) / d) * kDegreesPerRadian;
        if (p.z - f.z > 0) {
            q = 360.0 - q;
        }
        // A cursor on the centre, or a start taken on it, gives no direction: there is
        // no arc to show until the cursor moves off.
        if (!std::isfinite(q) || !std::isfinite(s)) {
            return;
        }
        const double m = s > q ? q + 360.0 : q;
        if (arcReversed == 0) {
            EmitArc(SegmentSink(out), f.x, f.y, f.z, arcRadius, s, m);
        } else if (s >= m) {
            EmitArc(SegmentSink(out), f.x, f.y, f.z, arcRadius, m, s);
        } else {
            EmitArc(SegmentSink(out), f.x, f.y, f.z, arcRadius, m, s + 360.0);
        }
    }
}

void PaintBuilder::BuildGhosts(const CZorader_ezDoc& doc, const ShapeTransform* transform) {
    // The shapes a click would move, copy, turn, mirror or scale, drawn where they would
    // land: selected, on a shown layer, not faces (which only a turn takes).
    m_ghost.Clear();
    size_t count = 0;
    CShape transformed;
    for (const auto& shape : doc.m_shapes) {
        if (transform != nullptr ? !TransformCarries(*shape, transform->kind)
                                 : !shape->IsSelected() || shape->m_nType == SHAPE_FACE ||
                                       !ShapeVisible(*shape)) {
            continue;
        }
        if (++count > kGhostShapeLimit) {
            break;
        }
        if (transform == nullptr) {
            EmitOutline(*shape, OutlineDetail(), m_ghost);
        } else if (TransformShape(*shape, *transform, transformed)) {
            EmitOutline(transformed, OutlineDetail(), m_ghost);
        }
    }
    // A transform puts the shapes in place; a move or copy follows the cursor.
    const bool follows = transform == nullptr;
    const double dx = follows ? cursorPoint.x - firstPoint.x : 0.0;
    const double dy = follows ? cursorPoint.y - firstPoint.y : 0.0;
    const double dz = follows ? cursorPoint.z - firstPoint.z : 0.0;
    PushPolylines(m_ghost, dx, dy, dz, m_frame.previewSegments);
}

void PaintBuilder::BuildWireframe(const CZorader_ezDoc& doc) {
    m_frame.wireframe = &m_wireframe;
    // Transforms that give no usable view (values that are not finite) are drawn as
    // they always were: every shape, at the fixed detail.
    ViewFrustum frustum;
    const bool viewed = (m_options.cull || m_options.detailBySize) && frustum.Set(CapturedProjection());
    const OutlineDetail detail = viewed && m_options.detailBySize ? OutlineDetail(frustum) : OutlineDetail();
    const PaintSource source(doc, viewed && m_options.cull ? &frustum : nullptr, detail);
    // What the wireframe holds depends on the view only when it is culled or detailed.
    bool anew = false;
    if (m_options.cull || m_options.detailBySize) {
        anew = !std::equal(g_viewport, g_viewport + 4, m_wireframeViewport) ||
               !std::equal(g_projectionMatrix, g_projectionMatrix + 16, m_wireframeProjection) ||
               !std::equal(g_modelviewMatrix, g_modelviewMatrix + 16, m_wireframeModelview);
        std::copy(g_viewport, g_viewport + 4, m_wireframeViewport);
        std::copy(g_projectionMatrix, g_projectionMatrix + 16, m_wireframeProjection);
        std::copy(g_modelviewMatrix, g_modelviewMatrix + 16, m_wireframeModelview);
    }
    m_frame.wireframeRebuilt = m_layout.Update(doc.m_shapes, g_displayListValid != 1, anew, source,
                                               m_wireframe) != WireframeLayout::Result::Unchanged;
    g_displayListValid = 1;
}

void PaintBuilder::BuildFaces(const CZorader_ezDoc& doc) {
    std::vector<ShadedFace>& out = m_frame.faces;
    out.clear();
    const double ox = cursorPoint.x - firstPoint.x;
    const double oy = cursorPoint.y - firstPoint.y;
    const double oz = cursorPoint.z - firstPoint.z;
    for (const auto& shape : doc.m_shapes) {
        if (shape->m_nType != SHAPE_FACE || !ShapeVisible(*shape)) {
            continue;
        }
        ShadedFace face{};
        const int layer = FindLayer(shape->m_strLayer);
        if (layer < g_layerCount && layer < kLayerSlots) {
            for (int c = 0; c < 3; ++c) {
                face.color[c] = static_cast<float>(g_layerAttributes[layer][c]);
            }
        } else {
            face.color[0] = face.color[1] = face.color[2] = 1.0f;
        }
        face.color[3] = 1.0f;
        // A selection being moved or copied follows the cursor.
        const bool follows = rubberBand == 1 && shape->IsSelected();
        for (int i = 0; i < 4; ++i) {
            face.normals[i] = shape->m_normal[i];
            face.corners[i] = shape->m_pt[i];
            if (follows) {
                face.corners[i].x = static_cast<float>(face.corners[i].x + ox);
                face.corners[i].y = static_cast<float>(face.corners[i].y + oy);
                face.corners[i].z = static_cast<float>(face.corners[i].z + oz);
            }
        }
        out.push_back(face);
    }
}

namespace {

// The marker of a snap target's kind, about its pixel (window coordinates): a square
// for an end point, a cross for a crossing, a triangle for a midpoint, a circle for a
// centre, a right angle for a perpendicular's foot, an hourglass for a nearest point.
void EmitSnapMarker(std::vector<float>& out, SnapKind kind, double x, double y) {
    constexpr double r = kSnapMarkerHalfSize;
    const auto segment = [&](double ax, double ay, double bx, double by) {
        PushVertex(out, x + ax, y + ay, 0.0);
        PushVertex(out, x + bx, y + by, 0.0);
    };
    const auto polygon = [&](std::initializer_list<std::pair<double, double>> corners) {
        const auto* previous = std::prev(corners.end());
        for (const auto* corner = corners.begin(); corner != corners.end(); ++corner) {
            segment(previous->first, previous->second, corner->first, corner->second);
            previous = corner;
        }
    };
    switch (kind) {
        case SnapKind::Endpoint:
            polygon({{-r, -r}, {r, -r}, {r, r}, {-r, r}});
            break;
        case SnapKind::Intersection:
            segment(-r, -r, r, r);
            segment(-r, r, r, -r);
            break;
        case SnapKind::Midpoint:
            polygon({{-r, -r}, {r, -r}, {0.0, r}});
            break;
        case SnapKind::Center: {
            constexpr int kSides = 16;
            for (int k = 0; k < kSides; ++k) {
                const double a = k * 2.0 * std::numbers::pi / kSides;
                const double b = (k + 1) * 2.0 * std::numbers::pi / kSides;
                segment(r * std::cos(a), r * std::sin(a), r * std::cos(b), r * std::sin(b));
            }
            break;
        }
        case SnapKind::Perpendicular:
            segment(-r, r, -r, -r);
            segment(-r, -r, r, -r);
            segment(-r, 0.0, 0.0, 0.0);
            segment(0.0, 0.0, 0.0, -r);
            break;
        case SnapKind::Nearest:
            polygon({{-r, r}, {r, r}, {-r, -r}, {r, -r}});
            break;
        default:
            break;  // grid points are not marked
    }
}

}  // namespace

void PaintBuilder::BuildOverlay(const CZorader_ezDoc& doc) {
    std::vector<float>& out = m_frame.overlaySegments;
    out.clear();
    m_frame.overlayDashed = false;
    double wx = 0.0, wy = 0.0, wz = 0.0;
    if (snapMarker.shown && g_snapOn == 1 && TakesPoint(doc) &&
        ProjectCaptured(snapMarker.point.x, snapMarker.point.y, snapMarker.point.z, wx, wy, wz)) {
        EmitSnapMarker(out, snapMarker.kind, wx, wy);
    }
    // Dimensions and measuring follow the cursor with their own preview, not a window.
    if (rubberBand != 1 || doc.m_current.m_nType != SHAPE_NONE || editState == EDIT_MOVE ||
        editState == EDIT_COPY || editState == EDIT_TRANSFORM || editState == EDIT_RECTANGLE ||
        editState == EDIT_DIMENSION || editState == EDIT_MEASURE) {
        return;
    }
    const double h = g_viewport[3];
    const double x1 = firstScreenPoint.x, y1 = h - firstScreenPoint.y;
    const double x2 = lastScreenPoint.x, y2 = h - lastScreenPoint.y;
    // Opened to the left, the window is a crossing window (as selecting decides).
    m_frame.overlayDashed = x2 < x1;
    const double corners[5][2] = {{x1, y1}, {x2, y1}, {x2, y2}, {x1, y2}, {x1, y1}};
    for (int i = 0; i < 4; ++i) {
        PushVertex(out, corners[i][0], corners[i][1], 0.0);
        PushVertex(out, corners[i + 1][0], corners[i + 1][1], 0.0);
    }
}

}  // namespace marquetta
