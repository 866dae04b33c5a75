#include "core/sample/SampleHeap.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>

namespace {

// Large sounds are touched page by page when they are first filled; asking for huge pages cuts
// the number of those faults by 512, which is most of the time it takes to load a big file.
uint8_t* PreferHugePages(uint8_t* block, size_t size) {
    constexpr size_t kHuge = size_t{2} << 20;
    if (block == nullptr || size < 2 * kHuge)
        return block;
    const auto page = static_cast<uintptr_t>(::sysconf(_SC_PAGESIZE));
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + size) & ~(page - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    return block;
}

}  // namespace

SampleHeap& SampleHeap::Instance() {
    static SampleHeap heap;
    return heap;
}

uint8_t* SampleHeap::Allocate(size_t size) {
    if (size > m_limit) {
        return nullptr;
    }
    return PreferHugePages(static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size)), size);
}

uint8_t* SampleHeap::Reallocate(uint8_t* block, size_t size) {
    if (size > m_limit) {
        return nullptr;
    }
    if (block == nullptr) {
        return Allocate(size);
    }
    return static_cast<uint8_t*>(std::realloc(block, size == 0 ? 1 : size));
}

void SampleHeap::Free(uint8_t* block) {
    std::free(block);
}
