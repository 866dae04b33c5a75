#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/effects/Amplify.h"
#include "core/effects/VolumeText.h"
#include "support/SampleMaker.h"

namespace {

TEST(AmplifyTest, EightBitClampsAroundTheXorConvention) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {0xC0, 0x40, 0x80, 0x81, 0x7F, 0x00, 0xFF});
    Amplify(sample, 2.0f, 0, 6, 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0xFF, 0x00, 0x80, 0x82, 0x7E, 0x00, 0xFF}));
    // Truncation toward zero: -1 * 0.5 is -0.5, which becomes 0 (0x80), not -1 (0x7F).
    SetBytes(sample, kLayoutMono8, {0x7F, 0x81, 0x83});
    Amplify(sample, 0.5f, 0, 2, 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0x80, 0x81}));
}

TEST(AmplifyTest, SixteenBitClampsAndTruncates) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({20000, -20000, -1, 3, -3, 32767, -32768}));
    Amplify(sample, 2.0f, 0, 6, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{32767, -32768, -2, 6, -6, 32767, -32768}));
    Amplify(sample, 0.5f, 0, 6, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{16383, -16384, -1, 3, -3, 16383, -16384}));
    const auto before = Values16(sample);
    Amplify(sample, 1.0f, 0xFFFFFFFF, 0xFFFFFFFF, 0);
    EXPECT_EQ(Values16(sample), before);
}

TEST(AmplifyTest, SelectorsTouchOnlyTheirChannelAndRange) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({100, 100, 100, 100, 100, 100, 100, 100}));
    Amplify(sample, 2.0f, 1, 2, 2);  // right channel of frames 1 and 2: byte offsets 6 and 10
    EXPECT_EQ(Values16(sample), (std::vector<int>{100, 100, 100, 200, 100, 200, 100, 100}));
    Amplify(sample, 0.0f, 3, 100, 1);  // past the end: clipped to the last frame
    EXPECT_EQ(Values16(sample), (std::vector<int>{100, 100, 100, 200, 100, 200, 0, 100}));
    SetBytes(sample, kLayoutMono8, {0xC0, 0xC0});
    Amplify(sample, 2.0f, 1, 1, 2);  // a mono sound has only one channel to select
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0xC0, 0xFF}));
    Amplify(sample, 2.0f, 5, 1, 0);  // reversed or empty ranges change nothing
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0xC0, 0xFF}));
    SampleBuffer empty;
    Amplify(empty, 2.0f, 0, 0, 0);
}

TEST(AmplifyTest, InfiniteAndUndefinedFactorsNeverLeaveTheSampleRange) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({0, 5, -5}));
    Amplify(sample, std::numeric_limits<float>::infinity(), 0, 2, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{0, 32767, -32768}));
    Amplify(sample, std::nanf(""), 0, 2, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{0, 0, 0}));
    SetBytes(sample, kLayoutMono8, {0x80, 0x90});
    Amplify(sample, VolumeFromText("1000", true) / 100, 0, 1, 0);  // a huge dB text
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0xFF}));
    AdjustDcBias(sample, std::nanf(""), 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0x80}));
}

TEST(AmplifyTest, PeakGainByWidth) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({100, -16384, 16000}));
    EXPECT_FLOAT_EQ(PeakGain(sample, -1, -1, 0), 2.0f);
    SetBytes(sample, kLayoutMono16, Le16({-32768}));
    EXPECT_FLOAT_EQ(PeakGain(sample, -1, -1, 0), 1.0f);
    SetBytes(sample, kLayoutMono8, {0x80, 0x00});  // magnitude 127
    EXPECT_FLOAT_EQ(PeakGain(sample, -1, -1, 0), 1.0f);
    SetBytes(sample, kLayoutMono8, {0xFF});  // magnitude 128 counts as 127
    EXPECT_FLOAT_EQ(PeakGain(sample, 0, 0, 0), 1.0f);
    SetBytes(sample, kLayoutMono8, {0x7F, 0x7F});  // magnitude 0: silence
    EXPECT_FLOAT_EQ(PeakGain(sample, -1, -1, 0), 1.0f);
    SetBytes(sample, kLayoutStereo8, {0x80, 0xBF, 0x80, 0x90});  // right peak magnitude 64
    EXPECT_FLOAT_EQ(PeakGain(sample, -1, -1, 2), 127.0f / 64.0f);
    EXPECT_FLOAT_EQ(PeakGain(sample, -1, -1, 1), 127.0f);
}

TEST(AmplifyTest, DcBiasRemovesTheMeanOfTheWholeSample) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, std::vector<uint8_t>(10, 130));
    AdjustDcBias(sample, 0.0f, 0);
    EXPECT_EQ(Bytes(sample), std::vector<uint8_t>(10, 128));
    // 16-bit stereo: only the left channel is measured and moved; mean 150, plus 1% of 32767.
    SetBytes(sample, kLayoutStereo16, Le16({100, 7, 200, 7}));
    AdjustDcBias(sample, 1.0f, 1);
    EXPECT_EQ(Values16(sample), (std::vector<int>{100 - 150 - 327, 7, 200 - 150 - 327, 7}));
    // The result is clamped before it is truncated.
    SetBytes(sample, kLayoutMono16, Le16({-32768, 32767, 32767}));
    AdjustDcBias(sample, -100.0f, 0);
    EXPECT_EQ(Values16(sample)[1], 32767);
}

TEST(VolumeTextTest, LeadingNumbersReadLikeTheCLibrary) {
    EXPECT_DOUBLE_EQ(LeadingNumber("  12.5abc"), 12.5);
    EXPECT_DOUBLE_EQ(LeadingNumber("-3"), -3.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("+4.0e1"), 40.0);
    EXPECT_DOUBLE_EQ(LeadingNumber(""), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("abc"), 0.0);
    EXPECT_EQ(LeadingInteger("100.9%"), 100);
    EXPECT_EQ(LeadingInteger("x"), 0);
    EXPECT_EQ(LeadingInteger("99999999999999"), 2147483647);
    EXPECT_NEAR(LeadingNumber("1e-400"), 0.0, 1e-300);  // underflow is about 0, not infinite
    EXPECT_DOUBLE_EQ(LeadingNumber("+-5"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("--5"), 0.0);
}

TEST(VolumeTextTest, PercentAndDecibels) {
    EXPECT_FLOAT_EQ(VolumeFromText("200", false), 200.0f);
    EXPECT_FLOAT_EQ(VolumeFromText("", false), 0.0f);  // an empty volume silences
    EXPECT_NEAR(VolumeFromText("6.02", true), 199.99f, 0.02f);
    EXPECT_FLOAT_EQ(VolumeFromText("junk", true), 100.0f);  // 0 dB
    EXPECT_EQ(VolumeText(150.25f, false), "150.2");
    EXPECT_EQ(VolumeText(200.0f, true), "6.02");
    EXPECT_EQ(VolumeText(50.0f, true), "-6.02");
    EXPECT_EQ(NormaliseText(100, 2.0f, false), "200.0");
    EXPECT_EQ(NormaliseText(100, 2.0f, true), "6.02");
    EXPECT_EQ(NormaliseText(80, 1.0f, false), "80.0");
}

}  // namespace
