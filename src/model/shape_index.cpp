#include "model/shape_index.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace marquetta {
namespace {

// Shapes per leaf: few enough that testing a leaf's shapes one by one costs little.
constexpr uint32_t kLeafSize = 4;
// Relative slack of the box test, far above the rounding of the projection.
constexpr double kSlack = 1e-9;

// The range of an affine function over a box, its size scaled to the box test's slack.
AffineRange Over(const double f[4], const Box3& box) {
    AffineRange r = RangeOver(f, box);
    r.size *= kSlack;
    return r;
}

void Unite(Box3& into, const Box3& box) {
    for (int c = 0; c < 3; ++c) {
        into.lo[c] = std::min(into.lo[c], box.lo[c]);
        into.hi[c] = std::max(into.hi[c], box.hi[c]);
    }
}

// Spreads the 16 bits of v over the even bits of the result.
uint32_t SpreadBits(uint32_t v) {
    v &= 0xFFFF;
    v = (v | (v << 8)) & 0x00FF00FF;
    v = (v | (v << 4)) & 0x0F0F0F0F;
    v = (v | (v << 2)) & 0x33333333;
    v = (v | (v << 1)) & 0x55555555;
    return v;
}

// Sorts by the high 32 bits (two passes of 16), keeping the order of equal keys.
void SortByHighWord(BigVector<uint64_t>& keys) {
    BigVector<uint64_t> other(keys.size());
    std::vector<uint32_t> counts(1u << 16);
    for (int shift : {32, 48}) {
        std::fill(counts.begin(), counts.end(), 0);
        for (uint64_t k : keys) {
            ++counts[(k >> shift) & 0xFFFF];
        }
        uint32_t sum = 0;
        for (uint32_t& c : counts) {
            const uint32_t n = c;
            c = sum;
            sum += n;
        }
        for (uint64_t k : keys) {
            other[counts[(k >> shift) & 0xFFFF]++] = k;
        }
        keys.swap(other);
    }
}

}  // namespace

bool WindowCone::Set(const ProjectionRef& t, double xmin, double ymin, double xmax, double ymax) {
    const int* vp = t.viewport;
    if (!(vp[2] > 0 && vp[3] > 0) || !AllFinite(t.modelview, 16) || !AllFinite(t.projection, 16)) {
        return false;
    }
    // The combined matrix, column-major: clip_r = sum_c m[c * 4 + r] * (x, y, z, 1)_c.
    double m[16];
    for (int c = 0; c < 4; ++c) {
        for (int r = 0; r < 4; ++r) {
            double sum = 0.0;
            for (int k = 0; k < 4; ++k) {
                sum += t.projection[k * 4 + r] * t.modelview[c * 4 + k];
            }
            m[c * 4 + r] = sum;
        }
    }
    // Inside x: left < clip_x / w < right in normalised device coordinates.
    const double left = 2.0 * (xmin - vp[0]) / vp[2] - 1.0;
    const double right = 2.0 * (xmax - vp[0]) / vp[2] - 1.0;
    const double bottom = 2.0 * (ymin - vp[1]) / vp[3] - 1.0;
    const double top = 2.0 * (ymax - vp[1]) / vp[3] - 1.0;
    for (size_t c = 0; c < 4; ++c) {
        const double x = m[c * 4], y = m[c * 4 + 1], w = m[c * 4 + 3];
        m_side[0][c] = x - left * w;
        m_side[1][c] = right * w - x;
        m_side[2][c] = y - bottom * w;
        m_side[3][c] = top * w - y;
        m_w[c] = w;
    }
    return AllFinite(&m_side[0][0], 16) && AllFinite(m_w, 4);
}

bool WindowCone::MayMeet(const Box3& box) const {
    const AffineRange w = Over(m_w, box);
    if (w.min <= w.size && w.max >= -w.size) {
        return true;  // the box reaches the eye's plane, where projections fly apart
    }
    const bool front = w.min > 0.0;
    for (const auto& side : m_side) {
        const AffineRange s = Over(side, box);
        if (front ? s.max < -s.size : s.min > s.size) {
            return false;
        }
    }
    return true;
}

void ShapeIndex::Sync(const ShapeList& list, ShapeExtentFn extent) {
    if (m_epoch != list.Epoch()) {
        Build(list, extent);
        return;
    }
    const auto& journal = list.Journal();
    if (m_journalRead == journal.size()) {
        return;
    }
    std::vector<uint32_t> touched;
    for (size_t i = m_journalRead; i < journal.size(); ++i) {
        const ShapeChange& change = journal[i];
        if (change.kind == ShapeChange::Selection || change.slot == ShapeList::kNoPosition) {
            continue;  // the selection is no part of where a shape is
        }
        if (change.slot < m_current.size() && m_current[change.slot] != 0) {
            m_current[change.slot] = 0;
            ++m_staleEntries;
        }
        touched.push_back(change.slot);
    }
    m_journalRead = journal.size();
    std::sort(touched.begin(), touched.end());
    touched.erase(std::unique(touched.begin(), touched.end()), touched.end());
    // The boxes are taken now rather than at each change, so that they are those of
    // the shapes as they are when the index is asked.
    for (uint32_t slot : touched) {
        Hold(slot, list, extent);
    }
    const size_t live = list.size();
    if (m_pending.size() > 4096 + live / 16 || m_staleEntries > 4096 + live / 4) {
        Build(list, extent);
    }
}

void ShapeIndex::Hold(uint32_t slot, const ShapeList& list, ShapeExtentFn extent) {
    const auto found = m_pendingBySlot.find(slot);
    Pending pending{slot, false, {}};
    const bool live = slot < list.SlotCount() && list.PositionOfSlot(slot) != ShapeList::kNoPosition;
    const ShapeExtent kind = live ? extent(list.ShapeInSlot(slot), pending.box) : ShapeExtent::Nowhere;
    if (kind == ShapeExtent::Nowhere) {
        if (found != m_pendingBySlot.end()) {
            const uint32_t at = found->second;
            m_pendingBySlot.erase(found);
            if (at + 1 != m_pending.size()) {
                m_pending[at] = m_pending.back();
                m_pendingBySlot[m_pending[at].slot] = at;
            }
            m_pending.pop_back();
        }
        return;
    }
    pending.everywhere = kind == ShapeExtent::Everywhere;
    if (found != m_pendingBySlot.end()) {
        m_pending[found->second] = pending;
    } else {
        m_pendingBySlot.emplace(slot, static_cast<uint32_t>(m_pending.size()));
        m_pending.push_back(pending);
    }
}

void ShapeIndex::Build(const ShapeList& list, ShapeExtentFn extent) {
    ++m_builds;
    m_epoch = list.Epoch();
    m_journalRead = list.Journal().size();
    m_nodes.clear();
    m_everywhere.clear();
    m_pending.clear();
    m_pendingBySlot.clear();
    m_staleEntries = 0;
    m_current.assign(list.SlotCount(), 0);

    // Boxes by slot, and one key per shape with a box: its slot now, its place on the
    // curve below in the high half later. No copy of the boxes is sorted, so that the
    // build's memory stays small beside the drawing's.
    BigVector<Box3> boxes(list.SlotCount());
    BigVector<uint64_t> keys;
    keys.reserve(list.size());
    constexpr float kHuge = std::numeric_limits<float>::max();
    Box3 all{{kHuge, kHuge, kHuge}, {-kHuge, -kHuge, -kHuge}};
    for (const ShapeRef& shape : list) {
        const uint32_t slot = shape.Slot();
        m_current[slot] = 1;
        switch (extent(*shape, boxes[slot])) {
            case ShapeExtent::Box:
                keys.push_back(slot);
                Unite(all, boxes[slot]);
                break;
            case ShapeExtent::Everywhere:
                m_everywhere.push_back(slot);
                break;
            case ShapeExtent::Nowhere:
                break;
        }
    }
    // Shapes near each other on the ground go near each other in the hierarchy: sorted
    // along a Morton curve through the centres of their boxes in x and z.
    const size_t n = keys.size();
    const double spanX = std::max(1e-30, double{all.hi[0]} - all.lo[0]);
    const double spanZ = std::max(1e-30, double{all.hi[2]} - all.lo[2]);
    for (uint64_t& key : keys) {
        const Box3& box = boxes[key];
        const double cx = (double{box.lo[0]} + box.hi[0]) * 0.5;
        const double cz = (double{box.lo[2]} + box.hi[2]) * 0.5;
        const auto qx = static_cast<uint32_t>(std::clamp((cx - all.lo[0]) / spanX, 0.0, 1.0) * 65535.0);
        const auto qz = static_cast<uint32_t>(std::clamp((cz - all.lo[2]) / spanZ, 0.0, 1.0) * 65535.0);
        key |= uint64_t{SpreadBits(qx) | (SpreadBits(qz) << 1)} << 32;
    }
    SortByHighWord(keys);
    m_treeSlots.resize(n);
    for (size_t i = 0; i < n; ++i) {
        m_treeSlots[i] = static_cast<uint32_t>(keys[i]);
    }
    keys = BigVector<uint64_t>();
    if (n > 0) {
        m_nodes.reserve(2 * (n / kLeafSize) + 2);
        BuildNode(boxes, 0, static_cast<uint32_t>(n));
    }
}

uint32_t ShapeIndex::BuildNode(const BigVector<Box3>& boxes, uint32_t begin, uint32_t end) {
    const auto index = static_cast<uint32_t>(m_nodes.size());
    m_nodes.emplace_back();
    Box3 box = boxes[m_treeSlots[begin]];
    if (end - begin <= kLeafSize) {
        for (uint32_t i = begin + 1; i < end; ++i) {
            Unite(box, boxes[m_treeSlots[i]]);
        }
        m_nodes[index].first = begin;
        m_nodes[index].count = end - begin;
    } else {
        const uint32_t middle = begin + (end - begin) / 2;
        const uint32_t left = BuildNode(boxes, begin, middle);
        const uint32_t right = BuildNode(boxes, middle, end);
        box = Box3{{m_nodes[left].lo[0], m_nodes[left].lo[1], m_nodes[left].lo[2]},
                   {m_nodes[left].hi[0], m_nodes[left].hi[1], m_nodes[left].hi[2]}};
        Unite(box, Box3{{m_nodes[right].lo[0], m_nodes[right].lo[1], m_nodes[right].lo[2]},
                        {m_nodes[right].hi[0], m_nodes[right].hi[1], m_nodes[right].hi[2]}});
        m_nodes[index].first = right;
        m_nodes[index].count = 0;
    }
    for (int c = 0; c < 3; ++c) {
        m_nodes[index].lo[c] = box.lo[c];
        m_nodes[index].hi[c] = box.hi[c];
    }
    return index;
}

AffineRange RangeOver(const double f[4], const Box3& box) {
    AffineRange r{f[3], f[3], std::fabs(f[3])};
    for (int c = 0; c < 3; ++c) {
        const double a = f[c] * box.lo[c];
        const double b = f[c] * box.hi[c];
        r.min += std::min(a, b);
        r.max += std::max(a, b);
        r.size += std::max(std::fabs(a), std::fabs(b));
    }
    return r;
}

bool AllFinite(const double* values, int count) {
    for (int i = 0; i < count; ++i) {
        if (!std::isfinite(values[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace marquetta
