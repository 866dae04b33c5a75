#include <gtest/gtest.h>

#include "core/effects/ChangeSign.h"
#include "core/effects/PeakSearch.h"
#include "core/effects/Reverse.h"
#include "core/effects/ULaw.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "support/SampleMaker.h"

namespace {

TEST(ReverseTest, FramesAndChannels) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono8, {1, 2, 3, 4});
    Reverse(sample, -1, -1, 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{4, 3, 2, 1}));
    Reverse(sample, 2, 2, 0);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{4, 3, 2, 1}));
    SetBytes(sample, kLayoutStereo16, Le16({10, 20, 11, 21, 12, 22}));
    Reverse(sample, 0, 2, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{12, 22, 11, 21, 10, 20}));
    Reverse(sample, 0, 2, 2);
    EXPECT_EQ(Values16(sample), (std::vector<int>{12, 20, 11, 21, 10, 22}));
    SetBytes(sample, kLayoutStereo8, {1, 5, 2, 6, 3, 7, 4, 8});
    Reverse(sample, 1, 50, 1);  // past the end: clipped
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 5, 4, 6, 3, 7, 2, 8}));
    // 16-bit values move as wholes.
    SetBytes(sample, kLayoutMono16, Le16({0x0102, 0x0304}));
    Reverse(sample, -1, -1, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{0x0304, 0x0102}));
}

TEST(ChangeSignTest, EveryByteOfTheRange) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutStereo16, Le16({0, 0, 0x7F01, 0}));
    ChangeSign(sample, 1, 1, 1);  // both channels whatever the selector
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{0, 0, 0, 0, 0x81, 0xFF, 0x80, 0x80}));
    ChangeSign(sample, 1, 1, 0);
    EXPECT_EQ(Values16(sample), (std::vector<int>{0, 0, 0x7F01, 0}));
}

TEST(PeakSearchTest, FirstLoudestWins) {
    SampleBuffer sample;
    SetBytes(sample, kLayoutMono16, Le16({-30000, 100, 200, 200}));
    EXPECT_EQ(PeakSearch(sample, -1, -1, 0), 2u);
    SetBytes(sample, kLayoutMono16, Le16({-30000, -5}));
    EXPECT_EQ(PeakSearch(sample, -1, -1, 0), 0u);  // nothing above 0
    SetBytes(sample, kLayoutMono8, {0x80, 0x00, 0xFF});
    EXPECT_EQ(PeakSearch(sample, -1, -1, 0), 2u);
    SetBytes(sample, kLayoutStereo8, {0x80, 0xF0, 0xF0, 0x7F});
    EXPECT_EQ(PeakSearch(sample, -1, -1, 1), 1u);
    EXPECT_EQ(PeakSearch(sample, -1, -1, 2), 0u);
    EXPECT_EQ(PeakSearch(sample, 1, 1, 2), 0u);  // silence in the range
}

TEST(ULawTest, CodecValues) {
    EXPECT_EQ(ULawExpand(0x00), -32124);
    EXPECT_EQ(ULawExpand(0x80), 32124);
    EXPECT_EQ(ULawExpand(0x7F), 0);
    EXPECT_EQ(ULawExpand(0xFF), 0);
    EXPECT_EQ(ULawCompress(0), 0xFF);
    EXPECT_EQ(ULawCompress(-32768), 0x00);
    EXPECT_EQ(ULawCompress(32767), 0x80);
    EXPECT_EQ(ULawCompress(3), 0xFF);  // the two lowest bits are dropped
    // Every code survives expansion and compression again.
    for (int code = 0; code < 256; ++code) {
        if (code == 0x7F)
            continue;  // negative zero comes back as positive zero
        EXPECT_EQ(ULawCompress(ULawExpand(static_cast<uint8_t>(code))), code) << code;
    }
}

TEST(ULawTest, DecodeAndEncodeWholeSounds) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    std::vector<uint8_t> codes(1000);
    for (size_t i = 0; i < codes.size(); ++i) codes[i] = static_cast<uint8_t>(i * 7);
    SetBytes(sample, kLayoutStereo8, codes, 8000);
    ASSERT_TRUE(DecodeULaw(messages, sample));
    EXPECT_EQ(sample.GetByteLength(), 2000u);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, true, true));
    EXPECT_EQ(Values16(sample)[1], ULawExpand(7));
    EncodeULaw(sample);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, true, false));
    std::vector<uint8_t> expected = codes;
    for (auto& c : expected) c = c == 0x7F ? 0xFF : c;
    EXPECT_EQ(Bytes(sample), expected);
    EncodeULaw(sample);  // 8-bit: left alone
    EXPECT_EQ(sample.GetByteLength(), 1000u);

    SampleHeap::Instance().SetLimitForTesting(1500);
    EXPECT_FALSE(DecodeULaw(messages, sample));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(sample.GetByteLength(), 1000u);
    EXPECT_FALSE(sample.FormatRef().Is16Bit());
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error manipulating memory!"});
}

}  // namespace
