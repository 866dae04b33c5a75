#include <gtest/gtest.h>

#include "core/effects/Convert.h"
#include "core/effects/SampleRatePresets.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "core/settings/MemorySettingsStore.h"
#include "support/SampleMaker.h"

namespace {

TEST(ConvertTest, LayoutsConvertBothWaysInPlace) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({-3, 0, -300, -300, 32767, 32767}));
    ASSERT_TRUE(ConvertLayout(messages, sample, kLayoutStereo16, kLayoutMono16));
    EXPECT_EQ(Values16(sample), (std::vector<int>{-1, -300, 32767}));
    ASSERT_TRUE(ConvertLayout(messages, sample, kLayoutMono16, kLayoutMono8));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x7F, 0x7E, 0xFF}));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(22050, false, false));
    ASSERT_TRUE(
        ConvertLayout(messages, sample, kLayoutMono8, kLayoutStereo16));  // grows four times
    EXPECT_EQ(Values16(sample), (std::vector<int>{-256, -256, -512, -512, 32512, 32512}));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(22050, true, true));
    // Equal sizes in both directions.
    SetBytes(sample, kLayoutStereo8, {0x80, 0x80, 0xFF, 0x01});
    ASSERT_TRUE(ConvertLayout(messages, sample, kLayoutStereo8, kLayoutMono16));
    EXPECT_EQ(Values16(sample), (std::vector<int>{0, 0}));  // (255 + 1) * 128 ^ 0x8000
    ASSERT_TRUE(ConvertLayout(messages, sample, kLayoutMono16, kLayoutStereo8));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0x80, 0x80, 0x80, 0x80}));
}

TEST(ConvertTest, DoublingTheRateInterpolates) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({0, 101, -101, 7}), 11025);
    ASSERT_TRUE(Resample(messages, sample, 11025, 22050));
    EXPECT_EQ(Values16(sample), (std::vector<int>{0, 50, 101, 0, -101, -47, 7, 7}));
    SetBytes(sample, kLayoutStereo8, {0, 255, 3, 0}, 11025);
    ASSERT_TRUE(Resample(messages, sample, 11025, 22050));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0, 255, 1, 127, 3, 0, 3, 0}));
}

TEST(ConvertTest, HalvingTheRateKeepsEverySecondFrame) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({1, -1, 2, -2, 3, -3, 4, -4, 5, -5}), 22050);
    ASSERT_TRUE(Resample(messages, sample, 22050, 11025));
    EXPECT_EQ(Values16(sample), (std::vector<int>{1, -1, 3, -3, 0}));
    EXPECT_EQ(sample.GetByteLength(), 10u);
    EXPECT_EQ(sample.GetFrameCount(), 2u);  // 2.5 frames of bytes: the half frame is silence
}

// A 16-bit mono ramp of `frames` frames at `rate`: frame k holds k * 100.
void SetRamp(SampleBuffer& sample, uint32_t frames, uint32_t rate) {
    std::vector<uint8_t> bytes;
    for (uint32_t k = 0; k < frames; ++k) {
        const auto value = static_cast<uint16_t>(k * 100);
        bytes.push_back(static_cast<uint8_t>(value & 0xFF));
        bytes.push_back(static_cast<uint8_t>(value >> 8));
    }
    SetBytes(sample, kLayoutMono16, bytes, rate);
}

TEST(ConvertTest, SoundsAboveTheHighestTargetRateConvertDown) {
    struct Case {
        uint32_t target;
        uint32_t frames;
        std::vector<int> first;
    };
    // 96 frames at 96000 Hz. Output frame i reads input position i * 96000 / target; the ramp
    // makes the interpolated value that position times 100, truncated toward zero.
    const Case cases[] = {
        {44100, 44, {0, 217, 435, 653, 870, 1088}},    // 192 * 44100 / 96000 = 88.2 bytes
        {8000, 8, {0, 1200, 2400, 3600, 4800, 6000}},  // every 12th frame
    };
    for (const Case& c : cases) {
        RecordingMessageSink messages;
        SampleBuffer sample;
        SetRamp(sample, 96, 96000);
        ASSERT_TRUE(ChangeFormat(messages, sample, SampleFormat(c.target, false, true)))
            << c.target;
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_EQ(sample.FormatRef(), SampleFormat(c.target, false, true));
        EXPECT_EQ(sample.GetFrameCount(), c.frames) << c.target;
        std::vector<int> values = Values16(sample);
        values.resize(c.first.size());
        EXPECT_EQ(values, c.first) << c.target;
    }
}

TEST(ConvertTest, ChangeFormatRefusesRatesItCannotHold) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {1, 2, 3}, 8000);
    for (uint32_t rate : {0u, 50001u, 96000u}) {
        EXPECT_FALSE(ChangeFormat(messages, sample, SampleFormat(rate, true, true)));
    }
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, false));
    ASSERT_EQ(messages.Texts().size(), 3u);
    EXPECT_EQ(messages.Texts()[0], kBadRateMessage);
    ASSERT_TRUE(ChangeFormat(messages, sample, SampleFormat(16000, true, true)));
    EXPECT_EQ(sample.GetFrameCount(), 6u);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(16000, true, true));
    SampleBuffer empty;
    EXPECT_TRUE(ChangeFormat(messages, empty, SampleFormat(44100, true, true)));
    EXPECT_EQ(empty.FormatRef(), SampleFormat(44100, true, true));
}

TEST(ConvertTest, GrowthThatCannotBeHadLeavesTheSoundAlone) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, std::vector<uint8_t>(100, 9), 8000);
    SampleHeap::Instance().SetLimitForTesting(150);
    EXPECT_FALSE(ConvertLayout(messages, sample, kLayoutMono8, kLayoutStereo16));
    EXPECT_FALSE(Resample(messages, sample, 8000, 16000));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(Bytes(sample), std::vector<uint8_t>(100, 9));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, false));
    EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"Error manipulating memory!",
                                                          "Error manipulating memory!"}));
}

class SampleRatePresetsTest : public ::testing::Test {
protected:
    MemorySettingsStore store;
};

TEST_F(SampleRatePresetsTest, SaveFindLoadDelete) {
    SampleRatePresets presets(store);
    EXPECT_FALSE(presets.First().has_value());
    presets.Frequency = 44100;
    presets.Channels = 2;
    presets.Bits = 16;
    ASSERT_TRUE(presets.Save("CD"));
    presets.Frequency = 8000;
    presets.Channels = 1;
    presets.Bits = 8;
    ASSERT_TRUE(presets.Save("Phone"));
    EXPECT_FALSE(presets.Save("a\\b"));
    EXPECT_EQ(presets.Find(44100, 2, 16), "CD");
    EXPECT_FALSE(presets.Find(44100, 2, 8).has_value());
    const auto bytes = store.GetValue(std::string(SampleRatePresets::kKey) + "\\CD", "Frequency");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->type, SettingsValueType::None);
    EXPECT_EQ(bytes->bytes, (std::vector<uint8_t>{0x44, 0xAC, 0, 0}));

    SampleRatePresets other(store);
    EXPECT_EQ(other.First(), "CD");
    EXPECT_EQ(other.Next(), "Phone");
    EXPECT_FALSE(other.Next().has_value());
    ASSERT_TRUE(other.Load("phone"));
    EXPECT_EQ(other.Frequency, 8000u);
    other.Frequency = 11025;
    ASSERT_TRUE(other.Save("Phone"));  // overwrites
    ASSERT_TRUE(presets.Load("Phone"));
    EXPECT_EQ(presets.Frequency, 11025u);
    EXPECT_TRUE(presets.Delete("CD"));
    EXPECT_FALSE(presets.Load("CD"));
    EXPECT_FALSE(presets.Delete("CD"));
    // A preset missing one value is not applied.
    store.DeleteValue(std::string(SampleRatePresets::kKey) + "\\Phone", "Bits");
    EXPECT_FALSE(presets.Load("Phone"));
}

}  // namespace
