#pragma once

#include <cstddef>
#include <cstdint>

// The process-wide heap that holds every sample block and recording buffer. It sits on
// malloc/realloc/free, so a block grows or shrinks in place wherever the C library can do so.
// All use is on the user-interface thread; no lock is taken.
class SampleHeap {
public:
    static SampleHeap& Instance();

    // nullptr when the memory cannot be had. A zero-sized request still returns a block, so
    // that "holds a block" and "has bytes" stay two separate facts.
    uint8_t* Allocate(size_t size);
    // Keeps the contents up to the smaller size; on failure the old block is untouched.
    uint8_t* Reallocate(uint8_t* block, size_t size);
    void Free(uint8_t* block);

    // Tests refuse requests above this many bytes to reach the out-of-memory paths.
    void SetLimitForTesting(size_t maxBlockBytes) { m_limit = maxBlockBytes; }
    void ClearLimitForTesting() { m_limit = SIZE_MAX; }

private:
    SampleHeap() = default;
    size_t m_limit = SIZE_MAX;
};
