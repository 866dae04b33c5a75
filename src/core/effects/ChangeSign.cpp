#include "effects/ChangeSign.h"

#include "effects/EffectRange.h"
#include "sample/SampleBuffer.h"

bool ChangeSign(SampleBuffer& sample, int32_t start, int32_t end, uint32_t /*channel*/) {
    const ByteWalk walk =
        WalkFrames(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end), kBothChannels);
    uint8_t* data = sample.Data();
    for (size_t at = walk.begin; at < walk.end; ++at) data[at] ^= 0x80;
    return true;
}
