// Format conversion: layouts against the frame reading of SampleBuffer, rates against the plain
// definition of linear interpolation (the real code works in vectorised runs), and the presets.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "core/effects/Convert.h"
#include "core/effects/SampleRatePresets.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "core/settings/MemorySettingsStore.h"
#include "support/SampleMaker.h"

namespace {

constexpr uint32_t kLayouts[] = {kLayoutMono8, kLayoutStereo8, kLayoutMono16, kLayoutStereo16};

std::vector<uint8_t> RandomBytes(size_t size, std::mt19937& random) {
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
}

// The frames of `sample` as `layout` stores them, read one at a time.
std::vector<uint8_t> FramesAs(const SampleBuffer& sample, uint32_t layout) {
    const SampleFormat format = FormatOfLayout(1, layout);
    std::vector<uint8_t> out;
    for (uint32_t f = 0; f < sample.GetFrameCount(); ++f) {
        FrameValue value;
        sample.GetFrame(f, layout, value);
        for (int c = 0; c < static_cast<int>(format.GetChannels()); ++c) {
            out.push_back(format.Is16Bit() ? static_cast<uint8_t>(value.slot[c]) : value.Byte(c));
            if (format.Is16Bit())
                out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(value.slot[c]) >> 8));
        }
    }
    return out;
}

TEST(ConvertTest, EveryLayoutPairConvertsInPlaceAsEachFrameReads) {
    std::mt19937 random(9);
    RecordingMessageSink messages;
    for (uint32_t from : kLayouts) {
        for (uint32_t to : kLayouts) {
            SampleBuffer sample;  // several runs of frames
            SetBytes(sample, from, RandomBytes(4 * 5000, random), 11025);
            const std::vector<uint8_t> expected = FramesAs(sample, to);
            ASSERT_TRUE(ConvertLayout(messages, sample, from, to));
            EXPECT_EQ(sample.FormatRef(), FormatOfLayout(11025, to));
            EXPECT_EQ(Bytes(sample), expected) << from << " -> " << to;
        }
    }
    EXPECT_TRUE(messages.Shown().empty());
}

// Resampling as the plain definition has it, one value at a time: output frame i lies at input
// position i * oldRate / newRate, between frame k and the next (the last frame is its own next),
// and takes a + (b - a) * fraction truncated toward zero. Trailing bytes of a partial frame are
// silence.
std::vector<uint8_t> Definition(const std::vector<uint8_t>& in, uint32_t layout, uint32_t oldRate,
                                uint32_t newRate) {
    const SampleFormat format = FormatOfLayout(oldRate, layout);
    const size_t valueBytes = format.GetBytesPerValue(), channels = format.GetChannels();
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

// Rates a power of two apart (which have integer runs of their own) and others, lengths across
// several runs and with a partial frame at the end.
TEST(ConvertTest, EveryRatioGivesTheDefinitionsBytes) {
    std::mt19937 random(5);
    const std::pair<uint32_t, uint32_t> rates[] = {{11025, 22050}, {11025, 44100}, {22050, 11025},
                                                   {44100, 11025}, {48000, 6000},  {6000, 48000},
                                                   {44100, 48000}, {48000, 44100}};
    RecordingMessageSink messages;
    for (uint32_t layout : kLayouts) {
        for (auto [from, to] : rates) {
            for (size_t size : {size_t{7}, size_t{4099}, size_t{9000}}) {
                const std::vector<uint8_t> bytes = RandomBytes(size, random);
                SampleBuffer sample;
                SetBytes(sample, layout, bytes, from);
                ASSERT_TRUE(Resample(messages, sample, from, to));
                EXPECT_EQ(Bytes(sample), Definition(bytes, layout, from, to))
                    << layout << ": " << from << " -> " << to << ", " << size << " bytes";
            }
        }
    }
    // Halving keeps every second frame; 2.5 frames of bytes leave a half frame of silence.
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({1, -1, 2, -2, 3, -3, 4, -4, 5, -5}), 22050);
    ASSERT_TRUE(Resample(messages, sample, 22050, 11025));
    EXPECT_EQ(Values16(sample), (std::vector<int>{1, -1, 3, -3, 0}));
}

TEST(ConvertTest, ChangeFormatConvertsDownFromRatesItCannotHold) {
    // A 16-bit mono ramp of 96 frames at 96000 Hz, frame k holding k * 100: output frame i reads
    // position i * 96000 / target, so its value is that position times 100, truncated.
    std::vector<uint8_t> ramp;
    for (int k = 0; k < 96; ++k) ramp.insert(ramp.end(), {uint8_t(k * 100), uint8_t(k * 100 >> 8)});
    const std::tuple<uint32_t, uint32_t, std::vector<int>> cases[] = {
        {44100, 44, {0, 217, 435, 653, 870, 1088}},  // 192 * 44100 / 96000 = 88.2 bytes
        {8000, 8, {0, 1200, 2400, 3600, 4800, 6000}},
    };
    for (const auto& [target, frames, first] : cases) {
        RecordingMessageSink messages;
        SampleBuffer sample;
        SetBytes(sample, kLayoutMono16, ramp, 96000);
        ASSERT_TRUE(ChangeFormat(messages, sample, SampleFormat(target, false, true))) << target;
        EXPECT_TRUE(messages.Texts().empty());
        EXPECT_EQ(sample.FormatRef(), SampleFormat(target, false, true));
        EXPECT_EQ(sample.GetFrameCount(), frames) << target;
        std::vector<int> values = Values16(sample);
        values.resize(first.size());
        EXPECT_EQ(values, first) << target;
    }
}

TEST(ConvertTest, RefusalsLeaveTheSoundAsItWas) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {1, 2, 3}, 8000);
    for (uint32_t rate : {0u, 50001u, 96000u})
        EXPECT_FALSE(ChangeFormat(messages, sample, SampleFormat(rate, true, true))) << rate;
    EXPECT_EQ(messages.Texts(), std::vector<std::string>(3, kBadRateMessage));
    SetBytes(sample, kLayoutMono8, std::vector<uint8_t>(100, 9), 8000);
    SampleHeap::Instance().SetLimitForTesting(150);
    EXPECT_FALSE(ConvertLayout(messages, sample, kLayoutMono8, kLayoutStereo16));
    EXPECT_FALSE(Resample(messages, sample, 8000, 16000));
    EXPECT_FALSE(ChangeFormat(messages, sample, SampleFormat(8000, true, false)));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(Bytes(sample), std::vector<uint8_t>(100, 9));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, false, false));
    EXPECT_EQ(messages.Texts().back(), "Error manipulating memory!");
    // Both at once: the rate doubles and the layout widens.
    ASSERT_TRUE(ChangeFormat(messages, sample, SampleFormat(16000, true, true)));
    EXPECT_EQ(sample.GetFrameCount(), 200u);
    SampleBuffer empty;
    EXPECT_TRUE(ChangeFormat(messages, empty, SampleFormat(44100, true, true)));
    EXPECT_EQ(empty.FormatRef(), SampleFormat(44100, true, true));
}

TEST(SampleRatePresetsTest, SaveFindLoadDelete) {
    MemorySettingsStore store;
    SampleRatePresets presets(store);
    EXPECT_FALSE(presets.First().has_value());
    auto save = [&](const char* name, uint32_t frequency, uint32_t channels, uint32_t bits) {
        presets.Frequency = frequency, presets.Channels = channels, presets.Bits = bits;
        return presets.Save(name);
    };
    ASSERT_TRUE(save("CD", 44100, 2, 16));
    ASSERT_TRUE(save("Studio", 96000, 2, 16));
    ASSERT_TRUE(save("Phone", 8000, 1, 8));
    EXPECT_FALSE(save("a\\b", 1, 1, 8));
    EXPECT_FALSE(save("", 1, 1, 8));
    EXPECT_EQ(presets.Find(96000, 2, 16), "Studio");
    EXPECT_FALSE(presets.Find(44100, 2, 8).has_value());
    // Each value is four little-endian bytes of no declared type.
    const auto bytes =
        store.GetValue(std::string(SampleRatePresets::kKey) + "\\Studio", "Frequency");
    ASSERT_TRUE(bytes.has_value());
    EXPECT_EQ(bytes->type, SettingsValueType::None);
    EXPECT_EQ(bytes->bytes, (std::vector<uint8_t>{0x00, 0x77, 0x01, 0x00}));

    SampleRatePresets other(store);
    EXPECT_EQ(other.First(), "CD");
    EXPECT_EQ(other.Next(), "Phone");
    EXPECT_EQ(other.Next(), "Studio");
    EXPECT_FALSE(other.Next().has_value());
    ASSERT_TRUE(other.Load("studio"));
    EXPECT_EQ(other.Frequency, 96000u);
    EXPECT_TRUE(presets.Delete("CD"));
    EXPECT_FALSE(presets.Load("CD"));
    EXPECT_FALSE(presets.Delete("CD"));
    EXPECT_FALSE(presets.Delete(""));
    // A preset missing one value, or holding a value of the wrong size, is not applied.
    store.DeleteValue(std::string(SampleRatePresets::kKey) + "\\Phone", "Bits");
    EXPECT_FALSE(presets.Load("Phone"));
    EXPECT_FALSE(presets.Find(8000, 1, 8).has_value());
    store.SetBytes(std::string(SampleRatePresets::kKey) + "\\Studio", "Bits", {16, 0});
    EXPECT_FALSE(presets.Load("Studio"));
}

}  // namespace
