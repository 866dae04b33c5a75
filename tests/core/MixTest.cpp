#include <gtest/gtest.h>

#include <vector>

#include "core/effects/Mix.h"
#include "support/SampleMaker.h"

namespace {

std::vector<uint8_t> Mixed(std::vector<MixInput> inputs, uint32_t length, SampleBuffer& output) {
    EXPECT_TRUE(MixInto(output, inputs, length));
    return Bytes(output);
}

TEST(MixTest, AveragesAroundTheMidpoint) {
    SampleBuffer a, b, output;
    SetBytes(a, kLayoutMono8, {200, 10, 0, 255, 128});
    SetBytes(b, kLayoutMono8, {100, 20, 0, 255});
    SetBytes(output, kLayoutMono8, {9});

    // One input at 0 is copied unchanged.
    EXPECT_EQ(Mixed({{&a, 0, 5, 0}}, 5, output), (std::vector<uint8_t>{200, 10, 0, 255, 128}));
    // Two inputs: each (v - 127) / 2 truncated toward zero: 36 - 13 + 127 = 150; -58 - 53 + 127
    // = 16; -63 - 63 + 127 = 1; 64 + 64 + 127 = 255; past b's end only a counts: 0 + 127.
    EXPECT_EQ(Mixed({{&a, 0, 5, 0}, {&b, 0, 4, 0}}, 5, output),
              (std::vector<uint8_t>{150, 16, 1, 255, 127}));
    // Blocks placed later, from a later first frame, and a time line longer than both: frames
    // no block covers hold 127, and a block is cut where the mix ends.
    EXPECT_EQ(Mixed({{&a, 1, 2, 1}, {&b, 0, 4, 4}}, 6, output),
              (std::vector<uint8_t>{127, 69, 64, 127, 114, 74}));
    // An input without a source is skipped and does not count in the division.
    EXPECT_EQ(Mixed({{nullptr, 0, 3, 0}, {&a, 0, 2, 0}}, 3, output),
              (std::vector<uint8_t>{200, 10, 127}));
    // No inputs at all: the midpoint throughout.
    EXPECT_EQ(Mixed({}, 3, output), (std::vector<uint8_t>{127, 127, 127}));
}

TEST(MixTest, ReadsAnyFormatAndWritesTheOutputsOwn) {
    SampleBuffer stereo16, stereo8, output;
    // Stereo 16-bit: the mean of both channels, then its high byte XOR 0x80.
    SetBytes(stereo16, kLayoutStereo16, Le16({0x4000, 0x2000, -0x8000, -0x8000}));
    // Stereo 8-bit: the mean of both channels.
    SetBytes(stereo8, kLayoutStereo8, {100, 200, 0, 2});
    SetBytes(output, kLayoutMono8, {});
    EXPECT_EQ(Mixed({{&stereo16, 0, 2, 0}}, 2, output), (std::vector<uint8_t>{0xB0, 0x00}));
    EXPECT_EQ(Mixed({{&stereo8, 0, 2, 0}}, 2, output), (std::vector<uint8_t>{150, 1}));

    // A 16-bit stereo output gets the 8-bit value widened into both channels.
    SampleBuffer wide;
    SetBytes(wide, kLayoutStereo16, Le16({1, 2}));
    ASSERT_TRUE(MixInto(wide, std::vector<MixInput>{{&stereo8, 0, 2, 1}}, 3));
    EXPECT_EQ(Values16(wide),
              (std::vector<int>{-0x0100, -0x0100, 0x1600, 0x1600, -0x7F00, -0x7F00}));
}

TEST(MixTest, TheOutputMayBeAnInputAndASourceMayHaveShrunk) {
    SampleBuffer output, a;
    SetBytes(output, kLayoutMono8, {10, 20, 30});
    // The output shifted right by two frames: its old frames, not the ones just written.
    EXPECT_EQ(Mixed({{&output, 0, 3, 2}}, 5, output), (std::vector<uint8_t>{127, 127, 10, 20, 30}));
    // A strip still claims 4 frames of a source that now holds 2.
    SetBytes(a, kLayoutMono8, {1, 2});
    EXPECT_EQ(Mixed({{&a, 0, 4, 0}}, 4, output), (std::vector<uint8_t>{1, 2, 127, 127}));
    // Empty mix.
    EXPECT_EQ(Mixed({{&a, 0, 2, 0}}, 0, output), (std::vector<uint8_t>{}));
}

TEST(MixTest, LongMixCrossesRunBoundaries) {
    const uint32_t frames = 10000;
    std::vector<uint8_t> ramp(frames);
    for (uint32_t i = 0; i < frames; ++i) ramp[i] = static_cast<uint8_t>(i * 7);
    SampleBuffer a, output;
    SetBytes(a, kLayoutMono8, ramp);
    const std::vector<uint8_t> out = Mixed({{&a, 0, frames, 5000}}, 15000, output);
    ASSERT_EQ(out.size(), 15000u);
    for (uint32_t n = 0; n < 15000; ++n) {
        const uint8_t expected = n < 5000 ? 127 : ramp[n - 5000];
        ASSERT_EQ(out[n], expected) << n;
    }
}

TEST(MixTest, RefusesAMixPastTheSizeOfABlock) {
    SampleBuffer output, a;
    SetBytes(output, kLayoutStereo16, Le16({5, 6}));
    SetBytes(a, kLayoutMono8, {1});
    EXPECT_FALSE(MixInto(output, std::vector<MixInput>{{&a, 0, 1, 0}}, 0x40000000u));
    EXPECT_EQ(Values16(output), (std::vector<int>{5, 6}));
}

}  // namespace
