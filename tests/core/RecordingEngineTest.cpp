#include <gtest/gtest.h>

#include <utility>

#include "core/audio/PlaybackSession.h"
#include "core/audio/RecordingSession.h"
#include "core/audio/SessionListener.h"
#include "core/messages/RecordingMessageSink.h"
#include "core/sample/SampleBuffer.h"
#include "core/sample/SampleHeap.h"
#include "support/FakeAudioBackend.h"
#include "support/SampleMaker.h"

namespace {

class RecordingEngineTest : public ::testing::Test {
protected:
    // Delivers what the window received to the engine, as the progress dialog does.
    int DeliverAll(RecordingSession& recording) {
        view.queue.RunPending();
        int finished = 0;
        for (RecordHeader* header : view.headers) finished += recording.RecordBufferDone(header);
        view.headers.clear();
        return finished;
    }

    FakeAudioBackend backend;
    CountingTarget view;
    RecordingMessageSink messages;
};

TEST_F(RecordingEngineTest, StoppedEarlyKeepsExactlyWhatTheDeviceReturned) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    SetBytes(sample, 5, {1, 2, 3});
    sample.SetFormat(22050, true, true);
    const uint32_t block = 22050 * 4 * 10;
    ASSERT_EQ(recording.Record(&view, block, kDefaultAudioDevice), 1);
    EXPECT_TRUE(recording.IsRecording());
    EXPECT_EQ(sample.GetByteLength(), block);
    EXPECT_EQ(backend.lastFormat.averageBytesPerSecond, 88200u);
    EXPECT_EQ(backend.input->header->bufferLength, block);
    EXPECT_EQ(backend.input->header->data, std::as_const(sample).Data());
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.0);

    backend.input->Capture(176403, 0x5A);                    // about two seconds, not a whole frame
    EXPECT_EQ(recording.GetRecordSamplePosition(), 44100u);  // frames, truncated
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 176403.0 / block);
    EXPECT_EQ(recording.StopRecord(), 0u);
    EXPECT_TRUE(recording.IsRecording());  // until the buffer comes back
    EXPECT_EQ(DeliverAll(recording), 1);
    EXPECT_FALSE(recording.IsRecording());
    EXPECT_EQ(sample.GetByteLength(), 176403u);
    EXPECT_EQ(recording.GetRecordedBytes(), 176403u);
    EXPECT_EQ(std::as_const(sample).Data()[176402], static_cast<uint8_t>(176402 ^ 0x5A));
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_TRUE(messages.Shown().empty());
}

TEST_F(RecordingEngineTest, FullRecordingKeepsTheWholeBlock) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 8000, -1), 1);
    backend.input->Capture(2000, 0);
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.25);
    backend.input->Fill(0x80);
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 1.0);
    EXPECT_EQ(DeliverAll(recording), 1);
    EXPECT_EQ(sample.GetByteLength(), 8000u);
    EXPECT_EQ(std::as_const(sample).Data()[7999], static_cast<uint8_t>(7999 ^ 0x80));
    // Once finished there is no device to ask.
    EXPECT_DOUBLE_EQ(recording.GetRecordFraction(), 0.0);
    EXPECT_EQ(recording.GetRecordSamplePosition(), 0u);
    EXPECT_EQ(backend.log.Live(), 0);
}

TEST_F(RecordingEngineTest, ADeviceThatFailsEndsTheRecordingKeepingWhatWasCaptured) {
    struct Owner : SessionListener {
        void OnRecordingEnded() override { ++ended; }
        int ended = 0;
    } owner;
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    recording.SetListener(&owner);
    sample.SetFormat(8000, false, false);
    ASSERT_EQ(recording.Record(&view, 8000, -1), 1);
    backend.input->Capture(1234, 0x33);
    backend.input->Fail();
    EXPECT_EQ(DeliverAll(recording), 1);
    EXPECT_FALSE(recording.IsRecording());
    EXPECT_EQ(recording.GetBlockResult(), uint32_t{kAudioError});
    EXPECT_EQ(sample.GetByteLength(), 1234u);
    EXPECT_FALSE(sample.IsLent());
    EXPECT_EQ(std::as_const(sample).Data()[1233], static_cast<uint8_t>(1233 ^ 0x33));
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(owner.ended, 1);
    EXPECT_TRUE(messages.Shown().empty());

    // The next recording that fills its buffer reports no failure and tells nobody.
    ASSERT_EQ(recording.Record(&view, 100, -1), 1);
    backend.input->Fill(0);
    EXPECT_EQ(DeliverAll(recording), 1);
    EXPECT_EQ(recording.GetBlockResult(), uint32_t{kAudioOk});
    EXPECT_EQ(owner.ended, 1);
}

TEST_F(RecordingEngineTest, RecordWhileRecordingActsAsAStop) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    ASSERT_EQ(recording.Record(&view, 1000, -1), 1);
    const uint8_t* block = std::as_const(sample).Data();
    backend.input->Capture(300, 0);
    EXPECT_EQ(recording.Record(&view, 5000, -1), 0);
    EXPECT_EQ(std::as_const(sample).Data(), block);
    EXPECT_EQ(sample.GetByteLength(), 1000u);
    EXPECT_EQ(backend.log.opened, 1);
    EXPECT_EQ(DeliverAll(recording), 1);
    EXPECT_EQ(sample.GetByteLength(), 300u);
}

TEST_F(RecordingEngineTest, OpenFailuresNameTheReason) {
    const std::pair<uint32_t, const char*> cases[] = {
        {2, "Device is out of range."},
        {4, "Device is already allocated."},
        {6, "No device driver present."},
        {7, "Unable to allocate or lock memory."},
        {32, "Device does not support the recording format."},
        {1, "Unknown error"},
        {33, "Unknown error"},
    };
    for (const auto& [code, reason] : cases) {
        messages.Clear();
        SampleBuffer sample;
        RecordingSession recording(sample, backend, messages);
        SetBytes(sample, 5, {9, 9, 9});
        backend.openResult = code;
        EXPECT_EQ(recording.Record(&view, 100, -1), 0);
        ASSERT_EQ(messages.Shown().size(), 1u);
        EXPECT_EQ(messages.Shown()[0].text,
                  std::string("Could not open wave input device. ") + reason);
        EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Application);
        EXPECT_FALSE(recording.IsRecording());
        // The old sound is gone and no undefined bytes are left in its place.
        EXPECT_FALSE(sample.HasBlock());
        EXPECT_EQ(sample.GetByteLength(), 0u);
    }
}

TEST_F(RecordingEngineTest, WithoutAnyAudioSystemTheDriverIsMissing) {
    NoAudioBackend none;
    SampleBuffer sample;
    RecordingSession recording(sample, none, messages);
    PlaybackSession playback(sample, none);
    EXPECT_EQ(recording.Record(&view, 100, -1), 0);
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{
                                    "Could not open wave input device. No device driver present."});
    SetBytes(sample, 5, {1});
    EXPECT_EQ(playback.Play(&view, -1, 0, 0), 6);
}

TEST_F(RecordingEngineTest, UnallocatableBlockLeavesNoSound) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    SetBytes(sample, 5, {1, 2, 3, 4});
    SampleHeap::Instance().SetLimitForTesting(1 << 20);
    EXPECT_EQ(recording.Record(&view, 0xFFFFFFFFu, -1), 0);
    SampleHeap::Instance().ClearLimitForTesting();
    ASSERT_EQ(messages.Shown().size(), 1u);
    EXPECT_EQ(messages.Shown()[0].text, "Could not allocate enough memory");
    EXPECT_EQ(messages.Shown()[0].title, MessageTitle::Untitled);
    EXPECT_FALSE(sample.HasBlock());
    EXPECT_EQ(sample.GetByteLength(), 0u);
    EXPECT_EQ(backend.log.opened, 0);
}

TEST_F(RecordingEngineTest, EmptyOrUnstartableRecordingFailsQuietlyAndClosesTheDevice) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    EXPECT_EQ(recording.Record(&view, 0, -1), 0);  // the device refuses an empty buffer
    EXPECT_FALSE(recording.IsRecording());
    EXPECT_EQ(sample.GetByteLength(), 0u);
    EXPECT_EQ(backend.log.Live(), 0);

    backend.openResult = kAudioOk;
    SampleBuffer other;

    // Start fails after the buffer was queued.
    struct FailingStart : FakeAudioBackend {
        uint32_t OpenInput(int d, const AudioFormat& f, AudioCompletion c,
                           std::unique_ptr<AudioInput>& out) override {
            const uint32_t r = FakeAudioBackend::OpenInput(d, f, std::move(c), out);
            if (r == kAudioOk)
                input->startResult = kAudioError;
            return r;
        }
    } failing;
    RecordingSession otherRecording(other, failing, messages);
    EXPECT_EQ(otherRecording.Record(&view, 100, -1), 0);
    EXPECT_FALSE(otherRecording.IsRecording());
    EXPECT_EQ(failing.log.Live(), 0);
    EXPECT_TRUE(messages.Shown().empty());
    view.queue.RunPending();
    EXPECT_TRUE(view.headers.empty());
}

TEST_F(RecordingEngineTest, ForeignOrStaleHeadersAreIgnored) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    ASSERT_EQ(recording.Record(&view, 100, -1), 1);
    RecordHeader foreign;
    foreign.bytesRecorded = 50;
    EXPECT_EQ(recording.RecordBufferDone(&foreign), 0);
    EXPECT_EQ(recording.RecordBufferDone(nullptr), 0);
    EXPECT_TRUE(recording.IsRecording());
    EXPECT_EQ(recording.GetRecordedBytes(), 0u);
    recording.StopRecord();
    EXPECT_EQ(DeliverAll(recording), 1);
}

TEST_F(RecordingEngineTest, RecordingStopsPlaybackBeforeFreeingTheOldSound) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    PlaybackSession playback(sample, backend);
    SetBytes(sample, 5, std::vector<uint8_t>(100, 7));
    ASSERT_EQ(playback.Play(&view, -1, 0, 99), 0);
    ASSERT_EQ(recording.Record(&view, 50, -1), 1);
    EXPECT_FALSE(playback.IsPlaying());
    EXPECT_EQ(backend.log.Live(), 1);  // only the input device
    view.queue.RunPending();
    EXPECT_EQ(view.playDone, 0);
    recording.StopRecord();
    EXPECT_EQ(DeliverAll(recording), 1);
}

TEST_F(RecordingEngineTest, StopKeepsWhatWasRecordedAndDropsTheLateData) {
    SampleBuffer sample;
    RecordingSession recording(sample, backend, messages);
    ASSERT_EQ(recording.Record(&view, 1000, -1), 1);
    backend.input->Capture(123, 1);
    recording.Stop();
    EXPECT_FALSE(recording.IsRecording());
    EXPECT_EQ(sample.GetByteLength(), 123u);
    EXPECT_EQ(backend.log.Live(), 0);
    EXPECT_EQ(DeliverAll(recording), 0);
    EXPECT_EQ(sample.GetByteLength(), 123u);
}

TEST_F(RecordingEngineTest, DestroyingARecordingBufferClosesTheDevice) {
    {
        SampleBuffer sample;
        RecordingSession recording(sample, backend, messages);
        ASSERT_EQ(recording.Record(&view, 1000, -1), 1);
        backend.input->Capture(10, 0);
    }
    EXPECT_EQ(backend.log.Live(), 0);
    view.queue.RunPending();
    // The returned header is not handed to a buffer that no longer exists.
    EXPECT_TRUE(view.headers.empty());
}

}  // namespace
