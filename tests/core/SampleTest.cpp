// The sound in memory: its format, frame access across layouts, resizing and the block heap, and
// the peak summary checked against a plain scan of the frames.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <random>
#include <string>

#include "core/clipboard/ClipboardService.h"
#include "core/editing/SampleEditing.h"
#include "core/effects/Amplify.h"
#include "core/effects/ChangeSign.h"
#include "core/effects/Reverse.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/BlockLessee.h"
#include "core/sample/SampleHeap.h"
#include "support/SampleMaker.h"

namespace {

TEST(SampleFormatTest, DescribesAndClamps) {
    EXPECT_EQ(std::tuple(SampleFormat().Describe(), SampleFormat(44100, true, true).Describe()),
              std::tuple("22050 Hz 8-Bit Mono", "44100 Hz 16-Bit Stereo"));
    SampleFormat format;
    format.SetFrequency(60000);
    EXPECT_EQ(format.GetFrequency(), 50000u);
    SampleBuffer buffer;  // the three-value SetFormat keeps rates above 50000 as given
    buffer.SetFormat(96000, false, true);
    ASSERT_TRUE(buffer.ResizeBytes(7));
    EXPECT_EQ(std::tuple(buffer.GetFrequency(), buffer.GetFrameCount()), std::tuple(96000u, 3u));
}

// Frame 0 of `bytes` in `from`, read as `to`: each slot, or its low byte for an 8-bit `to`.
TEST(SampleBufferTest, ReadsAFrameInAnyLayout) {
    constexpr int U = 1000;  // the slot keeps what it held
    const std::tuple<uint32_t, Bytes8, uint32_t, int, int> cases[] = {
        {kLayoutMono8, {128}, kLayoutStereo16, 0, 0},
        {kLayoutMono8, {255}, kLayoutMono16, 32512, U},
        {kLayoutMono8, {0}, kLayoutStereo16, -32768, -32768},
        {kLayoutMono8, {200}, kLayoutStereo8, 200, 200},
        // Stereo to mono: the mean truncates toward zero before the high byte is taken.
        {kLayoutStereo16, Le16({-32768, -32768}), kLayoutMono8, 0, U},
        {kLayoutStereo16, Le16({32767, 32767}), kLayoutMono8, 255, U},
        {kLayoutStereo16, Le16({-1, 0}), kLayoutMono8, 128, U},
        {kLayoutStereo16, Le16({-1, 0}), kLayoutMono16, 0, U},
        {kLayoutStereo16, Le16({-3, 0}), kLayoutMono16, -1, U},
        {kLayoutStereo16, Le16({-32768, 0x7F00}), kLayoutStereo8, 0, 0xFF},
        {kLayoutStereo8, {255, 0}, kLayoutMono8, 127, U},
        {kLayoutStereo8, {255, 0}, kLayoutMono16, -128, U},
        {kLayoutStereo8, {255, 0}, kLayoutStereo16, 32512, -32768},
        {kLayoutMono16, Le16({0x7FFF}), kLayoutStereo8, 255, 255},
        {kLayoutMono8, {1}, 7, U, U},  // no such layout
    };
    for (const auto& [from, bytes, to, left, right] : cases) {
        SampleBuffer buffer;
        SetBytes(buffer, from, bytes);
        FrameValue value;
        value.slot[0] = value.slot[1] = 0x5A5A;
        buffer.GetFrame(0, to, value);
        buffer.GetFrame(1, to, value);  // past the end: nothing read
        const bool narrow = (to & 1) != 0;
        auto got = [&](int ch) { return narrow ? value.Byte(ch) : value.slot[ch]; };
        auto want = [&](int v) { return v != U ? v : narrow ? 0x5A : 0x5A5A; };
        EXPECT_EQ(std::tuple(got(0), got(1)), std::tuple(want(left), want(right)))
            << from << " -> " << to << " from " << int{bytes[0]};
    }
}

TEST(SampleBufferTest, SetFrameWritesItsOwnLayout) {
    SampleBuffer buffer;
    SetBytes(buffer, kLayoutStereo16, Bytes8(8, 0));
    FrameValue value{{-2, 0x1234}};
    buffer.SetFrame(1, value);
    EXPECT_EQ(Bytes(buffer), (Bytes8{0, 0, 0, 0, 0xFE, 0xFF, 0x34, 0x12}));
    SetBytes(buffer, kLayoutStereo8, {0, 0});
    value.SetByte(0, 200), value.SetByte(1, 7);
    buffer.SetFrame(0, value);
    EXPECT_EQ(Bytes(buffer), (Bytes8{200, 7}));
}

TEST(SampleBufferTest, ResizeKeepsContentsAndARefusalChangesNothing) {
    SampleBuffer buffer;
    EXPECT_TRUE(buffer.ResizeFrames(0));
    EXPECT_TRUE(buffer.HasBlock());  // a block of no bytes is still a block
    buffer.SetFormat(8000, true, true);
    ASSERT_TRUE(buffer.ResizeFrames(2));
    std::copy_n(RampBytes(8).begin(), 8, buffer.Data());
    ASSERT_TRUE(buffer.ResizeFrames(1000));
    EXPECT_EQ(buffer.GetByteLength(), 4000u);
    EXPECT_TRUE(std::equal(buffer.Data(), buffer.Data() + 8, RampBytes(8).begin()));
    SampleHeap::Instance().SetLimitForTesting(5000);
    EXPECT_FALSE(buffer.ResizeFrames(2000));
    EXPECT_FALSE(buffer.ResizeBytes(8000));
    // 2^30 frames of 4 bytes is 4 GiB: it must not wrap round to an empty block.
    EXPECT_FALSE(buffer.ResizeFrames(0x40000000u));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(buffer.GetByteLength(), 4000u);
    EXPECT_TRUE(std::equal(buffer.Data(), buffer.Data() + 8, RampBytes(8).begin()));
}

TEST(SampleBufferTest, AdoptingTheBlockItHoldsKeepsIt) {
    SampleBuffer buffer;
    SetBytes(buffer, kLayoutMono8, RampBytes(100));
    uint8_t* block = buffer.Data();
    buffer.AdoptBlock(block, 50);
    EXPECT_EQ(Bytes(buffer), RampBytes(50));
    // Were the block freed, the heap would hand the same memory out again at once.
    uint8_t* other = SampleHeap::Instance().Allocate(100);
    EXPECT_NE(other, block);
    SampleHeap::Instance().Free(other);
    buffer.AdoptBlock(nullptr, 50);
    EXPECT_EQ(buffer.GetByteLength(), 0u);
}

TEST(SampleBufferTest, InformationStrings) {
    SampleBuffer buffer;
    std::string text = "x";
    EXPECT_TRUE(buffer.SetInfo(kInfoArtist, "Someone") && buffer.GetInfo(kInfoArtist, text));
    EXPECT_EQ(text, "Someone");
    EXPECT_FALSE(buffer.SetInfo(kInfoCount, "x") || buffer.GetInfo(-1, text) ||
                 buffer.SetInfo(-1, "x"));
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
    heap.SetLimitForTesting(100);
    EXPECT_EQ(heap.Allocate(101), nullptr);
    heap.ClearLimitForTesting();
}

constexpr uint32_t kBlock = 65536;
constexpr uint32_t kLayouts[] = {kLayoutMono8, kLayoutStereo8, kLayoutMono16, kLayoutStereo16};

uint32_t Draw(std::mt19937& random) {
    return static_cast<uint32_t>(random());
}

// Mostly quiet bytes with rare loud ones, so that ranges differ from one place to the next.
void FillRandom(SampleBuffer& sound, uint32_t layout, uint32_t frames, std::mt19937& random) {
    sound.SetFormat(FormatOfLayout(22050, layout));
    ASSERT_TRUE(sound.ResizeFrames(frames));
    for (uint32_t i = 0; i < sound.GetByteLength(); ++i) {
        const uint32_t r = Draw(random);
        sound.Data()[i] = static_cast<uint8_t>(r % 97 == 0 ? r >> 24 : 120 + (r >> 8) % 16);
    }
}

// Ranges of the summary against the frames read one by one, on random spans and the whole.
void ExpectMatchesScan(const SampleBuffer& sound, std::mt19937& random, const std::string& step) {
    const uint32_t frames = sound.GetFrameCount();
    const PeakSummary& peaks = sound.Peaks();
    for (int probe = 0; probe < 24 && frames > 0; ++probe) {
        uint32_t first = probe == 0 ? 0 : Draw(random) % frames;
        uint32_t last = probe == 0 ? frames - 1 : probe == 1 ? first : Draw(random) % frames;
        if (first > last)
            std::swap(first, last);
        for (int channel = 0; channel < 2; ++channel) {
            PeakSummary::Range want;
            for (uint32_t f = first; f <= last; ++f) {
                FrameValue value;
                sound.GetFrame(f, kLayoutStereo8, value);
                want.lo = std::min(want.lo, value.Byte(channel));
                want.hi = std::max(want.hi, value.Byte(channel));
            }
            const PeakSummary::Range got =
                peaks.RangeOf(static_cast<uint32_t>(channel), first, last);
            ASSERT_EQ(std::tuple(got.lo, got.hi), std::tuple(want.lo, want.hi))
                << step << " ch " << channel << " " << first << ".." << last;
        }
    }
}

struct Device : BlockLessee {
    bool writes = false;
    void EndLease() override {}
    bool WritesBlock() const override { return writes; }
};

void Borrow(SampleBuffer& sound, bool writes) {
    Device device;
    device.writes = writes;
    sound.Lend(&device);
    sound.Release(&device);
}

TEST(PeakSummaryTest, RangesMatchAScanAfterRandomChanges) {
    std::mt19937 random(2024);
    MemoryClipboardService clipboard;
    RecordingMessageSink messages;
    for (uint32_t layout : kLayouts) {
        SampleBuffer sound;
        FillRandom(sound, layout, 3 * kBlock + 12345, random);
        ExpectMatchesScan(sound, random, std::to_string(layout));
        for (int step = 0; step < 40; ++step) {
            if (sound.GetFrameCount() == 0)
                FillRandom(sound, layout, kBlock + 1, random);
            const uint32_t frames = sound.GetFrameCount();
            const uint32_t a = Draw(random) % frames;
            const uint32_t b = std::min(frames - 1, a + Draw(random) % (kBlock / 2));
            const auto sel = Draw(random) % 3;
            const auto sa = static_cast<int32_t>(a), sb = static_cast<int32_t>(b);
            const int kind = static_cast<int>(Draw(random) % 8);
            FrameValue loud;
            loud.slot[0] = loud.slot[1] = (layout & 2) != 0 ? 0x7FFF : 0xFF;
            const std::function<void()> changes[] = {
                [&] { Reverse(sound, sa, sb, sel); },
                [&] { ChangeSign(sound, sa, sb, sel); },
                [&] { Amplify(sound, 1.5f + static_cast<float>(Draw(random) % 4), a, b, sel); },
                [&] { Delete(sound, a, b, sel); },
                [&] {
                    Copy(clipboard, messages, sound, a, b, sel);
                    Paste(clipboard, messages, sound, Draw(random) % frames, sel);
                },
                [&] { InsertSpace(messages, sound, a, Draw(random) % 3000, sel); },
                [&] { sound.Data()[Draw(random) % sound.GetByteLength()] = 0; },  // unreported
                [&] { sound.SetFrame(a, loud); },
            };
            changes[kind]();
            // Now and then several changes pass before the summary is looked at.
            if (step % 3 != 1)
                ExpectMatchesScan(sound, random,
                                  std::to_string(layout) + " step " + std::to_string(step) +
                                      " kind " + std::to_string(kind));
        }
    }
}

TEST(PeakSummaryTest, RescansOnlyTheBlocksAChangeReachedAndIsFreedWithTheSound) {
    std::mt19937 random(7);
    SampleBuffer sound;
    FillRandom(sound, kLayoutStereo16, 20 * kBlock, random);
    EXPECT_EQ(sound.Peaks().BlocksScannedLastRefresh(), 20u);  // built once, whole
    EXPECT_EQ(sound.Peaks().BlocksScannedLastRefresh(), 0u);   // and not again
    EXPECT_LT(sound.Peaks().MemoryBytes() * 100, sound.GetByteLength());
    const std::pair<std::function<void()>, uint32_t> cases[] = {
        {[&] { Amplify(sound, 2.0f, 7 * kBlock - 5, 7 * kBlock + 5, 1); }, 2},  // across an edge
        {[&] { Delete(sound, 17 * kBlock + 3, 17 * kBlock + 40, 0); }, 3},      // and all after it
        {[&] { sound.SetInfo(kInfoName, "peaks"); }, 0},
        {[&] { Borrow(sound, false); }, 0},   // a player gives the block back
        {[&] { Borrow(sound, true); }, 20},   // a recorder wrote into it
        {[&] { sound.Data()[0] ^= 1; }, 20},  // a write nobody reports
    };
    int n = 0;
    for (const auto& [change, blocks] : cases) {
        change();
        EXPECT_EQ(sound.Peaks().BlocksScannedLastRefresh(), blocks) << "case " << n;
        ExpectMatchesScan(sound, random, "case " + std::to_string(n++));
    }
    const PeakSummary& peaks = sound.Peaks();
    sound.FreeBlock();
    EXPECT_EQ(peaks.MemoryBytes(), 0u);
}

TEST(PeakSummaryTest, AChangeOfLayoutIsSeen) {
    // A relabel changes no byte but every frame: mono 8-bit 0,255,0,255 read as stereo has a
    // left channel of zeros and a right one of 255.
    SampleBuffer sound;
    sound.SetFormat(22050, false, false);
    ASSERT_TRUE(sound.ResizeFrames(4 * kBlock));
    for (uint32_t i = 0; i < sound.GetByteLength(); ++i) sound.Data()[i] = i % 2 == 0 ? 0 : 255;
    EXPECT_EQ(sound.Peaks().RangeOf(0, 0, 9).hi, 255);
    sound.SetFormat(22050, true, false);
    EXPECT_EQ(sound.Peaks().RangeOf(0, 0, 2 * kBlock - 1).hi, 0);
    EXPECT_EQ(sound.Peaks().RangeOf(1, 0, 2 * kBlock - 1).lo, 255);
    EXPECT_EQ(sound.Peaks().RangeOf(0, 5, 4).lo, PeakSummary::Range().lo);  // reversed: empty
}

}  // namespace
