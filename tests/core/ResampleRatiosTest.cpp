#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/effects/Convert.h"
#include "core/messages/RecordingMessageSink.h"
#include "support/SampleMaker.h"

namespace {

// Resampling as the plain definition has it, one value at a time: output frame i lies at input
// position i * oldRate / newRate, between frame k and the next (the last frame is its own next),
// and takes a + (b - a) * fraction truncated toward zero. Trailing bytes of a partial frame are
// silence.
std::vector<uint8_t> Definition(const std::vector<uint8_t>& in, uint32_t layout, uint32_t oldRate,
                                uint32_t newRate) {
    const SampleFormat format = FormatOfLayout(oldRate, layout);
    const size_t valueBytes = format.Is16Bit() ? 2 : 1;
    const size_t channels = format.IsStereo() ? 2 : 1;
    const size_t frameBytes = valueBytes * channels;
    const size_t last = in.size() / frameBytes - 1;
    const auto length = static_cast<size_t>(double(newRate) / double(oldRate) * double(in.size()));
    std::vector<uint8_t> out(length, format.Is16Bit() ? 0 : 0x80);
    auto value = [&](size_t frame, size_t c) {
        const uint8_t* p = &in[frame * frameBytes + c * valueBytes];
        return valueBytes == 2 ? int(int16_t(p[0] | p[1] << 8)) : int(p[0]);
    };
    for (size_t i = 0; i < length / frameBytes; ++i) {
        const double pos = double(i) * (double(oldRate) / double(newRate));
        const size_t k = std::min(static_cast<size_t>(pos), last);
        const double fraction = pos - std::floor(pos);
        for (size_t c = 0; c < channels; ++c) {
            const int a = value(k, c);
            const int v = static_cast<int>((value(std::min(k + 1, last), c) - a) * fraction + a);
            for (size_t b = 0; b < valueBytes; ++b)
                out[i * frameBytes + c * valueBytes + b] = static_cast<uint8_t>(v >> (8 * b));
        }
    }
    return out;
}

// Every layout, rates a power of two apart (which have integer runs of their own) and others,
// lengths across several runs and with a partial frame at the end.
TEST(ResampleRatiosTest, EveryRatioGivesTheDefinitionsBytes) {
    std::mt19937 random(5);
    const std::pair<uint32_t, uint32_t> rates[] = {{11025, 22050}, {11025, 44100}, {22050, 11025},
                                                   {44100, 11025}, {48000, 6000},  {6000, 48000},
                                                   {44100, 48000}, {48000, 44100}};
    for (uint32_t layout : {kLayoutMono8, kLayoutStereo8, kLayoutMono16, kLayoutStereo16}) {
        for (auto [from, to] : rates) {
            for (size_t size : {size_t{7}, size_t{4099}, size_t{9000}}) {
                SCOPED_TRACE(testing::Message()
                             << layout << ": " << from << " -> " << to << ", " << size << " bytes");
                std::vector<uint8_t> bytes(size);
                for (auto& b : bytes) b = static_cast<uint8_t>(random());
                RecordingMessageSink messages;
                SampleBuffer sample;
                SetBytes(sample, layout, bytes, from);
                ASSERT_TRUE(Resample(messages, sample, from, to));
                EXPECT_EQ(Bytes(sample), Definition(bytes, layout, from, to));
            }
        }
    }
}

}  // namespace
