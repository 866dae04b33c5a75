#include "core/sample/SampleHeap.h"

#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace {

// Every block starts this far into its allocation; the header in front says how it was had.
// 64 bytes keep the samples on a cache line boundary.
constexpr size_t kHeaderBytes = 64;
// Blocks from this size on are mappings of their own: mremap grows and shrinks them by moving
// page table entries, never by copying the samples, and the pages stay where they are.
constexpr size_t kMapThreshold = SampleHeap::kMapsLargeBlocks ? size_t{1} << 20 : SIZE_MAX;
constexpr size_t kHugePage = size_t{2} << 20;

struct BlockHeader {
    size_t mapped;  // bytes of the mapping, 0 for a block from malloc
};
static_assert(sizeof(BlockHeader) <= kHeaderBytes);

BlockHeader* HeaderOf(uint8_t* block) {
    return reinterpret_cast<BlockHeader*>(block - kHeaderBytes);
}

size_t PageSize() {
    static const auto page = static_cast<size_t>(::sysconf(_SC_PAGESIZE));
    return page;
}

size_t MappedBytes(size_t size) {
    const size_t page = PageSize();
    return (size + kHeaderBytes + page - 1) & ~(page - 1);
}

// Large sounds are touched page by page when they are first filled; asking for huge pages cuts
// the number of those faults by 512, which is most of the time it takes to load a big file. The
// advice is given again after every mremap, so a block keeps it however often it grows.
void PreferHugePages(void* mapping, size_t bytes) {
    if (bytes >= 2 * kHugePage)
        ::madvise(mapping, bytes, MADV_HUGEPAGE);
}

// Address space of `bytes` starting on a huge page boundary, with `protection`; the slack of
// the larger reservation it is cut from is given back.
void* MapAligned(size_t bytes, int protection) {
    const size_t reserved = bytes + kHugePage;
    void* raw = ::mmap(nullptr, reserved, protection, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED)
        return nullptr;
    const auto begin = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (begin + kHugePage - 1) & ~(kHugePage - 1);
    if (aligned > begin)
        ::munmap(raw, aligned - begin);
    const uintptr_t end = begin + reserved;
    if (end > aligned + bytes)
        ::munmap(reinterpret_cast<void*>(aligned + bytes), end - (aligned + bytes));
    return reinterpret_cast<void*>(aligned);
}

uint8_t* Map(size_t size) {
    const size_t bytes = MappedBytes(size);
    void* mapping = MapAligned(bytes, PROT_READ | PROT_WRITE);
    if (mapping == nullptr)
        return nullptr;
    PreferHugePages(mapping, bytes);
    auto* header = static_cast<BlockHeader*>(mapping);
    header->mapped = bytes;
    return static_cast<uint8_t*>(mapping) + kHeaderBytes;
}

uint8_t* FromMalloc(void* raw) {
    if (raw == nullptr)
        return nullptr;
    static_cast<BlockHeader*>(raw)->mapped = 0;
    return static_cast<uint8_t*>(raw) + kHeaderBytes;
}

// Grows or shrinks a mapped block where it is, or else moves its pages to a new place that
// starts on a huge page boundary like the old one. A move to any other place would split every
// huge page of the block, and the memmove that follows a paste would then crawl over 4 KB pages.
uint8_t* Remap(uint8_t* block, size_t size) {
    BlockHeader* header = HeaderOf(block);
    const size_t bytes = MappedBytes(size);
    if (bytes == header->mapped)
        return block;
    void* mapping = ::mremap(header, header->mapped, bytes, 0);
    if (mapping == MAP_FAILED) {
        void* target = MapAligned(bytes, PROT_NONE);
        if (target == nullptr)
            return nullptr;
        mapping = ::mremap(header, header->mapped, bytes, MREMAP_MAYMOVE | MREMAP_FIXED, target);
        if (mapping == MAP_FAILED) {
            ::munmap(target, bytes);
            return nullptr;
        }
    }
    PreferHugePages(mapping, bytes);
    static_cast<BlockHeader*>(mapping)->mapped = bytes;
    return static_cast<uint8_t*>(mapping) + kHeaderBytes;
}

}  // namespace

SampleHeap& SampleHeap::Instance() {
    static SampleHeap heap;
    return heap;
}

uint8_t* SampleHeap::Allocate(size_t size) {
    if (size > m_limit)
        return nullptr;
    if (size + kHeaderBytes >= kMapThreshold)
        return Map(size);
    return FromMalloc(std::malloc(size + kHeaderBytes));
}

uint8_t* SampleHeap::Reallocate(uint8_t* block, size_t size) {
    if (size > m_limit)
        return nullptr;
    if (block == nullptr)
        return Allocate(size);
    BlockHeader* header = HeaderOf(block);
    if (header->mapped != 0)
        return Remap(block, size);
    if (size + kHeaderBytes < kMapThreshold)
        return FromMalloc(std::realloc(header, size + kHeaderBytes));
    // A small block that becomes large moves once into a mapping of its own (under a megabyte).
    uint8_t* grown = Map(size);
    if (grown == nullptr)
        return nullptr;
    const size_t held = ::malloc_usable_size(header) - kHeaderBytes;
    std::memcpy(grown, block, held < size ? held : size);
    std::free(header);
    return grown;
}

void SampleHeap::PreferHugePagesFor(void* bytes, size_t size) {
    const auto begin = (reinterpret_cast<uintptr_t>(bytes) + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(bytes) + size) & ~(kHugePage - 1);
    if (end > begin)
        PreferHugePages(reinterpret_cast<void*>(begin), end - begin);
}

void SampleHeap::Free(uint8_t* block) {
    if (block == nullptr)
        return;
    BlockHeader* header = HeaderOf(block);
    if (header->mapped != 0) {
        ::munmap(header, header->mapped);
    } else {
        std::free(header);
    }
}
