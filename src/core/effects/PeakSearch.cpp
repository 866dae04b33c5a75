#include "core/effects/PeakSearch.h"

#include "core/sample/FrameConversion.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

uint32_t PeakSearch(const SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel) {
    const ByteWalk walk =
        WalkFrames(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end), channel);
    const uint8_t* data = sample.Data();
    size_t peakAt = 0;
    int peak = 0;
    for (size_t at = walk.begin; at < walk.end; at += walk.step) {
        int value;
        if (walk.valueBytes == 1) {
            value = data[at] < 128 ? 127 - data[at] : data[at] - 127;
        } else {
            value = frames::Load16(data + at);  // only positive values count
        }
        if (value > peak) {
            peak = value;
            peakAt = at;
        }
    }
    return peak == 0 ? 0 : static_cast<uint32_t>(peakAt / sample.GetBytesPerFrame());
}
