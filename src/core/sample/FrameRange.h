#pragma once

#include <cstddef>
#include <cstdint>

class SampleBuffer;

// Channel selectors of the effects: 0 every channel, 1 the left, 2 the right.
enum ChannelSelector : uint32_t { kBothChannels = 0, kLeftChannel = 1, kRightChannel = 2 };

// A frame range and channel selector turned into the bytes the effects walk: from `begin` up to
// but excluding `end`, `step` bytes at a time, each visit one sample of `valueBytes` bytes.
struct ByteWalk {
    size_t begin = 0;
    size_t end = 0;
    size_t step = 1;
    size_t valueBytes = 1;
    bool Empty() const { return begin >= end; }
};

// The walk of frames first..last (inclusive). (0xFFFFFFFF, 0xFFFFFFFF) is the whole sample; a
// last frame past the end is clipped to the last frame and a range starting past it is empty,
// so no walk ever leaves the block. A one-channel selector on a mono sample means its only
// channel.
ByteWalk WalkFrames(const SampleBuffer& sample, uint32_t first, uint32_t last, uint32_t selector);

// The selector an effect really uses: one-channel selectors only on stereo sounds.
uint32_t EffectiveSelector(const SampleBuffer& sample, uint32_t selector);

// Resolves a frame range against the sample as WalkFrames does; false when it is empty.
bool ResolveFrames(const SampleBuffer& sample, uint32_t& first, uint32_t& last);
