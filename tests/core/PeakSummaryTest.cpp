// The peak summary a sound keeps: its ranges against a plain scan of the frames after random
// edits, effects and unreported writes; how much it scans again after each kind of change; its
// memory.
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
#include "core/sample/PeakSummary.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleFormat.h"

namespace {

constexpr uint32_t kBlock = 65536;

struct Layout {
    const char* name;
    bool stereo;
    bool wide;
};

constexpr Layout kLayouts[] = {
    {"mono 8", false, false},
    {"stereo 8", true, false},
    {"mono 16", false, true},
    {"stereo 16", true, true},
};

uint32_t Draw(std::mt19937& random) {
    return static_cast<uint32_t>(random());
}

void FillRandom(SampleBuffer& sound, const Layout& layout, uint32_t frames, std::mt19937& random) {
    sound.SetFormat(22050, layout.stereo, layout.wide);
    ASSERT_TRUE(sound.ResizeFrames(frames));
    uint8_t* data = sound.Data();
    for (uint32_t i = 0; i < sound.GetByteLength(); ++i) {
        // Mostly quiet, with rare loud values, so that ranges differ from run to run.
        const uint32_t r = Draw(random);
        data[i] = static_cast<uint8_t>(r % 97 == 0 ? r >> 24 : 120 + (r >> 8) % 16);
    }
}

// The range of one channel straight from the frames, through the buffer's own frame access.
PeakSummary::Range Scan(const SampleBuffer& sound, uint32_t channel, uint32_t first,
                        uint32_t last) {
    PeakSummary::Range range;
    for (uint32_t f = first; f <= last; ++f) {
        FrameValue value;
        sound.GetFrame(f, kLayoutStereo8, value);
        range.lo = std::min(range.lo, value.Byte(static_cast<int>(channel)));
        range.hi = std::max(range.hi, value.Byte(static_cast<int>(channel)));
    }
    return range;
}

void ExpectMatchesScan(const SampleBuffer& sound, std::mt19937& random, const std::string& step) {
    const uint32_t frames = sound.GetFrameCount();
    if (frames == 0)
        return;
    const PeakSummary& peaks = sound.Peaks();
    for (int probe = 0; probe < 24; ++probe) {
        uint32_t first = Draw(random) % frames;
        uint32_t last = Draw(random) % frames;
        if (probe == 0)
            first = 0, last = frames - 1;
        if (probe == 1)
            last = first;
        if (first > last)
            std::swap(first, last);
        for (uint32_t channel = 0; channel < 2; ++channel) {
            const PeakSummary::Range want = Scan(sound, channel, first, last);
            const PeakSummary::Range got = peaks.RangeOf(channel, first, last);
            ASSERT_EQ(got.lo, want.lo) << step << " ch " << channel << " " << first << ".." << last;
            ASSERT_EQ(got.hi, want.hi) << step << " ch " << channel << " " << first << ".." << last;
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

}  // namespace

TEST(PeakSummaryTest, RangesMatchAScanAfterRandomChanges) {
    std::mt19937 random(2024);
    MemoryClipboardService clipboard;
    RecordingMessageSink messages;
    for (const Layout& layout : kLayouts) {
        SampleBuffer sound;
        FillRandom(sound, layout, 3 * kBlock + 12345, random);
        ExpectMatchesScan(sound, random, layout.name);
        for (int step = 0; step < 40; ++step) {
            if (sound.GetFrameCount() == 0)
                FillRandom(sound, layout, kBlock + 1, random);
            const uint32_t frames = std::max(sound.GetFrameCount(), 1u);
            uint32_t a = Draw(random) % frames;
            uint32_t b = std::min(frames - 1, a + Draw(random) % (kBlock / 2));
            const auto selector = static_cast<uint32_t>(Draw(random) % 3);
            const int kind = static_cast<int>(Draw(random) % 8);
            switch (kind) {
                case 0:
                    Reverse(sound, static_cast<int32_t>(a), static_cast<int32_t>(b), selector);
                    break;
                case 1:
                    ChangeSign(sound, static_cast<int32_t>(a), static_cast<int32_t>(b), selector);
                    break;
                case 2:
                    Amplify(sound, 1.5f + static_cast<float>(Draw(random) % 4), a, b, selector);
                    break;
                case 3:
                    Delete(sound, a, b, selector);
                    break;
                case 4:
                    Copy(clipboard, messages, sound, a, b, selector);
                    Paste(clipboard, messages, sound, Draw(random) % frames, selector);
                    break;
                case 5:
                    InsertSpace(messages, sound, a, Draw(random) % 3000, selector);
                    break;
                case 6:
                    // A write nobody reports.
                    if (sound.GetByteLength() > 0)
                        sound.Data()[Draw(random) % sound.GetByteLength()] = 0;
                    break;
                default: {
                    FrameValue loud;
                    loud.slot[0] = loud.slot[1] = static_cast<int16_t>(0x7FFF);
                    if (!layout.wide)
                        loud.SetByte(0, 255), loud.SetByte(1, 255);
                    sound.SetFrame(a, loud);
                    break;
                }
            }
            // Now and then several changes pass before the summary is looked at.
            if (step % 3 != 1)
                ExpectMatchesScan(sound, random,
                                  std::string(layout.name) + " step " + std::to_string(step) +
                                      " kind " + std::to_string(kind));
        }
    }
}

TEST(PeakSummaryTest, RescansOnlyTheBlocksAChangeReached) {
    std::mt19937 random(7);
    MemoryClipboardService clipboard;
    RecordingMessageSink messages;
    SampleBuffer sound;
    FillRandom(sound, kLayouts[3], 20 * kBlock, random);
    EXPECT_EQ(sound.Peaks().BlocksScannedLastRefresh(), 20u);  // built once, whole
    EXPECT_EQ(sound.Peaks().BlocksScannedLastRefresh(), 0u);   // and not again

    struct Case {
        const char* what;
        std::function<void()> change;
        uint32_t blocks;
    };
    const Case cases[] = {
        {"reverse inside one block", [&] { Reverse(sound, 5 * kBlock + 10, 5 * kBlock + 900, 0); },
         1},
        {"amplify across a block edge",
         [&] { Amplify(sound, 2.0f, 7 * kBlock - 5, 7 * kBlock + 5, 1); }, 2},
        {"change sign of two frames, twice before a look",
         [&] {
             ChangeSign(sound, 2, 3, 0);
             ChangeSign(sound, 9 * kBlock, 9 * kBlock, 0);
         },
         2},
        {"delete near the end moves the frames after it",
         [&] { Delete(sound, 17 * kBlock + 3, 17 * kBlock + 40, 0); }, 3},
        {"an information text changes no bytes", [&] { sound.SetInfo(kInfoName, "peaks"); }, 0},
        {"copy reads only", [&] { Copy(clipboard, messages, sound, 0, 100, 0); }, 0},
        // 101 frames in block 18 push the end into a 21st block.
        {"paste near the end", [&] { Paste(clipboard, messages, sound, 18 * kBlock + 7, 0); }, 3},
        {"a player borrows the block and gives it back", [&] { Borrow(sound, false); }, 0},
        {"a recorder gives back a block it wrote into", [&] { Borrow(sound, true); }, 21},
        {"a write nobody reports makes it look at everything", [&] { sound.Data()[0] ^= 1; }, 21},
    };
    for (const Case& c : cases) {
        c.change();
        EXPECT_EQ(sound.Peaks().BlocksScannedLastRefresh(), c.blocks) << c.what;
        ExpectMatchesScan(sound, random, c.what);
    }
}

TEST(PeakSummaryTest, StaysUnderOnePercentAndIsFreedWithTheSound) {
    std::mt19937 random(1);
    for (const Layout& layout : kLayouts) {
        SampleBuffer sound;
        FillRandom(sound, layout, 5 * kBlock + 77, random);
        const PeakSummary& peaks = sound.Peaks();
        EXPECT_GT(peaks.MemoryBytes(), 0u) << layout.name;
        EXPECT_LT(peaks.MemoryBytes() * 100, sound.GetByteLength()) << layout.name;
        // A sound cut down to a little keeps a summary of a little.
        Delete(sound, 1000, sound.GetFrameCount() - 1, 0);
        EXPECT_LE(sound.Peaks().MemoryBytes(), 64u) << layout.name;
        sound.FreeBlock();
        EXPECT_EQ(peaks.MemoryBytes(), 0u) << layout.name;
    }
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
}
