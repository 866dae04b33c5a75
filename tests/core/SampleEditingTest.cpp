#include <gtest/gtest.h>

#include <algorithm>

#include "core/clipboard/ClipboardBlock.h"
#include "core/clipboard/ClipboardService.h"
#include "core/editing/SampleEditing.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "support/SampleMaker.h"

namespace {

class SampleEditingTest : public ::testing::Test {
protected:
    std::vector<uint8_t> Block() { return *clipboard.GetSample(); }

    MemoryClipboardService clipboard;
    RecordingMessageSink messages;
    SampleBuffer sample;
};

std::vector<uint8_t> Ramp(size_t n, int from = 0) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(from + static_cast<int>(i));
    return v;
}

TEST_F(SampleEditingTest, CopyWholeSampleWritesTheBlockLayout) {
    SetBytes(sample, kLayoutStereo16, Ramp(400), 44100);
    ASSERT_TRUE(Copy(clipboard, messages, sample, 0xFFFFFFFF, 0xFFFFFFFF, 0));
    const auto block = Block();
    ASSERT_EQ(block.size(), 416u);
    const std::vector<uint8_t> header = {0x44, 0xAC, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0x90, 1, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 16), header);
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 16, block.end()), Ramp(400));
}

TEST_F(SampleEditingTest, CopyOneChannelGivesAMonoSound) {
    SetBytes(sample, kLayoutStereo16, Ramp(400));
    ASSERT_TRUE(Copy(clipboard, messages, sample, 10, 19, 1));
    auto block = Block();
    ClipboardSound sound;
    ASSERT_TRUE(ReadClipboardBlock(block, sound));
    EXPECT_EQ(sound.count, 20u);
    EXPECT_EQ(sound.format, SampleFormat(22050, false, true));
    EXPECT_EQ(sound.bytes[0], 40);  // frame 10 left: bytes 40, 41
    EXPECT_EQ(sound.bytes[2], 44);
    SetBytes(sample, kLayoutStereo8, {1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(Copy(clipboard, messages, sample, 1, 2, 2));
    block = Block();
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + 16, block.end()), (std::vector<uint8_t>{4, 6}));
}

TEST_F(SampleEditingTest, CopyFailuresLeaveTheClipboardAlone) {
    SetBytes(sample, kLayoutMono8, {1, 2, 3});
    ASSERT_TRUE(Copy(clipboard, messages, sample, 0, 0, 0));
    const auto before = Block();
    clipboard.RefuseOpenForTesting(true);
    EXPECT_FALSE(Copy(clipboard, messages, sample, 0, 2, 0));
    EXPECT_FALSE(Cut(clipboard, messages, sample, 0, 2, 0));
    EXPECT_EQ(sample.GetByteLength(), 3u);  // Cut deleted nothing
    clipboard.RefuseOpenForTesting(false);
    SampleBuffer empty;
    EXPECT_FALSE(Copy(clipboard, messages, empty, 0, 0, 0));
    EXPECT_EQ(messages.Texts(),
              (std::vector<std::string>{"Error opening clipboard!", "Error opening clipboard!",
                                        "Error manipulating memory!"}));
    EXPECT_EQ(Block(), before);
}

TEST_F(SampleEditingTest, DeleteWholeFramesAndEmptying) {
    SetBytes(sample, kLayoutMono16, Le16({0, 1, 2, 3, 4}));
    ASSERT_TRUE(Delete(sample, 1, 2, 0));
    EXPECT_EQ(Values16(sample), (std::vector<int>{0, 3, 4}));
    ASSERT_TRUE(Delete(sample, 0, 99, 0));  // past the end: clipped
    EXPECT_FALSE(sample.HasBlock());
    EXPECT_EQ(sample.GetByteLength(), 0u);
    EXPECT_TRUE(Delete(sample, 0, 0, 0));  // nothing left: nothing happens
}

TEST_F(SampleEditingTest, DeleteOneChannelFillsItsEnd) {
    SetBytes(sample, kLayoutStereo8, {10, 20, 11, 21, 12, 22, 13, 23, 14, 24, 15, 25});
    ASSERT_TRUE(Delete(sample, 2, 3, 2));
    EXPECT_EQ(Bytes(sample),
              (std::vector<uint8_t>{10, 20, 11, 21, 12, 24, 13, 25, 14, 127, 15, 127}));
    SetBytes(sample, kLayoutStereo16, Le16({1, 2, 3, 4, 5, 6}));
    ASSERT_TRUE(Delete(sample, 0, 0, 1));
    EXPECT_EQ(Values16(sample), (std::vector<int>{3, 2, 5, 4, -256, 6}));
}

TEST_F(SampleEditingTest, OneChannelDeleteStaysInsideAPartialLastFrame) {
    SetBytes(sample, kLayoutStereo16, {1, 0, 2, 0, 3, 0, 4, 0, 9});  // 2 frames and a stray byte
    ASSERT_TRUE(Delete(sample, 0, 0, 1));
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{3, 0, 2, 0, 0x00, 0xFF, 4, 0, 9}));
}

TEST_F(SampleEditingTest, InsertSpaceMovesOneChannelAndFillsTheOther) {
    SetBytes(sample, kLayoutStereo8, {10, 20, 11, 21});
    ASSERT_TRUE(InsertSpace(messages, sample, 1, 2, 1));
    EXPECT_EQ(sample.GetFrameCount(), 4u);
    const auto b = Bytes(sample);
    EXPECT_EQ(b[0], 10);
    EXPECT_EQ(b[1], 20);
    EXPECT_EQ(b[3], 21);  // the right channel stays in its frames
    EXPECT_EQ(b[6], 11);  // left frame 1 moved to frame 3
    EXPECT_EQ(b[5], 127);
    EXPECT_EQ(b[7], 127);
    SampleHeap::Instance().SetLimitForTesting(4);
    EXPECT_FALSE(InsertSpace(messages, sample, 0, 100, 0));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(sample.GetFrameCount(), 4u);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "Not enough memory while resizing sample (Inserting space)"});
}

TEST_F(SampleEditingTest, PasteConvertsToTheTargetLayout) {
    SampleBuffer source;
    SetBytes(source, kLayoutMono8, {0x00, 0x80, 0xFF}, 8000);
    ASSERT_TRUE(Copy(clipboard, messages, source, 0xFFFFFFFF, 0xFFFFFFFF, 0));
    SetBytes(sample, kLayoutStereo16, Le16({7, 8}), 44100);
    EXPECT_EQ(Paste(clipboard, messages, sample, 1, 0), 3u);
    EXPECT_EQ(Values16(sample), (std::vector<int>{7, 8, -32768, -32768, 0, 0, 32512, 32512}));
    EXPECT_EQ(sample.GetFrequency(), 44100u);  // the clipboard's rate is ignored
    // Into one channel: the other keeps its values, the new end frames take the fill.
    SetBytes(sample, kLayoutStereo8, {1, 2, 3, 4});
    EXPECT_EQ(Paste(clipboard, messages, sample, 2, 2), 3u);
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{1, 2, 3, 4, 127, 0x00, 127, 0x80, 127, 0xFF}));
}

TEST_F(SampleEditingTest, PasteIntoALargeSoundShiftsOnlyItsTail) {
    // 3 MB of 16-bit stereo: the block is a mapping of its own that grows for the paste.
    std::vector<uint8_t> bytes(3u << 20);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i * 13 + i / 251);
    sample.SetFormat(FormatOfLayout(44100, kLayoutStereo16));
    ASSERT_TRUE(sample.ResizeBytes(static_cast<uint32_t>(bytes.size())));
    std::copy(bytes.begin(), bytes.end(), sample.Data());
    ASSERT_TRUE(Copy(clipboard, messages, sample, 10, 19, 0));
    EXPECT_EQ(Paste(clipboard, messages, sample, 5, 0), 10u);
    std::vector<uint8_t> expected(bytes.begin(), bytes.begin() + 5 * 4);
    expected.insert(expected.end(), bytes.begin() + 10 * 4, bytes.begin() + 20 * 4);
    expected.insert(expected.end(), bytes.begin() + 5 * 4, bytes.end());
    ASSERT_EQ(sample.GetByteLength(), expected.size());
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), sample.Data()));
    // The paste read the clipboard without taking its block away.
    EXPECT_EQ(Block().size(), kClipboardHeaderSize + 40);
}

TEST_F(SampleEditingTest, PastePositionsAndEmptyTargets) {
    SampleBuffer source;
    SetBytes(source, kLayoutMono8, {9}, 8000);
    ASSERT_TRUE(Copy(clipboard, messages, source, 0, 0, 0));
    SetBytes(sample, kLayoutMono8, {1, 2});
    EXPECT_EQ(Paste(clipboard, messages, sample, 5, 0), 1u);  // beyond the end: at 0
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{9, 1, 2}));
    EXPECT_EQ(Paste(clipboard, messages, sample, 3, 0), 1u);  // at the frame count: appended
    EXPECT_EQ(Bytes(sample), (std::vector<uint8_t>{9, 1, 2, 9}));
    SampleBuffer empty;
    EXPECT_EQ(Paste(clipboard, messages, empty, 7, 1), 1u);
    EXPECT_EQ(empty.FormatRef(), SampleFormat(8000, false, false));
    EXPECT_EQ(Bytes(empty), std::vector<uint8_t>{9});
}

TEST_F(SampleEditingTest, NothingOnTheClipboardIsSilent) {
    SetBytes(sample, kLayoutMono8, {1});
    EXPECT_EQ(Paste(clipboard, messages, sample, 0, 0), 0u);
    EXPECT_FALSE(ReplaceFromClipboard(clipboard, messages, sample));
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(SampleEditingTest, ShortBlocksAreNeverReadPastTheirEnd) {
    std::vector<uint8_t> block(16);
    WriteClipboardHeader(block, SampleFormat(8000, true, true), 1000000);
    block.insert(block.end(), {1, 0, 2, 0, 3, 0});  // one and a half frames
    clipboard.SetSample(block);
    SetBytes(sample, kLayoutMono16, Le16({5}));
    EXPECT_EQ(Paste(clipboard, messages, sample, 1, 0), 1u);
    EXPECT_EQ(Values16(sample), (std::vector<int>{5, 1}));  // mean of 1 and 2, truncated
    EXPECT_TRUE(ReplaceFromClipboard(clipboard, messages, sample));
    EXPECT_EQ(sample.GetByteLength(), 6u);
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, true, true));
    clipboard.SetSample({1, 2, 3});
    EXPECT_FALSE(ReplaceFromClipboard(clipboard, messages, sample));
}

TEST_F(SampleEditingTest, CutThenUndoRestoresTheSound) {
    SetBytes(sample, kLayoutStereo16, Ramp(40), 32000);
    ASSERT_TRUE(Cut(clipboard, messages, sample, 0xFFFFFFFF, 0xFFFFFFFF, 0));
    EXPECT_FALSE(sample.HasBlock());
    ASSERT_TRUE(ReplaceFromClipboard(clipboard, messages, sample));
    EXPECT_EQ(Bytes(sample), Ramp(40));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(32000, true, true));
    // A block that cannot be had is a failure, reported.
    SampleHeap::Instance().SetLimitForTesting(20);
    EXPECT_FALSE(ReplaceFromClipboard(clipboard, messages, sample));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{"Error manipulating memory!"});
}

}  // namespace
