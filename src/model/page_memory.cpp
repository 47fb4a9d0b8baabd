#include "model/page_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <vector>

namespace marquetta {
namespace {

// Kept blocks, at most about what a drawing of a million shapes takes.
constexpr size_t kKeptBytesMax = size_t{384} << 20;

size_t RoundUp(size_t bytes) {
    return (bytes + kBigPage - 1) / kBigPage * kBigPage;
}

struct KeptBlock {
    void* block;
    size_t size;
};
struct Kept {
    std::vector<KeptBlock> blocks;
    size_t bytes = 0;
};
Kept& KeptBlocks() {
    static Kept kept;
    return kept;
}

}  // namespace

void* AllocateBigBlock(size_t bytes) {
    const size_t size = RoundUp(bytes);
    Kept& kept = KeptBlocks();
    for (size_t i = kept.blocks.size(); i-- > 0;) {
        if (kept.blocks[i].size == size) {
            void* block = kept.blocks[i].block;
            kept.blocks.erase(kept.blocks.begin() + static_cast<std::ptrdiff_t>(i));
            kept.bytes -= size;
            return block;
        }
    }
    // Mapped with a big page to spare, then trimmed to an aligned block.
    void* raw = ::mmap(nullptr, size + kBigPage, PROT_READ | PROT_WRITE,
                       MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        throw std::bad_alloc();
    }
    const auto start = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (start + kBigPage - 1) / kBigPage * kBigPage;
    if (aligned > start) {
        ::munmap(raw, aligned - start);
    }
    const uintptr_t end = start + size + kBigPage;
    if (end > aligned + size) {
        ::munmap(reinterpret_cast<void*>(aligned + size), end - (aligned + size));
    }
    void* block = reinterpret_cast<void*>(aligned);
    ::madvise(block, size, MADV_HUGEPAGE);
    return block;
}

void FreeBigBlock(void* block, size_t bytes) {
    if (block == nullptr) {
        return;
    }
    const size_t size = RoundUp(bytes);
    Kept& kept = KeptBlocks();
    if (kept.bytes + size <= kKeptBytesMax) {
        kept.blocks.push_back({block, size});
        kept.bytes += size;
    } else {
        ::munmap(block, size);
    }
}

void AdviseBigPages(void* data, size_t bytes) {
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (start + kBigPage - 1) / kBigPage * kBigPage;
    const uintptr_t last = (start + bytes) / kBigPage * kBigPage;
    if (last > first) {
        ::madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
    }
}

}  // namespace marquetta
