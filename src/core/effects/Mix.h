#pragma once

#include <cstdint>
#include <span>

class SampleBuffer;

// One input of a mix: `length` frames of `source` from frame `first` on, placed on the mix's
// time line at frame `mixStart`. An input without a source takes no part.
struct MixInput {
    const SampleBuffer* source = nullptr;
    uint32_t first = 0;
    uint32_t length = 0;
    uint32_t mixStart = 0;
};

// The midpoint the mix is built around (one below 8-bit silence).
inline constexpr int kMixMidpoint = 127;

// Makes `output` `mixLength` frames long, in its own format, and fills it with the average of
// the inputs: each frame is 127 plus the sum over the inputs covering it of (value - 127) / k,
// values read as unsigned 8-bit mono, k the number of inputs with a source, each division
// truncated toward zero. An input covers the frames from its mix start for its length (or up
// to its source's end, should the source have become shorter); frames no input covers hold 127.
// The 8-bit result is stored in the output's format (widened for 16 bits, doubled for stereo).
// An input may be the output itself: it is read as it was before the mix. False, with the
// output unchanged, when its block cannot take mixLength frames.
bool MixInto(SampleBuffer& output, std::span<const MixInput> inputs, uint32_t mixLength);
