#include "core/sample/FrameRange.h"

#include "core/sample/SampleBuffer.h"

uint32_t EffectiveSelector(const SampleBuffer& sample, uint32_t selector) {
    return sample.FormatRef().IsStereo() && (selector == kLeftChannel || selector == kRightChannel)
               ? selector
               : kBothChannels;
}

bool ResolveFrames(const SampleBuffer& sample, uint32_t& first, uint32_t& last) {
    const uint32_t frames = sample.GetFrameCount();
    if (frames == 0 || !sample.HasBlock())
        return false;
    if (first == 0xFFFFFFFFu && last == 0xFFFFFFFFu) {
        first = 0;
        last = frames - 1;
    }
    if (last >= frames)
        last = frames - 1;
    return first <= last;
}

ByteWalk WalkFrames(const SampleBuffer& sample, uint32_t first, uint32_t last, uint32_t selector) {
    ByteWalk walk;
    walk.valueBytes = sample.GetBytesPerValue();
    if (!ResolveFrames(sample, first, last))
        return walk;
    const size_t bytesPerFrame = sample.GetBytesPerFrame();
    selector = EffectiveSelector(sample, selector);
    walk.begin = size_t{first} * bytesPerFrame + (selector == kRightChannel ? walk.valueBytes : 0);
    walk.end = (size_t{last} + 1) * bytesPerFrame;
    walk.step = selector == kBothChannels ? walk.valueBytes : 2 * walk.valueBytes;
    return walk;
}
