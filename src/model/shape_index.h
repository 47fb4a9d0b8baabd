// The pick index: a bounding-volume hierarchy over the shapes' bounds, kept in step
// with the drawing list through the list's journal, so that a click on a drawing of a
// million shapes looks at the few shapes near the clicked pixel instead of all of
// them. It only ever says which shapes may be hit; the caller tests those exactly, in
// list order, so the answer is that of a walk over the whole list.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "model/geometry.h"
#include "model/page_memory.h"
#include "model/shape_list.h"

namespace marquetta {

// An axis-aligned box in world coordinates (millimetres).
struct Box3 {
    float lo[3];
    float hi[3];
};

// The least and greatest value of an affine function f[0] x + f[1] y + f[2] z + f[3]
// over a box, and the size of its terms (for a margin above its rounding).
struct AffineRange {
    double min, max, size;
};
AffineRange RangeOver(const double f[4], const Box3& box);
// Whether all `count` values are finite.
bool AllFinite(const double* values, int count);

// What a shape offers the index: a box holding every point that a click, a snap or a
// selection window tests of it; no box it can trust (a value that is not finite: the
// shape is then always a candidate); or nothing that can ever be hit.
enum class ShapeExtent { Box, Everywhere, Nowhere };
using ShapeExtentFn = ShapeExtent (*)(const CShape& shape, Box3& box);

// The points of world space that project strictly inside a window rectangle through a
// model-view, a projection and a viewport, as the pick tests project them: both the
// points in front of the eye and those behind it, whose projection comes out mirrored.
// The test on a box is conservative: it may say yes for a box that holds no such
// point, never no for one that does.
class WindowCone {
  public:
    // The rectangle in window coordinates (y from the bottom). False when the
    // transforms give no usable cone (no paint yet, values that are not finite).
    bool Set(const ProjectionRef& transforms, double xmin, double ymin, double xmax, double ymax);
    bool MayMeet(const Box3& box) const;

  private:
    // Four side functions (positive inside, in front of the eye) and the depth w, each
    // an affine function of the world point: coefficients x, y, z and the constant.
    double m_side[4][4] = {};
    double m_w[4] = {};
};

class ShapeIndex {
  public:
    // Brings the index up to date with `list`: the changes in its journal since the
    // last call, or the whole list after a new epoch (or another list).
    void Sync(const ShapeList& list, ShapeExtentFn extent);
    // Appends to `found` every shape of the synced list whose box may meet the region,
    // and every shape without a box, each once, in no particular order. A region is a
    // WindowCone or anything else that answers MayMeet(const Box3&) conservatively.
    // With `inside`, a region that also answers Holds(const Box3&) (the box lies wholly
    // in it) has the shapes of every part of the hierarchy it holds appended there
    // instead, untested one by one.
    template <class Region>
    void Collect(const Region& region, std::vector<uint32_t>& found) const;
    template <class Region>
    void Collect(const Region& region, std::vector<uint32_t>& found, std::vector<uint32_t>& inside) const;

    // Whether the region holds the box of every shape of the synced list that has one
    // (as far as Holds(const Box3&) can tell).
    template <class Region>
    bool AllWithin(const Region& region) const;

    // How the index stands, for the benchmarks: shapes in the hierarchy, shapes held
    // apart since it was built, and how many times it was built.
    size_t TreeSize() const { return m_treeSlots.size(); }
    size_t PendingSize() const { return m_pending.size(); }
    size_t Builds() const { return m_builds; }

  private:
    struct Node {
        float lo[3];
        uint32_t first;  // leaf: first of m_treeSlots; inner: the right child
        float hi[3];
        uint32_t count;  // leaf: number of slots (at least 1); inner: 0
    };
    struct Pending {
        uint32_t slot;
        bool everywhere;
        Box3 box;
    };

    template <class Region>
    void CollectInto(const Region& region, std::vector<uint32_t>& found, std::vector<uint32_t>* inside) const;
    void Build(const ShapeList& list, ShapeExtentFn extent);
    // The node over m_treeSlots[begin, end); `boxes` by slot.
    uint32_t BuildNode(const BigVector<Box3>& boxes, uint32_t begin, uint32_t end);
    void Hold(uint32_t slot, const ShapeList& list, ShapeExtentFn extent);

    uint64_t m_epoch = 0;  // 0: never built
    size_t m_journalRead = 0;
    BigVector<Node> m_nodes;
    BigVector<uint32_t> m_treeSlots;     // in leaf order
    std::vector<uint32_t> m_everywhere;  // shapes without a box, from the last build
    // Per slot: whether the hierarchy's entry for it is the shape there now.
    BigVector<uint8_t> m_current;
    size_t m_staleEntries = 0;
    // Shapes added or changed since the build, each with its box, found by slot.
    std::vector<Pending> m_pending;
    std::unordered_map<uint32_t, uint32_t> m_pendingBySlot;
    size_t m_builds = 0;
};

template <class Region>
bool ShapeIndex::AllWithin(const Region& region) const {
    if (!m_nodes.empty()) {
        const Node& root = m_nodes[0];
        if (!region.Holds(Box3{{root.lo[0], root.lo[1], root.lo[2]}, {root.hi[0], root.hi[1], root.hi[2]}})) {
            return false;
        }
    }
    for (const Pending& pending : m_pending) {
        if (!pending.everywhere && !region.Holds(pending.box)) {
            return false;
        }
    }
    return true;
}

template <class Region>
void ShapeIndex::Collect(const Region& region, std::vector<uint32_t>& found) const {
    CollectInto(region, found, nullptr);
}

template <class Region>
void ShapeIndex::Collect(const Region& region, std::vector<uint32_t>& found,
                         std::vector<uint32_t>& inside) const {
    CollectInto(region, found, &inside);
}

template <class Region>
void ShapeIndex::CollectInto(const Region& region, std::vector<uint32_t>& found,
                             std::vector<uint32_t>* inside) const {
    if (!m_nodes.empty()) {
        uint32_t stack[64];
        int depth = 0;
        stack[depth++] = 0;
        while (depth > 0) {
            const uint32_t at = stack[--depth];
            const Node& node = m_nodes[at];
            const Box3 box{{node.lo[0], node.lo[1], node.lo[2]}, {node.hi[0], node.hi[1], node.hi[2]}};
            if (!region.MayMeet(box)) {
                continue;
            }
            if constexpr (requires { region.Holds(box); }) {
                if (inside != nullptr && region.Holds(box)) {
                    // The node's shapes are one run of the leaf order.
                    uint32_t left = at, right = at;
                    while (m_nodes[left].count == 0) {
                        left = left + 1;
                    }
                    while (m_nodes[right].count == 0) {
                        right = m_nodes[right].first;
                    }
                    const uint32_t end = m_nodes[right].first + m_nodes[right].count;
                    for (uint32_t i = m_nodes[left].first; i < end; ++i) {
                        const uint32_t slot = m_treeSlots[i];
                        if (m_current[slot] != 0) {
                            inside->push_back(slot);
                        }
                    }
                    continue;
                }
            }
            if (node.count > 0) {
                for (uint32_t i = node.first; i < node.first + node.count; ++i) {
                    const uint32_t slot = m_treeSlots[i];
                    if (m_current[slot] != 0) {
                        found.push_back(slot);
                    }
                }
            } else {
                stack[depth++] = node.first;
                stack[depth++] = at + 1;
            }
        }
    }
    for (uint32_t slot : m_everywhere) {
        if (m_current[slot] != 0) {
            found.push_back(slot);
        }
    }
    for (const Pending& pending : m_pending) {
        if (pending.everywhere || region.MayMeet(pending.box)) {
            found.push_back(pending.slot);
        }
    }
}

}  // namespace marquetta
