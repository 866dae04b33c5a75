#include "core/effects/ChangeSign.h"

#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

bool ChangeSign(SampleBuffer& sample, int32_t start, int32_t end, uint32_t /*channel*/) {
    const FrameChangeNote note(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end));
    const ByteWalk walk =
        WalkFrames(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end), kBothChannels);
    // Plain locals, so the compiler knows the bytes cannot alias the bounds and vectorises.
    uint8_t* const begin = sample.Data() + walk.begin;
    const size_t count = walk.Empty() ? 0 : walk.end - walk.begin;
    for (size_t i = 0; i < count; ++i) begin[i] ^= 0x80;
    return true;
}
