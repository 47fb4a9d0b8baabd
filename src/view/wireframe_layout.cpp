#include "view/wireframe_layout.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "model/layers.h"
#include "platform/platform.h"
#include "view/paint_frame.h"

namespace marquetta {

int g_colorByLayer = 0;

namespace {
constexpr const char* kSettingsSection = "View";
constexpr const char* kColorByLayerKey = "ColorByLayer";
}  // namespace

void InitWireframeDefaults() { g_colorByLayer = 0; }

void LoadColorByLayerSetting() {
    g_colorByLayer = CurrentPlatform().ReadSetting(kSettingsSection, kColorByLayerKey) == "1" ? 1 : 0;
}

void ToggleColorByLayer() {
    g_colorByLayer = g_colorByLayer != 0 ? 0 : 1;
    CurrentPlatform().WriteSetting(kSettingsSection, kColorByLayerKey, g_colorByLayer != 0 ? "1" : "0");
    g_displayListValid = 0;
    CurrentPlatform().InvalidateView();
}

uint32_t LayerPen(double red, double green, double blue) {
    // Held to 0-1 first: a file may hold anything, NaN included.
    double c[3] = {red, green, blue};
    for (double& v : c) {
        v = v >= 0.0 ? std::min(v, 1.0) : 0.0;
    }
    const double brightness = 0.30 * c[0] + 0.59 * c[1] + 0.11 * c[2];
    if (brightness < kMinPenBrightness) {
        const double t = (kMinPenBrightness - brightness) / (1.0 - brightness);
        for (double& v : c) {
            v += (1.0 - v) * t;
        }
    }
    uint32_t pen = 0;
    for (double v : c) {
        pen = (pen << 8) | static_cast<uint32_t>(std::lround(v * 255.0));
    }
    return pen;
}

uint32_t PenOfLayer(const std::string& name) {
    if (g_colorByLayer == 0) {
        return kWhitePen;
    }
    const int layer = FindLayer(name);
    if (layer < 0 || layer >= g_layerCount || layer >= kLayerSlots) {
        return kWhitePen;
    }
    const auto& a = g_layerAttributes[layer];
    return LayerPen(a[LAYER_RED], a[LAYER_GREEN], a[LAYER_BLUE]);
}

namespace {

uint32_t RunEnd(const WireframeRun& run) { return run.firstVertex + run.vertexCount; }

// Makes a run start at vertex v when v lies inside one; the index of the first run
// that starts at v or later.
size_t SplitAt(std::vector<WireframeRun>& runs, uint32_t v) {
    auto it = std::upper_bound(runs.begin(), runs.end(), v,
                               [](uint32_t x, const WireframeRun& run) { return x < RunEnd(run); });
    if (it != runs.end() && it->firstVertex < v) {
        WireframeRun tail{v, RunEnd(*it) - v, it->selected, it->pen};
        it->vertexCount = v - it->firstVertex;
        it = runs.insert(it + 1, tail);
    }
    return static_cast<size_t>(it - runs.begin());
}

// Joins runs i and i + 1 while they touch and share a colour.
void MergeAt(std::vector<WireframeRun>& runs, size_t i) {
    while (i + 1 < runs.size() && RunEnd(runs[i]) == runs[i + 1].firstVertex &&
           runs[i].selected == runs[i + 1].selected && runs[i].pen == runs[i + 1].pen) {
        runs[i].vertexCount += runs[i + 1].vertexCount;
        runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
}

void Colour(std::vector<WireframeRun>& runs, uint32_t first, uint32_t count, bool selected,
            uint32_t pen) {
    pen = selected ? kWhitePen : pen;  // magenta whatever the layer: one run
    const size_t from = SplitAt(runs, first);
    const size_t to = SplitAt(runs, first + count);
    for (size_t i = from; i < to; ++i) {
        runs[i].selected = selected;
        runs[i].pen = pen;
    }
    if (to > 0) {
        MergeAt(runs, to - 1);
    }
    if (from > 0) {
        MergeAt(runs, from - 1);
    }
}

void Cut(std::vector<WireframeRun>& runs, uint32_t first, uint32_t count) {
    const size_t from = SplitAt(runs, first);
    const size_t to = SplitAt(runs, first + count);
    runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(from),
               runs.begin() + static_cast<std::ptrdiff_t>(to));
}

void Append(std::vector<WireframeRun>& runs, uint32_t first, uint32_t count, bool selected,
            uint32_t pen) {
    pen = selected ? kWhitePen : pen;
    if (!runs.empty() && RunEnd(runs.back()) == first && runs.back().selected == selected &&
        runs.back().pen == pen) {
        runs.back().vertexCount += count;
    } else {
        runs.push_back({first, count, selected, pen});
    }
}

// Vertices of a shape as the wireframe draws it, known without drawing it; texts are
// left to grow the buffer.
size_t VerticesOf(const CShape& s) {
    switch (s.m_nType) {
        case SHAPE_LINE:
            return 2;
        case SHAPE_FACE:
            return 5;
        case SHAPE_CIRCLE:
            return kCircleSegments + 1;
        case SHAPE_ARC: {
            size_t points = 0;
            ForEachArcAngle(s.m_pt[1].y, s.m_pt[1].z, [&](double) { ++points; });
            return points;
        }
        default:
            return 0;
    }
}

}  // namespace

size_t Wireframe::Segments(uint32_t& first, uint32_t end, uint32_t* out, size_t room) const {
    const uint8_t* begins = starts.data();
    size_t written = 0;
    uint32_t v = first;
    // Every vertex writes the pair it begins; the pair is kept only when the next vertex
    // is joined to it, which spares a branch per vertex.
    for (; v + 1 < end && written + 2 <= room; ++v) {
        out[written] = v;
        out[written + 1] = v + 1;
        written += begins[v + 1] == 0 ? 2 : 0;
    }
    first = v + 1 < end ? v : end;
    return written;
}

WireframeLayout::Result WireframeLayout::Update(const ShapeList& list, bool stale, EmitFn emit,
                                                Wireframe& wireframe) {
    if (!stale) {
        return Result::Unchanged;
    }
    // A clear without a change in the journal is a change the journal does not know.
    const bool followable = m_epoch == list.Epoch() && m_journalRead < list.Journal().size();
    if (followable && LayersAsBefore(list) && Follow(list, emit, wireframe)) {
        return Result::Updated;
    }
    Rebuild(list, emit, wireframe);
    return Result::Rebuilt;
}

bool WireframeLayout::LayersAsBefore(const ShapeList& list) {
    for (uint32_t key = 0; key < m_shown.size(); ++key) {
        if (m_shown[key] != (IsLayerVisible(list.LayerName(key)) ? 1 : 0)) {
            return false;
        }
    }
    for (uint32_t key = 0; key < m_pens.size(); ++key) {
        if (m_pens[key] != PenOfLayer(list.LayerName(key))) {
            return false;
        }
    }
    return true;
}

uint32_t WireframeLayout::Pen(const ShapeList& list, uint32_t slot) {
    const uint32_t key = list.LayerKeyOf(slot);
    while (key >= m_pens.size()) {
        m_pens.push_back(PenOfLayer(list.LayerName(static_cast<uint32_t>(m_pens.size()))));
    }
    return m_pens[key];
}

bool WireframeLayout::Shown(const ShapeList& list, uint32_t slot) {
    const uint32_t key = list.LayerKeyOf(slot);
    while (key >= m_shown.size()) {
        m_shown.push_back(IsLayerVisible(list.LayerName(static_cast<uint32_t>(m_shown.size()))) ? 1 : 0);
    }
    return m_shown[key] != 0;
}

void WireframeLayout::Rebuild(const ShapeList& list, EmitFn emit, Wireframe& wireframe) {
    ++m_rebuilds;
    m_epoch = list.Epoch();
    m_journalRead = list.Journal().size();
    m_gaps = 0;
    m_shown.clear();
    m_pens.clear();
    m_first.assign(list.SlotCount(), kNone);
    m_count.assign(list.SlotCount(), 0);
    std::vector<float>& vertices = wireframe.vertices;
    wireframe.Clear();

    // Room for all of it at once: growing by doubling would hold two copies at the
    // moment of the last move.
    size_t needed = 0;
    for (const ShapeRef& shape : list) {
        if (Shown(list, shape.Slot())) {
            needed += VerticesOf(*shape);
        }
    }
    if (vertices.capacity() < needed * 3) {
        std::vector<float>().swap(vertices);
        vertices.reserve(needed * 3);
        AdviseBigPages(vertices.data(), needed * 3 * sizeof(float));
    }
    if (wireframe.starts.capacity() < needed) {
        std::vector<uint8_t>().swap(wireframe.starts);
        wireframe.starts.reserve(needed);
    }
    for (const ShapeRef& shape : list) {
        const uint32_t slot = shape.Slot();
        const auto first = static_cast<uint32_t>(wireframe.VertexCount());
        m_first[slot] = first;
        if (!Shown(list, slot)) {
            continue;
        }
        emit(*shape, wireframe);
        const auto count = static_cast<uint32_t>(wireframe.VertexCount() - first);
        m_count[slot] = count;
        if (count > 0) {
            Append(wireframe.runs, first, count, shape->IsSelected(), Pen(list, slot));
        }
    }
}

bool WireframeLayout::Follow(const ShapeList& list, EmitFn emit, Wireframe& wireframe) {
    enum : uint8_t { kAdded = 1, kChanged = 2, kSelection = 4, kRemoved = 8 };
    const auto& journal = list.Journal();
    std::unordered_map<uint32_t, uint8_t> touched;
    bool recolourAll = false;
    for (size_t i = m_journalRead; i < journal.size(); ++i) {
        const ShapeChange& change = journal[i];
        if (change.kind == ShapeChange::Inserted) {
            return false;  // every later shape would have to move
        }
        if (change.slot == ShapeList::kNoPosition) {
            recolourAll = recolourAll || change.kind == ShapeChange::Selection;
            continue;
        }
        static constexpr uint8_t kBits[] = {kAdded, 0, kChanged, kSelection, kRemoved};
        touched[change.slot] |= kBits[change.kind];
    }
    m_journalRead = journal.size();
    m_first.resize(list.SlotCount(), kNone);
    m_count.resize(list.SlotCount(), 0);

    std::vector<float>& vertices = wireframe.vertices;
    std::vector<std::pair<uint32_t, uint32_t>> appended;  // (position, slot)
    for (const auto& [slot, what] : touched) {
        const bool live = list.PositionOfSlot(slot) != ShapeList::kNoPosition;
        const bool had = m_first[slot] != kNone;
        if (had && ((what & kRemoved) != 0 || !live)) {
            // The shape that was there is gone: its vertices stay, drawn by no run.
            if (m_count[slot] > 0) {
                Cut(wireframe.runs, m_first[slot], m_count[slot]);
                m_gaps += m_count[slot];
            }
            m_first[slot] = kNone;
            m_count[slot] = 0;
        }
        if (!live) {
            continue;
        }
        if (m_first[slot] == kNone) {
            appended.emplace_back(list.PositionOfSlot(slot), slot);
            continue;
        }
        const CShape& shape = list.ShapeInSlot(slot);
        if ((what & kChanged) != 0) {
            m_scratch.Clear();
            if (Shown(list, slot)) {
                emit(shape, m_scratch);
            }
            const auto at = static_cast<std::ptrdiff_t>(m_first[slot]);
            if (m_scratch.VertexCount() != m_count[slot]) {
                return false;  // a different number of vertices would move all later ones
            }
            if (!std::equal(m_scratch.starts.begin(), m_scratch.starts.end(), wireframe.starts.begin() + at)) {
                return false;  // polylines split otherwise
            }
            std::copy(m_scratch.vertices.begin(), m_scratch.vertices.end(), vertices.begin() + at * 3);
        }
        if (m_count[slot] > 0) {
            Colour(wireframe.runs, m_first[slot], m_count[slot], shape.IsSelected(), Pen(list, slot));
        }
    }
    // New shapes are the list's last ones: behind everything, in list order.
    std::sort(appended.begin(), appended.end());
    for (const auto& [position, slot] : appended) {
        const CShape& shape = list.ShapeInSlot(slot);
        const auto first = static_cast<uint32_t>(wireframe.VertexCount());
        m_first[slot] = first;
        if (Shown(list, slot)) {
            emit(shape, wireframe);
        }
        m_count[slot] = static_cast<uint32_t>(wireframe.VertexCount() - first);
        if (m_count[slot] > 0) {
            Append(wireframe.runs, first, m_count[slot], shape.IsSelected(), Pen(list, slot));
        }
    }
    if (recolourAll) {
        Recolour(list, wireframe);
    }
    // Gaps are given back once they take a good part of the buffer.
    return m_gaps <= wireframe.VertexCount() / 4 + 4096;
}

void WireframeLayout::Recolour(const ShapeList& list, Wireframe& wireframe) {
    wireframe.runs.clear();
    for (const ShapeRef& shape : list) {
        const uint32_t slot = shape.Slot();
        if (m_count[slot] > 0) {
            Append(wireframe.runs, m_first[slot], m_count[slot], shape->IsSelected(), Pen(list, slot));
        }
    }
}

}  // namespace marquetta
