#include "effects/ApplyTable.h"

#include "effects/EffectRange.h"
#include "sample/SampleBuffer.h"

void ApplyTable8(SampleBuffer& sample, const std::array<uint8_t, 256>& table, uint32_t start,
                 uint32_t end, uint32_t channel) {
    const ByteWalk walk = WalkFrames(sample, start, end, channel);
    uint8_t* data = sample.Data();
    if (walk.valueBytes != 1) return;
    for (size_t at = walk.begin; at < walk.end; at += walk.step) data[at] = table[data[at]];
}

void ApplyTable16(SampleBuffer& sample, const std::vector<int16_t>& table, uint32_t start,
                  uint32_t end, uint32_t channel) {
    const ByteWalk walk = WalkFrames(sample, start, end, channel);
    uint8_t* data = sample.Data();
    if (walk.valueBytes != 2 || table.size() != 65536) return;
    // Walks start on a value and end on a frame boundary, so both bytes are inside the block.
    for (size_t at = walk.begin; at < walk.end; at += walk.step) {
        const auto u = static_cast<uint16_t>(data[at] | (data[at + 1] << 8));
        const auto v = static_cast<uint16_t>(table[u]);
        data[at] = static_cast<uint8_t>(v);
        data[at + 1] = static_cast<uint8_t>(v >> 8);
    }
}
