#include <gtest/gtest.h>

#include <chrono>
#include <utility>

#include "core/audio/PlaybackSession.h"
#include "core/audio/SessionListener.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"

namespace {

constexpr uint32_t kAll = 0xFFFFFFFFu;

std::vector<uint8_t> Ramp(size_t bytes) {
    std::vector<uint8_t> out(bytes);
    for (size_t i = 0; i < bytes; ++i) out[i] = static_cast<uint8_t>(i * 7 + 1);
    return out;
}

class PlaybackEngineTest : public ::testing::Test {
protected:
    FakeAudioBackend backend;
    CountingTarget view;
};

TEST_F(PlaybackEngineTest, WholeSoundGoesOutAsOneBlockInTheSoundsOwnFormat) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 10, Ramp(4 * 100), 44100);
    ASSERT_EQ(playback.Play(&view, kDefaultAudioDevice, kAll, kAll), 0);
    EXPECT_TRUE(playback.IsPlaying());
    EXPECT_EQ(backend.lastDevice, -1);
    EXPECT_EQ(backend.lastFormat.formatTag, 1);
    EXPECT_EQ(backend.lastFormat.channels, 2);
    EXPECT_EQ(backend.lastFormat.samplesPerSecond, 44100u);
    EXPECT_EQ(backend.lastFormat.averageBytesPerSecond, 176400u);
    EXPECT_EQ(backend.lastFormat.blockAlign, 4);
    EXPECT_EQ(backend.lastFormat.bitsPerSample, 16);
    EXPECT_EQ(backend.lastFormat.extraSize, 0);
    // The block is the sound's own memory, not a copy.
    EXPECT_EQ(backend.output->block, std::as_const(sample).Data());
    EXPECT_EQ(backend.output->blockBytes, 400u);
    playback.ClosePlay();
}

TEST_F(PlaybackEngineTest, RangesAreCutByFrameSize) {
    SampleBuffer stereo16;
    PlaybackSession stereo16Playback(stereo16, backend);
    SetBytes(stereo16, 10, Ramp(4 * 30));
    ASSERT_EQ(stereo16Playback.Play(&view, -1, 10, 19), 0);
    EXPECT_EQ(backend.output->block, std::as_const(stereo16).Data() + 40);
    EXPECT_EQ(backend.output->blockBytes, 40u);
    stereo16Playback.ClosePlay();

    SampleBuffer mono8;
    PlaybackSession mono8Playback(mono8, backend);
    SetBytes(mono8, 5, Ramp(50));
    ASSERT_EQ(mono8Playback.Play(&view, -1, 7, 7), 0);  // one frame
    EXPECT_EQ(backend.output->block, std::as_const(mono8).Data() + 7);
    EXPECT_EQ(backend.output->blockBytes, 1u);
    mono8Playback.ClosePlay();
    EXPECT_EQ(backend.log.Live(), 0);
}

TEST_F(PlaybackEngineTest, SecondPlayAnswersOneAndLeavesTheFirstRangePlaying) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 5, Ramp(100));
    ASSERT_EQ(playback.Play(&view, -1, 0, 49), 0);
    FakeOutput* first = backend.output;
    EXPECT_EQ(playback.Play(&view, -1, 50, 99), 1);
    EXPECT_EQ(backend.log.opened, 1);
    EXPECT_EQ(backend.log.writes, 1);
    EXPECT_EQ(first->blockBytes, 50u);
    EXPECT_EQ(first->block, std::as_const(sample).Data());
    playback.ClosePlay();
}

TEST_F(PlaybackEngineTest, NothingOpensWithoutABlockOrForARangeOutsideTheSound) {
    SampleBuffer empty;
    PlaybackSession emptyPlayback(empty, backend);
    EXPECT_EQ(emptyPlayback.Play(&view, -1, kAll, kAll), 1);
    EXPECT_EQ(backend.log.opened, 0);

    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 6, Ramp(20));  // 10 frames
    EXPECT_EQ(playback.Play(&view, -1, 5, 10), 1);
    EXPECT_EQ(playback.Play(&view, -1, 6, 5), 1);
    EXPECT_FALSE(playback.IsPlaying());
    // The device opened for a refused range is closed again at once.
    EXPECT_EQ(backend.log.Live(), 0);

    SampleBuffer noFrames;  // a block of zero bytes: (-1, -1) has no last frame
    PlaybackSession noFramesPlayback(noFrames, backend);
    SetBytes(noFrames, 5, {});
    EXPECT_EQ(noFramesPlayback.Play(&view, -1, kAll, kAll), 1);
    EXPECT_EQ(backend.log.Live(), 0);
}

TEST_F(PlaybackEngineTest, DeviceErrorsComeBackUnchangedAndSilently) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 5, Ramp(10));
    for (uint32_t code : {2u, 4u, 6u, 7u, 32u}) {
        backend.openResult = code;
        EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), code);
        EXPECT_FALSE(playback.IsPlaying());
    }
    backend.openResult = kAudioOk;
    // A rate the devices do not take (the three-value SetFormat does not cap it).
    sample.SetFormat(60000, false, false);
    EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), 32);
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(backend.log.opened, 0);
}

struct CountingOwner : SessionListener {
    void OnPlaybackEnded() override { ++ended; }
    int ended = 0;
};

TEST_F(PlaybackEngineTest, AFailedWriteClosesTheDeviceAndAnswersItsError) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    CountingOwner owner;
    playback.SetListener(&owner);
    SetBytes(sample, 5, Ramp(10));
    for (uint32_t code : {kAudioError, kAudioNoMemory}) {
        backend.writeResult = code;
        EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), code);
        EXPECT_FALSE(playback.IsPlaying());
        EXPECT_FALSE(sample.IsLent());
        EXPECT_EQ(backend.log.Live(), 0);
    }
    EXPECT_EQ(owner.ended, 0);  // Play's answer says it already
    backend.writeResult = kAudioOk;
    EXPECT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
    playback.ClosePlay();
}

TEST_F(PlaybackEngineTest, ADeviceThatFailsMidBlockIsClosedAndTheOwnerGoesIdle) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    CountingOwner owner;
    playback.SetListener(&owner);
    SetBytes(sample, 5, Ramp(100));

    // A block played to its end is no failure.
    ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
    backend.output->Finish();
    view.queue.RunPending();
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioOk});
    EXPECT_EQ(owner.ended, 0);
    playback.ClosePlay();

    ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
    backend.output->position = 30;
    backend.output->Fail();
    EXPECT_TRUE(playback.IsPlaying());  // until the completion arrives on the target's thread
    EXPECT_EQ(view.queue.RunPending(), 1);
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioError});
    EXPECT_FALSE(playback.IsPlaying());
    EXPECT_FALSE(sample.IsLent());
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(owner.ended, 1);
    EXPECT_EQ(view.playDone, 2);  // the target still learns that the block came back
    // The sound can be played again, and a new block starts with a clean result.
    ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
    EXPECT_EQ(playback.GetBlockResult(), uint32_t{kAudioOk});
    playback.ClosePlay();
}

TEST_F(PlaybackEngineTest, PositionTruncatesToWholeFramesAndIsTheEndFrameOnceClosed) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 10, Ramp(4 * 100));
    ASSERT_EQ(playback.Play(&view, -1, 10, 59), 0);
    EXPECT_EQ(playback.GetPlayPosition(), 10u);
    backend.output->position = 7;  // one whole frame and three bytes of the next
    EXPECT_EQ(playback.GetPlayPosition(), 11u);
    backend.output->position = 200;
    EXPECT_EQ(playback.GetPlayPosition(), 60u);
    backend.output->Finish();
    EXPECT_TRUE(view.queue.RunNext(std::chrono::milliseconds(0)));
    EXPECT_EQ(view.playDone, 1);
    EXPECT_EQ(playback.ClosePlay(), 0u);
    EXPECT_FALSE(playback.IsPlaying());
    EXPECT_EQ(playback.GetPlayPosition(), 59u);
    EXPECT_EQ(backend.log.Live(), 0);
}

TEST_F(PlaybackEngineTest, StoppingEarlyPausesReadsThePositionThenResetReturnsTheBlock) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 6, Ramp(2 * 1000));
    ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
    backend.output->position = 2 * 321;
    // The user presses Play again: the view pauses, reads the cursor, then resets.
    ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 1);
    EXPECT_EQ(playback.PausePlay(), 0u);
    EXPECT_TRUE(backend.output->paused);
    EXPECT_EQ(playback.GetPlayPosition(), 321u);
    EXPECT_EQ(view.playDone, 0);
    EXPECT_EQ(playback.ResetPlay(), 0u);
    // Reset alone leaves the flag; the completion arrives as a queued call, not inside Reset.
    EXPECT_TRUE(playback.IsPlaying());
    EXPECT_EQ(view.playDone, 0);
    EXPECT_EQ(view.queue.RunPending(), 1);
    EXPECT_EQ(view.playDone, 1);
    playback.ClosePlay();
    EXPECT_EQ(playback.GetPlayPosition(), 999u);
}

TEST_F(PlaybackEngineTest, ControlsWithoutADeviceAnswerInvalidHandle) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    EXPECT_EQ(playback.PausePlay(), uint32_t{kAudioInvalidHandle});
    EXPECT_EQ(playback.ResetPlay(), uint32_t{kAudioInvalidHandle});
    EXPECT_EQ(playback.ClosePlay(), uint32_t{kAudioInvalidHandle});
    EXPECT_EQ(playback.GetPlayPosition(), 0u);
}

TEST_F(PlaybackEngineTest, WithoutATargetNothingIsDelivered) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 5, Ramp(10));
    ASSERT_EQ(playback.Play(nullptr, -1, kAll, kAll), 0);
    backend.output->Finish();
    EXPECT_EQ(view.queue.RunPending(), 0);
    playback.ClosePlay();
}

TEST_F(PlaybackEngineTest, ReplacingTheBlockStopsPlaybackFirstAndDropsItsLateCompletion) {
    SampleBuffer sample;
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 5, Ramp(100));
    ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
    sample.ResizeBytes(1 << 20);  // may move the block
    EXPECT_FALSE(playback.IsPlaying());
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_GE(backend.log.resets, 1);
    // The reset posted "done" before the close; it must not reach the window afterwards,
    // where it could close a playback started since.
    ASSERT_EQ(playback.Play(&view, -1, 0, 9), 0);
    view.queue.RunPending();
    EXPECT_EQ(view.playDone, 0);
    EXPECT_TRUE(playback.IsPlaying());

    for (auto replace : {+[](SampleBuffer& s) { s.FreeBlock(); },
                         +[](SampleBuffer& s) { s.AdoptBlock(nullptr, 0); },
                         +[](SampleBuffer& s) { s.ResizeFrames(3); }}) {
        SetBytes(sample, 5, Ramp(100));
        ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
        replace(sample);
        EXPECT_FALSE(playback.IsPlaying());
        EXPECT_EQ(backend.log.Live(), 0);
    }
}

TEST_F(PlaybackEngineTest, DestroyingAPlayingBufferClosesTheDeviceBeforeFreeingTheBlock) {
    {
        SampleBuffer sample;
        PlaybackSession playback(sample, backend);
        SetBytes(sample, 5, Ramp(100));
        ASSERT_EQ(playback.Play(&view, -1, kAll, kAll), 0);
    }
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(backend.log.resets, 1);
    view.queue.RunPending();
    EXPECT_EQ(view.playDone, 0);
}

}  // namespace
