#include "effects/Reverse.h"

#include <utility>

#include "effects/EffectRange.h"
#include "sample/SampleBuffer.h"

namespace {

// Swaps the values at a and b, stepping inward by `step` bytes while b is beyond a.
template <size_t ValueBytes>
void SwapInward(uint8_t* data, size_t a, size_t b, size_t step) {
    while (b > a) {
        for (size_t i = 0; i < ValueBytes; ++i) std::swap(data[a + i], data[b + i]);
        a += step;
        b -= step;
    }
}

}  // namespace

bool Reverse(SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel) {
    const ByteWalk walk =
        WalkFrames(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end), channel);
    if (walk.Empty()) return true;
    uint8_t* data = sample.Data();
    const size_t bytesPerFrame = sample.GetBytesPerFrame();
    // b is the first byte of the last frame (plus the channel offset of the walk).
    const size_t a = walk.begin;
    const size_t b = walk.end - bytesPerFrame + (a % bytesPerFrame);
    const bool oneChannel = walk.step != walk.valueBytes;
    const bool stereo = sample.FormatRef().IsStereo();
    auto reverse = [&](size_t from, size_t to) {
        const size_t step = stereo ? 2 * walk.valueBytes : walk.valueBytes;
        walk.valueBytes == 2 ? SwapInward<2>(data, from, to, step)
                             : SwapInward<1>(data, from, to, step);
    };
    reverse(a, b);
    if (stereo && !oneChannel) reverse(a + walk.valueBytes, b + walk.valueBytes);
    return true;
}
