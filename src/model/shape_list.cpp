#include "model/shape_list.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

namespace marquetta {
namespace {

constexpr uint32_t kChunkSlots = kShapesPerBlock;
// The journal keeps at least this many changes before it starts a new epoch.
constexpr size_t kMinJournal = 1u << 16;

uint64_t NextEpoch() {
    static uint64_t epochs = 0;
    return ++epochs;
}

}  // namespace


DetachedShapes& DetachedShapes::operator=(DetachedShapes&& other) noexcept {
    if (this != &other) {
        Release();
        runs = std::move(other.runs);
        m_list = other.m_list;
        m_storage = other.m_storage;
        m_shapes = std::move(other.m_shapes);
        other.runs.clear();
        other.m_list = nullptr;
        other.m_shapes.clear();
    }
    return *this;
}

void DetachedShapes::Release() {
    // Shapes of blocks the list has given back went with them.
    if (m_list != nullptr && m_list->m_storage == m_storage && !m_shapes.empty()) {
        m_list->ReleaseDetached(m_shapes);
    }
    m_shapes.clear();
    m_list = nullptr;
}

ShapeList::ShapeList() : m_epoch(NextEpoch()), m_storage(NextEpoch()) {}

ShapeList::~ShapeList() { Clear(); }

ShapeList::ShapeList(ShapeList&& other) noexcept : m_epoch(NextEpoch()), m_storage(NextEpoch()) {
    *this = std::move(other);
}

ShapeList& ShapeList::operator=(ShapeList&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    Clear();
    m_order = std::move(other.m_order);
    m_chunks = std::move(other.m_chunks);
    m_chunksByAddress = std::move(other.m_chunksByAddress);
    m_positions = std::move(other.m_positions);
    m_freeSlots = std::move(other.m_freeSlots);
    m_layerKeys = std::move(other.m_layerKeys);
    m_layerNames = std::move(other.m_layerNames);
    m_layerKeyMap = std::move(other.m_layerKeyMap);
    m_storage = other.m_storage;
    m_detached = other.m_detached;
    other.m_storage = NextEpoch();
    other.m_detached = 0;
    other.m_order.clear();
    other.m_chunks.clear();
    other.m_chunksByAddress.clear();
    other.m_positions.clear();
    other.m_freeSlots.clear();
    other.m_layerKeys.clear();
    other.m_layerNames.clear();
    other.m_layerKeyMap.clear();
    other.NewEpoch();
    NewEpoch();
    return *this;
}

CShape* ShapeList::SlotAddress(uint32_t slot) const {
    std::byte* bytes = m_chunks[slot / kChunkSlots];
    return std::launder(reinterpret_cast<CShape*>(bytes + (slot % kChunkSlots) * sizeof(CShape)));
}

CShape& ShapeList::ShapeInSlot(uint32_t slot) const { return *SlotAddress(slot); }

void ShapeList::AddChunk() {
    const auto first = static_cast<uint32_t>(m_chunks.size()) * kChunkSlots;
    // Left as the system gives it: slots are built one by one.
    m_chunks.push_back(static_cast<std::byte*>(AllocateBigBlock(kBigPage)));
    std::memcpy(m_chunks.back() + kBigPage - sizeof first, &first, sizeof first);
    const auto address = reinterpret_cast<uintptr_t>(m_chunks.back());
    const std::pair<uintptr_t, uint32_t> entry{address, static_cast<uint32_t>(m_chunks.size() - 1)};
    m_chunksByAddress.insert(
        std::upper_bound(m_chunksByAddress.begin(), m_chunksByAddress.end(), entry), entry);
}

uint32_t ShapeList::AllocateSlot() {
    if (!m_freeSlots.empty()) {
        const uint32_t slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        return slot;
    }
    const uint32_t slot = static_cast<uint32_t>(m_positions.size());
    if (slot % kChunkSlots == 0) {
        AddChunk();
    }
    m_positions.push_back(kNoPosition);
    m_layerKeys.push_back(kNoPosition);
    return slot;
}

void ShapeList::FreeSlot(uint32_t slot) {
    SlotAddress(slot)->~CShape();
    m_positions[slot] = kNoPosition;
    m_layerKeys[slot] = kNoPosition;
    m_freeSlots.push_back(slot);
}

uint32_t ShapeList::SlotOf(const CShape* shape) const {
    const auto address = reinterpret_cast<uintptr_t>(shape);
    auto it = std::upper_bound(m_chunksByAddress.begin(), m_chunksByAddress.end(),
                               std::pair<uintptr_t, uint32_t>{address, UINT32_MAX});
    if (it == m_chunksByAddress.begin()) {
        return kNoPosition;
    }
    --it;
    const uintptr_t offset = address - it->first;
    if (offset >= kChunkSlots * sizeof(CShape) || offset % sizeof(CShape) != 0) {
        return kNoPosition;
    }
    const uint32_t slot = it->second * kChunkSlots + static_cast<uint32_t>(offset / sizeof(CShape));
    return slot < m_positions.size() && m_positions[slot] != kNoPosition ? slot : kNoPosition;
}

void ShapeList::NewEpoch() {
    m_epoch = NextEpoch();
    m_journal.clear();
}

void ShapeList::SetJournalled(bool journalled) {
    m_journalled = journalled;
    NewEpoch();
}

void ShapeList::Record(uint32_t slot, ShapeChange::Kind kind) {
    if (!m_journalled) {
        return;
    }
    if (m_journal.size() >= std::max(kMinJournal, m_order.size() / 4)) {
        // Readers would do better to start again from the whole list.
        NewEpoch();
        return;
    }
    m_journal.push_back(ShapeChange{slot, kind});
}

void ShapeList::Reserve(size_t count) {
    m_order.reserve(count);
    m_positions.reserve(count);
    m_layerKeys.reserve(count);
}

CShape& ShapeList::Append(const CShape& shape) {
    const uint32_t slot = AllocateSlot();
    CShape* made = new (SlotAddress(slot)) CShape(shape);
    m_positions[slot] = static_cast<uint32_t>(m_order.size());
    m_order.push_back(ShapeRef(made));
    Record(slot, ShapeChange::Added);
    return *made;
}

CShape& ShapeList::AppendEmpty() {
    const uint32_t slot = AllocateSlot();
    CShape* made = new (SlotAddress(slot)) CShape();
    m_positions[slot] = static_cast<uint32_t>(m_order.size());
    m_order.push_back(ShapeRef(made));
    NewEpoch();
    return *made;
}

void ShapeList::AppendUnbuilt(size_t count, std::vector<CShape*>& slots) {
    slots.resize(count);
    size_t handed = 0;
    try {
        // Free slots first, then new ones a block at a time.
        for (; handed < count && !m_freeSlots.empty(); ++handed) {
            const uint32_t slot = AllocateSlot();
            CShape* address = SlotAddress(slot);
            m_positions[slot] = static_cast<uint32_t>(m_order.size());
            m_order.push_back(ShapeRef(address));
            slots[handed] = address;
        }
        while (handed < count) {
            const auto slot = static_cast<uint32_t>(m_positions.size());
            if (slot % kChunkSlots == 0) {
                AddChunk();
            }
            const uint32_t run = std::min<uint32_t>(static_cast<uint32_t>(count - handed),
                                                    kChunkSlots - slot % kChunkSlots);
            CShape* address = SlotAddress(slot);
            m_layerKeys.resize(slot + run, kNoPosition);
            m_positions.resize(slot + run);
            for (uint32_t i = 0; i < run; ++i) {
                m_positions[slot + i] = static_cast<uint32_t>(m_order.size());
                m_order.push_back(ShapeRef(address + i));
                slots[handed + i] = address + i;
            }
            handed += run;
        }
    } catch (...) {
        // Out of memory part-way: the slots taken hold empty shapes, and nothing is handed out.
        for (size_t i = 0; i < handed; ++i) {
            new (slots[i]) CShape();
        }
        slots.clear();
        NewEpoch();
        throw;
    }
    NewEpoch();
}

CShape& ShapeList::Insert(size_t position, const CShape& shape) {
    if (position >= m_order.size()) {
        return Append(shape);
    }
    const uint32_t slot = AllocateSlot();
    CShape* made = new (SlotAddress(slot)) CShape(shape);
    m_order.insert(m_order.begin() + static_cast<std::ptrdiff_t>(position), ShapeRef(made));
    RenumberFrom(position);
    Record(slot, ShapeChange::Inserted);
    return *made;
}

void ShapeList::RenumberFrom(size_t position) {
    for (size_t i = position; i < m_order.size(); ++i) {
        m_positions[m_order[i].Slot()] = static_cast<uint32_t>(i);
    }
}

DetachedShapes ShapeList::Detach(std::vector<ShapeRun> runs) {
    size_t end = 0;
    size_t total = 0;
    for (const ShapeRun& run : runs) {
        if (run.first < end || run.count > m_order.size() || run.first > m_order.size() - run.count) {
            throw std::logic_error("detached runs out of order or beyond the list");
        }
        end = run.first + run.count;
        total += run.count;
    }
    DetachedShapes out;
    out.m_list = this;
    out.m_storage = m_storage;
    out.m_shapes.reserve(total);
    // The shapes that stay close up in one walk from the first run on.
    size_t kept = runs.empty() ? m_order.size() : runs.front().first;
    size_t read = kept;
    auto keep = [&](size_t until) {
        for (; read < until; ++read, ++kept) {
            const ShapeRef entry = m_order[read];
            m_order[kept] = entry;
            m_positions[entry.Slot()] = static_cast<uint32_t>(kept);
        }
    };
    for (const ShapeRun& run : runs) {
        keep(run.first);
        for (size_t i = 0; i < run.count; ++i, ++read) {
            const ShapeRef entry = m_order[read];
            const uint32_t slot = entry.Slot();
            Record(slot, ShapeChange::Removed);
            m_positions[slot] = kNoPosition;
            out.m_shapes.push_back(entry.m_shape);
        }
    }
    keep(m_order.size());
    m_order.erase(m_order.begin() + static_cast<std::ptrdiff_t>(kept), m_order.end());
    m_detached += total;
    out.runs = std::move(runs);
    return out;
}

void ShapeList::Reattach(DetachedShapes& detached) {
    const std::vector<CShape*>& shapes = detached.m_shapes;
    if (detached.m_list != this || detached.m_storage != m_storage || shapes.size() != detached.Count()) {
        throw std::logic_error("shapes put back into a list they were not taken from");
    }
    if (shapes.empty()) {
        return;
    }
    const size_t oldSize = m_order.size();
    const size_t newSize = oldSize + shapes.size();
    size_t end = 0;
    for (const ShapeRun& run : detached.runs) {
        if (run.first < end || run.first + run.count > newSize) {
            throw std::logic_error("detached runs out of order or beyond the list");
        }
        end = run.first + run.count;
    }
    m_order.resize(newSize);
    // From the back: the shapes that stay move back to make room for each run.
    size_t write = newSize;
    size_t read = oldSize;
    size_t next = shapes.size();
    for (auto run = detached.runs.rbegin(); run != detached.runs.rend(); ++run) {
        while (write > run->first + run->count) {
            m_order[--write] = m_order[--read];
        }
        for (size_t i = 0; i < run->count; ++i) {
            m_order[--write] = ShapeRef(shapes[--next]);
        }
    }
    RenumberFrom(detached.runs.front().first);
    // A run behind every shape that stayed is added at the tail; the others are
    // inserted.
    const ShapeRun& last = detached.runs.back();
    const bool tail = last.first + last.count == newSize;
    for (const ShapeRun& run : detached.runs) {
        const auto kind = tail && &run == &last ? ShapeChange::Added : ShapeChange::Inserted;
        for (size_t i = run.first; i < run.first + run.count; ++i) {
            Record(m_order[i].Slot(), kind);
        }
    }
    m_detached -= shapes.size();
    detached.m_shapes.clear();
    detached.m_list = nullptr;
}

void ShapeList::ReleaseDetached(const std::vector<CShape*>& shapes) {
    for (const CShape* shape : shapes) {
        FreeSlot(SlotAtAddress(shape));
    }
    m_detached -= shapes.size();
}

void ShapeList::Clear() {
    // Every slot that is not free holds a shape: in the list, or detached.
    std::vector<bool> free(m_positions.size(), false);
    for (const uint32_t slot : m_freeSlots) {
        free[slot] = true;
    }
    for (uint32_t slot = 0; slot < m_positions.size(); ++slot) {
        if (!free[slot]) {
            SlotAddress(slot)->~CShape();
        }
    }
    for (std::byte* chunk : m_chunks) {
        FreeBigBlock(chunk, kBigPage);
    }
    // Swapped with empty vectors so that the memory goes back.
    BigVector<ShapeRef>().swap(m_order);
    std::vector<std::byte*>().swap(m_chunks);
    std::vector<std::pair<uintptr_t, uint32_t>>().swap(m_chunksByAddress);
    BigVector<uint32_t>().swap(m_positions);
    std::vector<uint32_t>().swap(m_freeSlots);
    BigVector<uint32_t>().swap(m_layerKeys);
    BigVector<ShapeChange>().swap(m_journal);
    m_storage = NextEpoch();
    m_detached = 0;
    NewEpoch();
}

void ShapeList::NoteChange(const CShape& shape, ShapeChange::Kind kind) {
    const uint32_t slot = SlotOf(&shape);
    if (slot != kNoPosition) {
        Record(slot, kind);
    }
}

void ShapeList::NoteSelectionOfAll() { Record(kNoPosition, ShapeChange::Selection); }

uint32_t ShapeList::InternLayer(const std::string& name) const {
    const auto found = m_layerKeyMap.find(name);
    if (found != m_layerKeyMap.end()) {
        return found->second;
    }
    const auto key = static_cast<uint32_t>(m_layerNames.size());
    m_layerNames.push_back(name);
    m_layerKeyMap.emplace(name, key);
    return key;
}

uint32_t ShapeList::LayerKeyOf(uint32_t slot) const {
    const std::string& name = SlotAddress(slot)->m_strLayer;
    uint32_t& key = m_layerKeys[slot];
    if (key == kNoPosition || m_layerNames[key] != name) {
        key = InternLayer(name);
    }
    return key;
}

}  // namespace marquetta
