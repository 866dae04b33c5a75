#include "core/effects/Reverse.h"

#include <cstring>

#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

namespace {

// Swaps the N-byte values at a and b, stepping inward by `step` bytes while b is beyond a.
template <size_t N>
void SwapInward(uint8_t* data, size_t a, size_t b, size_t step) {
    uint8_t first[N];
    uint8_t second[N];
    while (b > a) {
        std::memcpy(first, data + a, N);
        std::memcpy(second, data + b, N);
        std::memcpy(data + a, second, N);
        std::memcpy(data + b, first, N);
        a += step;
        b -= step;
    }
}

void SwapValues(uint8_t* data, size_t a, size_t b, size_t valueBytes, size_t step) {
    switch (valueBytes) {
        case 1:
            SwapInward<1>(data, a, b, step);
            break;
        case 2:
            SwapInward<2>(data, a, b, step);
            break;
        default:
            SwapInward<4>(data, a, b, step);
            break;
    }
}

}  // namespace

bool Reverse(SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel) {
    const FrameChangeNote note(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end));
    const ByteWalk walk =
        WalkFrames(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end), channel);
    if (walk.Empty())
        return true;
    uint8_t* data = sample.Data();
    const size_t bytesPerFrame = sample.GetBytesPerFrame();
    // b is the first byte of the last frame (plus the channel offset of the walk).
    const size_t a = walk.begin;
    const size_t b = walk.end - bytesPerFrame + (a % bytesPerFrame);
    if (walk.step == walk.valueBytes) {
        // Every channel reversed on its own keeps each frame's values together: the same as
        // reversing whole frames, which is one swap per frame.
        SwapValues(data, a, b, bytesPerFrame, bytesPerFrame);
    } else {
        SwapValues(data, a, b, walk.valueBytes, walk.step);
    }
    return true;
}
