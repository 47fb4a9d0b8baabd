// The wireframe of a drawing kept in step with its list: after an edit made through the
// document's operations only the shapes the list's journal names are drawn again,
// into the places their vertices had; a shape erased leaves a gap that no run covers,
// a shape appended goes behind the others. Whatever the journal cannot account for
// (a layer shown or hidden, a change made behind the list's back, an insertion before
// the tail) makes the whole wireframe again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/page_memory.h"
#include "model/shape_list.h"

namespace marquetta {

inline constexpr uint32_t kWhitePen = 0xFFFFFF;

// 1 while the wireframe draws each shape in its layer's colour ("画層の色で表示"), 0 for
// white; remembered in the settings. Its command marks the wireframe stale.
extern int g_colorByLayer;
void InitWireframeDefaults();
// Reads it from the settings (start-up); anything but "1" is 0.
void LoadColorByLayerSetting();
// The command: flips it, remembers it, marks the wireframe stale and repaints.
void ToggleColorByLayer();
// The pen of a shape on a layer of colour (red, green, blue), each 0.0-1.0: the
// colour, with a colour too dark to see on the view's dark background mixed with white
// until its brightness (0.30 R + 0.59 G + 0.11 B) is kMinPenBrightness.
inline constexpr double kMinPenBrightness = 0.5;
uint32_t LayerPen(double red, double green, double blue);
// The pen of shapes on layer `name`: white unless g_colorByLayer; a name not in the
// table draws white.
uint32_t PenOfLayer(const std::string& name);

// The wireframe of all visible shapes as polylines, in list order: vertices (x, y, z
// floats), each shape one polyline or more; `starts` holds 1 for a vertex that begins a
// polyline (every shape's first vertex does) and 0 for one joined to the vertex before.
// A circle keeps 37 vertices where its 36 segments as separate pairs would take 72.
// One colour run per stretch of shapes of one colour; a run starts and ends with a shape.
struct WireframeRun {
    uint32_t firstVertex = 0;
    uint32_t vertexCount = 0;
    bool selected = false;  // magenta, else `pen`
    uint32_t pen = kWhitePen;  // 0xRRGGBB: white, or the layer's colour (g_colorByLayer)
};
struct Wireframe {
    std::vector<float> vertices;
    std::vector<uint8_t> starts;
    std::vector<WireframeRun> runs;
    size_t VertexCount() const { return starts.size(); }
    // Appends a vertex; `begin` starts a new polyline with it.
    void Add(float x, float y, float z, bool begin) {
        vertices.push_back(x);
        vertices.push_back(y);
        vertices.push_back(z);
        starts.push_back(begin ? 1 : 0);
    }
    void Clear() {
        vertices.clear();
        starts.clear();
        runs.clear();
    }
    // Writes the segments of the polylines within vertices [first, end) to `out` as
    // pairs of vertex indices, at most `room` indices (at least 2); moves `first` on to
    // where the next call goes on and returns the indices written.
    size_t Segments(uint32_t& first, uint32_t end, uint32_t* out, size_t room) const;
};

class WireframeLayout {
  public:
    // Appends the polylines of one shape to `out` (its vertices and starts only).
    using EmitFn = void (*)(const CShape& shape, Wireframe& out);

    enum class Result { Unchanged, Updated, Rebuilt };

    // Brings `wireframe` up to date with `list`, as drawn by `emit`. `stale` says that
    // something may have changed since the last call (the program's wireframe flag was
    // cleared); without it nothing is done.
    Result Update(const ShapeList& list, bool stale, EmitFn emit, Wireframe& wireframe);
    // How many updates made the whole wireframe again.
    size_t Rebuilds() const { return m_rebuilds; }

  private:
    void Rebuild(const ShapeList& list, EmitFn emit, Wireframe& wireframe);
    // False when the journal holds something only a rebuild can follow.
    bool Follow(const ShapeList& list, EmitFn emit, Wireframe& wireframe);
    // Whether the layers known so far are shown as they were at the last update.
    bool LayersAsBefore(const ShapeList& list);
    // Whether the shape in `slot` is on a shown layer, as the layers were then.
    bool Shown(const ShapeList& list, uint32_t slot);
    void Recolour(const ShapeList& list, Wireframe& wireframe);
    // The pen of the shape in `slot`, as the layers were then.
    uint32_t Pen(const ShapeList& list, uint32_t slot);

    static constexpr uint32_t kNone = UINT32_MAX;
    uint64_t m_epoch = 0;  // 0: nothing built yet
    size_t m_journalRead = 0;
    // Per slot: the first vertex and the number of vertices of its shape, kNone for a
    // slot without a shape in the wireframe.
    BigVector<uint32_t> m_first;
    BigVector<uint32_t> m_count;
    // Whether each layer key was shown at the last update.
    std::vector<int8_t> m_shown;
    // The pen of each layer key at the last update.
    std::vector<uint32_t> m_pens;
    size_t m_gaps = 0;  // vertices no run covers
    Wireframe m_scratch;
    size_t m_rebuilds = 0;
};

}  // namespace marquetta
