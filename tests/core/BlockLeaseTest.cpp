// The lease a playback or recording session holds on a sound's block: whatever changes the block
// ends the lease first, and the session's owner hears of it while the bytes are still the ones
// the device was given.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "core/audio/SessionListener.h"
#include "core/clipboard/ClipboardService.h"
#include "core/editing/SampleEditing.h"
#include "core/effects/Amplify.h"
#include "core/effects/Convert.h"
#include "core/effects/Reverse.h"
#include "core/fileformats/SoundFileRegistry.h"
#include "core/messages/RecordingMessageSink.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"
#include "support/TempDir.h"

namespace {

std::vector<uint8_t> Ramp(size_t bytes) {
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(i * 5 + 3);
    return out;
}

// The owner of the sessions: counts what it is told and checks, at that moment, that the device
// is already closed and the block not yet changed.
struct Owner : SessionListener {
    void OnPlaybackEnded() override { Check(++playbackEnded); }
    void OnRecordingEnded() override { Check(++recordingEnded); }
    void Check(int) {
        liveWhenTold = log->Live();
        bytesWhenTold = std::vector<uint8_t>(std::as_const(*sample).Data(),
                                             std::as_const(*sample).Data() + original.size());
    }

    const SampleBuffer* sample = nullptr;
    const FakeDeviceLog* log = nullptr;
    std::vector<uint8_t> original;
    int playbackEnded = 0;
    int recordingEnded = 0;
    int liveWhenTold = -1;
    std::vector<uint8_t> bytesWhenTold;
};

class BlockLeaseTest : public ::testing::Test {
protected:
    // Starts playing the whole of `bytes` in `layout`.
    void StartPlaying(uint32_t layout, const std::vector<uint8_t>& bytes) {
        SetBytes(sample, layout, bytes);
        owner.sample = &sample;
        owner.log = &backend.log;
        owner.original = bytes;
        playback.SetListener(&owner);
        ASSERT_EQ(playback.Play(&view, kDefaultAudioDevice, 0xFFFFFFFFu, 0xFFFFFFFFu), 0);
        ASSERT_TRUE(sample.IsLent());
    }
    // The lease was ended before the bytes changed, the device is closed and its late
    // completion never arrives.
    void ExpectEndedFirst(const std::string& what) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(playback.IsPlaying());
        EXPECT_FALSE(sample.IsLent());
        EXPECT_EQ(owner.playbackEnded, 1);
        EXPECT_EQ(owner.liveWhenTold, 0);
        EXPECT_EQ(owner.bytesWhenTold, owner.original);
        EXPECT_EQ(backend.log.Live(), 0);
        view.queue.RunPending();
        EXPECT_EQ(view.playDone, 0);
    }

    MemoryClipboardService clipboard;
    RecordingMessageSink messages;
    SoundFileRegistry registry{messages};
    FakeAudioBackend backend;
    CountingTarget view;
    TempDir dir;
    SampleBuffer sample;
    PlaybackSession playback{sample, backend};
    Owner owner;
};

TEST_F(BlockLeaseTest, SavingAPlayingSoundAsMuLawEndsPlaybackBeforeTheBytesAreRewritten) {
    // 8-bit grows to 16-bit; 16-bit is rewritten in place with the expansion of its codes.
    for (uint32_t layout : {uint32_t{kLayoutMono8}, uint32_t{kLayoutStereo16}}) {
        SCOPED_TRACE(layout);
        owner = Owner();
        view.playDone = 0;
        StartPlaying(layout, Ramp(400));
        ASSERT_TRUE(registry.Save(dir.File("playing.au"), sample));
        ExpectEndedFirst("mu-law save");
        EXPECT_EQ(sample.FormatRef().GetBits(), 16u);
    }
}

TEST_F(BlockLeaseTest, SavingWithoutConvertingLeavesPlaybackRunning) {
    StartPlaying(kLayoutStereo16, Ramp(400));
    ASSERT_TRUE(registry.Save(dir.File("playing.wav"), sample));
    ASSERT_TRUE(Copy(clipboard, messages, sample, 0, 9, 0));
    EXPECT_TRUE(playback.IsPlaying());
    EXPECT_EQ(owner.playbackEnded, 0);
    EXPECT_EQ(backend.output->block, std::as_const(sample).Data());
    playback.ClosePlay();
    EXPECT_FALSE(sample.IsLent());
    EXPECT_EQ(owner.playbackEnded, 0);  // the owner closed it itself
}

TEST_F(BlockLeaseTest, EditsEffectsAndConversionsOfAPlayingSoundEndTheLeaseFirst) {
    ClipboardService& clip = clipboard;
    MessageSink& sink = messages;
    const std::pair<const char*, std::function<void(SampleBuffer&)>> changes[] = {
        {"delete", [](SampleBuffer& s) { Delete(s, 10, 19, 0); }},
        {"paste", [&](SampleBuffer& s) { Paste(clip, sink, s, 5, 0); }},
        {"undo", [&](SampleBuffer& s) { ReplaceFromClipboard(clip, sink, s); }},
        {"amplify", [](SampleBuffer& s) { Amplify(s, 2.0f, 0, 99, 0); }},
        {"reverse", [](SampleBuffer& s) { Reverse(s, 0, 99, 0); }},
        {"convert",
         [&](SampleBuffer& s) { ChangeFormat(sink, s, SampleFormat(11025, false, false)); }},
        {"set frame", [](SampleBuffer& s) { s.SetFrame(0, FrameValue{}); }},
        {"new sound", [](SampleBuffer& s) { s.FreeBlock(); }},
    };
    for (const auto& [what, change] : changes) {
        SetBytes(sample, kLayoutMono16, Ramp(40));
        ASSERT_TRUE(Copy(clipboard, messages, sample, 0, 19, 0));
        owner = Owner();
        view.playDone = 0;
        StartPlaying(kLayoutMono16, Ramp(200));
        change(sample);
        ExpectEndedFirst(what);
    }
}

TEST_F(BlockLeaseTest, ARecordingEndedByAChangeKeepsWhatItCapturedAndTellsItsOwner) {
    RecordingSession recording(sample, backend, messages);
    recording.SetListener(&owner);
    owner.sample = &sample;
    owner.log = &backend.log;
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 1000, kDefaultAudioDevice), 1);
    EXPECT_TRUE(sample.IsLentForWriting());
    // Playback waits for the recording rather than reading a block that is being written.
    EXPECT_EQ(playback.Play(&view, kDefaultAudioDevice, 0, 0), 1);
    backend.input->Capture(120, 7);
    owner.original.assign(std::as_const(sample).Data(), std::as_const(sample).Data() + 120);
    Amplify(sample, 0.5f, 0, 119, 0);
    EXPECT_EQ(owner.recordingEnded, 1);
    EXPECT_EQ(owner.liveWhenTold, 0);
    EXPECT_EQ(owner.bytesWhenTold, owner.original);
    EXPECT_FALSE(recording.IsRecording());
    EXPECT_EQ(sample.GetByteLength(), 120u);
    view.queue.RunPending();
    EXPECT_TRUE(view.headers.empty());
}

TEST_F(BlockLeaseTest, ASoundDestroyedBeforeItsSessionEndsTheLeaseAndIsNotTouchedAgain) {
    auto doomed = std::make_unique<SampleBuffer>();
    SetBytes(*doomed, kLayoutMono8, Ramp(100));
    PlaybackSession session(*doomed, backend);
    ASSERT_EQ(session.Play(&view, kDefaultAudioDevice, 0xFFFFFFFFu, 0xFFFFFFFFu), 0);
    doomed.reset();
    EXPECT_FALSE(session.IsPlaying());
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(session.ClosePlay(), uint32_t{kAudioInvalidHandle});
}

}  // namespace
