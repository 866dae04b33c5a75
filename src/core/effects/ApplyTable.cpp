#include "core/effects/ApplyTable.h"

#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "core/sample/FrameChangeNote.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

namespace {

// Below this many bytes, building the table of byte pairs costs more than it saves.
constexpr size_t kPairTableFrom = size_t{1} << 20;

// Two bytes per lookup in a table of every byte pair (128 KB, held in the second-level cache):
// half the lookups of a byte at a time, which is what bounds this loop. Returns where it stopped
// (fewer than eight bytes before `stop`).
uint8_t* ApplyPairs(uint8_t* at, uint8_t* stop, const std::array<uint8_t, 256>& lookup) {
    std::vector<uint16_t> pairs(65536);
    for (uint32_t i = 0; i < 65536; ++i)  // the pair's two bytes, low first
        pairs[i] = static_cast<uint16_t>(lookup[i & 0xff] | lookup[i >> 8] << 8);
    const uint16_t* pair = pairs.data();
    static_assert(std::endian::native == std::endian::little);
    for (; stop - at >= 8; at += 8) {
        uint64_t in;
        std::memcpy(&in, at, 8);
        uint64_t out = 0;
        for (int p = 0; p < 4; ++p) out |= uint64_t{pair[(in >> (16 * p)) & 0xffff]} << (16 * p);
        std::memcpy(at, &out, 8);
    }
    return at;
}

}  // namespace

void ApplyTable8(SampleBuffer& sample, const std::array<uint8_t, 256>& table, uint32_t start,
                 uint32_t end, uint32_t channel) {
    const FrameChangeNote note(sample, start, end);
    const ByteWalk walk = WalkFrames(sample, start, end, channel);
    uint8_t* data = sample.Data();
    if (walk.valueBytes != 1)
        return;
    // A copy of our own: the sound's bytes cannot alias it, so a store does not make the
    // compiler read the table again.
    std::array<uint8_t, 256> lookup;
    std::memcpy(lookup.data(), table.data(), lookup.size());
    if (walk.step == 1) {
        uint8_t* const stop = data + walk.end;
        uint8_t* at = data + walk.begin;
        if (static_cast<size_t>(stop - at) >= kPairTableFrom)
            at = ApplyPairs(at, stop, lookup);
        for (; at != stop; ++at) *at = lookup[*at];
        return;
    }
    for (size_t at = walk.begin; at < walk.end; at += walk.step) data[at] = lookup[data[at]];
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
    size_t at = walk.begin;
    if (step == 2) {
        // Every value in a row: four to a load and a store, which is what bounds this loop.
        for (; stop - at >= 8; at += 8) {
            uint64_t in;
            std::memcpy(&in, data + at, 8);
            uint64_t out = 0;
            for (int v = 0; v < 4; ++v) {
                out |= uint64_t{static_cast<uint16_t>(lookup[(in >> (16 * v)) & 0xffff])}
                       << (16 * v);
            }
            std::memcpy(data + at, &out, 8);
        }
    }
    for (; at < stop; at += step) {
        uint16_t u;
        std::memcpy(&u, data + at, 2);
        std::memcpy(data + at, lookup + u, 2);
    }
}
