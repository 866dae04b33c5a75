#include <gtest/gtest.h>

#include <chrono>

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
    SetBytes(sample, 10, Ramp(4 * 100), 44100);
    ASSERT_EQ(sample.Play(backend, &view, kDefaultAudioDevice, kAll, kAll), 0);
    EXPECT_TRUE(sample.IsPlaying());
    EXPECT_EQ(backend.lastDevice, -1);
    EXPECT_EQ(backend.lastFormat.formatTag, 1);
    EXPECT_EQ(backend.lastFormat.channels, 2);
    EXPECT_EQ(backend.lastFormat.samplesPerSecond, 44100u);
    EXPECT_EQ(backend.lastFormat.averageBytesPerSecond, 176400u);
    EXPECT_EQ(backend.lastFormat.blockAlign, 4);
    EXPECT_EQ(backend.lastFormat.bitsPerSample, 16);
    EXPECT_EQ(backend.lastFormat.extraSize, 0);
    // The block is the sound's own memory, not a copy.
    EXPECT_EQ(backend.output->block, sample.Data());
    EXPECT_EQ(backend.output->blockBytes, 400u);
    sample.ClosePlay();
}

TEST_F(PlaybackEngineTest, RangesAreCutByFrameSize) {
    SampleBuffer stereo16;
    SetBytes(stereo16, 10, Ramp(4 * 30));
    ASSERT_EQ(stereo16.Play(backend, &view, -1, 10, 19), 0);
    EXPECT_EQ(backend.output->block, stereo16.Data() + 40);
    EXPECT_EQ(backend.output->blockBytes, 40u);
    stereo16.ClosePlay();

    SampleBuffer mono8;
    SetBytes(mono8, 5, Ramp(50));
    ASSERT_EQ(mono8.Play(backend, &view, -1, 7, 7), 0);  // one frame
    EXPECT_EQ(backend.output->block, mono8.Data() + 7);
    EXPECT_EQ(backend.output->blockBytes, 1u);
    mono8.ClosePlay();
    EXPECT_EQ(backend.log.Live(), 0);
}

TEST_F(PlaybackEngineTest, SecondPlayAnswersOneAndLeavesTheFirstRangePlaying) {
    SampleBuffer sample;
    SetBytes(sample, 5, Ramp(100));
    ASSERT_EQ(sample.Play(backend, &view, -1, 0, 49), 0);
    FakeOutput* first = backend.output;
    EXPECT_EQ(sample.Play(backend, &view, -1, 50, 99), 1);
    EXPECT_EQ(backend.log.opened, 1);
    EXPECT_EQ(backend.log.writes, 1);
    EXPECT_EQ(first->blockBytes, 50u);
    EXPECT_EQ(first->block, sample.Data());
    sample.ClosePlay();
}

TEST_F(PlaybackEngineTest, NothingOpensWithoutABlockOrForARangeOutsideTheSound) {
    SampleBuffer empty;
    EXPECT_EQ(empty.Play(backend, &view, -1, kAll, kAll), 1);
    EXPECT_EQ(backend.log.opened, 0);

    SampleBuffer sample;
    SetBytes(sample, 6, Ramp(20));  // 10 frames
    EXPECT_EQ(sample.Play(backend, &view, -1, 5, 10), 1);
    EXPECT_EQ(sample.Play(backend, &view, -1, 6, 5), 1);
    EXPECT_FALSE(sample.IsPlaying());
    // The device opened for a refused range is closed again at once.
    EXPECT_EQ(backend.log.Live(), 0);

    SampleBuffer noFrames;  // a block of zero bytes: (-1, -1) has no last frame
    SetBytes(noFrames, 5, {});
    EXPECT_EQ(noFrames.Play(backend, &view, -1, kAll, kAll), 1);
    EXPECT_EQ(backend.log.Live(), 0);
}

TEST_F(PlaybackEngineTest, DeviceErrorsComeBackUnchangedAndSilently) {
    RecordingMessageSink messages;
    SampleBuffer sample;
    SetBytes(sample, 5, Ramp(10));
    for (uint32_t code : {2u, 4u, 6u, 7u, 32u}) {
        backend.openResult = code;
        EXPECT_EQ(sample.Play(backend, &view, -1, kAll, kAll), code);
        EXPECT_FALSE(sample.IsPlaying());
    }
    backend.openResult = kAudioOk;
    // A rate the devices do not take (the three-value SetFormat does not cap it).
    sample.SetFormat(60000, false, false);
    EXPECT_EQ(sample.Play(backend, &view, -1, kAll, kAll), 32);
    EXPECT_TRUE(messages.Shown().empty());
    EXPECT_EQ(backend.log.opened, 0);
}

TEST_F(PlaybackEngineTest, PositionTruncatesToWholeFramesAndIsTheEndFrameOnceClosed) {
    SampleBuffer sample;
    SetBytes(sample, 10, Ramp(4 * 100));
    ASSERT_EQ(sample.Play(backend, &view, -1, 10, 59), 0);
    EXPECT_EQ(sample.GetPlayPosition(), 10u);
    backend.output->position = 7;  // one whole frame and three bytes of the next
    EXPECT_EQ(sample.GetPlayPosition(), 11u);
    backend.output->position = 200;
    EXPECT_EQ(sample.GetPlayPosition(), 60u);
    backend.output->Finish();
    EXPECT_TRUE(view.queue.RunNext(std::chrono::milliseconds(0)));
    EXPECT_EQ(view.playDone, 1);
    EXPECT_EQ(sample.ClosePlay(), 0u);
    EXPECT_FALSE(sample.IsPlaying());
    EXPECT_EQ(sample.GetPlayPosition(), 59u);
    EXPECT_EQ(backend.log.Live(), 0);
}

TEST_F(PlaybackEngineTest, StoppingEarlyPausesReadsThePositionThenResetReturnsTheBlock) {
    SampleBuffer sample;
    SetBytes(sample, 6, Ramp(2 * 1000));
    ASSERT_EQ(sample.Play(backend, &view, -1, kAll, kAll), 0);
    backend.output->position = 2 * 321;
    // The user presses Play again: the view pauses, reads the cursor, then resets.
    ASSERT_EQ(sample.Play(backend, &view, -1, kAll, kAll), 1);
    EXPECT_EQ(sample.PausePlay(), 0u);
    EXPECT_TRUE(backend.output->paused);
    EXPECT_EQ(sample.GetPlayPosition(), 321u);
    EXPECT_EQ(view.playDone, 0);
    EXPECT_EQ(sample.ResetPlay(), 0u);
    // Reset alone leaves the flag; the completion arrives as a queued call, not inside Reset.
    EXPECT_TRUE(sample.IsPlaying());
    EXPECT_EQ(view.playDone, 0);
    EXPECT_EQ(view.queue.RunPending(), 1);
    EXPECT_EQ(view.playDone, 1);
    sample.ClosePlay();
    EXPECT_EQ(sample.GetPlayPosition(), 999u);
}

TEST_F(PlaybackEngineTest, ControlsWithoutADeviceAnswerInvalidHandle) {
    SampleBuffer sample;
    EXPECT_EQ(sample.PausePlay(), uint32_t{kAudioInvalidHandle});
    EXPECT_EQ(sample.ResetPlay(), uint32_t{kAudioInvalidHandle});
    EXPECT_EQ(sample.ClosePlay(), uint32_t{kAudioInvalidHandle});
    EXPECT_EQ(sample.GetPlayPosition(), 0u);
}

TEST_F(PlaybackEngineTest, WithoutATargetNothingIsDelivered) {
    SampleBuffer sample;
    SetBytes(sample, 5, Ramp(10));
    ASSERT_EQ(sample.Play(backend, nullptr, -1, kAll, kAll), 0);
    backend.output->Finish();
    EXPECT_EQ(view.queue.RunPending(), 0);
    sample.ClosePlay();
}

TEST_F(PlaybackEngineTest, ReplacingTheBlockStopsPlaybackFirstAndDropsItsLateCompletion) {
    SampleBuffer sample;
    SetBytes(sample, 5, Ramp(100));
    ASSERT_EQ(sample.Play(backend, &view, -1, kAll, kAll), 0);
    sample.ResizeBytes(1 << 20);  // may move the block
    EXPECT_FALSE(sample.IsPlaying());
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_GE(backend.log.resets, 1);
    // The reset posted "done" before the close; it must not reach the window afterwards,
    // where it could close a playback started since.
    ASSERT_EQ(sample.Play(backend, &view, -1, 0, 9), 0);
    view.queue.RunPending();
    EXPECT_EQ(view.playDone, 0);
    EXPECT_TRUE(sample.IsPlaying());

    for (auto replace : {+[](SampleBuffer& s) { s.FreeBlock(); },
                         +[](SampleBuffer& s) { s.AdoptBlock(nullptr, 0); },
                         +[](SampleBuffer& s) { s.ResizeFrames(3); }}) {
        SetBytes(sample, 5, Ramp(100));
        ASSERT_EQ(sample.Play(backend, &view, -1, kAll, kAll), 0);
        replace(sample);
        EXPECT_FALSE(sample.IsPlaying());
        EXPECT_EQ(backend.log.Live(), 0);
    }
}

TEST_F(PlaybackEngineTest, DestroyingAPlayingBufferClosesTheDeviceBeforeFreeingTheBlock) {
    {
        SampleBuffer sample;
        SetBytes(sample, 5, Ramp(100));
        ASSERT_EQ(sample.Play(backend, &view, -1, kAll, kAll), 0);
    }
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(backend.log.resets, 1);
    view.queue.RunPending();
    EXPECT_EQ(view.playDone, 0);
}

}  // namespace
