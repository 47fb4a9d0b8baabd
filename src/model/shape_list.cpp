#include "model/shape_list.h"

#include <algorithm>
#include <cstring>
#include <new>

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


ShapeList::ShapeList() : m_epoch(NextEpoch()) {}

ShapeList::~ShapeList() { Clear(); }

ShapeList::ShapeList(ShapeList&& other) noexcept : m_epoch(NextEpoch()) { *this = std::move(other); }

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

uint32_t ShapeList::AllocateSlot() {
    if (!m_freeSlots.empty()) {
        const uint32_t slot = m_freeSlots.back();
        m_freeSlots.pop_back();
        return slot;
    }
    const uint32_t slot = static_cast<uint32_t>(m_positions.size());
    if (slot % kChunkSlots == 0) {
        // Left as the system gives it: slots are built one by one.
        m_chunks.push_back(static_cast<std::byte*>(AllocateBigBlock(kBigPage)));
        std::memcpy(m_chunks.back() + kBigPage - sizeof slot, &slot, sizeof slot);
        const auto address = reinterpret_cast<uintptr_t>(m_chunks.back());
        const std::pair<uintptr_t, uint32_t> entry{address, static_cast<uint32_t>(m_chunks.size() - 1)};
        m_chunksByAddress.insert(
            std::upper_bound(m_chunksByAddress.begin(), m_chunksByAddress.end(), entry), entry);
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

void ShapeList::Record(uint32_t slot, ShapeChange::Kind kind) {
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
    Record(slot, ShapeChange::Added);
    return *made;
}

CShape& ShapeList::Insert(size_t position, const CShape& shape) {
    if (position >= m_order.size()) {
        return Append(shape);
    }
    const uint32_t slot = AllocateSlot();
    CShape* made = new (SlotAddress(slot)) CShape(shape);
    m_order.insert(m_order.begin() + static_cast<std::ptrdiff_t>(position), ShapeRef(made));
    for (size_t i = position; i < m_order.size(); ++i) {
        m_positions[m_order[i].Slot()] = static_cast<uint32_t>(i);
    }
    Record(slot, ShapeChange::Inserted);
    return *made;
}

void ShapeList::Erase(size_t position) {
    const uint32_t slot = m_order[position].Slot();
    Record(slot, ShapeChange::Removed);
    FreeSlot(slot);
    m_order.erase(m_order.begin() + static_cast<std::ptrdiff_t>(position));
    for (size_t i = position; i < m_order.size(); ++i) {
        m_positions[m_order[i].Slot()] = static_cast<uint32_t>(i);
    }
}

void ShapeList::Clear() {
    for (const ShapeRef& entry : m_order) {
        entry.m_shape->~CShape();
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
