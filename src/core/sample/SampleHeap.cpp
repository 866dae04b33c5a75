#include "sample/SampleHeap.h"

#include <cstdlib>

SampleHeap& SampleHeap::Instance() {
    static SampleHeap heap;
    return heap;
}

uint8_t* SampleHeap::Allocate(size_t size) {
    if (size > m_limit) {
        return nullptr;
    }
    return static_cast<uint8_t*>(std::malloc(size == 0 ? 1 : size));
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
