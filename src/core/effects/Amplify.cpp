#include "core/effects/Amplify.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "core/effects/ApplyTable.h"
#include "core/sample/FrameRange.h"
#include "core/sample/SampleBuffer.h"

namespace {

// Clamps to the sample range; a value that is not a number (an infinite gain times silence)
// becomes silence rather than an undefined conversion.
template <typename T>
T Clamp(T v, T low, T high) {
    if (v != v)
        return T(0);
    return v < low ? low : (v > high ? high : v);
}

// Magnitude of an 8-bit sample as the peak measures it: 0 gives 127, 127 gives 0, 255 gives 128.
int Magnitude8(uint8_t b) {
    return b < 128 ? 127 - b : b - 127;
}

ByteWalk WalkSigned(const SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel) {
    return WalkFrames(sample, static_cast<uint32_t>(start), static_cast<uint32_t>(end), channel);
}

}  // namespace

void Amplify(SampleBuffer& sample, float factor, uint32_t start, uint32_t end, uint32_t channel) {
    const ByteWalk walk = WalkFrames(sample, start, end, channel);
    if (walk.Empty())
        return;
    if (walk.valueBytes == 1) {
        std::array<uint8_t, 256> table{};
        for (int b = 0; b < 256; ++b) {
            float v = static_cast<float>(static_cast<int8_t>(b ^ 0x80)) * factor;
            v = Clamp(v, -128.0f, 127.0f);
            table[static_cast<size_t>(b)] = static_cast<uint8_t>(static_cast<int>(v) ^ 0x80);
        }
        ApplyTable8(sample, table, start, end, channel);
        return;
    }
    std::vector<int16_t> table(65536);
    for (int s = -32768; s <= 32767; ++s) {
        const float v = Clamp(static_cast<float>(s) * factor, -32768.0f, 32767.0f);
        table[static_cast<uint16_t>(s)] = static_cast<int16_t>(v);
    }
    ApplyTable16(sample, table, start, end, channel);
}

float PeakGain(const SampleBuffer& sample, int32_t start, int32_t end, uint32_t channel) {
    const ByteWalk walk = WalkSigned(sample, start, end, channel);
    const uint8_t* data = sample.Data();
    if (walk.valueBytes == 1) {
        int peak = 0;
        for (size_t at = walk.begin; at < walk.end; at += walk.step) {
            peak = std::max(peak, Magnitude8(data[at]));
        }
        if (peak == 128)
            peak = 127;
        return peak == 0 ? 1.0f : 127.0f / static_cast<float>(peak);
    }
    int32_t peak = 0;
    for (size_t at = walk.begin; at < walk.end; at += walk.step) {
        const auto s = static_cast<int16_t>(static_cast<uint16_t>(data[at] | (data[at + 1] << 8)));
        peak = std::max(peak, std::abs(int32_t{s}));
    }
    return peak == 0 ? 1.0f : 32768.0f / static_cast<float>(peak);
}

void AdjustDcBias(SampleBuffer& sample, float percent, uint32_t channel) {
    const ByteWalk walk = WalkFrames(sample, 0xFFFFFFFFu, 0xFFFFFFFFu, channel);
    if (walk.Empty())
        return;
    const uint8_t* data = sample.Data();
    const bool eightBit = walk.valueBytes == 1;
    // Every counted value, by its stored pattern. Walking with the selector counts exactly the
    // values a stereo reading of every frame would count (a mono frame's one value once, which
    // leaves the mean as it would be counted twice).
    std::vector<uint32_t> histogram(eightBit ? 256 : 65536, 0);
    uint64_t counted = 0;
    for (size_t at = walk.begin; at < walk.end; at += walk.step, ++counted) {
        ++histogram[eightBit ? data[at] : static_cast<uint16_t>(data[at] | (data[at + 1] << 8))];
    }
    double sum = 0.0;
    for (size_t v = 0; v < histogram.size(); ++v) {
        const double value = eightBit ? static_cast<double>(static_cast<int>(v) - 128)
                                      : static_cast<double>(static_cast<int16_t>(v));
        sum += static_cast<double>(histogram[v]) * value;
    }
    const double mean = sum / static_cast<double>(counted);
    const double offset = mean + percent * (eightBit ? 127.0 : 32767.0) * 0.01;
    if (eightBit) {
        std::array<uint8_t, 256> table{};
        for (int b = 0; b < 256; ++b) {
            const double v = Clamp((b - 128) - offset, -128.0, 127.0);
            table[static_cast<size_t>(b)] = static_cast<uint8_t>(static_cast<int>(v) ^ 0x80);
        }
        ApplyTable8(sample, table, 0xFFFFFFFFu, 0xFFFFFFFFu, channel);
        return;
    }
    std::vector<int16_t> table(65536);
    for (int s = -32768; s <= 32767; ++s) {
        table[static_cast<uint16_t>(s)] =
            static_cast<int16_t>(Clamp(s - offset, -32768.0, 32767.0));
    }
    ApplyTable16(sample, table, 0xFFFFFFFFu, 0xFFFFFFFFu, channel);
}
