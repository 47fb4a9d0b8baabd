#include "view/wireframe_layout.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <unordered_map>

#include "model/layers.h"
#include "platform/platform.h"

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
    const auto& a = g_layerAttributes[static_cast<size_t>(layer)];
    return LayerPen(a[LAYER_RED], a[LAYER_GREEN], a[LAYER_BLUE]);
}
namespace {

uint32_t RunEnd(const WireframeRun& run) {
    return run.firstVertex + run.vertexCount;
}

// Makes a run start at vertex v when v lies inside one; the index of the first run
// that starts at v or later.
size_t SplitAt(std::vector<WireframeRun>& runs, uint32_t v) {
    auto it = std::upper_bound(runs.begin(), runs.end(), v,
                               [](uint32_t x, const WireframeRun& run) { return x < RunEnd(run); });
    if (it != runs.end() && it->firstVertex < v) {
        WireframeRun tail{v, RunEnd(*it) - v, it->color};
        it->vertexCount = v - it->firstVertex;
        it = runs.insert(it + 1, tail);
    }
    return static_cast<size_t>(it - runs.begin());
}

// Joins runs i and i + 1 while they touch and share a colour.
void MergeAt(std::vector<WireframeRun>& runs, size_t i) {
    while (i + 1 < runs.size() && RunEnd(runs[i]) == runs[i + 1].firstVertex &&
           runs[i].color == runs[i + 1].color) {
        runs[i].vertexCount += runs[i + 1].vertexCount;
        runs.erase(runs.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }
}

void Colour(std::vector<WireframeRun>& runs, uint32_t first, uint32_t count,
            const PaintColor& color) {
    const size_t from = SplitAt(runs, first);
    const size_t to = SplitAt(runs, first + count);
    for (size_t i = from; i < to; ++i) {
        runs[i].color = color;
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

void Append(std::vector<WireframeRun>& runs, uint32_t first, uint32_t count,
            const PaintColor& color) {
    if (!runs.empty() && RunEnd(runs.back()) == first && runs.back().color == color) {
        runs.back().vertexCount += count;
    } else {
        runs.push_back({first, count, color});
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

WireframeLayout::Result WireframeLayout::Update(const ShapeList& list, bool stale, bool anew,
                                                const WireframeSource& source,
                                                Wireframe& wireframe) {
    if (!stale && !anew) {
        return Result::Unchanged;
    }
    // A clear without a change in the journal is a change the journal does not know.
    const bool followable =
        !anew && m_epoch == list.Epoch() && m_journalRead < list.Journal().size();
    if (followable && LayersAsBefore(list, source) && Follow(list, source, wireframe)) {
        return Result::Updated;
    }
    Rebuild(list, source, wireframe);
    return Result::Rebuilt;
}

bool WireframeLayout::LayersAsBefore(const ShapeList& list, const WireframeSource& source) {
    for (uint32_t key = 0; key < m_looks.size(); ++key) {
        // Bit for bit, so that a colour that is not a number stays the same colour.
        const LayerLook now = source.LookOf(list.LayerName(key));
        if (now.shown != m_looks[key].shown ||
            std::bit_cast<std::array<uint32_t, 4>>(now.color.rgba) !=
                std::bit_cast<std::array<uint32_t, 4>>(m_looks[key].color.rgba)) {
            return false;
        }
    }
    return true;
}

LayerLook WireframeLayout::LookAt(const ShapeList& list, uint32_t slot,
                                  const WireframeSource& source) {
    const uint32_t key = list.LayerKeyOf(slot);
    while (key >= m_looks.size()) {
        m_looks.push_back(source.LookOf(list.LayerName(static_cast<uint32_t>(m_looks.size()))));
    }
    return m_looks[key];
}

void WireframeLayout::Rebuild(const ShapeList& list, const WireframeSource& source,
                              Wireframe& wireframe) {
    ++m_rebuilds;
    m_epoch = list.Epoch();
    m_journalRead = list.Journal().size();
    m_gaps = 0;
    m_looks.clear();
    std::vector<float>& vertices = wireframe.vertices;
    wireframe.Clear();

    static thread_local std::vector<uint32_t> positions;
    positions.clear();
    const bool every = !source.Candidates(list, positions);
    const size_t count = every ? list.size() : positions.size();
    m_entries.Reset(list.SlotCount(), count);
    auto shapeAt = [&](size_t i) -> const ShapeRef& { return list[every ? i : positions[i]]; };

    // Room for all of it at once: growing by doubling would hold two copies at the
    // moment of the last move.
    size_t needed = 0;
    for (size_t i = 0; i < count; ++i) {
        const ShapeRef& shape = shapeAt(i);
        if (LookAt(list, shape.Slot(), source).shown) {
            needed += source.VertexEstimate(*shape);
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
    for (size_t i = 0; i < count; ++i) {
        const ShapeRef& shape = shapeAt(i);
        const uint32_t slot = shape.Slot();
        const auto first = static_cast<uint32_t>(wireframe.VertexCount());
        const LayerLook look = LookAt(list, slot, source);
        if (!look.shown) {
            m_entries.Set(slot, {first, 0});
            continue;
        }
        source.Emit(*shape, wireframe);
        const auto emitted = static_cast<uint32_t>(wireframe.VertexCount() - first);
        m_entries.Set(slot, {first, emitted});
        if (emitted > 0) {
            Append(wireframe.runs, first, emitted, source.ColorOf(*shape, look));
        }
    }
}

void WireframeLayout::Leave(uint32_t slot, Wireframe& wireframe) {
    const SlotEntries::Entry entry = m_entries.Get(slot);
    if (entry.count > 0) {
        Cut(wireframe.runs, entry.first, entry.count);
        m_gaps += entry.count;
    }
    m_entries.Erase(slot);
}

bool WireframeLayout::Follow(const ShapeList& list, const WireframeSource& source,
                             Wireframe& wireframe) {
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

    std::vector<float>& vertices = wireframe.vertices;
    std::vector<std::pair<uint32_t, uint32_t>> appended;  // (position, slot)
    for (const auto& [slot, what] : touched) {
        const bool live = list.PositionOfSlot(slot) != ShapeList::kNoPosition;
        if (m_entries.Get(slot).first != SlotEntries::kNone && ((what & kRemoved) != 0 || !live)) {
            Leave(slot, wireframe);  // the shape that was there is gone
        }
        if (!live) {
            continue;
        }
        const CShape& shape = list.ShapeInSlot(slot);
        const SlotEntries::Entry entry = m_entries.Get(slot);
        if (entry.first == SlotEntries::kNone) {
            // A shape appended goes behind every other; one that came into view from
            // among the others would have to go between them.
            if (source.MayShow(shape)) {
                if ((what & kAdded) == 0) {
                    return false;
                }
                appended.emplace_back(list.PositionOfSlot(slot), slot);
            }
            continue;
        }
        if ((what & kChanged) != 0) {
            if (!source.MayShow(shape)) {
                Leave(slot, wireframe);  // moved out of view
                continue;
            }
            m_scratch.Clear();
            if (LookAt(list, slot, source).shown) {
                source.Emit(shape, m_scratch);
            }
            const auto at = static_cast<std::ptrdiff_t>(entry.first);
            if (m_scratch.VertexCount() != entry.count) {
                return false;  // a different number of vertices would move all later ones
            }
            if (!std::equal(m_scratch.starts.begin(), m_scratch.starts.end(),
                            wireframe.starts.begin() + at)) {
                return false;  // polylines split otherwise
            }
            std::copy(m_scratch.vertices.begin(), m_scratch.vertices.end(),
                      vertices.begin() + at * 3);
        }
        if (entry.count > 0) {
            Colour(wireframe.runs, entry.first, entry.count,
                   source.ColorOf(shape, LookAt(list, slot, source)));
        }
    }
    // New shapes are the list's last ones: behind everything, in list order.
    std::sort(appended.begin(), appended.end());
    for (const auto& [position, slot] : appended) {
        const CShape& shape = list.ShapeInSlot(slot);
        const auto first = static_cast<uint32_t>(wireframe.VertexCount());
        const LayerLook look = LookAt(list, slot, source);
        if (look.shown) {
            source.Emit(shape, wireframe);
        }
        const auto emitted = static_cast<uint32_t>(wireframe.VertexCount() - first);
        m_entries.Set(slot, {first, emitted});
        if (emitted > 0) {
            Append(wireframe.runs, first, emitted, source.ColorOf(shape, look));
        }
    }
    if (recolourAll) {
        Recolour(list, source, wireframe);
    }
    // Gaps are given back once they take a good part of the buffer.
    return m_gaps <= wireframe.VertexCount() / 4 + 4096;
}

void WireframeLayout::Recolour(const ShapeList& list, const WireframeSource& source,
                               Wireframe& wireframe) {
    wireframe.runs.clear();
    if (m_entries.Dense()) {
        for (const ShapeRef& shape : list) {
            const SlotEntries::Entry entry = m_entries.Get(shape.Slot());
            if (entry.count > 0) {
                Append(wireframe.runs, entry.first, entry.count,
                       source.ColorOf(*shape, LookAt(list, shape.Slot(), source)));
            }
        }
        return;
    }
    // The few shapes of the wireframe in the order of their vertices, which is the list's.
    std::vector<std::pair<SlotEntries::Entry, uint32_t>> entries;
    m_entries.ForEach([&](uint32_t slot, SlotEntries::Entry entry) {
        if (entry.count > 0) {
            entries.emplace_back(entry, slot);
        }
    });
    std::sort(entries.begin(), entries.end(),
              [](const auto& a, const auto& b) { return a.first.first < b.first.first; });
    for (const auto& [entry, slot] : entries) {
        Append(wireframe.runs, entry.first, entry.count,
               source.ColorOf(list.ShapeInSlot(slot), LookAt(list, slot, source)));
    }
}

void SlotEntries::Reset(uint32_t slotCount, size_t expected) {
    m_map.clear();
    m_dense = expected > slotCount / 16;
    if (m_dense) {
        m_bySlot.assign(slotCount, Entry{});
    } else {
        BigVector<Entry>().swap(m_bySlot);
        m_map.reserve(expected);
    }
}

SlotEntries::Entry SlotEntries::Get(uint32_t slot) const {
    if (m_dense) {
        return slot < m_bySlot.size() ? m_bySlot[slot] : Entry{};
    }
    const auto found = m_map.find(slot);
    return found != m_map.end() ? found->second : Entry{};
}

void SlotEntries::Set(uint32_t slot, Entry entry) {
    if (m_dense) {
        if (slot >= m_bySlot.size()) {
            m_bySlot.resize(slot + 1, Entry{});
        }
        m_bySlot[slot] = entry;
    } else if (entry.first == kNone) {
        m_map.erase(slot);
    } else {
        m_map[slot] = entry;
    }
}

}  // namespace marquetta
