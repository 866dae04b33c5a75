// Cut, copy, paste, delete and undo through the clipboard block; the lease a playing or recording
// device holds on a sound's block, which every change ends before it touches a byte; and the
// playback and recording sessions on a fake device the test drives by hand.
#include <gtest/gtest.h>

#include <chrono>
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
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"

namespace {

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
    // clang-format off
    const std::tuple<uint32_t, Bytes8, uint32_t, uint32_t, uint32_t, Bytes8> cases[] = {
        {M16, Le16({0, 1, 2, 3, 4}), 1, 2, 0, Le16({0, 3, 4})},
        {M8, {1, 2, 3}, 2, 99, 0, {1, 2}},  // past the end: clipped
        // The channel's later values move down and its end is filled.
        {S8, {10, 20, 11, 21, 12, 22, 13, 23, 14, 24, 15, 25}, 2, 3, 2,
         {10, 20, 11, 21, 12, 24, 13, 25, 14, 127, 15, 127}},
        {S16, Le16({1, 2, 3, 4, 5, 6}), 0, 0, 1, Le16({3, 2, 5, 4, -256, 6})},
        {S16, {1, 0, 2, 0, 3, 0, 4, 0, 9}, 0, 0, 1, {3, 0, 2, 0, 0, 0xFF, 4, 0, 9}},  // stray byte
    };
    // clang-format on
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
    SetBytes(sample, S8, {10, 20, 11, 21});  // at the first frame: the right channel moves on
    ASSERT_TRUE(InsertSpace(messages, sample, 0, 1, 2));
    EXPECT_EQ(std::pair(Bytes(sample)[3], Bytes(sample)[5]), (std::pair<uint8_t, uint8_t>(20, 21)));
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

TEST_F(EditingTest, UndoReplacesTheWholeSoundFromTheClipboard) {
    SetBytes(sample, M8, {1});
    EXPECT_EQ(Paste(clipboard, messages, sample, 0, 0), 0u);  // nothing on the clipboard
    EXPECT_FALSE(ReplaceFromClipboard(clipboard, messages, sample));
    // Another program empties the clipboard between the look and the read.
    struct Emptied : MemoryClipboardService {
        std::optional<SharedClipboardBlock> ShareSample() override { return std::nullopt; }
    } emptied;
    emptied.SetSample({1, 2, 3});
    EXPECT_EQ(Paste(emptied, messages, sample, 0, 0), 0u);
    EXPECT_FALSE(ReplaceFromClipboard(emptied, messages, sample));
    EXPECT_EQ(Bytes(sample), Bytes8{1});
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
    Bytes8 original, bytesWhenTold;
    int playbackEnded = 0, recordingEnded = 0, liveWhenTold = -1;
};

class SessionTest : public EditingTest {
protected:
    SessionTest() {
        owner.sample = &sample, owner.log = &backend.log;
        playback.SetListener(&owner), recording.SetListener(&owner);
    }
    // Plays `bytes` of `layout` from `first` to `last`; the answer of Play.
    uint32_t Play(uint32_t layout, size_t bytes, uint32_t first = kAll, uint32_t last = kAll) {
        SetBytes(sample, layout, RampBytes(bytes), 44100);
        return playback.Play(&view, -1, first, last);
    }
    void StartPlaying(uint32_t layout, const Bytes8& bytes) {
        SetBytes(sample, layout, bytes);
        owner.original = bytes, owner.playbackEnded = 0, view.playDone = 0;
        resets = backend.log.resets;
        ASSERT_EQ(playback.Play(&view, kDefaultAudioDevice, kAll, kAll), 0u);
    }
    // The lease ended before the bytes changed, the device was reset and closed, and the
    // completion the reset posted never arrives, not even at a playback started since.
    void ExpectEndedFirst(const std::string& what) {
        EXPECT_EQ(State(), kIdle) << what;
        EXPECT_EQ(std::tuple(owner.playbackEnded, owner.liveWhenTold, backend.log.resets - resets),
                  std::tuple(1, 0, 1))
            << what;
        EXPECT_EQ(owner.bytesWhenTold, owner.original) << what;
        const bool again = playback.Play(&view, -1, 0, 0) == 0;  // not once the sound is empty
        view.queue.RunPending();
        EXPECT_EQ(std::tuple(view.playDone, playback.IsPlaying()), std::tuple(0, again)) << what;
        playback.ClosePlay();
    }
    // Hands what the window received to the recording, as the progress dialog does.
    int DeliverAll() {
        view.queue.RunPending();
        int finished = 0;
        for (RecordHeader* header : view.headers) finished += recording.RecordBufferDone(header);
        view.headers.clear();
        return finished;
    }
    uint8_t Byte(uint32_t at) const { return std::as_const(sample).Data()[at]; }
    // Whether anything plays, records or holds the block, and how many devices are open.
    std::tuple<bool, bool, bool, int> State() const {
        return {playback.IsPlaying(), recording.IsRecording(), sample.IsLent(), backend.log.Live()};
    }
    const std::tuple<bool, bool, bool, int> kIdle{false, false, false, 0};
    int resets = 0;  // the device's resets before the change

    Owner owner;  // outlives the sessions, which may still tell it something as they end
    SoundFileRegistry registry{messages};
    FakeAudioBackend backend;
    CountingTarget view;
    TempDir dir;
    PlaybackSession playback{sample, backend};
    RecordingSession recording{sample, backend, messages};
};

TEST_F(SessionTest, EveryChangeOfAPlayingSoundEndsTheLeaseFirst) {
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
        {"adopt", [](SampleBuffer& s) { s.AdoptBlock(nullptr, 0); }},
        {"resize", [](SampleBuffer& s) { s.ResizeFrames(3); }},
        {"grow", [](SampleBuffer& s) { s.ResizeBytes(1 << 20); }},  // may move the block
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

TEST_F(SessionTest, ReadingAPlayingSoundLeavesItPlaying) {
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

TEST_F(SessionTest, ARecordingEndedByAChangeKeepsWhatItCaptured) {
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

TEST_F(SessionTest, ASoundDestroyedBeforeItsSessionIsNotTouchedAgain) {
    auto doomed = std::make_unique<SampleBuffer>();
    SetBytes(*doomed, M8, RampBytes(100));
    PlaybackSession session(*doomed, backend);
    ASSERT_EQ(session.Play(&view, kDefaultAudioDevice, kAll, kAll), 0);
    doomed.reset();
    EXPECT_FALSE(session.IsPlaying());
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(session.ClosePlay(), uint32_t{kAudioInvalidHandle});
}

TEST_F(SessionTest, PlaysTheSoundsOwnBytesInItsOwnFormat) {
    ASSERT_EQ(Play(kLayoutStereo16, 400), 0u);
    const AudioFormat& f = backend.lastFormat;
    EXPECT_EQ(std::tuple(backend.lastDevice, f.formatTag, f.channels, f.samplesPerSecond,
                         f.averageBytesPerSecond, f.blockAlign, f.bitsPerSample, f.extraSize),
              std::tuple(-1, 1, 2, 44100u, 176400u, 4, 16, 0));
    playback.ClosePlay();
    // The block is the sound's own memory, cut to the range by the frame size.
    const std::tuple<uint32_t, uint32_t, uint32_t, uint32_t, uint32_t> ranges[] = {
        {kLayoutStereo16, 10, 19, 40, 40},
        {kLayoutMono8, 7, 7, 7, 1},
        {kLayoutMono16, 0, 0, 0, 2},
        {kLayoutMono16, kAll, kAll, 0, 120}};
    for (const auto& [layout, first, last, offset, bytes] : ranges) {
        ASSERT_EQ(Play(layout, 120, first, last), 0u);
        EXPECT_EQ(std::tuple(backend.output->block, backend.output->blockBytes),
                  std::tuple(std::as_const(sample).Data() + offset, bytes));
        playback.ClosePlay();
    }
    EXPECT_EQ(State(), kIdle);
}

TEST_F(SessionTest, RefusedPlaysOpenNothingAndSayNothing) {
    EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), 1u);  // no block
    // A range outside the 10 frames, a reversed one, and a block of no bytes.
    const std::tuple<size_t, uint32_t, uint32_t> ranges[] = {
        {20, 5, 10}, {20, 6, 5}, {0, kAll, kAll}};
    for (auto [bytes, first, last] : ranges) {
        EXPECT_EQ(Play(kLayoutMono16, bytes, first, last), 1u) << first << ".." << last;
        EXPECT_EQ(State(), kIdle);
    }
    for (uint32_t code : {2u, 32u}) {
        backend.openResult = code;
        EXPECT_EQ(Play(kLayoutMono8, 10), code);  // the device's own answer
    }
    backend.openResult = kAudioOk;
    sample.SetFormat(60000, false, false);  // a rate the devices do not take
    EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), 32u);
    backend.writeResult = kAudioNoMemory;  // a failed write closes the device again
    EXPECT_EQ(Play(kLayoutMono8, 10), uint32_t{kAudioNoMemory});
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(owner.playbackEnded, 0);  // Play's answer says it already
    EXPECT_TRUE(messages.Shown().empty());
    // Controls without a device answer that there is none.
    const uint32_t none = kAudioInvalidHandle;
    EXPECT_EQ(std::tuple(playback.PausePlay(), playback.ResetPlay(), playback.ClosePlay()),
              std::tuple(none, none, none));
    EXPECT_EQ(playback.GetPlayPosition(), 0u);
}

TEST_F(SessionTest, PositionPauseResetAndTheEnd) {
    ASSERT_EQ(Play(kLayoutStereo16, 400, 10, 59), 0u);
    EXPECT_EQ(playback.Play(&view, -1, 0, 9), 1u);  // a second Play leaves the first running
    EXPECT_EQ(backend.log.opened, 1);
    EXPECT_EQ(playback.GetPlayPosition(), 10u);
    backend.output->position = 7;  // one whole frame and three bytes of the next
    EXPECT_EQ(playback.GetPlayPosition(), 11u);
    backend.output->position = 200;
    EXPECT_EQ(playback.GetPlayPosition(), 60u);
    backend.output->Finish();
    EXPECT_TRUE(view.queue.RunNext(std::chrono::milliseconds(0)));
    EXPECT_EQ(std::tuple(view.playDone, playback.GetBlockResult()),
              std::tuple(1, uint32_t{kAudioOk}));
    EXPECT_EQ(playback.ClosePlay(), 0u);
    EXPECT_EQ(playback.GetPlayPosition(), 59u);  // once closed, the end frame
    // Stopping early: the view pauses, reads the cursor, then resets; the completion arrives
    // as a queued call, not inside Reset.
    ASSERT_EQ(Play(kLayoutMono16, 2000), 0u);
    backend.output->position = 2 * 321;
    EXPECT_EQ(playback.PausePlay(), 0u);
    EXPECT_TRUE(backend.output->paused);
    EXPECT_EQ(playback.GetPlayPosition(), 321u);
    EXPECT_EQ(playback.ResetPlay(), 0u);
    EXPECT_EQ(std::tuple(playback.IsPlaying(), view.playDone), std::tuple(true, 1));
    EXPECT_EQ(view.queue.RunPending(), 1);
    EXPECT_EQ(view.playDone, 2);
    playback.ClosePlay();
    EXPECT_EQ(playback.GetPlayPosition(), 999u);
    // Without a target nothing is delivered.
    ASSERT_EQ(playback.Play(nullptr, -1, kAll, kAll), 0u);
    backend.output->Finish();
    EXPECT_EQ(view.queue.RunPending(), 0);
    playback.ClosePlay();
    EXPECT_EQ(std::tuple(State(), owner.playbackEnded), std::tuple(kIdle, 0));
}

TEST_F(SessionTest, ADeviceFailingMidBlockIsClosedAndTheOwnerTold) {
    ASSERT_EQ(Play(kLayoutMono8, 100), 0u);
    backend.output->position = 30;
    backend.output->Fail();
    EXPECT_TRUE(playback.IsPlaying());  // until the completion arrives on the target's thread
    EXPECT_EQ(view.queue.RunPending(), 1);
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioError});
    // The target still learns that the block came back.
    EXPECT_EQ(std::tuple(State(), owner.playbackEnded, view.playDone), std::tuple(kIdle, 1, 1));
    ASSERT_EQ(Play(kLayoutMono8, 100), 0u);  // and a new block starts with a clean result
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioOk});
}

TEST_F(SessionTest, RecordingKeepsExactlyWhatTheDeviceReturned) {
    SetBytes(sample, kLayoutMono8, {1, 2, 3});
    sample.SetFormat(22050, true, true);
    const uint32_t block = 22050 * 4 * 10;
    ASSERT_EQ(recording.Record(&view, block, kDefaultAudioDevice), 1u);
    EXPECT_EQ(sample.GetByteLength(), block);
    EXPECT_EQ(backend.lastFormat.averageBytesPerSecond, 88200u);
    const RecordHeader& header = *backend.input->header;
    EXPECT_EQ(std::tuple(static_cast<const uint8_t*>(header.data), header.bufferLength),
              std::tuple(std::as_const(sample).Data(), block));
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.0);
    backend.input->Capture(176403, 0x5A);  // about two seconds, not a whole frame
    EXPECT_EQ(recording.GetRecordSamplePosition(), 44100u);
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 176403.0 / block);
    // Record again while recording acts as a stop; the buffer stays until it comes back.
    EXPECT_EQ(recording.Record(&view, 5000, -1), 0u);
    EXPECT_EQ(State(), std::tuple(false, true, true, 1));
    EXPECT_EQ(sample.GetByteLength(), block);
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(std::tuple(recording.GetRecordedBytes(), sample.GetByteLength()),
              std::tuple(176403u, 176403u));
    EXPECT_EQ(Byte(176402), static_cast<uint8_t>(176402 ^ 0x5A));
    // A full buffer keeps the whole block; once finished there is no device to ask.
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 8000, -1), 1u);
    backend.input->Capture(2000, 0);
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.25);
    backend.input->Fill(0x80);
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(sample.GetByteLength(), 8000u);
    EXPECT_EQ(Byte(7999), static_cast<uint8_t>(7999 ^ 0x80));
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.0);
    EXPECT_EQ(recording.GetRecordSamplePosition(), 0u);
    EXPECT_EQ(owner.recordingEnded, 0);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(SessionTest, RecordingEndedEarlyKeepsWhatWasCaptured) {
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 8000, -1), 1u);
    backend.input->Capture(1234, 0x33);
    backend.input->Fail();
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(recording.GetBlockResult(), uint32_t{kAudioError});
    EXPECT_EQ(std::tuple(State(), sample.GetByteLength(), Byte(1233), owner.recordingEnded),
              std::tuple(kIdle, 1234u, uint8_t(1233 ^ 0x33), 1));
    // Foreign and stale headers are ignored; Stop keeps what was recorded, drops late data and
    // tells the owner as a change of the block would.
    ASSERT_EQ(recording.Record(&view, 1000, -1), 1u);
    RecordHeader foreign;
    foreign.bytesRecorded = 50;
    EXPECT_EQ(recording.RecordBufferDone(&foreign) + recording.RecordBufferDone(nullptr), 0);
    EXPECT_EQ(recording.GetRecordedBytes(), 0u);
    backend.input->Capture(123, 1);
    recording.Stop();
    EXPECT_EQ(State(), kIdle);
    EXPECT_EQ(DeliverAll(), 0);
    EXPECT_EQ(std::pair(sample.GetByteLength(), owner.recordingEnded), std::pair(123u, 2));
    // Recording stops playback before it frees the old sound.
    SetBytes(sample, kLayoutMono8, RampBytes(100));
    ASSERT_EQ(playback.Play(&view, -1, 0, 99), 0u);
    ASSERT_EQ(recording.Record(&view, 50, -1), 1u);
    EXPECT_EQ(State(), std::tuple(false, true, true, 1));
    recording.StopRecord();
    EXPECT_EQ(DeliverAll(), 1);
    EXPECT_EQ(view.playDone, 0);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(SessionTest, RecordingThatCannotStartSaysWhyAndLeavesNoSound) {
    const std::pair<uint32_t, const char*> cases[] = {
        {2, "Device is out of range."},
        {32, "Device does not support the recording format."},
        {33, "Unknown error"},
    };
    for (const auto& [code, reason] : cases) {
        messages.Clear();
        SetBytes(sample, kLayoutMono8, {9, 9, 9});
        backend.openResult = code;
        EXPECT_EQ(recording.Record(&view, 100, -1), 0u);
        EXPECT_EQ(messages.Texts(),
                  Texts{std::string("Could not open wave input device. ") + reason});
        EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Application);
        EXPECT_FALSE(sample.HasBlock());  // no undefined bytes left in the old sound's place
    }
    // A recording buffer that cannot be had is the record dialog's test.
    backend.openResult = kAudioOk;
    // A device whose start fails ends quietly with the device closed.
    messages.Clear();
    struct FailingStart : FakeAudioBackend {
        uint32_t OpenInput(int d, const AudioFormat& f, AudioCompletion c,
                           std::unique_ptr<AudioInput>& out) override {
            const uint32_t r = FakeAudioBackend::OpenInput(d, f, std::move(c), out);
            input->startResult = kAudioError;
            return r;
        }
    } failing;
    RecordingSession other(sample, failing, messages);
    EXPECT_EQ(other.Record(&view, 100, -1), 0u);
    EXPECT_EQ(backend.log.Live() + failing.log.Live(), 0);
    EXPECT_TRUE(messages.Shown().empty());
    view.queue.RunPending();
    EXPECT_TRUE(view.headers.empty());
}

}  // namespace
