#include <gtest/gtest.h>

#include <algorithm>

#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"

namespace {

// Fills a buffer of the given layout with raw bytes.
void Fill(SampleBuffer& buffer, uint32_t layout, std::initializer_list<uint8_t> bytes) {
    buffer.SetFormat(FormatOfLayout(22050, layout));
    ASSERT_TRUE(buffer.ResizeBytes(static_cast<uint32_t>(bytes.size())));
    std::copy(bytes.begin(), bytes.end(), buffer.Data());
}

FrameValue Get(const SampleBuffer& buffer, uint32_t layout) {
    FrameValue value;
    value.slot[0] = value.slot[1] = 0x5A5A;  // untouched slots stay recognisable
    buffer.GetFrame(0, layout, value);
    return value;
}

}  // namespace

TEST(SampleFormatTest, DescribesAndClampsLikeTheDialogsShowIt) {
    SampleFormat format;
    EXPECT_EQ(format.Describe(), "22050 Hz 8-Bit Mono");
    EXPECT_EQ(SampleFormat(44100, true, true).Describe(), "44100 Hz 16-Bit Stereo");
    format.SetFrequency(60000);
    EXPECT_EQ(format.GetFrequency(), 50000u);
    format.SetFrequency(0);
    EXPECT_EQ(format.GetFrequency(), 0u);
    format.SetBits(12);
    format.SetChannels(3);
    EXPECT_FALSE(format.Is16Bit());
    EXPECT_FALSE(format.IsStereo());
    format.SetBits(16);
    format.SetChannels(2);
    EXPECT_EQ(format.GetLayoutCode(), uint32_t{kLayoutStereo16});
    EXPECT_EQ(format.GetBytesPerFrame(), 4u);
}

TEST(SampleBufferTest, FrameCountTruncatesPartialFrames) {
    SampleBuffer buffer;
    buffer.SetFormat(44100, true, true);
    ASSERT_TRUE(buffer.ResizeBytes(10));
    EXPECT_EQ(buffer.GetFrameCount(), 2u);
    buffer.SetFormat(44100, false, true);
    ASSERT_TRUE(buffer.ResizeBytes(7));
    EXPECT_EQ(buffer.GetFrameCount(), 3u);
    // The three-value SetFormat keeps rates above 50000 as given.
    buffer.SetFormat(96000, false, false);
    EXPECT_EQ(buffer.GetFrequency(), 96000u);
}

TEST(SampleBufferTest, WidensAndNarrowsEightBitValues) {
    SampleBuffer buffer;
    for (auto [b, expected] : {std::pair<uint8_t, int16_t>{128, 0}, {255, 32512}, {0, -32768}}) {
        Fill(buffer, kLayoutMono8, {b});
        EXPECT_EQ(Get(buffer, kLayoutMono16).slot[0], expected) << int{b};
        const FrameValue stereo = Get(buffer, kLayoutStereo16);
        EXPECT_EQ(stereo.slot[0], expected);
        EXPECT_EQ(stereo.slot[1], expected);
        const FrameValue same = Get(buffer, kLayoutStereo8);
        EXPECT_EQ(same.Byte(0), b);
        EXPECT_EQ(same.Byte(1), b);
    }
}

TEST(SampleBufferTest, MixesStereoDownWithTruncation) {
    SampleBuffer buffer;
    // 16-bit stereo to mono 8: the mean truncates toward zero before the high byte is taken.
    Fill(buffer, kLayoutStereo16, {0x00, 0x80, 0x00, 0x80});  // -32768, -32768
    EXPECT_EQ(Get(buffer, kLayoutMono8).Byte(0), 0);
    Fill(buffer, kLayoutStereo16, {0xFF, 0x7F, 0xFF, 0x7F});  // 32767, 32767
    EXPECT_EQ(Get(buffer, kLayoutMono8).Byte(0), 255);
    Fill(buffer, kLayoutStereo16, {0xFF, 0xFF, 0x00, 0x00});  // -1, 0: mean 0, not -1
    EXPECT_EQ(Get(buffer, kLayoutMono8).Byte(0), 128);
    EXPECT_EQ(Get(buffer, kLayoutMono16).slot[0], 0);
    Fill(buffer, kLayoutStereo16, {0xFD, 0xFF, 0x00, 0x00});  // -3, 0: mean -1
    EXPECT_EQ(Get(buffer, kLayoutMono16).slot[0], -1);
    // 8-bit stereo: unsigned mean, and the 16-bit mono value from the sum.
    Fill(buffer, kLayoutStereo8, {255, 0});
    EXPECT_EQ(Get(buffer, kLayoutMono8).Byte(0), 127);
    EXPECT_EQ(Get(buffer, kLayoutMono16).slot[0], -128);
    // 16-bit mono to 8-bit keeps the high byte.
    Fill(buffer, kLayoutMono16, {0xFF, 0x7F});
    EXPECT_EQ(Get(buffer, kLayoutStereo8).Byte(1), 255);
}

TEST(SampleBufferTest, GetFrameIgnoresBadIndexAndLayout) {
    SampleBuffer buffer;
    Fill(buffer, kLayoutMono8, {1, 2});
    FrameValue value;
    value.slot[0] = 77;
    buffer.GetFrame(2, kLayoutMono8, value);
    buffer.GetFrame(0, 7, value);
    EXPECT_EQ(value.slot[0], 77);
    // Mono results write slot 0 only.
    value.slot[1] = 99;
    buffer.GetFrame(1, kLayoutMono16, value);
    EXPECT_EQ(value.slot[1], 99);
}

TEST(SampleBufferTest, SetFrameWritesOwnLayout) {
    SampleBuffer buffer;
    Fill(buffer, kLayoutStereo16, {0, 0, 0, 0, 0, 0, 0, 0});
    FrameValue value;
    value.slot[0] = -2;
    value.slot[1] = 0x1234;
    buffer.SetFrame(1, value);
    const uint8_t* d = buffer.Data();
    EXPECT_EQ(d[4], 0xFE);
    EXPECT_EQ(d[5], 0xFF);
    EXPECT_EQ(d[6], 0x34);
    EXPECT_EQ(d[7], 0x12);
    Fill(buffer, kLayoutStereo8, {0, 0});
    value.SetByte(0, 200);
    value.SetByte(1, 7);
    buffer.SetFrame(0, value);
    EXPECT_EQ(buffer.Data()[0], 200);
    EXPECT_EQ(buffer.Data()[1], 7);
}

TEST(SampleBufferTest, ResizeKeepsContentsAndReportsRefusal) {
    SampleBuffer buffer;
    EXPECT_TRUE(buffer.ResizeFrames(0));
    EXPECT_EQ(buffer.GetByteLength(), 0u);
    EXPECT_TRUE(buffer.HasBlock());
    buffer.SetFormat(8000, true, true);
    ASSERT_TRUE(buffer.ResizeFrames(2));
    EXPECT_EQ(buffer.GetByteLength(), 8u);
    for (int i = 0; i < 8; ++i) buffer.Data()[i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(buffer.ResizeFrames(1000));
    for (int i = 0; i < 8; ++i) EXPECT_EQ(buffer.Data()[i], i);
    SampleHeap::Instance().SetLimitForTesting(1000);
    EXPECT_FALSE(buffer.ResizeFrames(1000));
    EXPECT_EQ(buffer.GetByteLength(), 4000u);  // set before the block was asked for
    SampleHeap::Instance().ClearLimitForTesting();
}

TEST(SampleBufferTest, InformationStrings) {
    SampleBuffer buffer;
    std::string text = "x";
    EXPECT_TRUE(buffer.GetInfo(kInfoName, text));
    EXPECT_EQ(text, "");
    EXPECT_TRUE(buffer.SetInfo(kInfoArtist, "Someone"));
    EXPECT_EQ(buffer.Info(kInfoArtist), "Someone");
    EXPECT_FALSE(buffer.SetInfo(6, "out of range"));
}

TEST(SampleHeapTest, ResizingKeepsTheBytesAcrossEverySize) {
    // Small blocks, the step from malloc to a mapping of its own and back, and large growth that
    // the kernel may have to move.
    constexpr size_t kMiB = size_t{1} << 20;
    const size_t sizes[] = {100, 900 * 1024, 3 * kMiB / 2, 40 * kMiB, 8 * kMiB, 2048, 0, 5 * kMiB};
    SampleHeap& heap = SampleHeap::Instance();
    uint8_t* block = heap.Allocate(16);
    ASSERT_NE(block, nullptr);
    size_t held = 0;
    for (size_t size : sizes) {
        uint8_t* grown = heap.Reallocate(block, size);
        ASSERT_NE(grown, nullptr) << size;
        // Huge pages stay lined up with the block when a large block moves.
        if (SampleHeap::kMapsLargeBlocks && held >= kMiB && size >= kMiB) {
            EXPECT_EQ(reinterpret_cast<uintptr_t>(grown) % (2 * kMiB),
                      reinterpret_cast<uintptr_t>(block) % (2 * kMiB));
        }
        block = grown;
        for (size_t i = 0; i < std::min(held, size); i += 4093)
            ASSERT_EQ(block[i], static_cast<uint8_t>(i * 7 + 1)) << held << " -> " << size;
        for (size_t i = 0; i < size; ++i) block[i] = static_cast<uint8_t>(i * 7 + 1);
        held = size;
    }
    heap.Free(block);
    heap.Free(nullptr);
}
