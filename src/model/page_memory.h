// Memory for the large buffers of a big drawing (the shapes' blocks, the list's arrays,
// the wireframe, the pick index), asked of the system so that it may be backed by huge
// pages. Touching fresh memory costs a page fault per 4 KiB page, and on virtual
// machines each fault is dear: a million shapes touch some hundred thousand pages, a
// 2 MiB page stands for 512 of them.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace marquetta {

// The size of a huge page, and of the blocks below.
inline constexpr size_t kBigPage = size_t{2} << 20;

// A block of `bytes` rounded up to whole big pages, aligned to a big page, holding
// anything. Throws std::bad_alloc.
void* AllocateBigBlock(size_t bytes);
// Blocks are kept, up to a bound, for the next drawing (or the next growth of an
// array of the same size): memory the process has touched once costs no fault and no
// clearing when it is used again.
void FreeBigBlock(void* block, size_t bytes);

// Asks for huge pages under the whole big pages inside [data, data + bytes): for a
// buffer that is about to be filled.
void AdviseBigPages(void* data, size_t bytes);

// Allocates from big blocks from 1 MiB up, from the heap below.
template <class T>
struct BigAllocator {
    using value_type = T;
    static constexpr size_t kThreshold = size_t{1} << 20;

    BigAllocator() = default;
    template <class U>
    BigAllocator(const BigAllocator<U>&) {}

    T* allocate(size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes >= kThreshold) {
            return static_cast<T*>(AllocateBigBlock(bytes));
        }
        return static_cast<T*>(::operator new(bytes));
    }
    void deallocate(T* p, size_t n) {
        const size_t bytes = n * sizeof(T);
        if (bytes >= kThreshold) {
            FreeBigBlock(p, bytes);
        } else {
            ::operator delete(p);
        }
    }
    template <class U>
    bool operator==(const BigAllocator<U>&) const {
        return true;
    }
};

template <class T>
using BigVector = std::vector<T, BigAllocator<T>>;

}  // namespace marquetta
