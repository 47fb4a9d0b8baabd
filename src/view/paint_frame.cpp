#include "view/paint_frame.h"

#include <algorithm>
#include <cmath>

#include "edit/editing_state.h"
#include "model/layers.h"
#include "text/text_layout.h"
#include "view/camera.h"
#include "view/grid.h"
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

// A point list as one polyline of the wireframe.
class PolylineSink {
public:
    explicit PolylineSink(Wireframe& out) : m_out(out) {}
    void Add(double x, double y, double z) {
        m_out.Add(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), m_first);
        m_first = false;
    }

private:
    Wireframe& m_out;
    bool m_first = true;
};

// The cosines and sines of a = 0, 10, ..., 350 degrees, worked out once.
struct TenDegreeSteps {
    double cosine[kCircleSegments]{};
    double sine[kCircleSegments]{};
    TenDegreeSteps() {
        for (int i = 0; i < kCircleSegments; ++i) {
            const double a = i * kTenDegrees;
            cosine[i] = std::cos(a);
            sine[i] = std::sin(a);
        }
    }
};
const TenDegreeSteps kSteps;

// Circle points (c.x + r cos a, y, c.z + r sin a) for a = 0, 10, ..., 350 and back to 0,
// to a SegmentSink or a PolylineSink.
template <class Sink>
void EmitCircle(Sink&& line, double cx, double y, double cz, double r) {
    for (int i = 0; i <= kCircleSegments; ++i) {
        const int k = i % kCircleSegments;
        line.Add(cx + r * kSteps.cosine[k], y, cz + r * kSteps.sine[k]);
    }
}

// An arc at height y: P(a) = (c.x + r cos a, y, c.z - r sin a).
template <class Sink>
void EmitArc(Sink&& line, double cx, double y, double cz, double r, double start, double end) {
    ForEachArcAngle(start, end, [&](double degrees) {
        const double a = degrees * kRadiansPerDegree;
        line.Add(cx + r * std::cos(a), y, cz - r * std::sin(a));
    });
}

// The text's strokes, joined into polylines where one begins where the one before ended.
void EmitTextStrokes(const CShape& s, Wireframe& out) {
    static thread_local std::vector<float> strokes;
    strokes.clear();
    DrawStrokeText(s.m_strText, s.m_pt[0].x, s.m_pt[0].z, s.m_pt[1].x, s.m_pt[1].y, s.m_pt[1].z,
                   TextTarget::View(strokes));
    const size_t from = out.VertexCount();
    for (size_t i = 0; i + 5 < strokes.size(); i += 6) {
        const float* a = &strokes[i];
        const bool joined = out.VertexCount() > from &&
                            std::equal(a, a + 3, out.vertices.end() - 3);
        if (!joined) {
            out.Add(a[0], a[1], a[2], true);
        }
        out.Add(a[3], a[4], a[5], false);
    }
}

void EmitShape(const CShape& s, Wireframe& out) {
    switch (s.m_nType) {
        case SHAPE_LINE: {
            PolylineSink line(out);
            line.Add(s.m_pt[0].x, s.m_pt[0].y, s.m_pt[0].z);
            line.Add(s.m_pt[1].x, s.m_pt[1].y, s.m_pt[1].z);
            break;
        }
        case SHAPE_FACE: {
            PolylineSink outline(out);
            for (int i = 0; i <= 4; ++i) {
                const auto& p = s.m_pt[i % 4];
                outline.Add(p.x, p.y, p.z);
            }
            break;
        }
        case SHAPE_CIRCLE:
            // On the ground whatever the centre's height.
            EmitCircle(PolylineSink(out), s.m_pt[0].x, 0.0, s.m_pt[0].z, s.m_pt[1].x);
            break;
        case SHAPE_ARC:
            EmitArc(PolylineSink(out), s.m_pt[0].x, 0.0, s.m_pt[0].z, s.m_pt[1].x, s.m_pt[1].y,
                    s.m_pt[1].z);
            break;
        case SHAPE_TEXT:
            EmitTextStrokes(s, out);
            break;
        default:
            break;
    }
}

bool ShapeVisible(const CShape& s) { return IsLayerVisible(s.m_strLayer); }

double Distance(const Double3& a, const Double3& b) {
    const double dx = b.x - a.x, dy = b.y - a.y, dz = b.z - a.z;
    return std::sqrt(dx * dx + dy * dy + dz * dz);
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
            BuildGhosts(doc);
        }
    } else if (drawing == SHAPE_LINE) {
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

void PaintBuilder::BuildGhosts(const CZorader_ezDoc& doc) {
    // The shapes a click would move or copy, drawn where they would land: selected, on a
    // shown layer, not faces (which neither command takes).
    m_ghost.Clear();
    size_t count = 0;
    for (const auto& shape : doc.m_shapes) {
        if (!shape->IsSelected() || shape->m_nType == SHAPE_FACE || !ShapeVisible(*shape)) {
            continue;
        }
        if (++count > kGhostShapeLimit) {
            break;
        }
        EmitShape(*shape, m_ghost);
    }
    const double dx = cursorPoint.x - firstPoint.x;
    const double dy = cursorPoint.y - firstPoint.y;
    const double dz = cursorPoint.z - firstPoint.z;
    std::vector<float>& out = m_frame.previewSegments;
    const std::vector<float>& v = m_ghost.vertices;
    for (size_t i = 1; i < m_ghost.starts.size(); ++i) {
        if (m_ghost.starts[i] != 0) {
            continue;
        }
        const float* a = &v[(i - 1) * 3];
        const float* b = &v[i * 3];
        PushVertex(out, a[0] + dx, a[1] + dy, a[2] + dz);
        PushVertex(out, b[0] + dx, b[1] + dy, b[2] + dz);
    }
}

void PaintBuilder::BuildWireframe(const CZorader_ezDoc& doc) {
    m_frame.wireframe = &m_wireframe;
    m_frame.wireframeRebuilt = m_layout.Update(doc.m_shapes, g_displayListValid != 1, EmitShape,
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

void PaintBuilder::BuildOverlay(const CZorader_ezDoc& doc) {
    std::vector<float>& out = m_frame.overlaySegments;
    out.clear();
    m_frame.overlayDashed = false;
    if (rubberBand != 1 || doc.m_current.m_nType != SHAPE_NONE || editState == EDIT_MOVE ||
        editState == EDIT_COPY) {
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
