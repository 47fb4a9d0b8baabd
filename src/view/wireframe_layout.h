// The wireframe of a drawing's shapes in one view, kept in step with the list: after an
// edit made through the document's operations only the shapes the list's journal names
// are drawn again, into the places their vertices had; a shape erased leaves a gap that
// no run covers, a shape appended goes behind the others. What it holds is decided by a
// source: every shape of the list (the fixed detail the view has always drawn), or the
// shapes in view at the detail the view needs. Whatever the journal cannot account for
// (a layer shown, hidden or
// drawn in another colour, a change made behind the list's back, an insertion before
// the tail, a shape coming into view from among the others, another view) makes the
// whole wireframe again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
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
// The pen (0xRRGGBB) of a shape on a layer of colour (red, green, blue), each 0.0-1.0:
// the colour, with a colour too dark to see on the view's dark background mixed with
// white until its brightness (0.30 R + 0.59 G + 0.11 B) is kMinPenBrightness.
inline constexpr double kMinPenBrightness = 0.5;
uint32_t LayerPen(double red, double green, double blue);
// The pen of shapes on layer `name`: white unless g_colorByLayer; a name not in the
// table draws white.
uint32_t PenOfLayer(const std::string& name);

// An RGBA colour of the paint.
struct PaintColor {
    float rgba[4];
    bool operator==(const PaintColor&) const = default;
};

// The wireframe's shapes as polylines, in list order: vertices (x, y, z floats), each
// shape one polyline or more; `starts` holds 1 for a vertex that begins a polyline
// (every shape's first vertex does) and 0 for one joined to the vertex before. A circle
// of 36 segments keeps 37 vertices where its segments as separate pairs would take 72.
// One colour run per stretch of shapes of one colour; a run starts and ends with a shape.
struct WireframeRun {
    uint32_t firstVertex;
    uint32_t vertexCount;
    PaintColor color;
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

// How a wireframe draws the shapes of one layer: whether they show at all, and the
// colour of those that nothing else (a selection) colours otherwise.
struct LayerLook {
    bool shown;
    PaintColor color;
};

// What a wireframe holds and how it draws each shape.
class WireframeSource {
  public:
    virtual ~WireframeSource() = default;
    // Appends the polylines of `shape` to `out` (its vertices and starts only).
    virtual void Emit(const CShape& shape, Wireframe& out) const = 0;
    // How the shapes of the layer named `layer` are drawn. The wireframe asks once per
    // layer and update, and keeps the answers: a layer whose look changed since the
    // last update makes the whole wireframe again.
    virtual LayerLook LookOf(const std::string& layer) const = 0;
    // The colour the polylines of `shape`, a shape of a shown layer that looks `layer`,
    // are drawn in.
    virtual PaintColor ColorOf(const CShape& shape, const LayerLook& layer) const = 0;
    // False only for a shape the wireframe may leave out (nothing of it can show).
    virtual bool MayShow(const CShape& shape) const = 0;
    // The places in the list, ascending, of the shapes the wireframe holds: those that
    // MayShow keeps, so that the wireframe holds the same shapes whether it was made
    // afresh or followed the journal. False, with `positions` untouched, for every shape
    // (when MayShow keeps them all, or leaves out only shapes that draw nothing).
    virtual bool Candidates(const ShapeList& list, std::vector<uint32_t>& positions) const = 0;
    // About how many vertices Emit gives the shape (room is made for them at once).
    virtual size_t VertexEstimate(const CShape& shape) const = 0;
};

// Per slot: where its shape's vertices lie in the wireframe. A wireframe of few shapes
// (a view close up) keeps them by slot in a hash map, one of many in arrays by slot:
// neither costs memory in proportion to the drawing where the view shows little of it.
class SlotEntries {
  public:
    static constexpr uint32_t kNone = UINT32_MAX;
    struct Entry {
        uint32_t first = kNone;  // kNone: no entry
        uint32_t count = 0;
    };
    // Empties the table for about `expected` entries among `slotCount` slots.
    void Reset(uint32_t slotCount, size_t expected);
    Entry Get(uint32_t slot) const;
    void Set(uint32_t slot, Entry entry);
    void Erase(uint32_t slot) { Set(slot, Entry{}); }
    bool Dense() const { return m_dense; }
    // Every entry, in no particular order: fn(slot, entry).
    template <class Fn>
    void ForEach(Fn&& fn) const;

  private:
    bool m_dense = false;
    BigVector<Entry> m_bySlot;
    std::unordered_map<uint32_t, Entry> m_map;
};

template <class Fn>
void SlotEntries::ForEach(Fn&& fn) const {
    if (m_dense) {
        for (uint32_t slot = 0; slot < m_bySlot.size(); ++slot) {
            if (m_bySlot[slot].first != kNone) {
                fn(slot, m_bySlot[slot]);
            }
        }
    } else {
        for (const auto& [slot, entry] : m_map) {
            fn(slot, entry);
        }
    }
}

class WireframeLayout {
  public:
    enum class Result { Unchanged, Updated, Rebuilt };

    // Brings `wireframe` up to date with `list`, as `source` draws it. `stale` says that
    // something may have changed since the last call (the program's wireframe flag was
    // cleared); `anew` that the source itself changed (another view): the wireframe is
    // then made again. With neither nothing is done.
    Result Update(const ShapeList& list, bool stale, bool anew, const WireframeSource& source,
                  Wireframe& wireframe);
    // How many updates made the whole wireframe again.
    size_t Rebuilds() const { return m_rebuilds; }

  private:
    void Rebuild(const ShapeList& list, const WireframeSource& source, Wireframe& wireframe);
    // False when the journal holds something only a rebuild can follow.
    bool Follow(const ShapeList& list, const WireframeSource& source, Wireframe& wireframe);
    // Whether the layers known so far look as they did at the last update.
    bool LayersAsBefore(const ShapeList& list, const WireframeSource& source);
    // The look of the layer of the shape in `slot`, as the layers were then.
    LayerLook LookAt(const ShapeList& list, uint32_t slot, const WireframeSource& source);
    void Recolour(const ShapeList& list, const WireframeSource& source, Wireframe& wireframe);
    // Takes the shape in `slot` out of the wireframe; its vertices become a gap.
    void Leave(uint32_t slot, Wireframe& wireframe);

    uint64_t m_epoch = 0;  // 0: nothing built yet
    size_t m_journalRead = 0;
    // Per slot: the first vertex and the number of vertices of its shape; no entry for
    // a slot without a shape in the wireframe (a shape out of view has none).
    SlotEntries m_entries;
    // How each layer key looked at the last update.
    std::vector<LayerLook> m_looks;
    size_t m_gaps = 0;  // vertices no run covers
    Wireframe m_scratch;
    size_t m_rebuilds = 0;
};

}  // namespace marquetta
