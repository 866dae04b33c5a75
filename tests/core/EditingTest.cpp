// Cut, copy, paste, delete and undo through the clipboard block; and the lease a playing or
// recording device holds on a sound's block, which every change ends before it touches a byte.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "core/audio/SessionListener.h"
#include "core/clipboard/ClipboardBlock.h"
#include "core/clipboard/ClipboardService.h"
#include "core/editing/SampleEditing.h"
#include "core/effects/Amplify.h"
#include "core/effects/Convert.h"
#include "core/effects/Reverse.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleHeap.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"

namespace {

using Bytes8 = std::vector<uint8_t>;
using Texts = std::vector<std::string>;
constexpr uint32_t kAll = 0xFFFFFFFFu;
constexpr auto M8 = kLayoutMono8, M16 = kLayoutMono16, S8 = kLayoutStereo8, S16 = kLayoutStereo16;

Bytes8 operator+(Bytes8 a, const Bytes8& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class EditingTest : public ::testing::Test {
protected:
    Bytes8 Block() { return *clipboard.GetSample(); }
    // Puts `bytes` of `layout` at `rate` on the clipboard.
    void Clip(uint32_t layout, const Bytes8& bytes, uint32_t rate = 8000) {
        SampleBuffer source;
        SetBytes(source, layout, bytes, rate);
        ASSERT_TRUE(Copy(clipboard, messages, source, kAll, kAll, 0));
    }

    MemoryClipboardService clipboard;
    RecordingMessageSink messages;
    SampleBuffer sample;
};

TEST_F(EditingTest, CopyWritesTheRangeAsItsOwnSound) {
    SetBytes(sample, S16, RampBytes(400, 1, 0), 44100);
    ASSERT_TRUE(Copy(clipboard, messages, sample, kAll, kAll, 0));
    const Bytes8 header = {0x44, 0xAC, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0x90, 1, 0, 0};
    EXPECT_EQ(Block(), Bytes8(header) + RampBytes(400, 1, 0));
    // layout, bytes, first, last, mode: the clipboard's format and bytes.
    const std::tuple<uint32_t, Bytes8, uint32_t, uint32_t, uint32_t, SampleFormat, Bytes8> cases[] =
        {
            {S16, RampBytes(40, 1, 0), 2, 3, 1, SampleFormat(22050, false, true), {8, 9, 12, 13}},
            {S8, {1, 2, 3, 4, 5, 6}, 1, 2, 2, SampleFormat(22050, false, false), {4, 6}},
            {S8, {1, 2, 3, 4, 5, 6}, 1, 9, 0, SampleFormat(22050, true, false), {3, 4, 5, 6}},
            {M16, Le16({1, 2, 3}), 2, 2, 2, SampleFormat(22050, false, true), Le16({3})},
        };
    for (const auto& [layout, in, first, last, mode, format, out] : cases) {
        SetBytes(sample, layout, in);
        ASSERT_TRUE(Copy(clipboard, messages, sample, first, last, mode));
        const Bytes8 block = Block();
        ClipboardSound sound;
        ASSERT_TRUE(ReadClipboardBlock(block, sound));
        EXPECT_EQ(std::tuple(sound.format, Bytes8(sound.bytes, sound.bytes + sound.count)),
                  std::tuple(format, out))
            << layout << " mode " << mode;
    }
    // A refused clipboard or an empty sound leave the clipboard as it was; Cut deletes nothing.
    const Bytes8 before = Block();
    clipboard.RefuseOpenForTesting(true);
    EXPECT_FALSE(Copy(clipboard, messages, sample, 0, 2, 0));
    EXPECT_FALSE(Cut(clipboard, messages, sample, 0, 2, 0));
    EXPECT_EQ(Values16(sample), (std::vector<int>{1, 2, 3}));
    clipboard.RefuseOpenForTesting(false);
    SampleBuffer empty;
    EXPECT_FALSE(Copy(clipboard, messages, empty, 0, 0, 0));
    EXPECT_EQ(messages.Texts(), (Texts{"Error opening clipboard!", "Error opening clipboard!",
                                       "Error manipulating memory!"}));
    EXPECT_EQ(Block(), before);
}

TEST_F(EditingTest, DeleteRemovesFramesOrShiftsOneChannel) {
    const std::tuple<uint32_t, Bytes8, uint32_t, uint32_t, uint32_t, Bytes8> cases[] = {
        {M16, Le16({0, 1, 2, 3, 4}), 1, 2, 0, Le16({0, 3, 4})},
        {M8, {1, 2, 3}, 2, 99, 0, {1, 2}},  // past the end: clipped
        // The channel's later values move down and its end is filled.
        {S8,
         {10, 20, 11, 21, 12, 22, 13, 23, 14, 24, 15, 25},
         2,
         3,
         2,
         {10, 20, 11, 21, 12, 24, 13, 25, 14, 127, 15, 127}},
        {S16, Le16({1, 2, 3, 4, 5, 6}), 0, 0, 1, Le16({3, 2, 5, 4, -256, 6})},
        {S16, {1, 0, 2, 0, 3, 0, 4, 0, 9}, 0, 0, 1, {3, 0, 2, 0, 0x00, 0xFF, 4, 0, 9}},  // stray
                                                                                         // byte
    };
    for (const auto& [layout, in, first, last, mode, out] : cases) {
        SetBytes(sample, layout, in);
        ASSERT_TRUE(Delete(sample, first, last, mode));
        EXPECT_EQ(Bytes(sample), out) << layout << " " << first << ".." << last;
    }
    SetBytes(sample, S16, RampBytes(8));
    ASSERT_TRUE(Delete(sample, kAll, kAll, 0));
    EXPECT_FALSE(sample.HasBlock());
    EXPECT_EQ(sample.GetByteLength(), 0u);
    EXPECT_TRUE(Delete(sample, 0, 0, 0));  // nothing left: nothing happens
}

TEST_F(EditingTest, InsertSpaceMovesOneChannelAndFillsTheOther) {
    SetBytes(sample, S8, {10, 20, 11, 21});
    ASSERT_TRUE(InsertSpace(messages, sample, 1, 2, 1));
    const Bytes8 after = Bytes(sample);
    EXPECT_EQ(after.size(), 8u);
    // The right channel stays in its frames, left frame 1 moves to frame 3.
    EXPECT_EQ((Bytes8{after[0], after[1], after[3], after[5], after[6], after[7]}),
              (Bytes8{10, 20, 21, 127, 11, 127}));
    SampleHeap::Instance().SetLimitForTesting(4);
    EXPECT_FALSE(InsertSpace(messages, sample, 0, 100, 0));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(Bytes(sample), after);
    EXPECT_EQ(messages.Texts(), Texts{"Not enough memory while resizing sample (Inserting space)"});
}

TEST_F(EditingTest, PasteConvertsToTheTargetAndPlacesIt) {
    // The clipboard holds 8-bit mono 0x00, 0x80, 0xFF at 8000 Hz; the target's rate is kept.
    const std::tuple<uint32_t, Bytes8, uint32_t, uint32_t, Bytes8> cases[] = {
        {S16, Le16({7, 8}), 1, 0, Le16({7, 8, -32768, -32768, 0, 0, 32512, 32512})},
        // Into one channel: the other keeps its values and new end frames take the fill.
        {S8, {1, 2, 3, 4}, 2, 2, {1, 2, 3, 4, 127, 0x00, 127, 0x80, 127, 0xFF}},
        {M8, {1, 2}, 5, 0, {0x00, 0x80, 0xFF, 1, 2}},  // beyond the end: at 0
        {M8, {1, 2}, 2, 0, {1, 2, 0x00, 0x80, 0xFF}},  // at the frame count: appended
    };
    Clip(M8, {0x00, 0x80, 0xFF});
    for (const auto& [layout, in, at, mode, out] : cases) {
        SetBytes(sample, layout, in, 44100);
        EXPECT_EQ(Paste(clipboard, messages, sample, at, mode), 3u);
        EXPECT_EQ(std::tuple(Bytes(sample), sample.GetFrequency()), std::tuple(out, 44100u)) << at;
    }
    SampleBuffer empty;  // an empty sound takes the clipboard's format
    EXPECT_EQ(Paste(clipboard, messages, empty, 7, 1), 3u);
    EXPECT_EQ(empty.FormatRef(), SampleFormat(8000, false, false));
    EXPECT_EQ(Bytes(empty), (Bytes8{0x00, 0x80, 0xFF}));
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(EditingTest, PasteIntoALargeSoundShiftsOnlyItsTail) {
    // 3 MB of 16-bit stereo: the block is a mapping of its own that grows for the paste.
    const Bytes8 bytes = RampBytes(3u << 20, 13, 1);
    SetBytes(sample, S16, bytes, 44100);
    ASSERT_TRUE(Copy(clipboard, messages, sample, 10, 19, 0));
    EXPECT_EQ(Paste(clipboard, messages, sample, 5, 0), 10u);
    Bytes8 expected(bytes.begin(), bytes.begin() + 5 * 4);
    expected.insert(expected.end(), bytes.begin() + 10 * 4, bytes.begin() + 20 * 4);
    expected.insert(expected.end(), bytes.begin() + 5 * 4, bytes.end());
    EXPECT_TRUE(Bytes(sample) == expected);
    EXPECT_EQ(Block().size(), kClipboardHeaderSize + 40);  // the clipboard keeps its block
}

TEST_F(EditingTest, UndoReplacesTheWholeSoundFromTheClipboard) {
    SetBytes(sample, M8, {1});
    EXPECT_EQ(Paste(clipboard, messages, sample, 0, 0), 0u);  // nothing on the clipboard
    EXPECT_FALSE(ReplaceFromClipboard(clipboard, messages, sample));
    EXPECT_TRUE(messages.Shown().empty());
    SetBytes(sample, S16, RampBytes(40), 32000);
    ASSERT_TRUE(Cut(clipboard, messages, sample, kAll, kAll, 0));
    EXPECT_FALSE(sample.HasBlock());
    ASSERT_TRUE(ReplaceFromClipboard(clipboard, messages, sample));
    EXPECT_EQ(Bytes(sample), RampBytes(40));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(32000, true, true));
    SampleHeap::Instance().SetLimitForTesting(20);
    EXPECT_FALSE(ReplaceFromClipboard(clipboard, messages, sample));
    SampleHeap::Instance().ClearLimitForTesting();
    EXPECT_EQ(messages.Texts(), Texts{"Error manipulating memory!"});
    // A block whose count promises more than it holds is read only as far as it goes.
    Bytes8 block(16);
    WriteClipboardHeader(block, SampleFormat(8000, true, true), 1000000);
    clipboard.SetSample(block + Bytes8{1, 0, 2, 0, 3, 0});  // one and a half frames
    SetBytes(sample, M16, Le16({5}));
    EXPECT_EQ(Paste(clipboard, messages, sample, 1, 0), 1u);
    EXPECT_EQ(Values16(sample), (std::vector<int>{5, 1}));  // mean of 1 and 2, truncated
    EXPECT_TRUE(ReplaceFromClipboard(clipboard, messages, sample));
    EXPECT_EQ(Bytes(sample), (Bytes8{1, 0, 2, 0, 3, 0}));
    EXPECT_EQ(sample.FormatRef(), SampleFormat(8000, true, true));
    clipboard.SetSample({1, 2, 3});
    EXPECT_FALSE(ReplaceFromClipboard(clipboard, messages, sample));
}

// The owner of the sessions: when told that a lease ended, it records whether the device was
// already closed and what the block held at that moment.
struct Owner : SessionListener {
    void OnPlaybackEnded() override { ++playbackEnded, Check(); }
    void OnRecordingEnded() override { ++recordingEnded, Check(); }
    void Check() {
        liveWhenTold = log->Live();
        const uint8_t* data = std::as_const(*sample).Data();
        bytesWhenTold = Bytes8(data, data + original.size());
    }
    const SampleBuffer* sample = nullptr;
    const FakeDeviceLog* log = nullptr;
    Bytes8 original;
    int playbackEnded = 0, recordingEnded = 0, liveWhenTold = -1;
    Bytes8 bytesWhenTold;
};

class BlockLeaseTest : public EditingTest {
protected:
    void StartPlaying(uint32_t layout, const Bytes8& bytes) {
        SetBytes(sample, layout, bytes);
        owner = Owner{};
        owner.sample = &sample, owner.log = &backend.log, owner.original = bytes;
        view.playDone = 0;
        playback.SetListener(&owner);
        ASSERT_EQ(playback.Play(&view, kDefaultAudioDevice, kAll, kAll), 0);
        ASSERT_TRUE(sample.IsLent());
    }
    // The lease ended before the bytes changed, the device is closed, and its late completion
    // never arrives.
    void ExpectEndedFirst(const std::string& what) {
        EXPECT_EQ(std::tuple(playback.IsPlaying(), sample.IsLent(), backend.log.Live()),
                  std::tuple(false, false, 0))
            << what;
        EXPECT_EQ(std::tuple(owner.playbackEnded, owner.liveWhenTold), std::tuple(1, 0)) << what;
        EXPECT_EQ(owner.bytesWhenTold, owner.original) << what;
        view.queue.RunPending();
        EXPECT_EQ(view.playDone, 0) << what;
    }

    SoundFileRegistry registry{messages};
    FakeAudioBackend backend;
    CountingTarget view;
    TempDir dir;
    PlaybackSession playback{sample, backend};
    Owner owner;
};

TEST_F(BlockLeaseTest, EveryChangeOfAPlayingSoundEndsTheLeaseFirst) {
    const std::pair<const char*, std::function<void(SampleBuffer&)>> changes[] = {
        {"delete", [](SampleBuffer& s) { Delete(s, 10, 19, 0); }},
        {"paste", [&](SampleBuffer& s) { Paste(clipboard, messages, s, 5, 0); }},
        {"undo", [&](SampleBuffer& s) { ReplaceFromClipboard(clipboard, messages, s); }},
        {"amplify", [](SampleBuffer& s) { Amplify(s, 2.0f, 0, 99, 0); }},
        {"reverse", [](SampleBuffer& s) { Reverse(s, 0, 99, 0); }},
        {"convert",
         [&](SampleBuffer& s) { ChangeFormat(messages, s, SampleFormat(11025, false, false)); }},
        {"set frame", [](SampleBuffer& s) { s.SetFrame(0, FrameValue{}); }},
        {"new sound", [](SampleBuffer& s) { s.FreeBlock(); }},
        // A mu-law save widens 8-bit, or rewrites 16-bit in place with its quantisation.
        {"save 8-bit as mu-law", [&](SampleBuffer& s) { registry.Save(dir.File("a.au"), s); }},
    };
    Clip(M16, RampBytes(40));
    for (const auto& [what, change] : changes) {
        StartPlaying(std::string(what).find("8-bit") != std::string::npos ? M8 : M16,
                     RampBytes(200));
        change(sample);
        ExpectEndedFirst(what);
    }
    StartPlaying(S16, RampBytes(400));
    ASSERT_TRUE(registry.Save(dir.File("a.au"), sample));
    ExpectEndedFirst("save 16-bit as mu-law");
}

TEST_F(BlockLeaseTest, ReadingAPlayingSoundLeavesItPlaying) {
    StartPlaying(S16, RampBytes(400));
    ASSERT_TRUE(registry.Save(dir.File("playing.wav"), sample));
    ASSERT_TRUE(Copy(clipboard, messages, sample, 0, 9, 0));
    sample.Peaks().RangeOf(0, 0, 99);
    EXPECT_TRUE(playback.IsPlaying());
    EXPECT_EQ(backend.output->block, std::as_const(sample).Data());
    // A second view of the same sound cannot play it until the first has stopped.
    PlaybackSession second(sample, backend);
    EXPECT_EQ(second.Play(&view, kDefaultAudioDevice, kAll, kAll), 1);
    EXPECT_EQ(std::tuple(playback.IsPlaying(), backend.log.Live()), std::tuple(true, 1));
    playback.ClosePlay();
    EXPECT_EQ(std::tuple(sample.IsLent(), owner.playbackEnded), std::tuple(false, 0));
    EXPECT_EQ(second.Play(&view, kDefaultAudioDevice, kAll, kAll), 0);
    EXPECT_EQ(backend.output->block, std::as_const(sample).Data());
    second.ClosePlay();
}

TEST_F(BlockLeaseTest, ARecordingEndedByAChangeKeepsWhatItCaptured) {
    RecordingSession recording(sample, backend, messages);
    recording.SetListener(&owner);
    owner.sample = &sample, owner.log = &backend.log;
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 1000, kDefaultAudioDevice), 1);
    EXPECT_TRUE(sample.IsLentForWriting());
    // Playback waits for the recording rather than reading a block that is being written.
    EXPECT_EQ(playback.Play(&view, kDefaultAudioDevice, 0, 0), 1);
    backend.input->Capture(120, 7);
    owner.original = Bytes8(std::as_const(sample).Data(), std::as_const(sample).Data() + 120);
    Amplify(sample, 0.5f, 0, 119, 0);
    EXPECT_EQ(std::tuple(owner.recordingEnded, owner.liveWhenTold, recording.IsRecording()),
              std::tuple(1, 0, false));
    EXPECT_EQ(owner.bytesWhenTold, owner.original);
    EXPECT_EQ(sample.GetByteLength(), 120u);
    view.queue.RunPending();
    EXPECT_TRUE(view.headers.empty());
}

TEST_F(BlockLeaseTest, ASoundDestroyedBeforeItsSessionIsNotTouchedAgain) {
    auto doomed = std::make_unique<SampleBuffer>();
    SetBytes(*doomed, M8, RampBytes(100));
    PlaybackSession session(*doomed, backend);
    ASSERT_EQ(session.Play(&view, kDefaultAudioDevice, kAll, kAll), 0);
    doomed.reset();
    EXPECT_FALSE(session.IsPlaying());
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(session.ClosePlay(), uint32_t{kAudioInvalidHandle});
}

}  // namespace
