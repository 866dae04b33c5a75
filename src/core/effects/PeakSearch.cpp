#include "core/effects/PeakSearch.h"

#include <algorithm>

#include "core/sample/FrameConversion.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

namespace {

// The height of one value: an 8-bit value's distance from 127 (either side), a 16-bit value
// itself (only positive values count).
// In the values' own width, so that a block's highest value is found 16 or 8 at a time.
template <size_t ValueBytes>
inline auto Height(const uint8_t* p) {
    if constexpr (ValueBytes == 1) {
        return static_cast<uint8_t>(p[0] < 128 ? 127 - p[0] : p[0] - 127);
    } else {
        return frames::Load16(p);
    }
}

// The walk in blocks: a block's highest value is found in a loop without a branch (vector code);
// only a block that beats the peak so far is walked again for the first place of its highest
// value. So the first frame holding the sound's peak is found, as one walk would find it.
template <size_t ValueBytes, size_t Step>
size_t FindPeak(const uint8_t* data, size_t begin, size_t end) {
    constexpr size_t kBlock = 4096;
    size_t peakAt = 0;
    int peak = 0;
    for (size_t block = begin; block < end; block += kBlock * Step) {
        const size_t stop = std::min(end, block + kBlock * Step);
        const size_t count = (stop - block + Step - 1) / Step;
        const uint8_t* p = data + block;
        decltype(Height<ValueBytes>(p)) high = 0;
        for (size_t i = 0; i < count; ++i) high = std::max(high, Height<ValueBytes>(p + i * Step));
        if (high <= peak)
            continue;
        size_t i = 0;
        while (Height<ValueBytes>(p + i * Step) != high) ++i;
        peak = high;
        peakAt = block + i * Step;
    }
    return peak == 0 ? SIZE_MAX : peakAt;
}

}  // namespace

uint32_t PeakSearch(const SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel) {
    const ByteWalk walk =
        WalkFrames(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end), channel);
    const uint8_t* data = sample.Data();
    size_t peakAt = SIZE_MAX;
    if (walk.Empty()) {
        peakAt = SIZE_MAX;
    } else if (walk.valueBytes == 1) {
        peakAt = walk.step == 1   ? FindPeak<1, 1>(data, walk.begin, walk.end)
                 : walk.step == 2 ? FindPeak<1, 2>(data, walk.begin, walk.end)
                                  : FindPeak<1, 4>(data, walk.begin, walk.end);
    } else {
        peakAt = walk.step == 2 ? FindPeak<2, 2>(data, walk.begin, walk.end)
                                : FindPeak<2, 4>(data, walk.begin, walk.end);
    }
    return peakAt == SIZE_MAX ? 0 : static_cast<uint32_t>(peakAt / sample.GetBytesPerFrame());
}
