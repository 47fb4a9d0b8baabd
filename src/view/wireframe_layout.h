// The wireframe of a drawing kept in step with its list: after an edit made through the
// document's operations only the shapes the list's journal names are drawn again,
// into the places their vertices had; a shape erased leaves a gap that no run covers,
// a shape appended goes behind the others. Whatever the journal cannot account for
// (a layer shown or hidden, a change made behind the list's back, an insertion before
// the tail) makes the whole wireframe again.
#pragma once

#include <cstdint>
#include <vector>

#include "model/page_memory.h"
#include "model/shape_list.h"

namespace marquetta {

struct Wireframe;

class WireframeLayout {
  public:
    // Appends the segments of one shape (two vertices each) to `out`.
    using EmitFn = void (*)(const CShape& shape, std::vector<float>& out);

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

    static constexpr uint32_t kNone = UINT32_MAX;
    uint64_t m_epoch = 0;  // 0: nothing built yet
    size_t m_journalRead = 0;
    // Per slot: the first vertex and the number of vertices of its shape, kNone for a
    // slot without a shape in the wireframe.
    BigVector<uint32_t> m_first;
    BigVector<uint32_t> m_count;
    // Whether each layer key was shown at the last update.
    std::vector<int8_t> m_shown;
    size_t m_gaps = 0;  // vertices no run covers
    std::vector<float> m_scratch;
    size_t m_rebuilds = 0;
};

}  // namespace marquetta
