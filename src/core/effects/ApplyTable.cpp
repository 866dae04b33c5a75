#include "core/effects/ApplyTable.h"

#include <bit>
#include <cstring>

#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

void ApplyTable8(SampleBuffer& sample, const std::array<uint8_t, 256>& table, uint32_t start,
                 uint32_t end, uint32_t channel) {
    const FrameChangeNote note(sample, start, end);
    const ByteWalk walk = WalkFrames(sample, start, end, channel);
    uint8_t* data = sample.Data();
    if (walk.valueBytes != 1)
        return;
    if (walk.step == 1) {
        // Every byte: a plain loop the compiler unrolls.
        for (uint8_t *at = data + walk.begin, *stop = data + walk.end; at != stop; ++at) {
            *at = table[*at];
        }
        return;
    }
    for (size_t at = walk.begin; at < walk.end; at += walk.step) data[at] = table[data[at]];
}

void ApplyTable16(SampleBuffer& sample, const std::vector<int16_t>& table, uint32_t start,
                  uint32_t end, uint32_t channel) {
    const FrameChangeNote note(sample, start, end);
    const ByteWalk walk = WalkFrames(sample, start, end, channel);
    uint8_t* data = sample.Data();
    if (walk.valueBytes != 2 || table.size() != 65536)
        return;
    // Walks start on a value and end on a frame boundary, so both bytes are inside the block.
    // Samples are little-endian, as the processors we build for are: a value is one 16-bit load.
    static_assert(std::endian::native == std::endian::little);
    const int16_t* lookup = table.data();
    const size_t stop = walk.end;
    const size_t step = walk.step;
    for (size_t at = walk.begin; at < stop; at += step) {
        uint16_t u;
        std::memcpy(&u, data + at, 2);
        std::memcpy(data + at, lookup + u, 2);
    }
}
