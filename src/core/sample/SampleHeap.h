#pragma once

#include <cstddef>
#include <cstdint>

// The process-wide heap that holds every sample block and recording buffer. Small blocks sit on
// malloc; a block of a megabyte or more is a mapping of its own, grown and shrunk with mremap,
// so an edit that changes a large sound's length never copies the samples it does not move and
// never holds the sound twice. Large mappings ask for huge pages, again after every resize.
// Blocks are freed only here. All use is on the user-interface thread; no lock is taken.
class SampleHeap {
public:
    static SampleHeap& Instance();

    // Under AddressSanitizer every block comes from malloc instead, so that the sanitizer watches
    // the edges of large sounds too; the mappings are exercised by the plain builds.
#if defined(__SANITIZE_ADDRESS__)
    static constexpr bool kMapsLargeBlocks = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    static constexpr bool kMapsLargeBlocks = false;
#else
    static constexpr bool kMapsLargeBlocks = true;
#endif
#else
    static constexpr bool kMapsLargeBlocks = true;
#endif

    // nullptr when the memory cannot be had. A zero-sized request still returns a block, so
    // that "holds a block" and "has bytes" stay two separate facts.
    uint8_t* Allocate(size_t size);
    // Keeps the contents up to the smaller size; on failure the old block is untouched.
    uint8_t* Reallocate(uint8_t* block, size_t size);
    void Free(uint8_t* block);
    // Asks for huge pages under the whole huge pages of bytes that are not yet touched, so that
    // filling a large block of another allocator (a clipboard block) faults 2 MB at a time.
    static void PreferHugePagesFor(void* bytes, size_t size);

    // Tests refuse requests above this many bytes to reach the out-of-memory paths.
    void SetLimitForTesting(size_t maxBlockBytes) {
        m_limit = maxBlockBytes;
    }
    void ClearLimitForTesting() {
        m_limit = SIZE_MAX;
    }

private:
    SampleHeap() = default;
    size_t m_limit = SIZE_MAX;
};
