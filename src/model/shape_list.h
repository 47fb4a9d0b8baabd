// The drawing list: the document's shapes in list order. Shapes live in blocks of
// slots that never move, so a reference to a shape stays valid until that shape is
// removed, and a million shapes cost no allocation each; the order is an array of
// entries. Every change made through the list is written to a journal, from which the
// pick index and the wireframe learn what changed without walking the whole drawing.
// Shapes can also be taken out of the list and kept, at their addresses, with the
// places they held (DetachedShapes), to be put back exactly where they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "model/page_memory.h"
#include "model/shape.h"

namespace marquetta {

// One entry of the list. It hands its shape out as the owning pointer the list once
// held did (`->`, `*`, `get()`), but the list owns the shape.
class ShapeRef {
  public:
    ShapeRef() = default;
    CShape* get() const { return m_shape; }
    CShape& operator*() const { return *m_shape; }
    CShape* operator->() const { return m_shape; }
    explicit operator bool() const { return m_shape != nullptr; }
    // The slot the shape occupies: fixed for the shape's life, reused after it.
    uint32_t Slot() const;

  private:
    friend class ShapeList;
    explicit ShapeRef(CShape* shape) : m_shape(shape) {}
    CShape* m_shape = nullptr;
};

// Shapes live in blocks of one big page; the number of its first slot is kept in the
// block's last bytes, which no shape fills.
inline constexpr uint32_t kShapesPerBlock = static_cast<uint32_t>(kBigPage / sizeof(CShape));
static_assert(kBigPage - kShapesPerBlock * sizeof(CShape) >= sizeof(uint32_t));

// The slot of a shape that lives in a block of a list.
inline uint32_t SlotAtAddress(const CShape* shape) {
    const auto address = reinterpret_cast<uintptr_t>(shape);
    const uintptr_t block = address & ~uintptr_t{kBigPage - 1};
    uint32_t first;
    std::memcpy(&first, reinterpret_cast<const void*>(block + kBigPage - sizeof first), sizeof first);
    return first + static_cast<uint32_t>((address - block) / sizeof(CShape));
}

inline uint32_t ShapeRef::Slot() const { return SlotAtAddress(m_shape); }

class ShapeList;

// `count` shapes in a row from place `first` (0 = head of the list).
struct ShapeRun {
    size_t first = 0;
    size_t count = 0;
    bool operator==(const ShapeRun&) const = default;
};

// Shapes out of the drawing list and the runs of places they held in it, ascending and
// apart. The shapes stay in their slots, at their addresses, while they are out; they
// are destroyed with this (unless put back first). The list they came from must
// outlive this, or be cleared first (which destroys them).
class DetachedShapes {
  public:
    std::vector<ShapeRun> runs;

    DetachedShapes() = default;
    ~DetachedShapes() { Release(); }
    DetachedShapes(DetachedShapes&& other) noexcept { *this = std::move(other); }
    DetachedShapes& operator=(DetachedShapes&& other) noexcept;
    DetachedShapes(const DetachedShapes&) = delete;
    DetachedShapes& operator=(const DetachedShapes&) = delete;

    size_t Count() const {
        size_t n = 0;
        for (const ShapeRun& run : runs) {
            n += run.count;
        }
        return n;
    }
    // Adds place `index` behind the last run (a place after every place held so far).
    void AddPlace(size_t index) {
        if (!runs.empty() && runs.back().first + runs.back().count == index) {
            ++runs.back().count;
        } else {
            runs.push_back({index, 1});
        }
    }
    // The shapes held, in list order: empty until the list has taken them out.
    const std::vector<CShape*>& Shapes() const { return m_shapes; }

  private:
    friend class ShapeList;
    void Release();

    ShapeList* m_list = nullptr;
    uint64_t m_storage = 0;  // the list's storage the shapes live in
    std::vector<CShape*> m_shapes;
};

// One change in the journal.
struct ShapeChange {
    enum Kind : uint8_t {
        Added,      // appended at the tail
        Inserted,   // put before the tail: later shapes moved back one place
        Changed,    // points or layer name changed
        Selection,  // selected flag changed
        Removed,    // taken out; the slot is free (and may be reused later)
    };
    uint32_t slot;
    Kind kind;
};

class ShapeList {
  public:
    using value_type = ShapeRef;
    using size_type = size_t;
    using reference = const ShapeRef&;
    using const_reference = const ShapeRef&;

    // Counts places, so that it stays usable while shapes are appended behind it.
    class const_iterator {
      public:
        using iterator_category = std::random_access_iterator_tag;
        using value_type = ShapeRef;
        using difference_type = std::ptrdiff_t;
        using pointer = const ShapeRef*;
        using reference = const ShapeRef&;

        const_iterator() = default;
        reference operator*() const { return m_list->m_order[m_position]; }
        pointer operator->() const { return &m_list->m_order[m_position]; }
        reference operator[](difference_type n) const { return *(*this + n); }
        const_iterator& operator++() { ++m_position; return *this; }
        const_iterator operator++(int) { const_iterator old = *this; ++m_position; return old; }
        const_iterator& operator--() { --m_position; return *this; }
        const_iterator operator--(int) { const_iterator old = *this; --m_position; return old; }
        const_iterator& operator+=(difference_type n) { m_position += static_cast<size_t>(n); return *this; }
        const_iterator& operator-=(difference_type n) { m_position -= static_cast<size_t>(n); return *this; }
        friend const_iterator operator+(const_iterator it, difference_type n) { return it += n; }
        friend const_iterator operator+(difference_type n, const_iterator it) { return it += n; }
        friend const_iterator operator-(const_iterator it, difference_type n) { return it -= n; }
        friend difference_type operator-(const const_iterator& a, const const_iterator& b) {
            return static_cast<difference_type>(a.m_position) - static_cast<difference_type>(b.m_position);
        }
        friend bool operator==(const const_iterator& a, const const_iterator& b) {
            return a.m_position == b.m_position;
        }
        friend auto operator<=>(const const_iterator& a, const const_iterator& b) {
            return a.m_position <=> b.m_position;
        }
        // The place in the list, counted from the head.
        size_t Position() const { return m_position; }

      private:
        friend class ShapeList;
        const_iterator(const ShapeList* list, size_t position) : m_list(list), m_position(position) {}
        const ShapeList* m_list = nullptr;
        size_t m_position = 0;
    };
    using iterator = const_iterator;

    static constexpr uint32_t kNoPosition = UINT32_MAX;

    ShapeList();
    ~ShapeList();
    ShapeList(ShapeList&& other) noexcept;
    ShapeList& operator=(ShapeList&& other) noexcept;
    ShapeList(const ShapeList&) = delete;
    ShapeList& operator=(const ShapeList&) = delete;

    size_t size() const { return m_order.size(); }
    bool empty() const { return m_order.empty(); }
    const_iterator begin() const { return const_iterator(this, 0); }
    const_iterator end() const { return const_iterator(this, m_order.size()); }
    const ShapeRef& front() const { return m_order.front(); }
    const ShapeRef& back() const { return m_order.back(); }
    const ShapeRef& operator[](size_t position) const { return m_order[position]; }

    // Makes room for `count` shapes in all, so that appending them moves nothing.
    void Reserve(size_t count);
    // Appends a copy of `shape` at the tail.
    CShape& Append(const CShape& shape);
    // Appends an empty shape to be filled in place, for filling a list in bulk (a file
    // being read): no journal entry, the epoch changes instead, so that a reader starts
    // again from the whole list.
    CShape& AppendEmpty();
    // The same for `count` shapes at once, whose slots are handed out in `slots` to be
    // built in place: the caller must construct a CShape at every one of them before
    // the list is used again.
    void AppendUnbuilt(size_t count, std::vector<CShape*>& slots);
    // Puts a copy of `shape` at `position` (at most size()); later shapes move back.
    CShape& Insert(size_t position, const CShape& shape);
    // Destroys every shape (those detached too) and gives the memory back.
    void Clear();
    // Takes the shapes at the places `runs` name (ascending, apart, places in the list
    // as it is) out of the list, keeping them at their addresses; the journal records
    // each as removed.
    DetachedShapes Detach(std::vector<ShapeRun> runs);
    // Puts detached shapes back into the places they held (places in the list once
    // they are back); the journal records each as added, or inserted where shapes
    // that stayed follow it. `detached` holds no shapes afterwards, only its runs.
    void Reattach(DetachedShapes& detached);
    // Shapes taken out and not yet put back or destroyed.
    size_t DetachedCount() const { return m_detached; }
    // Writes a change of a shape of this list into the journal (its slot from the
    // shape's address); nothing for a shape that is not in the list.
    void NoteChange(const CShape& shape, ShapeChange::Kind kind);
    // Every shape's selected flag may have changed.
    void NoteSelectionOfAll();

    // ---- slots ----
    // Slots made so far, in use or free: every slot number is below this.
    uint32_t SlotCount() const { return static_cast<uint32_t>(m_positions.size()); }
    // The place in the list of the shape in `slot`, or kNoPosition for a free slot.
    uint32_t PositionOfSlot(uint32_t slot) const { return m_positions[slot]; }
    CShape& ShapeInSlot(uint32_t slot) const;
    // The slot of a shape of this list, or kNoPosition when it is not one of its shapes.
    uint32_t SlotOf(const CShape* shape) const;

    // ---- journal ----
    // The journal holds the changes since its epoch began. An epoch ends (and the
    // journal empties) when the list is cleared, replaced, or the journal would grow
    // beyond a quarter of the size of the list: a reader then starts again from the
    // whole list.
    // Epoch numbers are unique across all lists of the program.
    uint64_t Epoch() const { return m_epoch; }
    const BigVector<ShapeChange>& Journal() const { return m_journal; }
    // A list built whole before anyone reads it (an import) keeps no journal meanwhile:
    // every entry would be thrown away. Switching it off or on begins a new epoch, so
    // a reader starts again from the whole list. The switch belongs to the list: a
    // list moved into another leaves it behind.
    void SetJournalled(bool journalled);

    // ---- layers ----
    // A small number for the shape's layer name, the same for every shape on that
    // name; names are never forgotten, so a number keeps its meaning. Checked against
    // the shape's name each time, so a name changed behind the list's back is seen.
    uint32_t LayerKeyOf(uint32_t slot) const;
    // The name of a layer key.
    const std::string& LayerName(uint32_t key) const { return m_layerNames[key]; }
    uint32_t LayerKeyCount() const { return static_cast<uint32_t>(m_layerNames.size()); }

  private:
    friend class DetachedShapes;
    void AddChunk();  // the next block of slots
    uint32_t AllocateSlot();
    void FreeSlot(uint32_t slot);
    CShape* SlotAddress(uint32_t slot) const;
    void Record(uint32_t slot, ShapeChange::Kind kind);
    void NewEpoch();
    void ReleaseDetached(const std::vector<CShape*>& shapes);
    void RenumberFrom(size_t position);
    uint32_t InternLayer(const std::string& name) const;

    BigVector<ShapeRef> m_order;
    // Blocks of one big page each, holding the shapes of consecutive slots.
    std::vector<std::byte*> m_chunks;
    // Chunk addresses in address order with their chunk numbers, to find a shape's slot.
    std::vector<std::pair<uintptr_t, uint32_t>> m_chunksByAddress;
    BigVector<uint32_t> m_positions;  // per slot
    std::vector<uint32_t> m_freeSlots;
    BigVector<ShapeChange> m_journal;
    uint64_t m_epoch = 0;
    bool m_journalled = true;
    // Numbers the blocks: detached shapes of blocks given back are not released again.
    uint64_t m_storage = 0;
    size_t m_detached = 0;
    // Layer keys per slot (kNoPosition until asked) and the interned names.
    mutable BigVector<uint32_t> m_layerKeys;
    mutable std::vector<std::string> m_layerNames;
    mutable std::unordered_map<std::string, uint32_t> m_layerKeyMap;
};

}  // namespace marquetta
